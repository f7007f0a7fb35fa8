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
