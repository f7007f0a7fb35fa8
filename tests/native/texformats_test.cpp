// Texture formats: the table, look-ups by name and code, the extension-token
// rule and the order of the offered list.
#include "texture/texformats.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The offered list for a driver whose extension string is `extensions`.
std::vector<std::string> OfferedNames(const char* extensions)
{
    std::vector<std::string> names;
    for (int code : OfferedTexFormats([&](int c) { return HasExtensionToken(extensions, TexFormatExtension(c)); }))
        names.push_back(FindTexFormatByCode(code)->name);
    return names;
}

// Each row is found by its code and by its name (no two rows share a name). The names against the
// public header's codes, and the descriptions against the DLL's strings, are checked under Wine.
TEST(TexFormatTable, EveryRowIsFoundByItsCodeAndByItsName)
{
    for (const TexFormat& row : kTexFormats) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(FindTexFormatByCode(row.code), &row);
        EXPECT_EQ(FindTexFormatByName(row.name), &row);
    }
}

TEST(TexFormatTable, LookupsRefuseWhatIsNotInTheTable)
{
    for (int code : {-1, 0, 13, 255})
        EXPECT_EQ(FindTexFormatByCode(code), nullptr) << code;
    EXPECT_EQ(FindTexFormatByName(nullptr), nullptr);
    EXPECT_EQ(FindTexFormatByName(""), nullptr);
    EXPECT_EQ(FindTexFormatByName("rgb8"), nullptr);       // case counts
    EXPECT_EQ(FindTexFormatByName("RGB8 "), nullptr);      // so does a trailing blank
    EXPECT_EQ(FindTexFormatByName("RGBA_S3TC"), nullptr);  // a prefix of a name is no name
    EXPECT_EQ(FindTexFormatByName("\xB2\xA8\xB6\xCE"), nullptr);  // multi-byte text
    // The two DirectX formats are found by name even though they are never offered.
    ASSERT_NE(FindTexFormatByName("R5G6B5"), nullptr);
    EXPECT_EQ(FindTexFormatByName("R5G6B5")->code, 2);
    EXPECT_EQ(FindTexFormatByName("A1_RGB5")->code, 3);
}

TEST(ExtensionToken, WholeTokensOnly)
{
    const char* name = "GL_EXT_packed_pixels";
    // First, middle and last (no trailing space) positions count.
    EXPECT_TRUE(HasExtensionToken("GL_EXT_packed_pixels GL_ARB_multitexture", name));
    EXPECT_TRUE(HasExtensionToken("GL_ARB_multitexture GL_EXT_packed_pixels GL_EXT_bgra", name));
    EXPECT_TRUE(HasExtensionToken("GL_ARB_multitexture GL_EXT_packed_pixels", name));
    EXPECT_TRUE(HasExtensionToken("GL_EXT_packed_pixels", name));
    EXPECT_TRUE(HasExtensionToken("GL_EXT_packed_pixels ", name));
    // A longer name that begins with the tested one does not count, nor one that ends with it.
    EXPECT_FALSE(HasExtensionToken("GL_EXT_packed_pixels_12", name));
    EXPECT_FALSE(HasExtensionToken("GL_ARB_multitexture GL_EXT_packed_pixelsX", name));
    EXPECT_FALSE(HasExtensionToken("XGL_EXT_packed_pixels", name));
    EXPECT_FALSE(HasExtensionToken("GL_ARB_x,GL_EXT_packed_pixels", name));
    // Only the space separates: a tab or line break is part of a name.
    EXPECT_FALSE(HasExtensionToken("GL_ARB_x\tGL_EXT_packed_pixels", name));
    EXPECT_FALSE(HasExtensionToken("", name));
    EXPECT_FALSE(HasExtensionToken(nullptr, name));
    EXPECT_FALSE(HasExtensionToken("GL_EXT_packed_pixels", ""));
    EXPECT_FALSE(HasExtensionToken("GL_EXT_packed_pixels", nullptr));
}

TEST(ExtensionToken, SearchGoesOnPastOccurrencesThatDoNotCount)
{
    const char* s3tc = "GL_EXT_texture_compression_s3tc";
    // The longer name comes first; the real token follows.
    EXPECT_TRUE(HasExtensionToken("GL_EXT_texture_compression_s3tc_srgb GL_EXT_texture_compression_s3tc", s3tc));
    // Several non-counting occurrences, then a counting one in the middle.
    EXPECT_TRUE(HasExtensionToken(
        "XGL_EXT_texture_compression_s3tc GL_EXT_texture_compression_s3tcY GL_EXT_texture_compression_s3tc Z",
        s3tc));
    // Only non-counting occurrences.
    EXPECT_FALSE(HasExtensionToken(
        "GL_EXT_texture_compression_s3tc_srgb GL_EXT_texture_compression_s3tc_srgb", s3tc));
    // Name repeated without a separator: the text searched anew begins right after the first
    // occurrence, where the second one stands, and it is followed by the end.
    EXPECT_TRUE(HasExtensionToken("GL_EXT_texture_compression_s3tcGL_EXT_texture_compression_s3tc", s3tc));
}

TEST(OfferedFormats, DriverWithNoneOfTheThreeExtensions)
{
    const std::vector<std::string> expected = {"RGB8", "RGBA8", "BGRA8"};
    EXPECT_EQ(OfferedNames("GL_ARB_multitexture GL_EXT_bgra"), expected);
    EXPECT_EQ(OfferedNames(""), expected);
    // A driver that gives no extension string at all.
    EXPECT_EQ(OfferedTexFormats([](int) { return false; }), (std::vector<int>{1, 5, 6}));
    // Longer names beginning with the three do not count.
    EXPECT_EQ(OfferedNames("GL_EXT_packed_pixels2 GL_ARB_texture_compression_bptc "
                           "GL_EXT_texture_compression_s3tc_srgb"),
              expected);
}

TEST(OfferedFormats, DriverWithAllThreeExtensions)
{
    const std::vector<std::string> expected = {"RGB8",           "RGB5_A1",        "RGBA8",         "BGRA8",
                                               "RGB_ARB",        "RGBA_ARB",       "RGB_S3TC_DXT1", "RGBA_S3TC_DXT1",
                                               "RGBA_S3TC_DXT3", "RGBA_S3TC_DXT5"};
    EXPECT_EQ(OfferedNames("GL_EXT_texture_compression_s3tc GL_ARB_texture_compression GL_EXT_packed_pixels"),
              expected);
}

TEST(OfferedFormats, EachExtensionBringsItsOwnFormats)
{
    EXPECT_EQ(OfferedNames("GL_EXT_packed_pixels"), (std::vector<std::string>{"RGB8", "RGB5_A1", "RGBA8", "BGRA8"}));
    EXPECT_EQ(OfferedNames("GL_ARB_texture_compression"),
              (std::vector<std::string>{"RGB8", "RGBA8", "BGRA8", "RGB_ARB", "RGBA_ARB"}));
    EXPECT_EQ(OfferedNames("GL_EXT_texture_compression_s3tc"),
              (std::vector<std::string>{"RGB8", "RGBA8", "BGRA8", "RGB_S3TC_DXT1", "RGBA_S3TC_DXT1",
                                        "RGBA_S3TC_DXT3", "RGBA_S3TC_DXT5"}));
}

TEST(OfferedFormats, AsksOncePerConditionalCodeInListOrder)
{
    std::vector<int> asked;
    OfferedTexFormats([&](int code) {
        asked.push_back(code);
        return true;
    });
    EXPECT_EQ(asked, (std::vector<int>{4, 7, 8, 9, 10, 11, 12}));
}

}  // namespace
