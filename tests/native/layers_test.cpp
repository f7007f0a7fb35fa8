// Layer arithmetic of the layering dialog: even spreading over the elevation range, the green
// ramp of custom layers, blending between picked colours, screen colours and their texts; the
// forms of a layer colour, layers with absolute limits and the layer that colours an elevation.
#include "heightcolor/layers.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const float kGuard = -12345.0f;

struct Layers {
    // One layer more than the record holds, as a guard that nothing writes past 256.
    float limits[kMaxLayers + 1][2];
    LutColor colors[kMaxLayers + 1];
    Layers()
    {
        for (int i = 0; i <= kMaxLayers; ++i) {
            limits[i][0] = limits[i][1] = kGuard;
            colors[i] = LutColor{0xBEEF, 0xBEEF, 0xBEEF};
        }
    }
};

LutColor Green(int value) { return LutColor{0, static_cast<uint16_t>(value * 256), 0}; }

}  // namespace

TEST(LayerSpread, TableLayersSpreadEvenlyOverTheRange)
{
    Layers l;
    SpreadTableLayers(0.0f, 600.0f, 6, l.limits);
    for (int i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(l.limits[i][0], 100.0f * i) << i;
        EXPECT_FLOAT_EQ(l.limits[i][1], 100.0f * (i + 1)) << i;
    }
    EXPECT_EQ(l.limits[6][0], kGuard);

    // 256 layers of a table: each limit computed from the start, so the last ends on the top.
    SpreadTableLayers(-100.0f, 1180.0f, 256, l.limits);
    EXPECT_FLOAT_EQ(l.limits[0][0], -100.0f);
    EXPECT_FLOAT_EQ(l.limits[1][0], -95.0f);
    EXPECT_FLOAT_EQ(l.limits[255][1], 1180.0f);
    EXPECT_EQ(l.limits[256][0], kGuard);
    for (int i = 1; i < 256; ++i)
        EXPECT_EQ(l.limits[i - 1][1], l.limits[i][0]) << i;   // no gaps, no overlaps
}

TEST(LayerSpread, CustomLayersFollowEachOtherWithAGreenRamp)
{
    Layers l;
    MakeEvenLayers(0.0f, 600.0f, 6, l.limits, l.colors);
    const int greens[] = {0, 42, 84, 126, 168, 210};
    for (int i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(l.limits[i][0], 100.0f * i) << i;
        EXPECT_FLOAT_EQ(l.limits[i][1], 100.0f * (i + 1)) << i;
        EXPECT_EQ(l.colors[i].r, 0) << i;
        EXPECT_EQ(l.colors[i].g, greens[i] * 256) << i;
        EXPECT_EQ(l.colors[i].b, 0) << i;
    }
    EXPECT_EQ(l.colors[6].g, 0xBEEF);

    // Seven layers step green by 255 / 7 = 36; a step that float cannot hold exactly still
    // leaves no gap: every lower limit is the upper limit before it, bit for bit.
    MakeEvenLayers(0.3f, 1000.7f, 7, l.limits, l.colors);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(l.colors[i].g, i * 36 * 256) << i;
    for (int i = 1; i < 7; ++i)
        EXPECT_EQ(l.limits[i][0], l.limits[i - 1][1]) << i;
    EXPECT_FLOAT_EQ(l.limits[0][0], 0.3f);
    EXPECT_NEAR(l.limits[6][1], 1000.7f, 0.001f);

    // One layer spans the whole range, in black.
    MakeEvenLayers(5.0f, 9.0f, 1, l.limits, l.colors);
    EXPECT_FLOAT_EQ(l.limits[0][0], 5.0f);
    EXPECT_FLOAT_EQ(l.limits[0][1], 9.0f);
    EXPECT_EQ(l.colors[0].g, 0);
}

TEST(LayerSpread, CountsOutsideTheRecordNeverReachPastIt)
{
    Layers l;
    MakeEvenLayers(0.0f, 1.0f, 0, l.limits, l.colors);
    MakeEvenLayers(0.0f, 1.0f, -4, l.limits, l.colors);
    SpreadTableLayers(0.0f, 1.0f, -1, l.limits);
    EXPECT_EQ(l.limits[0][0], kGuard);
    EXPECT_EQ(l.colors[0].g, 0xBEEF);

    MakeEvenLayers(0.0f, 512.0f, 1000, l.limits, l.colors);
    EXPECT_FLOAT_EQ(l.limits[255][1], 512.0f);  // taken as 256 layers
    EXPECT_EQ(l.limits[256][0], kGuard);
    EXPECT_EQ(l.colors[256].g, 0xBEEF);
    SpreadTableLayers(0.0f, 512.0f, 30000, l.limits);
    EXPECT_EQ(l.limits[256][1], kGuard);

    EXPECT_EQ(WorkingLayerCount(-3), 1);
    EXPECT_EQ(WorkingLayerCount(0), 1);
    EXPECT_EQ(WorkingLayerCount(10), 10);
    EXPECT_EQ(WorkingLayerCount(256), 256);
    EXPECT_EQ(WorkingLayerCount(300), 256);
}

