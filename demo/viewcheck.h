// Checks on rendered pictures of the terrain, for the scripted tour's proof that a dialog's
// change reached the screen.
//   PaletteMatch, MatchPalette, CountChangedPixels (colours in the colour core's Rgb8).
// Windows-free: pictures are plain RGBA bytes as glReadPixels returns them.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "heightcolor/layers.h"

struct PaletteMatch {
    size_t covered = 0;   // pixels that are not the background
    size_t matched = 0;   // of those, pixels within the tolerance of a palette colour
    double Fraction() const { return covered ? static_cast<double>(matched) / covered : 0.0; }
};

// Compares every pixel of a width x height RGBA picture that is not the background colour
// with the palette: a pixel matches a colour when no component differs by more than
// tolerance.
PaletteMatch MatchPalette(const uint8_t* rgba, int width, int height, Rgb8 background,
                          const std::vector<Rgb8>& palette, int tolerance);

// Pixels whose colour differs by more than threshold in some component between two pictures
// of the same size, counted where at least one of them is not the background.
size_t CountChangedPixels(const uint8_t* before, const uint8_t* after, int width, int height,
                          Rgb8 background, int threshold, size_t* covered);
