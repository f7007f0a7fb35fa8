// Layers and their colours, the rules every program shares: the forms a colour takes (table
// entry and record colour, 8-bit screen colour, packed screen colour and its decimal text in
// the layer list) and the conversions between them; layers with absolute limits and which of
// them colours an elevation; the layering record as such layers; spreading layers over the
// elevation range, the green ramp of custom layers, blending colours between the layers the
// user picked. Windows-free.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "heightcolor/colortable.h"

// The layering record holds this many layers; no count ever reaches past them.
const int kMaxLayers = 256;

// A layer count as far as the record's arrays hold it: below 0 gives 0, above 256 gives 256.
int LayersInRecord(int nLayers);

// The count the dialog works with, from the record's count: 1 to 256 (below 1 gives 1, above
// 256 gives 256), so that every count the dialog shows can be confirmed as it stands.
short WorkingLayerCount(short recordLayers);

// Spreads n layers of a colour table evenly from lo to hi: step = (hi - lo) / n in single
// precision, layer i from lo + i * step to lo + (i + 1) * step. Counts outside 1 to 256 are
// taken as LayersInRecord(n); nothing is written for 0.
void SpreadTableLayers(float lo, float hi, int n, float (*limits)[2]);

// Custom layers: n even layers from lo to hi, each lower limit the previous upper limit
// exactly (a running sum of step), coloured with a green ramp (0, i * inc, 0) where inc is
// (255 / n) * 256 as a 16-bit value. Counts as in SpreadTableLayers.
void MakeEvenLayers(float lo, float hi, int n, float (*limits)[2], LutColor* colors);

// Continuous tone: walks the layers 0 to n - 1 that are marked (marks[i] != 0; only the
// nMarks entries of marks are looked at) and, between each two consecutive marked layers a < b,
// moves every component from colors[a] toward colors[b] by equal whole steps,
// (colors[b] - colors[a]) / (b - a) truncated toward zero, each layer from the one before it.
// Marked layers and those outside the first and last mark keep their colours. Returns false,
// and changes nothing, when fewer than two layers are marked (also for a null marks array).
bool BlendMarkedLayers(LutColor* colors, const char* marks, int nMarks, int n);

// ---- the forms of a colour ---------------------------------------------------------------
// A table entry (LutColor) and the host record's LayerColor hold each component in 16 bits,
// the 8-bit intensity in the high byte; the screen takes 8 bits a component (Rgb8), Windows
// packs them as 0x00BBGGRR. The conversions below are the only ones: a 16-bit colour type is
// any struct of three 16-bit members r, g, b (LutColor, the public LayerColor).

struct Rgb8 {
    uint8_t r = 0, g = 0, b = 0;
};
inline bool operator==(const Rgb8& x, const Rgb8& y) { return x.r == y.r && x.g == y.g && x.b == y.b; }
inline bool operator!=(const Rgb8& x, const Rgb8& y) { return !(x == y); }

// The 8-bit colour of a table entry or record colour: each component's high byte.
template <class Color>
Rgb8 ToRgb8(const Color& color)
{
    return Rgb8{static_cast<uint8_t>(color.r >> 8), static_cast<uint8_t>(color.g >> 8),
                static_cast<uint8_t>(color.b >> 8)};
}

// The table entry or record colour of an 8-bit colour: each intensity times 256.
template <class Color = LutColor>
Color FromRgb8(const Rgb8& rgb)
{
    Color color;
    color.r = static_cast<uint16_t>(rgb.r * 256);
    color.g = static_cast<uint16_t>(rgb.g * 256);
    color.b = static_cast<uint16_t>(rgb.b * 256);
    return color;
}

// The screen colour 0x00BBGGRR of a layer colour: each component's high byte.
uint32_t LayerColorToColorRef(const LutColor& color);
// The layer colour of a screen colour: each 8-bit intensity times 256.
LutColor ColorRefToLayerColor(uint32_t colorRef);

// Decimal text of a screen colour as the layer list holds it ("%ld" of red + green * 256 +
// blue * 65536), and its reading: leading blanks and a sign allowed, digits up to the first
// other character, nothing readable gives 0. The reading keeps the low 24 bits, so the list
// paints an RGB colour whatever the text says.
void ColorRefToText(uint32_t colorRef, wchar_t* text, size_t cap);
uint32_t ColorRefFromText(const wchar_t* text);

// ---- layers with absolute limits ------------------------------------------------------------

// One layer as the viewer draws it and ramps give and take it: limits in elevation units (lower
// normally below upper) and an 8-bit colour.
struct ColorLayer {
    float lower = 0.0f;
    float upper = 0.0f;
    Rgb8 color;
};

// The layer that colours elevation h: the first layer (in table order) whose limits hold h,
// either way round; when none does (a gap, or beyond the ends), the layer whose nearer limit
// is closest, the earlier one on a tie. -1 only for an empty table.
int LayerFor(const ColorLayer* layers, int count, float h);

// Whether the table runs upward without overlaps (each layer's lower limit at or below its
// upper one, which is at or below the next lower limit), so that LayerForAscending applies.
bool LayersAscending(const ColorLayer* layers, int count);
// LayerFor on an ascending table (count at least 1) in O(log count): the same answer.
int LayerForAscending(const ColorLayer* layers, int count, float h);

// The layers of a layering record's arrays: limits and colours of the first
// LayersInRecord(count) entries (colours of any 16-bit colour type, see above).
template <class Color>
std::vector<ColorLayer> LayersOfRecord(const float (*limits)[2], const Color* colors, int count)
{
    std::vector<ColorLayer> layers(static_cast<size_t>(LayersInRecord(count)));
    for (size_t i = 0; i < layers.size(); ++i) {
        layers[i].lower = limits[i][0];
        layers[i].upper = limits[i][1];
        layers[i].color = ToRgb8(colors[i]);
    }
    return layers;
}

// Layers into a layering record's arrays (at most kMaxLayers of them); returns how many were
// written.
template <class Color>
int LayersToRecord(const std::vector<ColorLayer>& layers, float (*limits)[2], Color* colors)
{
    const int n = layers.size() < static_cast<size_t>(kMaxLayers) ? static_cast<int>(layers.size()) : kMaxLayers;
    for (int i = 0; i < n; ++i) {
        limits[i][0] = layers[i].lower;
        limits[i][1] = layers[i].upper;
        colors[i] = FromRgb8<Color>(layers[i].color);
    }
    return n;
}
