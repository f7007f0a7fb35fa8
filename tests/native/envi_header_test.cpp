// ENVI headers as the RimBase.dll stand-in reads them: the magic line, the band
// count, the default display bands, malformed values, and where the header is.
#include "terrain/envi_header.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

EnviStatus Parse(const std::string& text, EnviHeader* out)
{
    return ParseEnviHeader(text.data(), text.size(), out);
}

// A header as ENVI writes one, with the lines given added at the end.
std::string Header(const std::string& extra)
{
    return "ENVI\r\n"
           "description = {\r\n  Landsat scene, bands 1-3 }\r\n"
           "samples = 512\r\nlines = 400\r\n"
           "header offset = 0\r\nfile type = ENVI Standard\r\ndata type = 1\r\n"
           "interleave = bsq\r\nbyte order = 0\r\n" +
           extra;
}

void ExpectBands(const EnviHeader& h, int r, int g, int b)
{
    EXPECT_EQ(h.defaultBands[0], r);
    EXPECT_EQ(h.defaultBands[1], g);
    EXPECT_EQ(h.defaultBands[2], b);
}

TEST(EnviHeader, BandsAndDefaultBandsAreReadZeroBased)
{
    EnviHeader h;
    ASSERT_EQ(Parse(Header("bands = 3\r\ndefault bands = {3, 2, 1}\r\n"), &h), EnviStatus::Ok);
    EXPECT_EQ(h.bands, 3);
    EXPECT_TRUE(h.hasDefaultBands);
    ExpectBands(h, 2, 1, 0);

    // Keys in any case, blanks anywhere, Unix line ends, no line end at the very end.
    ASSERT_EQ(Parse("ENVI\nBANDS=7\n  Default   Bands   =   {  7 ,1,\t4 }", &h), EnviStatus::Ok);
    EXPECT_EQ(h.bands, 7);
    ExpectBands(h, 6, 0, 3);
}

TEST(EnviHeader, DefaultBandsAcrossLineBreaksAndWithOneBand)
{
    EnviHeader h;
    ASSERT_EQ(Parse(Header("default bands = {\r\n  5,\r\n  3\r\n  ,1\r\n}\r\nbands = 6\r\n"), &h), EnviStatus::Ok);
    EXPECT_EQ(h.bands, 6);
    ExpectBands(h, 4, 2, 0);

    // One value: the band shown as grey on all three channels.
    ASSERT_EQ(Parse(Header("bands = 4\r\ndefault bands = {2}\r\n"), &h), EnviStatus::Ok);
    ExpectBands(h, 1, 1, 1);

    // Other multi-line values (band names) are skipped over whole, braces and all.
    ASSERT_EQ(Parse(Header("band names = {\r\n red = 1,\r\n green }\r\nbands = 2\r\n"), &h), EnviStatus::Ok);
    EXPECT_EQ(h.bands, 2);
}

TEST(EnviHeader, DefaultBandsChosenWhenTheHeaderNamesNone)
{
    EnviHeader h;
    ASSERT_EQ(Parse(Header("bands = 5\r\n"), &h), EnviStatus::Ok);
    EXPECT_FALSE(h.hasDefaultBands);
    ExpectBands(h, 0, 1, 2);
    ASSERT_EQ(Parse(Header("bands = 3\r\n"), &h), EnviStatus::Ok);
    ExpectBands(h, 0, 1, 2);
    ASSERT_EQ(Parse(Header("bands = 2\r\n"), &h), EnviStatus::Ok);
    ExpectBands(h, 0, 1, 1);
    ASSERT_EQ(Parse(Header("bands = 1\r\n"), &h), EnviStatus::Ok);
    ExpectBands(h, 0, 0, 0);
}

TEST(EnviHeader, DefaultBandsBeyondTheBandCountAreReportedAsGiven)
{
    // Range against the band count is the reader's check, not the header's.
    EnviHeader h;
    ASSERT_EQ(Parse(Header("bands = 3\r\ndefault bands = {9, 2, 1}\r\n"), &h), EnviStatus::Ok);
    ExpectBands(h, 8, 1, 0);
}

TEST(EnviHeader, MagicLineComesFirst)
{
    EnviHeader h;
    EXPECT_EQ(Parse("bands = 3\n", &h), EnviStatus::NoMagic);
    EXPECT_EQ(Parse("\nENVI\nbands = 3\n", &h), EnviStatus::NoMagic);
    EXPECT_EQ(Parse("envi\nbands = 3\n", &h), EnviStatus::NoMagic);
    EXPECT_EQ(Parse("ENVI bands = 3\n", &h), EnviStatus::NoMagic);
    EXPECT_EQ(Parse("", &h), EnviStatus::NoMagic);
    EXPECT_EQ(ParseEnviHeader(nullptr, 0, &h), EnviStatus::NoMagic);
    // Blanks around it and a byte-order mark before it are fine.
    EXPECT_EQ(Parse("  ENVI \t\r\nbands = 3\r\n", &h), EnviStatus::Ok);
    EXPECT_EQ(Parse("\xEF\xBB\xBF" "ENVI\nbands = 3\n", &h), EnviStatus::Ok);
}

