// Column geometry of the colour layer list: layer number, lower limit, upper limit, colour;
// the list's pixel sizes and the layering dialog's icon size at a screen's resolution.
// Windows-free.
#pragma once

// Number of columns of the layer list and their widths in characters.
const int kLayerColumns = 4;
extern const int kLayerColumnChars[kLayerColumns];  // 4, 5, 5, 4

// Horizontal extent of a column in client coordinates: left edge inclusive, right edge
// exclusive.
struct ColumnExtent {
    int left;
    int right;
};

// Lays out nColumns (at most kLayerColumns; fewer lays out the first ones) side by side from
// x = 0, each its number of characters times charWidth wide. When they would reach past
// availableWidth (the list's client width), they are scaled down to fit it exactly, keeping
// their proportions: the edge after the first k columns lies at
// (characters of those k columns) * availableWidth / (characters of all columns), rounded down.
// An availableWidth of 0 or less means that no width is known, and nothing is scaled.
// Returns the number of extents written.
int LayoutLayerColumns(int charWidth, int availableWidth, int nColumns, ColumnExtent* extents);

// The first column from firstColumn on whose extent holds x, or -1 when none does (a point
// right of the last column, or left of the first).
int LayerColumnAt(const ColumnExtent* extents, int nColumns, int x, int firstColumn = 0);

// The resolution (dots per inch) the list's pixel sizes are given for.
const int kBaseDpi = 96;

// pixels (at kBaseDpi) at dpi: pixels * dpi / kBaseDpi rounded to the nearest whole pixel,
// halves away from zero (as MulDiv rounds). A dpi of 0 or less leaves pixels as they are.
int ScaleToDpi(int pixels, int dpi);

// What the layer list draws at a resolution, in device pixels.
struct LayerListMetrics {
    int bitmapWidth, bitmapHeight;  // the layer bitmap, stretched (14 x 16 at kBaseDpi)
    int imageWidth, imageHeight;    // the images of the list's image list: the rows are at
                                    // least imageHeight high (16 x 16 at kBaseDpi)
    int swatchInset;                // gap between a colour swatch and its cell's edges (2)
    int frameWidth;                 // width of the line that frames a clicked cell (1)
};
LayerListMetrics LayerListMetricsAt(int dpi);

// Of the square icon images of sizes[0..count), the one nearest to the size the resolution asks
// for (baseSize at kBaseDpi, scaled); of two as near, the larger. 0 when count is 0 or less.
int NearestIconSize(const int* sizes, int count, int baseSize, int dpi);
