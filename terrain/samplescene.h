// The sample scene the viewer ships: a fractal relief with a river valley and a lake, a
// texture picture of it and a four-band image of it. Made at build time by tools/demgen.
//   MakeSampleRelief, LandCoverOf; EncodeBmp24; MakeSampleTexture, MakeSampleBands.
// Windows-free and deterministic: the same seed gives the same bytes on every machine.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "terrain/ascgrid.h"

// A 32-bit xorshift generator: portable, unlike the standard distributions.
class SampleRandom {
public:
    explicit SampleRandom(uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
    uint32_t Next();
    // Uniform in [-1, 1).
    double Signed() { return Next() / 2147483648.0 - 1.0; }

private:
    uint32_t state_;
};

struct SampleReliefOptions {
    int size = 257;               // cells on a side: 2^k + 1 for the diamond-square subdivision
    uint32_t seed = 20240607;
    double roughness = 0.5;       // amplitude kept from one subdivision level to the next
    double cellsize = 30.0;       // metres
    double lowest = 180.0;        // elevation range after scaling, metres
    double highest = 1450.0;
};

// Where the sample's lake and valley lie, for the pictures and for tests.
struct SampleFeatures {
    float lakeLevel = 0.0f;       // the water surface: every lake cell holds exactly this
    int lakeRow = 0, lakeCol = 0; // centre of the lake basin
    int lakeCells = 0;
    std::vector<int> valleyCol;   // per row, the column of the valley floor
    float lowest = 0.0f, highest = 0.0f;   // elevation range of the relief
};

// Diamond-square relief on a size x size grid (size must be 2^k + 1, at least 9; otherwise
// the grid comes back empty), a river valley meandering from north to south and a lake dammed
// in it, scaled to the elevation range. Corner form at (500000, 3500000), NODATA_value -9999
// declared (no cell uses it).
AscGrid MakeSampleRelief(const SampleReliefOptions& options, SampleFeatures* features);

enum class LandCover { Water, Meadow, Forest, Rock, Snow };
// The land cover of cell (row, col): water on the lake, forest on low gentle slopes, meadow
// on higher gentle ground, rock on steep or high ground, snow near the top.
LandCover LandCoverOf(const AscGrid& grid, const SampleFeatures& features, int row, int col);

// A 24-bit bottom-up BMP file of width x height top-down RGB pixels.
std::vector<uint8_t> EncodeBmp24(int width, int height, const std::vector<uint8_t>& rgb);

// The texture picture: land-cover colours under a hill shade, width x width pixels resampled
// from the grid, top-down RGB.
std::vector<uint8_t> MakeSampleTexture(const AscGrid& grid, const SampleFeatures& features, int width);

// The four-band image, band-sequential bytes (blue, green, red, near infrared), width x width
// pixels each: what a satellite would see of the land cover (water dark in the infrared,
// vegetation bright there).
std::vector<uint8_t> MakeSampleBands(const AscGrid& grid, const SampleFeatures& features, int width);

// The ENVI header of the band image: samples, lines, 4 bands, bytes, bsq, band names,
// default bands {3, 2, 1} (true colour).
std::string SampleBandsHeader(int width);
