// Colour-table files: header layout, encoding and decoding, the rule for bad counts, the
// table-name rule and the composition of paths in HeightLut.
#include "heightcolor/colortable.h"

#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

const uint16_t kSentinel = 0xBEEF;

std::vector<unsigned char> HeaderWithCount(int32_t count)
{
    std::vector<unsigned char> header(kLutHeaderSize, 0);
    EXPECT_TRUE(BuildLutHeader(header.data(), "t", kLutUserKind, count));
    return header;
}

// A file image: header with the given count, then `entries` entries (entry i = (i, 2i, 3i)
// times 256) and `extraBytes` bytes of a partial entry.
std::vector<unsigned char> FileImage(int32_t count, int entries, int extraBytes = 0)
{
    std::vector<unsigned char> data = HeaderWithCount(count);
    for (int i = 0; i < entries; ++i) {
        const uint16_t v[3] = {static_cast<uint16_t>(i * 256),
                               static_cast<uint16_t>((2 * i % 256) * 256),
                               static_cast<uint16_t>((3 * i % 256) * 256)};
        for (uint16_t c : v) {
            data.push_back(static_cast<unsigned char>(c & 0xFF));
            data.push_back(static_cast<unsigned char>(c >> 8));
        }
    }
    for (int i = 0; i < extraBytes; ++i)
        data.push_back(0x7F);
    return data;
}

// 256 entries for the caller plus guard entries behind them, all set to the sentinel.
struct GuardedTable {
    LutColor entries[kLutMaxEntries + 8];
    GuardedTable()
    {
        for (LutColor& c : entries)
            c = LutColor{kSentinel, kSentinel, kSentinel};
    }
    int Untouched(int from, int to) const
    {
        int n = 0;
        for (int i = from; i < to; ++i)
            n += entries[i].r == kSentinel && entries[i].g == kSentinel &&
                 entries[i].b == kSentinel;
        return n;
    }
};

std::string Repeat(char c, size_t n) { return std::string(n, c); }

}  // namespace

// ---- writing -------------------------------------------------------------------------------

TEST(ColorTableWrite, HeaderOfUserTableHills)
{
    unsigned char header[kLutHeaderSize];
    memset(header, 0xCC, sizeof header);
    ASSERT_TRUE(BuildLutHeader(header, "hills", kLutUserKind, 6));

    EXPECT_EQ(0, memcmp(header, "COLORLUT", 8));
    EXPECT_EQ(0, memcmp(header + 8, "hills", 5));
    for (size_t i = 13; i < 136; ++i)
        ASSERT_EQ(0, header[i]) << "name padding at byte " << i;
    EXPECT_EQ(0, memcmp(header + 136, "USER_DEFINE", 11));
    for (size_t i = 147; i < 392; ++i)
        ASSERT_EQ(0, header[i]) << "kind padding at byte " << i;
    const unsigned char count[4] = {6, 0, 0, 0};
    EXPECT_EQ(0, memcmp(header + 392, count, 4));
}

TEST(ColorTableWrite, SixLayersMake432BytesLittleEndian)
{
    LutColor colors[6];
    for (int i = 0; i < 6; ++i)
        colors[i] = LutColor{static_cast<uint16_t>(i * 256), static_cast<uint16_t>(42 * i * 256),
                             0x1234};
    unsigned char file[kLutMaxFileBytes];
    ASSERT_EQ(432u, EncodeLut(file, sizeof file, "hills", kLutUserKind, colors, 6));

    const unsigned char count[4] = {0x06, 0x00, 0x00, 0x00};
    EXPECT_EQ(0, memcmp(file + 392, count, 4));
    // Entry 5: red 5 * 256, green 210 * 256, blue 0x1234, each low byte first.
    const unsigned char last[6] = {0x00, 0x05, 0x00, 0xD2, 0x34, 0x12};
    EXPECT_EQ(0, memcmp(file + 396 + 5 * 6, last, 6));
}

