// The viewer's own logic: layering of elevations, the surface mesh, the camera, the checks on
// rendered pictures, ENVI band composition and the sample scene.
#include "demo/viewcheck.h"
#include "terrain/ascgrid.h"
#include "terrain/enviraster.h"
#include "terrain/samplescene.h"
#include "terrain/terrain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

AscGrid Plane(int cols, int rows, double cellsize, float (*height)(int r, int c))
{
    AscGrid g;
    g.ncols = cols;
    g.nrows = rows;
    g.cellsize = cellsize;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            g.z.push_back(height(r, c));
    return g;
}

// ---- layering ----------------------------------------------------------------------------

TEST(Layers, VertexColoursAgreeWithTheLookupOnAnyTable)
{
    // Heights across and beyond the range, on a sorted table with gaps (binary search) and on
    // an unsorted one (linear rule); NODATA takes the `none` colour.
    AscGrid grid = Plane(50, 4, 1.0, [](int r, int c) { return static_cast<float>(r * 50 + c) - 20.0f; });
    grid.z[7] = std::numeric_limits<float>::quiet_NaN();
    std::vector<ColorLayer> sorted, unsorted;
    for (int i = 0; i < 12; ++i)
        sorted.push_back(ColorLayer{i * 15.0f, i * 15.0f + (i % 3 == 0 ? 9.0f : 15.0f),
                                    Rgb8{static_cast<uint8_t>(i * 20), 0, 0}});
    unsorted = sorted;
    std::swap(unsorted[2], unsorted[9]);
    unsorted[4].upper = 100.0f;   // overlaps later layers
    const Rgb8 none = {1, 2, 3};
    for (const auto* table : {&sorted, &unsorted}) {
        std::vector<uint8_t> rgb;
        ColourVertices(grid.z, table->data(), static_cast<int>(table->size()), none, &rgb);
        ASSERT_EQ(grid.z.size() * 3, rgb.size());
        for (size_t i = 0; i < grid.z.size(); ++i) {
            if (std::isnan(grid.z[i])) {
                EXPECT_EQ(2, rgb[i * 3 + 1]);
                continue;
            }
            const int layer = LayerFor(table->data(), static_cast<int>(table->size()), grid.z[i]);
            EXPECT_EQ((*table)[layer].color.r, rgb[i * 3]) << "height " << grid.z[i];
        }
    }
}

// ---- the surface -------------------------------------------------------------------------

TEST(Mesh, NormalsWindingAndFrameOfATiltedPlane)
{
    // Rising 1 m per 10 m cell towards the east: slope dz/dx = 0.1 at true scale.
    const AscGrid grid = Plane(11, 6, 10.0, [](int, int c) { return 100.0f + c * 1.0f; });
    MeshScale scale;
    scale.cellX = scale.cellY = 10.0;
    TerrainMesh mesh;
    ASSERT_TRUE(BuildTerrainMesh(grid, scale, &mesh));
    EXPECT_EQ(10 * 5 * 2 * 3u, mesh.indices.size());
    EXPECT_FLOAT_EQ(-1.0f, mesh.positions[0]);                 // west edge
    EXPECT_FLOAT_EQ(1.0f, mesh.positions[10 * 3]);             // east edge
    const float len = std::sqrt(1.0f + 0.01f);
    for (size_t v = 0; v < mesh.normals.size() / 3; ++v) {
        EXPECT_NEAR(-0.1f / len, mesh.normals[v * 3], 1e-5);
        EXPECT_NEAR(1.0f / len, mesh.normals[v * 3 + 1], 1e-5);
        EXPECT_NEAR(0.0f, mesh.normals[v * 3 + 2], 1e-5);
    }
    // Every triangle faces up (counter-clockwise seen from above).
    for (size_t t = 0; t < mesh.indices.size(); t += 3) {
        const float* a = &mesh.positions[mesh.indices[t] * 3];
        const float* b = &mesh.positions[mesh.indices[t + 1] * 3];
        const float* c = &mesh.positions[mesh.indices[t + 2] * 3];
        const float ux = b[0] - a[0], uz = b[2] - a[2], vx = c[0] - a[0], vz = c[2] - a[2];
        EXPECT_GT(uz * vx - ux * vz, 0.0f) << "triangle " << t / 3;   // y of (b - a) x (c - a)
    }
}

