#include "ramps/shortest.h"

#include <stdint.h>
#include <string.h>

#include <cmath>

namespace ramps {
namespace {

// An unsigned integer of up to 40 x 32 bits: enough for every double scaled by the power of ten
// that brings it into [1, 10), times 10 for each of the 17 digits (about 1,100 bits at most).
struct Big {
    enum { kLimbs = 40 };
    uint32_t d[kLimbs];
    int n = 0;  // limbs in use; no leading zero limb

    explicit Big(uint64_t v = 0)
    {
        while (v) {
            d[n++] = uint32_t(v);
            v >>= 32;
        }
    }
    void MulSmall(uint32_t f)
    {
        uint64_t carry = 0;
        for (int i = 0; i < n; ++i) {
            const uint64_t t = uint64_t(d[i]) * f + carry;
            d[i] = uint32_t(t);
            carry = t >> 32;
        }
        if (carry)
            d[n++] = uint32_t(carry);
    }
    void MulPow10(int k)
    {
        for (; k >= 9; k -= 9)
            MulSmall(1000000000u);
        static const uint32_t p[9] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
        if (k > 0)
            MulSmall(p[k]);
    }
    void Shl(int s)
    {
        if (n == 0 || s == 0)
            return;
        const int w = s / 32, b = s % 32;
        if (b) {
            uint32_t carry = 0;
            for (int i = 0; i < n; ++i) {
                const uint32_t x = d[i];
                d[i] = (x << b) | carry;
                carry = x >> (32 - b);
            }
            if (carry)
                d[n++] = carry;
        }
        if (w) {
            for (int i = n - 1; i >= 0; --i)
                d[i + w] = d[i];
            for (int i = 0; i < w; ++i)
                d[i] = 0;
            n += w;
        }
    }
    // this -= o; requires this >= o
    void Sub(const Big& o)
    {
        int64_t borrow = 0;
        for (int i = 0; i < n; ++i) {
            int64_t t = int64_t(d[i]) - (i < o.n ? int64_t(o.d[i]) : 0) - borrow;
            borrow = t < 0;
            d[i] = uint32_t(t + (borrow ? (int64_t(1) << 32) : 0));
        }
        while (n && d[n - 1] == 0)
            --n;
    }
    // Remainder of a division by a small number, the quotient left in place.
    uint32_t DivSmall(uint32_t f)
    {
        uint64_t r = 0;
        for (int i = n - 1; i >= 0; --i) {
            const uint64_t t = (r << 32) | d[i];
            d[i] = uint32_t(t / f);
            r = t % f;
        }
        while (n && d[n - 1] == 0)
            --n;
        return uint32_t(r);
    }
};

int Cmp(const Big& a, const Big& b)
{
    if (a.n != b.n)
        return a.n < b.n ? -1 : 1;
    for (int i = a.n - 1; i >= 0; --i)
        if (a.d[i] != b.d[i])
            return a.d[i] < b.d[i] ? -1 : 1;
    return 0;
}

// Compares a + b with c.
int CmpSum(const Big& a, const Big& b, const Big& c)
{
    Big s = a;
    uint64_t carry = 0;
    const int n = a.n > b.n ? a.n : b.n;
    for (int i = 0; i < n; ++i) {
        const uint64_t t = uint64_t(i < a.n ? a.d[i] : 0) + (i < b.n ? b.d[i] : 0) + carry;
        s.d[i] = uint32_t(t);
        carry = t >> 32;
    }
    s.n = n;
    if (carry)
        s.d[s.n++] = uint32_t(carry);
    return Cmp(s, c);
}

// The shortest digits of m * 2^e (m > 0) that read back as that double, the one nearest to it
// among equally short ones (ties to an even last digit): digits into dig (no trailing zero),
// their count returned, *exp10 the power of ten of the first digit.
int ShortestDigits(uint64_t m, int e, bool lowerGapHalf, char* dig, int* exp10)
{
    // Everything in units of 2^(e-2): the value 4m, and the distances to the midpoints between it
    // and its neighbours (2 above; 2 below, or 1 where the gap below is half as wide). A text
    // within those reads back as the value; on a midpoint only when m is even (ties to even).
    const bool even = (m & 1) == 0;
    Big r(4 * m), den(1), mlo(lowerGapHalf ? 1 : 2), mhi(2);
    const int f = e - 2;
    if (f >= 0) {
        r.Shl(f);
        mlo.Shl(f);
        mhi.Shl(f);
    } else {
        den.Shl(-f);
    }
    // The power of ten of the first digit: an estimate, then corrected exactly.
    const double v = std::ldexp(double(m), e);
    int k = int(std::floor(std::log10(v)));
    if (k >= 0) {
        den.MulPow10(k);
    } else {
        r.MulPow10(-k);
        mlo.MulPow10(-k);
        mhi.MulPow10(-k);
    }
    while (Cmp(r, den) < 0) {
        --k;
        r.MulSmall(10);
        mlo.MulSmall(10);
        mhi.MulSmall(10);
    }
    for (;;) {
        Big ten = den;
        ten.MulSmall(10);
        if (Cmp(r, ten) < 0)
            break;
        ++k;
        den = ten;
    }
    int count = 0;
    bool up = false;
    for (;;) {
        int digit = 0;
        while (Cmp(r, den) >= 0) {
            r.Sub(den);
            ++digit;
        }
        dig[count++] = char('0' + digit);
        // Truncated here the text lies r below the value; rounded up, den - r above it.
        const int lo = Cmp(r, mlo);
        const int hi = CmpSum(r, mhi, den);
        const bool downOk = lo < 0 || (even && lo == 0);
        const bool upOk = hi > 0 || (even && hi == 0);
        if (downOk || upOk) {
            if (downOk && upOk) {
                Big twice = r;
                twice.MulSmall(2);
                const int c = Cmp(twice, den);
                up = c > 0 || (c == 0 && (digit & 1));
            } else {
                up = upOk;
            }
            break;
        }
        if (count == 17) {  // never reached: 17 digits always read back
            Big twice = r;
            twice.MulSmall(2);
            up = Cmp(twice, den) > 0;
            break;
        }
        r.MulSmall(10);
        mlo.MulSmall(10);
        mhi.MulSmall(10);
    }
    if (up) {
        int i = count - 1;
        while (i >= 0 && dig[i] == '9')
            dig[i--] = '0';
        if (i >= 0) {
            ++dig[i];
        } else {
            dig[0] = '1';
            count = 1;
            ++k;
        }
    }
    while (count > 1 && dig[count - 1] == '0')
        --count;
    *exp10 = k;
    return count;
}

}  // namespace

size_t ShortestDouble(double v, char* out)
{
    uint64_t bits;
    memcpy(&bits, &v, sizeof bits);
    char* p = out;
    if (bits >> 63)
        *p++ = '-';
    const int be = int((bits >> 52) & 0x7FF);
    const uint64_t frac = bits & ((uint64_t(1) << 52) - 1);
    if (be == 0x7FF) {
        memcpy(p, frac ? "nan" : "inf", 3);
        return size_t(p + 3 - out);
    }
    if (be == 0 && frac == 0) {
        *p++ = '0';
        return size_t(p - out);
    }
    const uint64_t m = be ? (frac | (uint64_t(1) << 52)) : frac;
    const int e = (be ? be : 1) - 1075;
    char dig[20];
    int k = 0;
    const int n = ShortestDigits(m, e, be > 1 && frac == 0, dig, &k);

    // Lengths of the two layouts, the sign aside.
    const int ak = k < 0 ? -k : k;
    const int sciLen = n + (n > 1) + 2 + (ak >= 100 ? 3 : 2);
    const int fixLen = k >= 0 ? (n > k + 1 ? n + 1 : k + 1) : n + 1 - k;
    if (fixLen <= sciLen) {
        if (k < 0) {
            *p++ = '0';
            *p++ = '.';
            for (int i = -1; i > k; --i)
                *p++ = '0';
            memcpy(p, dig, size_t(n));
            p += n;
        } else if (n > k + 1) {
            memcpy(p, dig, size_t(k + 1));
            p += k + 1;
            *p++ = '.';
            memcpy(p, dig + k + 1, size_t(n - k - 1));
            p += n - k - 1;
        } else if (e <= 0) {
            // A whole number below 2^53: its shortest digits are its exact value.
            memcpy(p, dig, size_t(n));
            p += n;
            for (int i = n; i <= k; ++i)
                *p++ = '0';
        } else {
            // A larger whole number is written exactly, every digit of its value, as printf("%.0f")
            // writes it; it has k + 1 digits.
            Big w(m);
            w.Shl(e);
            char* end = p + k + 1;
            for (char* q = end; q > p;)
                *--q = char('0' + w.DivSmall(10));
            p = end;
        }
    } else {
        *p++ = dig[0];
        if (n > 1) {
            *p++ = '.';
            memcpy(p, dig + 1, size_t(n - 1));
            p += n - 1;
        }
        *p++ = 'e';
        *p++ = k < 0 ? '-' : '+';
        if (ak >= 100)
            *p++ = char('0' + ak / 100);
        *p++ = char('0' + ak / 10 % 10);
        *p++ = char('0' + ak % 10);
    }
    return size_t(p - out);
}

}  // namespace ramps
