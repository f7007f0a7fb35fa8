// Column geometry of the colour layer list: layer number, lower limit, upper limit, colour.
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