TEST(LayerBlend, FillsTheLayersBetweenTwoMarksByWholeSteps)
{
    std::vector<LutColor> c(8, LutColor{0x1111, 0x2222, 0x3333});
    c[0] = Green(0);
    c[5] = Green(255);
    std::vector<char> marks(8, 0);
    marks[0] = marks[5] = 1;
    ASSERT_TRUE(BlendMarkedLayers(c.data(), marks.data(), 8, 8));
    const int greens[] = {0, 51, 102, 153, 204, 255};
    for (int i = 0; i <= 5; ++i) {
        EXPECT_EQ(c[i].r, 0) << i;
        EXPECT_EQ(c[i].g, greens[i] * 256) << i;
        EXPECT_EQ(c[i].b, 0) << i;
    }
    // Above the last mark nothing moves.
    EXPECT_EQ(c[6].r, 0x1111);
    EXPECT_EQ(c[7].b, 0x3333);
}

TEST(LayerBlend, TruncatesTowardZeroPerComponentAndSegment)
{
    std::vector<LutColor> c(9, LutColor{7, 7, 7});
    // Segment 1 to 4: red rises by 100 / 3 = 33, blue falls by -10 / 3 = -3 (not -4).
    c[1] = LutColor{0, 500, 10};
    c[4] = LutColor{100, 500, 0};
    // Segment 4 to 8: green wraps nothing, falls by (100 - 500) / 4 = -100.
    c[8] = LutColor{100, 100, 0};
    std::vector<char> marks(9, 0);
    marks[1] = marks[4] = marks[8] = 1;
    ASSERT_TRUE(BlendMarkedLayers(c.data(), marks.data(), 9, 9));
    EXPECT_EQ(c[0].r, 7);  // below the first mark
    EXPECT_EQ(c[2].r, 33);
    EXPECT_EQ(c[3].r, 66);  // stops short of 100
    EXPECT_EQ(c[2].b, 7);
    EXPECT_EQ(c[3].b, 4);
    EXPECT_EQ(c[4].r, 100);  // marks keep their colours
    EXPECT_EQ(c[5].g, 400);
    EXPECT_EQ(c[7].g, 200);
    EXPECT_EQ(c[8].g, 100);
}

TEST(LayerBlend, NeedsTwoMarksWithinTheMarksAndTheCount)
{
    std::vector<LutColor> c(6, LutColor{1, 2, 3});
    std::vector<LutColor> before = c;
    std::vector<char> marks(6, 0);
    EXPECT_FALSE(BlendMarkedLayers(c.data(), marks.data(), 6, 6));
    marks[2] = 1;
    EXPECT_FALSE(BlendMarkedLayers(c.data(), marks.data(), 6, 6));
    EXPECT_FALSE(BlendMarkedLayers(c.data(), nullptr, 0, 6));
    marks[5] = 1;
    // The second mark lies outside the layer count, then outside the marks given.
    EXPECT_FALSE(BlendMarkedLayers(c.data(), marks.data(), 6, 5));
    EXPECT_FALSE(BlendMarkedLayers(c.data(), marks.data(), 4, 6));
    for (size_t i = 0; i < c.size(); ++i)
        EXPECT_EQ(c[i].r + c[i].g + c[i].b, before[i].r + before[i].g + before[i].b) << i;
}

TEST(LayerColor, ScreenColoursAndTheirTexts)
{
    EXPECT_EQ(LayerColorToColorRef(LutColor{0x12FF, 0xFF00, 0x0080}), 0x00FF12u);
    EXPECT_EQ(LayerColorToColorRef(Green(42)), 10752u);
    const LutColor back = ColorRefToLayerColor(0x00804020);
    EXPECT_EQ(back.r, 0x20 * 256);
    EXPECT_EQ(back.g, 0x40 * 256);
    EXPECT_EQ(back.b, 0x80 * 256);
    // The 8-bit form: the high byte, and times 256 back (the low byte of a table entry is lost).
    const Rgb8 rgb = ToRgb8(LutColor{0x12FF, 0xFF00, 0x0080});
    EXPECT_EQ(rgb, (Rgb8{0x12, 0xFF, 0x00}));
    const LutColor wide = FromRgb8(rgb);
    EXPECT_EQ(wide.r, 0x1200);
    EXPECT_EQ(wide.g, 0xFF00);
    EXPECT_EQ(wide.b, 0);
    EXPECT_EQ(LayerColorToColorRef(wide), 0x00FF12u);

    wchar_t text[16];
    ColorRefToText(53760, text, 16);
    EXPECT_STREQ(text, L"53760");
    EXPECT_EQ(ColorRefFromText(text), 53760u);
    EXPECT_EQ(ColorRefFromText(L"  +16711680"), 0xFF0000u);
    EXPECT_EQ(ColorRefFromText(L"65280 px"), 65280u);
    EXPECT_EQ(ColorRefFromText(L"red"), 0u);
    // Out-of-range texts still give an RGB colour, the same on every platform.
    EXPECT_EQ(ColorRefFromText(L"-1"), 0xFFFFFFu);
    EXPECT_EQ(ColorRefFromText(L"16777472"), 256u);
    EXPECT_EQ(ColorRefFromText(L"99999999999999999999"), 0xFFFFFFu);
    EXPECT_EQ(ColorRefFromText(L"-99999999999999999999"), 0u);
}

