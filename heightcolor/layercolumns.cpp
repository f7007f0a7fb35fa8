#include "heightcolor/layercolumns.h"

const int kLayerColumnChars[kLayerColumns] = {4, 5, 5, 4};

int LayoutLayerColumns(int charWidth, int availableWidth, int nColumns, ColumnExtent* extents)
{
    if (extents == nullptr || nColumns <= 0)
        return 0;
    if (nColumns > kLayerColumns)
        nColumns = kLayerColumns;
    if (charWidth < 0)
        charWidth = 0;
    int totalChars = 0;
    for (int i = 0; i < nColumns; ++i)
        totalChars += kLayerColumnChars[i];
    // 64-bit products: a silly font or list size must not overflow the edges.
    const long long natural = static_cast<long long>(totalChars) * charWidth;
    const bool scale = availableWidth > 0 && natural > availableWidth;
    int chars = 0;
    int x = 0;
    for (int i = 0; i < nColumns; ++i) {
        chars += kLayerColumnChars[i];
        const long long edge = scale ? static_cast<long long>(chars) * availableWidth / totalChars
                                     : static_cast<long long>(chars) * charWidth;
        extents[i].left = x;
        extents[i].right = edge > 0x3FFFFFFF ? 0x3FFFFFFF : static_cast<int>(edge);
        x = extents[i].right;
    }
    return nColumns;
}

int LayerColumnAt(const ColumnExtent* extents, int nColumns, int x, int firstColumn)
{
    if (extents == nullptr)
        return -1;
    if (firstColumn < 0)
        firstColumn = 0;
    for (int i = firstColumn; i < nColumns; ++i) {
        if (x >= extents[i].left && x < extents[i].right)
            return i;
    }
    return -1;
}

int ScaleToDpi(int pixels, int dpi)
{
    if (dpi <= 0)
        return pixels;
    const long long product = static_cast<long long>(pixels) * dpi;
    const long long half = kBaseDpi / 2;
    const long long scaled = product >= 0 ? (product + half) / kBaseDpi : -((-product + half) / kBaseDpi);
    if (scaled > 0x3FFFFFFF)
        return 0x3FFFFFFF;
    if (scaled < -0x3FFFFFFF)
        return -0x3FFFFFFF;
    return static_cast<int>(scaled);
}

LayerListMetrics LayerListMetricsAt(int dpi)
{
    LayerListMetrics m;
    m.bitmapWidth = ScaleToDpi(14, dpi);
    m.bitmapHeight = ScaleToDpi(16, dpi);
    m.imageWidth = ScaleToDpi(16, dpi);
    m.imageHeight = ScaleToDpi(16, dpi);
    m.swatchInset = ScaleToDpi(2, dpi);
    m.frameWidth = ScaleToDpi(1, dpi);
    return m;
}

int NearestIconSize(const int* sizes, int count, int baseSize, int dpi)
{
    if (sizes == nullptr || count <= 0)
        return 0;
    const long long wanted = ScaleToDpi(baseSize, dpi);
    int best = sizes[0];
    for (int i = 1; i < count; ++i) {
        const long long d = sizes[i] > wanted ? sizes[i] - wanted : wanted - sizes[i];
        const long long bestD = best > wanted ? best - wanted : wanted - best;
        if (d < bestD || (d == bestD && sizes[i] > best))
            best = sizes[i];
    }
    return best;
}
