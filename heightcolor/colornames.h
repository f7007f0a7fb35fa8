// Colour names: the basic colour term a person would use for a screen colour, for what the
// library says about the colours it paints (the layer list, the model pages' swatches).
// Windows-free.
#pragma once

// A colour in CIELAB (D65 white, the 2-degree observer): L* 0 to 100, a* and b* about -128..127.
struct LabColor {
    double L, a, b;
};

// The CIELAB coordinates of an sRGB colour given in 8-bit components (values outside 0..255
// are taken as the nearest of them).
LabColor LabFromSrgb(int r, int g, int b);

// CIE76 colour difference: the straight distance in CIELAB.
double DeltaE76(const LabColor& x, const LabColor& y);

// One basic colour term: a stable key (for tests and notes), the sRGB colour that stands for it.
// Its spoken name is string IDS_COLOR_NAME_FIRST + its index in kColourNames.
struct NamedColour {
    const char* key;
    unsigned char r, g, b;
};

const int kColourNameCount = 23;
extern const NamedColour kColourNames[kColourNameCount];

// Index in kColourNames of the term whose reference point lies nearest (CIE76) to colour; of
// two as near, the earlier one. Every colour gets a term: the terms cover the whole space.
int NearestColourName(const LabColor& colour);
int ColourNameOf(int r, int g, int b);