TEST(Mesh, NodataOpensTheCellsAroundIt)
{
    AscGrid grid = Plane(5, 5, 1.0, [](int r, int c) { return static_cast<float>(r + c); });
    grid.z[2 * 5 + 2] = std::numeric_limits<float>::quiet_NaN();   // centre vertex
    TerrainMesh mesh;
    ASSERT_TRUE(BuildTerrainMesh(grid, MeshScale(), &mesh));
    EXPECT_EQ((16 - 4) * 2 * 3u, mesh.indices.size());
    for (uint32_t i : mesh.indices)
        EXPECT_NE(12u, i);
    for (uint32_t i : mesh.gridLines)
        EXPECT_NE(12u, i);
    for (float n : mesh.normals)
        EXPECT_FALSE(std::isnan(n));

    AscGrid empty = grid;
    for (float& z : empty.z)
        z = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(BuildTerrainMesh(empty, MeshScale(), &mesh));
}

TEST(Mesh, TrueProportionsExaggerationAndDecimation)
{
    // 2 km by 1 km on the ground (cells 100 m east-west, 50 m north-south), relief 200 m.
    const AscGrid grid = Plane(21, 21, 1.0, [](int r, int) { return static_cast<float>(r * 10); });
    MeshScale scale;
    scale.cellX = 100.0;
    scale.cellY = 50.0;
    TerrainMesh mesh;
    ASSERT_TRUE(BuildTerrainMesh(grid, scale, &mesh));
    // The longer side spans 2 frame units: 1 unit per km, both ways and upward.
    EXPECT_FLOAT_EQ(-1.0f, mesh.positions[0]);
    EXPECT_FLOAT_EQ(-0.5f, mesh.positions[2]);
    const size_t last = mesh.positions.size() - 3;
    EXPECT_FLOAT_EQ(1.0f, mesh.positions[last]);
    EXPECT_FLOAT_EQ(0.5f, mesh.positions[last + 2]);
    EXPECT_NEAR(0.2f, mesh.positions[last + 1] - mesh.positions[1], 1e-6);
    scale.exaggeration = 5.0f;
    ASSERT_TRUE(BuildTerrainMesh(grid, scale, &mesh));
    EXPECT_NEAR(1.0f, mesh.positions[last + 1] - mesh.positions[1], 1e-5);

    // Held to 8 vertices a side: every third sample and the last, still spanning the grid.
    scale.maxSide = 8;
    ASSERT_TRUE(BuildTerrainMesh(grid, scale, &mesh));
    EXPECT_EQ(3, mesh.step);
    EXPECT_EQ(8, mesh.cols);
    EXPECT_EQ(8, mesh.rows);
    EXPECT_FLOAT_EQ(200.0f, mesh.heights.back());
    EXPECT_FLOAT_EQ(30.0f, mesh.heights[static_cast<size_t>(mesh.cols)]);
    EXPECT_FLOAT_EQ(1.0f, mesh.positions[(mesh.cols - 1) * 3]);
    EXPECT_EQ(7 * 7 * 6u, mesh.indices.size());
    for (int side : {2, 8, 9, 100, 1201, 3601})
        for (int maxSide : {2, 3, 8, 513, 1025}) {
            const int step = MeshStep(side, maxSide);
            EXPECT_LE((side - 1 + step - 1) / step + 1, std::max(maxSide, 2)) << side << " " << maxSide;
            EXPECT_TRUE(step == 1 || (side - 1 + step - 2) / (step - 1) + 1 > maxSide) << side << " " << maxSide;
        }

    // A surface that cannot stand: no ground under it, or a factor that is no number.
    scale = MeshScale();
    scale.exaggeration = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(BuildTerrainMesh(grid, scale, &mesh));
    scale = MeshScale();
    scale.cellX = scale.cellY = 0.0;
    EXPECT_FALSE(BuildTerrainMesh(grid, scale, &mesh));
}

