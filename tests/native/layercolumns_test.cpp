// Column geometry of the colour layer list: widths from the character width, scaled down to
// the list's client width when they would not fit, and the column under a point.
#include "heightcolor/layercolumns.h"

#include <gtest/gtest.h>

TEST(LayerColumns, FourFiveFiveFourCharactersWhenTheyFit)
{
    ColumnExtent c[kLayerColumns];
    ASSERT_EQ(LayoutLayerColumns(7, 231, 4, c), 4);
    const int edges[] = {28, 63, 98, 126};
    int left = 0;
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(c[i].left, left) << i;
        EXPECT_EQ(c[i].right, edges[i]) << i;
        left = edges[i];
    }
    // Exactly as wide as the list: nothing to scale.
    LayoutLayerColumns(10, 180, 4, c);
    EXPECT_EQ(c[3].right, 180);
    EXPECT_EQ(c[1].right - c[1].left, 50);
    // No width known yet: the character widths as they are.
    LayoutLayerColumns(19, 0, 4, c);
    EXPECT_EQ(c[3].right, 342);
}

TEST(LayerColumns, WideFontsAreScaledIntoTheList)
{
    // A 19-pixel font asks for 342 pixels; the list shows 215 beside its scroll bar.
    ColumnExtent c[kLayerColumns];
    LayoutLayerColumns(19, 215, 4, c);
    EXPECT_EQ(c[0].left, 0);
    EXPECT_EQ(c[3].right, 215);
    const int edges[] = {215 * 4 / 18, 215 * 9 / 18, 215 * 14 / 18};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(c[i].right, edges[i]) << i;
        EXPECT_EQ(c[i + 1].left, c[i].right) << i;
    }
    // The proportions hold to within a pixel of rounding.
    const int w0 = c[0].right - c[0].left, w1 = c[1].right - c[1].left;
    const int w2 = c[2].right - c[2].left, w3 = c[3].right - c[3].left;
    EXPECT_NEAR(w0 * 5.0 / 4.0, w1, 1.5);
    EXPECT_NEAR(w1, w2, 1.0);
    EXPECT_NEAR(w3, w0, 1.0);
    // The colour column lies inside the list whatever the font.
    for (int w : {19, 40, 1000, 1 << 28}) {
        LayoutLayerColumns(w, 215, 4, c);
        EXPECT_LE(c[3].right, 215) << w;
        EXPECT_GT(c[3].right - c[3].left, 40) << w;
    }
}

TEST(LayerColumns, ColumnUnderAPoint)
{
    ColumnExtent c[kLayerColumns];
    LayoutLayerColumns(19, 215, 4, c);
    EXPECT_EQ(LayerColumnAt(c, 4, 0), 0);
    EXPECT_EQ(LayerColumnAt(c, 4, c[0].right - 1), 0);
    EXPECT_EQ(LayerColumnAt(c, 4, c[0].right), 1);  // a shared edge belongs to the right column
    EXPECT_EQ(LayerColumnAt(c, 4, c[3].right - 1), 3);
    EXPECT_EQ(LayerColumnAt(c, 4, c[3].right), -1);  // right of the last column
    EXPECT_EQ(LayerColumnAt(c, 4, -1), -1);
    // Edits start at column 1: the layer number is never a target.
    EXPECT_EQ(LayerColumnAt(c, 4, 3, 1), -1);
    EXPECT_EQ(LayerColumnAt(c, 4, c[2].left + 1, 1), 2);
    EXPECT_EQ(LayerColumnAt(c, 3, c[3].left + 1), -1);
}

// The list's pixel sizes and the icon's image at the resolutions a user picks: 100 %, 125 %,
// 150 %, 200 % (MulDiv rounding: halves grow), and the columns in the list at each.
TEST(LayerListAtResolutions, PixelSizesScaleAndColumnsStillFit)
{
    const int icons[] = {32, 48};
    const struct {
        int dpi;
        int bitmapW, bitmapH, image, inset, frame, icon;
    } rows[] = {
        {96, 14, 16, 16, 2, 1, 32},
        {120, 18, 20, 20, 3, 1, 48},  // 2.5 and 40: halves and ties go up
        {144, 21, 24, 24, 3, 2, 48},
        {192, 28, 32, 32, 4, 2, 48},  // 64 wanted: no image that large, the nearest is 48
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.dpi);
        const LayerListMetrics m = LayerListMetricsAt(r.dpi);
        EXPECT_EQ(r.bitmapW, m.bitmapWidth);
        EXPECT_EQ(r.bitmapH, m.bitmapHeight);
        EXPECT_EQ(r.image, m.imageWidth);
        EXPECT_EQ(r.image, m.imageHeight);
        EXPECT_EQ(r.inset, m.swatchInset);
        EXPECT_EQ(r.frame, m.frameWidth);
        EXPECT_EQ(r.icon, NearestIconSize(icons, 2, 32, r.dpi));
        // A click's frame never reaches the swatch inside it.
        EXPECT_LT(m.frameWidth, m.swatchInset);

        // The widest character and the list's width grow alike: the columns fit the list and
        // the colour column holds a swatch of at least one pixel inside its inset.
        ColumnExtent c[kLayerColumns];
        const int available = ScaleToDpi(215, r.dpi);
        LayoutLayerColumns(ScaleToDpi(19, r.dpi), available, 4, c);
        EXPECT_LE(c[3].right, available);
        EXPECT_GE(c[3].right, available - 1);
        EXPECT_GT(c[3].right - c[3].left - 2 * m.swatchInset, 0);
    }
}

TEST(LayerListAtResolutions, ScalingRoundsLikeMulDivAndRefusesNonsense)
{
    EXPECT_EQ(2, ScaleToDpi(1, 144));     // 1.5
    EXPECT_EQ(-2, ScaleToDpi(-1, 144));   // halves away from zero
    EXPECT_EQ(1, ScaleToDpi(1, 120));     // 1.25
    EXPECT_EQ(0, ScaleToDpi(0, 192));
    EXPECT_EQ(7, ScaleToDpi(7, 0));       // no resolution known: as given
    EXPECT_EQ(7, ScaleToDpi(7, -96));
    EXPECT_EQ(0x3FFFFFFF, ScaleToDpi(0x7FFFFFFF, 1 << 20));  // no overflow
    const int one[] = {48};
    EXPECT_EQ(48, NearestIconSize(one, 1, 32, 96));
    EXPECT_EQ(0, NearestIconSize(one, 0, 32, 96));
    EXPECT_EQ(0, NearestIconSize(nullptr, 2, 32, 96));
    const int unordered[] = {48, 16, 32};
    EXPECT_EQ(16, NearestIconSize(unordered, 3, 16, 96));
    EXPECT_EQ(32, NearestIconSize(unordered, 3, 32, 96));
}