TEST(EnviHeader, MalformedBandCounts)
{
    EnviHeader h;
    h.bands = 42;
    EXPECT_EQ(Parse(Header(""), &h), EnviStatus::NoBands);
    for (const char* value : {"", "0", "-3", "+3", "3.0", "3 4", "three", "0x10", "{3}", "65536",
                              "4294967299", "99999999999999999999999999"}) {
        SCOPED_TRACE(value);
        EXPECT_EQ(Parse(Header(std::string("bands = ") + value + "\r\n"), &h), EnviStatus::BadBands);
    }
    EXPECT_EQ(h.bands, 42) << "a failed parse leaves the output alone";
    // The largest count accepted, with leading zeros.
    ASSERT_EQ(Parse(Header("bands = 065535\r\n"), &h), EnviStatus::Ok);
    EXPECT_EQ(h.bands, kEnviMaxBands);
}

TEST(EnviHeader, MalformedDefaultBands)
{
    EnviHeader h;
    for (const char* value : {"3, 2, 1", "{}", "{3, 2}", "{3, 2, 1, 4}", "{3,,1}", "{0, 1, 2}", "{-1, 1, 2}",
                              "{a, b, c}", "{2.5, 1, 1}", "{3, 2, 2147483648}", "{3 2 1}"}) {
        SCOPED_TRACE(value);
        EXPECT_EQ(Parse(Header(std::string("bands = 3\r\ndefault bands = ") + value + "\r\n"), &h),
                  EnviStatus::BadDefaultBands);
    }
}

TEST(EnviHeader, MalformedStructure)
{
    EnviHeader h;
    // An opening brace that never closes.
    EXPECT_EQ(Parse(Header("bands = 3\r\ndefault bands = {3, 2,\r\n1\r\n"), &h), EnviStatus::Syntax);
    // Text after the closing brace, a line without '=', a key without a name.
    EXPECT_EQ(Parse(Header("bands = 3\r\ndefault bands = {3, 2, 1} x\r\n"), &h), EnviStatus::Syntax);
    EXPECT_EQ(Parse(Header("bands 3\r\n"), &h), EnviStatus::Syntax);
    EXPECT_EQ(Parse(Header("= 3\r\nbands = 3\r\n"), &h), EnviStatus::Syntax);
    // A NUL byte: binary data, not a header.
    EXPECT_EQ(Parse(Header(std::string("bands = 3\r\n\0\r\n", 14)), &h), EnviStatus::Syntax);
    // Comments and blank lines are no trouble.
    EXPECT_EQ(Parse(Header("; written by hand\r\n\r\n   \r\nbands = 3\r\n"), &h), EnviStatus::Ok);
}

TEST(EnviHeader, LastOfARepeatedKeyWins)
{
    EnviHeader h;
    ASSERT_EQ(Parse(Header("bands = 3\r\nbands = 8\r\n"), &h), EnviStatus::Ok);
    EXPECT_EQ(h.bands, 8);
}

TEST(EnviHeader, HugeHeadersAreRefusedUnread)
{
    std::string big = Header("bands = 3\r\n");
    big += "; " + std::string(kEnviMaxHeaderBytes, 'x');
    EnviHeader h;
    EXPECT_EQ(Parse(big, &h), EnviStatus::TooLarge);
    big.resize(kEnviMaxHeaderBytes);
    EXPECT_EQ(Parse(big, &h), EnviStatus::Ok);
}

TEST(EnviHeaderPaths, ReplacedExtensionThenAppended)
{
    EXPECT_EQ(EnviHeaderPaths("C:\\img\\scene.img"),
              (std::vector<std::string>{"C:\\img\\scene.hdr", "C:\\img\\scene.img.hdr"}));
    EXPECT_EQ(EnviHeaderPaths("scene.tar.bsq"), (std::vector<std::string>{"scene.tar.hdr", "scene.tar.bsq.hdr"}));
    // The header itself given as the image: it is its own first candidate.
    EXPECT_EQ(EnviHeaderPaths("scene.hdr")[0], "scene.hdr");
    // No extension: only the appended form. A dot in a folder name is no extension.
    EXPECT_EQ(EnviHeaderPaths("C:\\img.d\\scene"), (std::vector<std::string>{"C:\\img.d\\scene.hdr"}));
    EXPECT_EQ(EnviHeaderPaths("/data/v1.2/scene"), (std::vector<std::string>{"/data/v1.2/scene.hdr"}));
    EXPECT_EQ(EnviHeaderPaths("C:\\img\\.scene"), (std::vector<std::string>{"C:\\img\\.scene.hdr"}));
    EXPECT_TRUE(EnviHeaderPaths("").empty());
}

}  // namespace