TEST(Layers, SeaLevelIsALayerBoundary)
{
    const Rgb8 land[4] = {{10, 0, 0}, {20, 0, 0}, {30, 0, 0}, {40, 0, 0}};
    float limits[256][2];
    Rgb8 colours[256];
    const struct { float lo, hi; int water; } cases[] = {
        {-1000.0f, 3000.0f, 64},   // a quarter of the range under water
        {-10.0f, 5000.0f, 1},      // a sliver of sea still gets its layer
        {-5000.0f, 1.0f, 255},     // and a sliver of land
        {-400.0f, -20.0f, 256},    // all under water
        {-400.0f, 0.0f, 256},      // down to sea level
        {0.0f, 900.0f, 0},         // dry land: the table alone
        {120.0f, 900.0f, 0},
    };
    for (const auto& c : cases) {
        const int water = SeaLevelLayers(c.lo, c.hi, 256, land, 4, limits, colours);
        EXPECT_EQ(c.water, water) << c.lo << " .. " << c.hi;
        EXPECT_EQ(c.lo, limits[0][0]);
        EXPECT_NEAR(c.hi, limits[255][1], std::fabs(c.hi) * 1e-5 + 1e-4);
        for (int i = 1; i < 256; ++i)
            ASSERT_EQ(limits[i - 1][1], limits[i][0]) << c.lo << " .. " << c.hi << " layer " << i;
        if (water > 0 && water < 256) {
            EXPECT_EQ(0.0f, limits[water - 1][1]);
            EXPECT_EQ(0.0f, limits[water][0]);
            // Water is blue and deepens downward; land starts with the table's first colour and
            // stretches it over its share.
            if (water > 1) {
                EXPECT_GT(colours[water - 1].b, colours[0].b);
            }
            EXPECT_LT(colours[0].r, colours[0].b);
            EXPECT_EQ(10, colours[water].r);
            EXPECT_EQ(256 - water >= 4 ? 40 : 10, colours[255].r);
        }
        if (water == 0) {
            EXPECT_EQ(10, colours[0].r);
            EXPECT_EQ(20, colours[64].r);
        }
    }
    // The water ramp's end is just under sea level: -1 m takes the shallows, -999 m the deep.
    SeaLevelLayers(-1000.0f, 3000.0f, 256, land, 4, limits, colours);
    std::vector<ColorLayer> table(256);
    for (int i = 0; i < 256; ++i)
        table[i] = ColorLayer{limits[i][0], limits[i][1], colours[i]};
    EXPECT_EQ(63, LayerFor(table.data(), 256, -1.0f));
    EXPECT_EQ(0, LayerFor(table.data(), 256, -999.0f));
    EXPECT_EQ(64, LayerFor(table.data(), 256, 1.0f));

    // More layers than a record holds: 256 are made, nothing past them is written.
    float wideLimits[300][2];
    Rgb8 wideColours[300];
    for (int i = 0; i < 300; ++i) {
        wideLimits[i][0] = wideLimits[i][1] = -1.0f;
        wideColours[i] = Rgb8{7, 7, 7};
    }
    EXPECT_EQ(64, SeaLevelLayers(-1000.0f, 3000.0f, 300, land, 4, wideLimits, wideColours));
    EXPECT_EQ(3000.0f, wideLimits[255][1]);
    EXPECT_EQ(-1.0f, wideLimits[256][0]);
    EXPECT_EQ(7, wideColours[256].r);
}

TEST(Camera, StaysInsideItsLimits)
{
    OrbitCamera camera;
    camera.Drag(0, 10000);
    EXPECT_EQ(OrbitCamera::kMaxPitch, camera.pitch);
    camera.Drag(0, -10000);
    EXPECT_EQ(OrbitCamera::kMinPitch, camera.pitch);
    camera.Drag(-100, 0);   // yaw wraps into 0..360
    EXPECT_GE(camera.yaw, 0.0f);
    EXPECT_LT(camera.yaw, 360.0f);
    for (int i = 0; i < 100; ++i)
        camera.Zoom(120);
    EXPECT_EQ(OrbitCamera::kMinDistance, camera.distance);
    camera.Zoom(-120 * 1000);
    EXPECT_EQ(OrbitCamera::kMaxDistance, camera.distance);
    float eye[3];
    camera.Eye(eye);
    EXPECT_NEAR(camera.distance, std::sqrt(eye[0] * eye[0] + eye[1] * eye[1] + eye[2] * eye[2]), 1e-4);
    EXPECT_GT(eye[1], 0.0f);   // always above the horizon
}

// ---- checks on pictures ------------------------------------------------------------------

TEST(ViewCheck, PaletteAndChangeCountsIgnoreTheBackground)
{
    const Rgb8 bg = {255, 0, 255};
    // Four pixels: background, an exact palette colour, one off by 2, one far off.
    const uint8_t picture[] = {255, 0, 255, 255, 10, 20, 30, 255, 12, 18, 30, 255, 200, 200, 200, 255};
    const std::vector<Rgb8> palette = {{10, 20, 30}};
    PaletteMatch m = MatchPalette(picture, 2, 2, bg, palette, 2);
    EXPECT_EQ(3u, m.covered);
    EXPECT_EQ(2u, m.matched);
    m = MatchPalette(picture, 2, 2, bg, palette, 1);
    EXPECT_EQ(1u, m.matched);

    uint8_t after[sizeof picture];
    std::copy(picture, picture + sizeof picture, after);
    after[4] = 60;                      // second pixel changes
    size_t covered = 0;
    EXPECT_EQ(1u, CountChangedPixels(picture, after, 2, 2, bg, 8, &covered));
    EXPECT_EQ(3u, covered);
}

