// Layer arithmetic of the elevation colour layering dialog: spreading layers over the
// elevation range, the green ramp of custom layers, blending colours between the layers the
// user picked, and the screen colour of a layer with its decimal text in the layer list.
// Windows-free.
#pragma once
#include <stdint.h>

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