TEST(ColorTableWrite, NegativeCountIsStoredWithItsSign)
{
    unsigned char header[kLutHeaderSize];
    ASSERT_TRUE(BuildLutHeader(header, "x", "SYSTEM", -2));
    const unsigned char count[4] = {0xFE, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(0, memcmp(header + 392, count, 4));
    EXPECT_EQ(-2, LutHeaderCount(header));
}

TEST(ColorTableWrite, RefusesWhatCannotBeStored)
{
    LutColor colors[kLutMaxEntries + 1] = {};
    unsigned char file[kLutMaxFileBytes + 6];
    EXPECT_EQ(0u, EncodeLut(file, sizeof file, "hills", kLutUserKind, colors, 0));
    EXPECT_EQ(0u, EncodeLut(file, sizeof file, "hills", kLutUserKind, colors, -1));
    EXPECT_EQ(0u, EncodeLut(file, sizeof file, "hills", kLutUserKind, colors, 257));
    EXPECT_EQ(0u, EncodeLut(file, sizeof file, "a\\b", kLutUserKind, colors, 6));
    EXPECT_EQ(0u, EncodeLut(file, sizeof file, nullptr, kLutUserKind, colors, 6));
    EXPECT_EQ(0u, EncodeLut(file, sizeof file, "hills", kLutUserKind, nullptr, 6));
    // One byte short of 396 + 36.
    EXPECT_EQ(0u, EncodeLut(file, 431, "hills", kLutUserKind, colors, 6));
    EXPECT_EQ(432u, EncodeLut(file, 432, "hills", kLutUserKind, colors, 6));
    EXPECT_EQ(kLutMaxFileBytes, EncodeLut(file, sizeof file, "hills", kLutUserKind, colors, 256));

    // Texts longer than their fields leave the header as it was.
    unsigned char header[kLutHeaderSize];
    memset(header, 0xCC, sizeof header);
    EXPECT_FALSE(BuildLutHeader(header, Repeat('n', 128).c_str(), "SYSTEM", 1));
    EXPECT_FALSE(BuildLutHeader(header, "x", Repeat('k', 256).c_str(), 1));
    EXPECT_EQ(0xCC, header[0]);
    EXPECT_EQ(0xCC, header[395]);
    EXPECT_TRUE(BuildLutHeader(header, Repeat('n', 127).c_str(), Repeat('k', 255).c_str(), 1));
    EXPECT_EQ(0, header[8 + 127]);
    EXPECT_EQ(0, header[136 + 255]);
}

// ---- reading -------------------------------------------------------------------------------

TEST(ColorTableRead, RoundTripKeepsEveryEntry)
{
    LutColor colors[kLutMaxEntries];
    for (int i = 0; i < kLutMaxEntries; ++i)
        colors[i] = LutColor{static_cast<uint16_t>(i * 256), static_cast<uint16_t>((255 - i) * 256),
                             static_cast<uint16_t>(i * 257)};
    for (int count : {1, 6, 255, 256}) {
        unsigned char file[kLutMaxFileBytes];
        const size_t size = EncodeLut(file, sizeof file, "ramp", "SYSTEM", colors, count);
        ASSERT_EQ(kLutHeaderSize + 6u * count, size);
        GuardedTable read;
        ASSERT_EQ(count, DecodeLut(file, size, read.entries)) << "count " << count;
        for (int i = 0; i < count; ++i) {
            ASSERT_EQ(colors[i].r, read.entries[i].r) << "entry " << i;
            ASSERT_EQ(colors[i].g, read.entries[i].g) << "entry " << i;
            ASSERT_EQ(colors[i].b, read.entries[i].b) << "entry " << i;
        }
        EXPECT_EQ(kLutMaxEntries + 8 - count, read.Untouched(count, kLutMaxEntries + 8));
    }
}

TEST(ColorTableRead, MagicNameAndKindAreNotLookedAt)
{
    std::vector<unsigned char> file = FileImage(3, 3);
    memcpy(file.data(), "NOTALUT!", 8);
    memset(file.data() + 8, 0xFF, 384);  // name and kind unterminated
    GuardedTable read;
    ASSERT_EQ(3, DecodeLut(file.data(), file.size(), read.entries));
    EXPECT_EQ(2 * 256, read.entries[2].r);
    EXPECT_EQ(4 * 256, read.entries[2].g);
    EXPECT_EQ(6 * 256, read.entries[2].b);
}

TEST(ColorTableRead, CountsWithoutEntriesGiveNoTable)
{
    for (int32_t count : {0, -1, -256, INT32_MIN}) {
        std::vector<unsigned char> file = FileImage(count, 4);
        GuardedTable read;
        EXPECT_EQ(0, DecodeLut(file.data(), file.size(), read.entries)) << "count " << count;
        EXPECT_EQ(kLutMaxEntries + 8, read.Untouched(0, kLutMaxEntries + 8)) << "count " << count;
    }
}

TEST(ColorTableRead, CountsAbove256TakeTheFirst256)
{
    // 0x10006 has the low 16 bits 6: the count must not be cut to 16 bits.
    for (int32_t count : {257, 300, 0x10006, INT32_MAX}) {
        std::vector<unsigned char> file = FileImage(count, 300);
        GuardedTable read;
        EXPECT_EQ(256, DecodeLut(file.data(), file.size(), read.entries)) << "count " << count;
        EXPECT_EQ(255 * 256, read.entries[255].r);
        EXPECT_EQ(8, read.Untouched(kLutMaxEntries, kLutMaxEntries + 8)) << "count " << count;
    }
}

TEST(ColorTableRead, ShortEntryBlockTakesTheWholeEntriesPresent)
{
    struct Case {
        int32_t count;
        int entries;
        int extraBytes;
        int expected;
    } cases[] = {
        {10, 4, 0, 4},      // four of ten entries
        {10, 4, 5, 4},      // a partial fifth entry is ignored
        {300, 100, 3, 100}, // clamped count, and short as well
        {5, 0, 0, 0},       // header only: no table
        {5, 0, 5, 0},       // not even one whole entry
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> file = FileImage(c.count, c.entries, c.extraBytes);
        GuardedTable read;
        ASSERT_EQ(c.expected, DecodeLut(file.data(), file.size(), read.entries))
            << "count " << c.count << ", " << c.entries << " entries";
        if (c.expected > 0) {
            EXPECT_EQ((c.expected - 1) * 256, read.entries[c.expected - 1].r);
        }
        EXPECT_EQ(kLutMaxEntries + 8 - c.expected, read.Untouched(c.expected, kLutMaxEntries + 8))
            << "count " << c.count << ", " << c.entries << " entries";
    }
}

TEST(ColorTableRead, FileShorterThanHeaderGivesNoTable)
{
    std::vector<unsigned char> file = FileImage(2, 2);
    GuardedTable read;
    EXPECT_EQ(0, DecodeLut(file.data(), kLutHeaderSize - 1, read.entries));
    EXPECT_EQ(0, DecodeLut(file.data(), 0, read.entries));
    EXPECT_EQ(0, DecodeLut(nullptr, 1000, read.entries));
    EXPECT_EQ(kLutMaxEntries + 8, read.Untouched(0, kLutMaxEntries + 8));
}

TEST(ColorTableRead, GreyFallbackIsTheIndexRamp)
{
    GuardedTable read;
    EXPECT_EQ(256, FillGreyLut(read.entries));
    for (int i = 0; i < kLutMaxEntries; ++i) {
        ASSERT_EQ(i, read.entries[i].r) << "entry " << i;
        ASSERT_EQ(i, read.entries[i].g) << "entry " << i;
        ASSERT_EQ(i, read.entries[i].b) << "entry " << i;
    }
    EXPECT_EQ(8, read.Untouched(kLutMaxEntries, kLutMaxEntries + 8));
}

// ---- names and paths -----------------------------------------------------------------------

// Code page 936: bytes 0x81 to 0xFE open a two-byte character.
bool IsLeadByte936(unsigned char c)
{
    return c >= 0x81 && c <= 0xFE;
}

// Each name with its verdict read byte by byte (a single-byte code page) and under code page
// 936, where a lead byte and its trail byte are one character.
TEST(ColorTableName, NamesThatNameAFileInTheFolder)
{
    const struct {
        std::string name;
        bool bytes, cp936;
    } cases[] = {
        {"hills", true, true}, {"My table 2", true, true}, {"v1.2", true, true}, {".hidden", true, true},
        {"COM", true, true}, {"COM10", true, true}, {"console", true, true}, {"nullah", true, true},
        {"\xB5\xD8\xD0\xCE", true, true},  // 地形
        {Repeat('x', 127), true, true},
        // ".lut" follows every name: trailing blanks and dots, blanks or dots alone, are files too
        {"abc ", true, true}, {"abc.", true, true}, {"   ", true, true}, {".", true, true}, {"..", true, true},
        // 乗 (81 5C) and 億 (83 7C): their trail bytes are no separators under 936
        {"\x81\x5C", false, true}, {"\x83\x7C" "x", false, true}, {"a\x81\x5C" "b\x83\x7C", false, true},
        // a lead byte cut off from its trail byte
        {"abc\x81", true, false},
        // no name, too long (in bytes, a two-byte character counting two)
        {"", false, false}, {Repeat('x', 128), false, false}, {Repeat('\xB5', 128), false, false},
        // separators, drive and stream colon, wildcard and reserved characters, control bytes
        {"a\\b", false, false}, {"..\\..\\evil", false, false}, {"a/b", false, false}, {"C:x", false, false},
        {"a<b", false, false}, {"a>b", false, false}, {"a\"b", false, false}, {"a|b", false, false},
        {"a?", false, false}, {"*", false, false}, {"a\x01", false, false}, {"tab\there", false, false},
        {"\xB5\xD8\\", false, false},
        // devices, with an extension or trailing blanks too
        {"CON", false, false}, {"Nul", false, false}, {"com9", false, false}, {"LPT1", false, false},
        {"conout$", false, false}, {"NUL.tar", false, false}, {"CON ", false, false}, {"aux .b", false, false},
        {"nul.", false, false},
    };
    for (const auto& k : cases) {
        EXPECT_EQ(k.bytes, IsValidTableName(k.name.c_str())) << "'" << k.name << "'";
        EXPECT_EQ(k.cp936, IsValidTableName(k.name.c_str(), IsLeadByte936)) << "'" << k.name << "' (936)";
    }
    EXPECT_FALSE(IsValidTableName(nullptr));
    EXPECT_FALSE(IsValidTableName(nullptr, IsLeadByte936));
}

TEST(ColorTablePath, ComposesInTheHeightLutFolder)
{
    char path[kLutPathCap];
    ASSERT_TRUE(ComposeTablePath("C:\\Viewer", "hills", path, sizeof path));
    EXPECT_STREQ("C:\\Viewer\\HeightLut\\hills.lut", path);
    ASSERT_TRUE(ComposeTableSearchPattern("C:\\Viewer", path, sizeof path));
    EXPECT_STREQ("C:\\Viewer\\HeightLut\\*.lut", path);
}

TEST(ColorTablePath, StaysBelow128Characters)
{
    // host + "\HeightLut\" + "hills" + ".lut" is the host's length + 20 characters.
    char path[kLutPathCap];
    const std::string host107 = "C:\\" + Repeat('d', 104);
    ASSERT_TRUE(ComposeTablePath(host107.c_str(), "hills", path, sizeof path));
    EXPECT_EQ(127u, strlen(path));

    const std::string host108 = host107 + "d";
    memset(path, 'z', sizeof path);
    EXPECT_FALSE(ComposeTablePath(host108.c_str(), "hills", path, sizeof path));
    EXPECT_STREQ("", path);

    // A larger buffer does not lift the limit of 128 characters.
    char large[512];
    EXPECT_FALSE(ComposeTablePath(host108.c_str(), "hills", large, sizeof large));
    EXPECT_FALSE(ComposeTablePath("C:", Repeat('n', 127).c_str(), large, sizeof large));

    // Nor is the caller's buffer ever overrun when it is the smaller one.
    char small[40];
    EXPECT_TRUE(ComposeTablePath("C:\\V", "hills", small, 25));  // 24 characters
    memset(small, 'z', sizeof small);
    EXPECT_FALSE(ComposeTablePath("C:\\V", "hills", small, 24));
    EXPECT_STREQ("", small);
    EXPECT_EQ(std::string(16, 'z'), std::string(small + 24, 16));
}

TEST(ColorTablePath, RefusesMissingDirectoryAndBadNames)
{
    char path[kLutPathCap];
    for (const char* name : {"a\\b", "CON", "a:b", ""}) {
        strcpy(path, "stale");
        EXPECT_FALSE(ComposeTablePath("C:\\Viewer", name, path, sizeof path)) << name;
        EXPECT_STREQ("", path) << name;
    }
    EXPECT_FALSE(ComposeTablePath("C:\\Viewer", nullptr, path, sizeof path));
    EXPECT_FALSE(ComposeTablePath(nullptr, "hills", path, sizeof path));
    EXPECT_FALSE(ComposeTablePath("", "hills", path, sizeof path));
    EXPECT_FALSE(ComposeTableSearchPattern("", path, sizeof path));
    EXPECT_FALSE(ComposeTablePath("C:\\Viewer", "hills", nullptr, 128));
}

TEST(ColorTableListing, TitlesOfFoundFiles)
{
    char title[kLutNameSize];
    ASSERT_TRUE(TableTitleFromFileName("abc.lut", title, sizeof title));
    EXPECT_STREQ("abc", title);
    ASSERT_TRUE(TableTitleFromFileName("Terrain.LUT", title, sizeof title));
    EXPECT_STREQ("Terrain", title);
    ASSERT_TRUE(TableTitleFromFileName("v1.2.lut", title, sizeof title));
    EXPECT_STREQ("v1.2", title);
    const std::string longest = Repeat('t', 127) + ".lut";
    ASSERT_TRUE(TableTitleFromFileName(longest.c_str(), title, sizeof title));
    EXPECT_EQ(127u, strlen(title));

    // Another extension, no title, a title too long for the name field, or one the reader
    // would refuse.
    for (const std::string& file :
         {std::string("abc.lutx"), std::string("abc.lu"), std::string(".lut"),
          std::string("lut"), Repeat('t', 128) + ".lut", std::string("nul.lut")}) {
        EXPECT_FALSE(TableTitleFromFileName(file.c_str(), title, sizeof title)) << file;
        EXPECT_STREQ("", title) << file;
    }

    // A title that does not fit the caller's buffer is refused, not cut.
    char small[4];
    EXPECT_FALSE(TableTitleFromFileName("abcd.lut", small, sizeof small));
    EXPECT_TRUE(TableTitleFromFileName("abc.lut", small, sizeof small));

    // Names the folder holds as they are: a trailing dot, a trail byte 0x5C under 936.
    ASSERT_TRUE(TableTitleFromFileName("a..lut", title, sizeof title));
    EXPECT_STREQ("a.", title);
    ASSERT_TRUE(TableTitleFromFileName("\x81\x5C.lut", title, sizeof title, IsLeadByte936));
    EXPECT_STREQ("\x81\x5C", title);
    EXPECT_FALSE(TableTitleFromFileName("\x81\x5C.lut", title, sizeof title));
}