// ---- ENVI band composition -----------------------------------------------------------------

TEST(EnviRaster, HeaderKeysAcrossLinesAndComments)
{
    const std::string header =
        "ENVI\r\n; a comment line\r\ndescription = {two\r\n lines}\r\nSamples = 3\r\nlines   = 2\r\n"
        "bands = 4\r\nheader offset = 16\r\ndata  type = 1\r\ninterleave = BIL\r\nband names = {\r\n a,\r\n b}\r\n";
    EnviRaster r;
    ASSERT_EQ(EnviRasterStatus::Ok, ParseEnviRaster(header.data(), header.size(), &r));
    EXPECT_EQ(3, r.samples);
    EXPECT_EQ(2, r.lines);
    EXPECT_EQ(4, r.bands);
    EXPECT_EQ(EnviInterleave::Bil, r.interleave);
    EXPECT_EQ(16u, r.headerOffset);
    EXPECT_EQ(16u + 24u, EnviDataBytes(r));

    const struct {
        const char* text;
        EnviRasterStatus status;
    } bad[] = {
        {"samples = 3\n", EnviRasterStatus::NoMagic},
        {"ENVI\nsamples = 3\nlines = 2\nbands = 1\ndata type = 1\n", EnviRasterStatus::Missing},
        {"ENVI\nsamples = 3\nlines = 2\nbands = 1\ndata type = 2\ninterleave = bsq\n", EnviRasterStatus::UnsupportedType},
        {"ENVI\nsamples = -3\nlines = 2\nbands = 1\ndata type = 1\ninterleave = bsq\n", EnviRasterStatus::BadValue},
        {"ENVI\nsamples = 3\nlines = 2\nbands = 1\ndata type = 1\ninterleave = xyz\n", EnviRasterStatus::BadValue},
        {"ENVI\nsamples = 9000\nlines = 2\nbands = 1\ndata type = 1\ninterleave = bsq\n", EnviRasterStatus::TooLarge},
        {"ENVI\nsamples = 99999999999999999999999\nlines = 2\nbands = 1\ndata type = 1\ninterleave = bsq\n",
         EnviRasterStatus::BadValue},
        {"ENVI\nband names = {a,\nb\n", EnviRasterStatus::Syntax},
        {"ENVI\njust words\n", EnviRasterStatus::Syntax},
    };
    for (const auto& b : bad) {
        SCOPED_TRACE(b.text);
        EnviRaster untouched;
        untouched.samples = 77;
        EXPECT_EQ(b.status, ParseEnviRaster(b.text, std::strlen(b.text), &untouched));
        EXPECT_EQ(77, untouched.samples);
    }
}

TEST(EnviRaster, ComposesChosenBandsInEveryInterleave)
{
    // 2 x 2 pixels, 3 bands; value = 100 * band + 10 * line + sample.
    EnviRaster r;
    r.samples = 2;
    r.lines = 2;
    r.bands = 3;
    r.headerOffset = 1;
    for (EnviInterleave order : {EnviInterleave::Bsq, EnviInterleave::Bil, EnviInterleave::Bip}) {
        r.interleave = order;
        std::vector<uint8_t> data(1 + 12, 0xEE);
        for (int b = 0; b < 3; ++b)
            for (int y = 0; y < 2; ++y)
                for (int x = 0; x < 2; ++x) {
                    size_t at = 0;
                    switch (order) {
                    case EnviInterleave::Bsq: at = (b * 2 + y) * 2 + x; break;
                    case EnviInterleave::Bil: at = (y * 3 + b) * 2 + x; break;
                    case EnviInterleave::Bip: at = (y * 2 + x) * 3 + b; break;
                    }
                    data[1 + at] = static_cast<uint8_t>(100 * b + 10 * y + x);
                }
        std::vector<uint8_t> rgb;
        ASSERT_TRUE(ComposeEnviRgb(r, data.data(), data.size(), 2, 0, 1, &rgb));
        const std::vector<uint8_t> expected = {200, 0, 100, 201, 1, 101, 210, 10, 110, 211, 11, 111};
        EXPECT_EQ(expected, rgb) << static_cast<int>(order);
        EXPECT_FALSE(ComposeEnviRgb(r, data.data(), data.size() - 1, 2, 0, 1, &rgb));   // short file
        EXPECT_FALSE(ComposeEnviRgb(r, data.data(), data.size(), 3, 0, 1, &rgb));       // no band 4
        EXPECT_FALSE(ComposeEnviRgb(r, data.data(), data.size(), 0, -1, 1, &rgb));
    }
}

