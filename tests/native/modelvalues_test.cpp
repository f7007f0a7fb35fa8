// The model sheet's window-free rules: the rows' change bits, swatch colours, the mode as
// the host sees it, the spin position argument and the wizard button layout.
#include <gtest/gtest.h>

#include <set>

#include "model/modelvalues.h"

namespace {

struct PageTable {
    const char* name;
    const model::ColorRowIds* rows;
    int count;
    uint16_t pageBits;  // the bits of the host's change mask that belong to this page
};

const PageTable kPages[] = {
    {"light", model::kLightRows, model::kLightRowCount, 0x001F},
    {"material", model::kMaterialRows, model::kMaterialRowCount, 0x01E0},
    {"fog", model::kFogRows, model::kFogRowCount, 0x0400},
};

// Every row sets one bit of the change mask, a bit of its page's own that no other row sets.
// (The rows' control ids are checked against the DLL's page templates under Wine.)
TEST(ModelRows, EachRowSetsOneBitOfItsPagesOwn)
{
    std::set<uint16_t> bits;
    for (const PageTable& page : kPages) {
        for (int i = 0; i < page.count; ++i) {
            const uint16_t bit = page.rows[i].changeBit;
            EXPECT_EQ(1, __builtin_popcount(bit)) << page.name << " row " << i;
            EXPECT_EQ(bit, bit & page.pageBits) << page.name << " row " << i;
            EXPECT_TRUE(bits.insert(bit).second) << page.name << " row " << i;
        }
    }
}

TEST(ModelRows, FindColorRowAtTheEdges)
{
    EXPECT_EQ(0, model::FindColorRow(model::kLightRows, model::kLightRowCount, 1001));
    EXPECT_EQ(0, model::FindColorRow(model::kLightRows, model::kLightRowCount, 1003));
    EXPECT_EQ(1, model::FindColorRow(model::kLightRows, model::kLightRowCount, 1004));
    EXPECT_EQ(4, model::FindColorRow(model::kLightRows, model::kLightRowCount, 1015));
    EXPECT_EQ(-1, model::FindColorRow(model::kLightRows, model::kLightRowCount, 1000));
    EXPECT_EQ(-1, model::FindColorRow(model::kLightRows, model::kLightRowCount, 1016));  // a spin
    EXPECT_EQ(3, model::FindColorRow(model::kMaterialRows, model::kMaterialRowCount, 2012));
    EXPECT_EQ(-1, model::FindColorRow(model::kMaterialRows, model::kMaterialRowCount, 2013));  // shininess
    EXPECT_EQ(-1, model::FindColorRow(model::kFogRows, model::kFogRowCount, 3004));  // density
}

// Only the low byte of each component reaches the screen: 300 shows as 44,
// -5 as 251; the colour is 0x00BBGGRR.
TEST(ModelValues, SwatchColorUsesTheLowByte)
{
    EXPECT_EQ(0x00000000u, model::SwatchColor(0, 0, 0));
    EXPECT_EQ(0x00000080u, model::SwatchColor(128, 0, 0));
    EXPECT_EQ(0x00FF0000u, model::SwatchColor(0, 0, 255));
    EXPECT_EQ(0x0000FB2Cu, model::SwatchColor(300, -5, 256));
    EXPECT_EQ(0x0001FFFFu, model::SwatchColor(-1, 32767, -32767));  // 0xFFFF, 0x7FFF, 0x8001
}

TEST(ModelValues, MatModeIsSignExtendedAndReadBackAsLow16Bits)
{
    EXPECT_EQ(-1, model::MatModeFromHost(-1));
    EXPECT_EQ(4, model::MatModeFromHost(4));
    EXPECT_EQ(-32768, model::MatModeFromHost(-32768));
    EXPECT_EQ(-1, model::MatModeToHost(-1));
    EXPECT_EQ(4, model::MatModeToHost(4));
    EXPECT_EQ(0, model::MatModeToHost(0x10000));  // only the low 16 bits
    EXPECT_EQ(-2, model::MatModeToHost(0x1FFFE));
}

TEST(ModelValues, SpinPositionIsZeroExtended)
{
    EXPECT_EQ(255u, model::SpinPosParam(255));
    EXPECT_EQ(0xFFFBu, model::SpinPosParam(-5));
    EXPECT_EQ(0x8000u, model::SpinPosParam(-32768));
}

// A sheet 400 wide with Next at 200..275 and Finish at 285..360 (gap 10):
// the sheet becomes 325 wide, the buttons 56 wide at Finish's top and height,
// Finish at 325 - 20 - 56 = 249, Next 66 to its left, Back 66 further.
TEST(WizardButtons, LayoutFromTheRightEdge)
{
    const model::Rect sheet = {100, 50, 500, 350};
    const model::Rect next = {300, 300, 375, 323};
    const model::Rect finish = {385, 300, 460, 323};
    const model::WizardButtonLayout layout = model::LayoutWizardButtons(sheet, next, finish, 240);
    EXPECT_EQ(325, layout.sheetWidth);
    EXPECT_EQ(249, layout.finish.x);
    EXPECT_EQ(183, layout.next.x);
    EXPECT_EQ(117, layout.back.x);
    for (const model::ButtonPlace& b : {layout.back, layout.next, layout.finish}) {
        EXPECT_EQ(240, b.y);
        EXPECT_EQ(56, b.cx);  // 3 * 75 / 4, truncated
        EXPECT_EQ(23, b.cy);
    }
}

// Coordinates travel as 16-bit values: a position beyond 32767 wraps.
TEST(WizardButtons, PlacesAre16BitValues)
{
    const model::Rect sheet = {0, 0, 70000, 100};
    const model::Rect next = {0, 0, 80, 20};
    const model::Rect finish = {90, 0, 170, 20};
    const model::WizardButtonLayout layout = model::LayoutWizardButtons(sheet, next, finish, 70);
    EXPECT_EQ(69920, layout.sheetWidth);
    EXPECT_EQ(static_cast<int16_t>(69920 - 20 - 60), layout.finish.x);
}

}  // namespace
