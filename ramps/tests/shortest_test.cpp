// The shortest double text against std::to_chars, which it replaces in the library: known texts
// first (worked out by hand, so that the comparison itself is anchored), then families of edge
// values, then millions of pseudo-random doubles. Built natively and for Windows (run under Wine),
// where the C and C++ runtimes differ.
#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "ramps/ramp.h"
#include "ramps/shortest.h"

namespace {

std::string Mine(double v)
{
    char buf[ramps::kShortestDoubleMax];
    return std::string(buf, ramps::ShortestDouble(v, buf));
}

std::string Std(double v)
{
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

double FromBits(uint64_t b)
{
    double v;
    memcpy(&v, &b, sizeof v);
    return v;
}

uint64_t Bits(double v)
{
    uint64_t b;
    memcpy(&b, &v, sizeof b);
    return b;
}

// Compares every value (and, when asked, its two neighbours); reports the first few that differ.
struct Comparer {
    long compared = 0, differing = 0;
    std::string first;
    void Check(double v)
    {
        ++compared;
        const std::string a = Mine(v), b = Std(v);
        if (a == b)
            return;
        if (++differing <= 5) {
            char hex[32];
            snprintf(hex, sizeof hex, "%016llx", (unsigned long long)Bits(v));
            first += std::string(hex) + ": to_chars " + b + ", ours " + a + "\n";
        }
    }
    void CheckAround(double v)
    {
        Check(v);
        Check(std::nextafter(v, std::numeric_limits<double>::infinity()));
        Check(std::nextafter(v, -std::numeric_limits<double>::infinity()));
    }
};

TEST(ShortestDouble, KnownTexts)
{
    const struct {
        double v;
        const char* text;
    } rows[] = {
        {0.0, "0"},
        {-0.0, "-0"},
        {0.1 + 0.2, "0.30000000000000004"},
        {2.5, "2.5"},
        {-1959.183673472, "-1959.183673472"},
        {1e20, "1e+20"},
        {1.5e-7, "1.5e-07"},
        {5e-324, "5e-324"},
        {DBL_MIN, "2.2250738585072014e-308"},
        {-DBL_MAX, "-1.7976931348623157e+308"},
        // Fixed and scientific equally long: fixed.
        {10000, "10000"},
        {0.001, "0.001"},
        {0.0001234, "0.0001234"},
        {1234500000, "1234500000"},
        // One character shorter in scientific.
        {100000, "1e+05"},
        {0.0001, "1e-04"},
        {12345000000, "1.2345e+10"},
        // 2^53 + 1 is not a double: it reads as 2^53.
        {9007199254740993.0, "9007199254740992"},
        // Large whole numbers in fixed notation carry every digit of their value.
        {std::ldexp(1.0, 70), "1180591620717411303424"},
        {20000000000000008.0, "20000000000000008"},
        {std::numeric_limits<double>::infinity(), "inf"},
        {-std::numeric_limits<double>::infinity(), "-inf"},
        {std::numeric_limits<double>::quiet_NaN(), "nan"},
        {-std::numeric_limits<double>::quiet_NaN(), "-nan"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(Mine(r.v), r.text);
        EXPECT_EQ(Std(r.v), r.text);  // the oracle of the tests below agrees
    }
}

TEST(ShortestDouble, EdgeFamiliesEqualToChars)
{
    Comparer c;
    const double edges[] = {0.0, -0.0, 5e-324, 1e-323, DBL_MIN, DBL_MAX, DBL_EPSILON, 0.1 + 0.2, 0.1,
                            1.0 / 3, 2.0 / 3, 4.35, 0.3, 1e23, 8.41e21, 5e-310, 2.2250738585072009e-308,
                            // values of real ramps and of the labels made from them
                            -11000, -8000, -500, -0.5, 0.1, 1959.183673472, 2775.51020408,
                            4571.428571432, 6530.612244896, 81.6326530616, 816.326530616, 8.3, 0.25};
    for (double v : edges) {
        c.CheckAround(v);
        c.CheckAround(-v);
    }
    // Powers of ten, read from text and computed, and their neighbours.
    for (int i = -30; i <= 30; ++i) {
        c.CheckAround(std::strtod(("1e" + std::to_string(i)).c_str(), nullptr));
        c.CheckAround(std::pow(10.0, i));
    }
    for (int i = -325; i <= 309; ++i)
        c.CheckAround(std::strtod(("1e" + std::to_string(i)).c_str(), nullptr));
    // Every power of two: where the gap below a value is half the gap above it.
    for (int i = -1074; i <= 1023; ++i)
        c.CheckAround(std::ldexp(1.0, i));
    // Halves: x.5 and 5 in the last place of a shorter number.
    for (int i = 0; i < 2000; ++i) {
        c.Check(i + 0.5);
        c.Check(-(i * 1000 + 0.5));
        c.Check((2 * i + 1) * 0.05);
        c.Check((2 * i + 1) * 0.005);
    }
    // Whole numbers up to 2^53 and beyond (where the fixed text is the exact value).
    for (int i = 0; i <= 64; ++i) {
        const double p = std::ldexp(1.0, i);
        for (int d = -3; d <= 3; ++d)
            c.Check(p + d);
    }
    std::mt19937_64 rng(53);
    for (int i = 0; i < 100000; ++i) {
        c.Check(double(rng() >> 11));          // below 2^53
        c.Check(double(rng() >> (rng() % 64)));  // any size
    }
    // Fixed and scientific of equal length (fixed wins) and one apart, for every digit count.
    for (int n = 1; n <= 17; ++n) {
        std::string digits = "1";
        for (int i = 1; i < n; ++i)
            digits += char('0' + (i * 7 + 3) % 10);
        digits.back() = '7';
        for (int k = -12; k <= 25; ++k)
            c.CheckAround(std::strtod((digits.substr(0, 1) + "." + digits.substr(1) + "e" + std::to_string(k)).c_str(),
                                      nullptr));
    }
    EXPECT_GT(c.compared, 100000);
    EXPECT_EQ(c.differing, 0) << c.first;
}

TEST(ShortestDouble, RandomDoublesEqualToChars)
{
    Comparer c;
    std::mt19937_64 rng(20260);
    // Any bit pattern: every exponent, subnormals, inf and nan included.
    for (int i = 0; i < 2000000; ++i)
        c.Check(FromBits(rng()));
    // Human-scale values: a few decimal digits, at scales an elevation or a percentage has.
    std::uniform_int_distribution<int> scale(-8, 8), digits(1, 9);
    for (int i = 0; i < 1000000; ++i) {
        const int64_t m = int64_t(rng() % 1000000000) - 500000000;
        const double v = double(m / int64_t(std::pow(10.0, 9 - digits(rng)))) * std::pow(10.0, scale(rng));
        c.Check(v);
        c.Check(std::ldexp(double(rng() >> 11), -52) * 10000);
    }
    EXPECT_EQ(c.compared, 4000000);
    EXPECT_EQ(c.differing, 0) << c.first;
}

TEST(ShortestDouble, FormatNumberWritesZeroWithoutSign)
{
    EXPECT_EQ(ramps::FormatNumber(0.0), "0");
    EXPECT_EQ(ramps::FormatNumber(-0.0), "0");
    EXPECT_EQ(ramps::FormatNumber(-2775.51020408), "-2775.51020408");
    EXPECT_EQ(ramps::FormatNumber(1e-7), "1e-07");
    EXPECT_EQ(ramps::FormatNumber(-std::numeric_limits<double>::infinity()), "-inf");
}

}  // namespace