// ---- the sample scene ----------------------------------------------------------------------

TEST(SampleScene, ReliefIsFixedAndHoldsALakeInAValley)
{
    SampleFeatures f, g;
    const AscGrid a = MakeSampleRelief(SampleReliefOptions(), &f);
    const AscGrid b = MakeSampleRelief(SampleReliefOptions(), &g);
    ASSERT_EQ(257, a.ncols);
    ASSERT_EQ(257, a.nrows);
    EXPECT_EQ(a.z, b.z);   // same seed, same relief
    float lo, hi;
    ASSERT_TRUE(AscGridRange(a, &lo, &hi));
    EXPECT_FLOAT_EQ(180.0f, lo);
    EXPECT_FLOAT_EQ(1450.0f, hi);

    // The lake: a flat sheet of water of a good size, lower than its shore all round.
    EXPECT_GT(f.lakeCells, 300);
    EXPECT_EQ(f.lakeLevel, a.At(f.lakeRow, f.lakeCol));
    int water = 0;
    for (int r = 1; r < 256; ++r)
        for (int c = 1; c < 256; ++c) {
            if (a.At(r, c) != f.lakeLevel)
                continue;
            ++water;
            for (int d : {-1, 1}) {
                EXPECT_GE(a.At(r + d, c), f.lakeLevel);
                EXPECT_GE(a.At(r, c + d), f.lakeLevel);
            }
        }
    EXPECT_EQ(f.lakeCells, water);

    // The valley: its floor lies well below the ground 40 cells to either side.
    int lower = 0;
    for (int r = 0; r < 257; r += 8) {
        const int c = f.valleyCol[r];
        if (c - 40 >= 0 && c + 40 < 257 && a.At(r, c) < a.At(r, c - 40) && a.At(r, c) < a.At(r, c + 40))
            ++lower;
    }
    EXPECT_GE(lower, 28);   // of 33 rows

    // Another seed gives other ground; a size that is not 2^k + 1 gives none.
    SampleReliefOptions other;
    other.seed = 7;
    EXPECT_NE(a.z, MakeSampleRelief(other, nullptr).z);
    other.size = 100;
    EXPECT_TRUE(MakeSampleRelief(other, nullptr).z.empty());
}

TEST(SampleScene, PicturesAndBandsDescribeTheLand)
{
    SampleFeatures f;
    const AscGrid grid = MakeSampleRelief(SampleReliefOptions(), &f);
    const int side = 256;
    const std::vector<uint8_t> bands = MakeSampleBands(grid, f, side);
    ASSERT_EQ(4u * side * side, bands.size());
    const std::string header = SampleBandsHeader(side);
    EnviRaster raster;
    ASSERT_EQ(EnviRasterStatus::Ok, ParseEnviRaster(header.data(), header.size(), &raster));
    EXPECT_EQ(4, raster.bands);
    EXPECT_EQ(bands.size(), EnviDataBytes(raster));
    // Water is dark in the near infrared, vegetation bright.
    const int lx = static_cast<int>(f.lakeCol * (side - 1) / 256.0 + 0.5);
    const int ly = static_cast<int>(f.lakeRow * (side - 1) / 256.0 + 0.5);
    const size_t plane = static_cast<size_t>(side) * side;
    EXPECT_LT(bands[3 * plane + ly * side + lx], 20);
    EXPECT_EQ(LandCover::Water, LandCoverOf(grid, f, f.lakeRow, f.lakeCol));

    const std::vector<uint8_t> rgb = MakeSampleTexture(grid, f, side);
    const std::vector<uint8_t> bmp = EncodeBmp24(side, side, rgb);
    ASSERT_EQ(54u + 3u * side * side, bmp.size());
    EXPECT_EQ('B', bmp[0]);
    EXPECT_EQ(54, bmp[10]);   // pixels follow the two headers
    EXPECT_EQ(24, bmp[28]);
    // Bottom-up, blue first: the file's first pixel is the picture's bottom-left.
    const size_t last = static_cast<size_t>(side - 1) * side * 3;
    EXPECT_EQ(rgb[last + 2], bmp[54]);
    EXPECT_EQ(rgb[last], bmp[56]);
    // Rows are padded to four bytes.
    EXPECT_EQ(54u + 2u * 12u, EncodeBmp24(3, 2, std::vector<uint8_t>(18, 1)).size());
    EXPECT_TRUE(EncodeBmp24(3, 2, std::vector<uint8_t>(17, 1)).empty());
}

}  // namespace