namespace {

ColorLayer Layer(float lower, float upper, uint8_t r = 0)
{
    ColorLayer l;
    l.lower = lower;
    l.upper = upper;
    l.color.r = r;
    return l;
}

// A record colour as the host's public header declares one: three 16-bit components.
struct RecordColor {
    unsigned short r, g, b;
};

}  // namespace

TEST(LayerLookup, TakesTheFirstHolderElseTheNearest)
{
    const ColorLayer table[] = {Layer(0, 10), Layer(10, 20), Layer(30, 40)};
    EXPECT_EQ(0, LayerFor(table, 3, 5));
    EXPECT_EQ(0, LayerFor(table, 3, 10));     // shared limit: the earlier layer
    EXPECT_EQ(1, LayerFor(table, 3, 24));     // gap: nearer to 20
    EXPECT_EQ(2, LayerFor(table, 3, 26));     // gap: nearer to 30
    EXPECT_EQ(1, LayerFor(table, 3, 25));     // tie: the earlier
    EXPECT_EQ(0, LayerFor(table, 3, -100));   // below everything
    EXPECT_EQ(2, LayerFor(table, 3, 1000));   // above everything
    EXPECT_EQ(-1, LayerFor(table, 0, 5));
    const ColorLayer reversed[] = {Layer(20, 10)};   // limits edited the wrong way round
    EXPECT_EQ(0, LayerFor(reversed, 1, 15));
}


TEST(LayerLookup, BinarySearchAgreesWithTheRuleOnAscendingTables)
{
    // Gaps of every width, shared limits and one-point layers; heights across, between and beyond.
    const ColorLayer table[] = {Layer(0, 10), Layer(10, 20), Layer(30, 30), Layer(31, 40), Layer(55, 70)};
    const int n = 5;
    ASSERT_TRUE(LayersAscending(table, n));
    for (float h = -20.0f; h <= 90.0f; h += 0.25f)
        EXPECT_EQ(LayerFor(table, n, h), LayerForAscending(table, n, h)) << h;
    const ColorLayer overlapping[] = {Layer(0, 10), Layer(5, 20)};
    const ColorLayer reversed[] = {Layer(10, 0)};
    EXPECT_FALSE(LayersAscending(overlapping, 2));
    EXPECT_FALSE(LayersAscending(reversed, 1));
}

TEST(LayerRecord, RecordArraysAndLayersBothWays)
{
    float limits[kMaxLayers + 1][2];
    RecordColor colors[kMaxLayers + 1];
    for (int i = 0; i <= kMaxLayers; ++i) {
        limits[i][0] = limits[i][1] = kGuard;
        colors[i] = RecordColor{0xBEEF, 0xBEEF, 0xBEEF};
    }
    // More layers than a record holds: the first 256 are written, nothing past them.
    std::vector<ColorLayer> many;
    for (int i = 0; i < 300; ++i)
        many.push_back(ColorLayer{static_cast<float>(i), static_cast<float>(i + 1),
                                  Rgb8{static_cast<uint8_t>(i), 2, 3}});
    EXPECT_EQ(kMaxLayers, LayersToRecord(many, limits, colors));
    EXPECT_EQ(limits[255][1], 256.0f);
    EXPECT_EQ(colors[255].r, 255 * 256);
    EXPECT_EQ(colors[255].g, 2 * 256);
    EXPECT_EQ(limits[256][0], kGuard);
    EXPECT_EQ(colors[256].r, 0xBEEF);

    // Back: the limits as they are, each colour's high byte; counts as far as the record holds.
    colors[7] = RecordColor{0x12FF, 0x3400, 0x5601};
    const std::vector<ColorLayer> back = LayersOfRecord(limits, colors, 30000);
    ASSERT_EQ(back.size(), static_cast<size_t>(kMaxLayers));
    EXPECT_EQ(back[7].lower, 7.0f);
    EXPECT_EQ(back[7].upper, 8.0f);
    EXPECT_EQ(back[7].color, (Rgb8{0x12, 0x34, 0x56}));
    EXPECT_EQ(back[200].color, (Rgb8{200, 2, 3}));
    EXPECT_TRUE(LayersOfRecord(limits, colors, -1).empty());
    EXPECT_EQ(0, LayersToRecord(std::vector<ColorLayer>(), limits, colors));
}
