// The surface's levels of detail: chunk sizes, each level's triangles and height error, the
// level a distance asks for, culling, the triangle budget, and seams without cracks whatever
// the neighbours' levels.
#include "terrain/ascgrid.h"
#include "terrain/terrain.h"
#include "terrain/terrainlod.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace {

TerrainMesh MeshOf(int side, float (*height)(int r, int c))
{
    AscGrid g;
    g.ncols = g.nrows = side;
    g.cellsize = 1.0;
    for (int r = 0; r < side; ++r)
        for (int c = 0; c < side; ++c)
            g.z.push_back(height(r, c));
    MeshScale scale;
    scale.cellX = scale.cellY = 10.0;
    TerrainMesh mesh;
    EXPECT_TRUE(BuildTerrainMesh(g, scale, &mesh));
    return mesh;
}

// Relief with detail at every scale, so that neighbouring chunks want different levels.
float Rough(int r, int c)
{
    return static_cast<float>(40.0 * std::sin(r * 0.37) * std::cos(c * 0.23) + 25.0 * std::sin((r + 2 * c) * 1.7) +
                              ((r * 7 + c * 13) % 11));
}

// The level an eye asks for at distance d: the coarsest whose error fits pixels * d / K.
LodSelection SelectFrom(const TerrainLod& lod, const float eye[3], float pixels, size_t budget)
{
    const float target[3] = {0.0f, 0.0f, 0.0f};
    LodSelection s;
    SelectLodLevels(lod, MakeLodView(eye, target, 38.0f, 952, 654, 0.05f, 40.0f), pixels, budget, &s);
    return s;
}

// Every edge of the triangle list that is not on the surface's outline belongs to exactly two
// triangles, once each way; every outline edge to one; and each triangle turns
// counter-clockwise seen from above. Fails with the first fault.
::testing::AssertionResult Watertight(const TerrainMesh& mesh, const std::vector<uint32_t>& tris,
                                      const std::vector<uint32_t>& rim)
{
    std::map<std::pair<uint32_t, uint32_t>, int> edges;
    for (size_t t = 0; t + 2 < tris.size(); t += 3) {
        const float* a = &mesh.positions[tris[t] * 3];
        const float* b = &mesh.positions[tris[t + 1] * 3];
        const float* c = &mesh.positions[tris[t + 2] * 3];
        const float up = (b[2] - a[2]) * (c[0] - a[0]) - (b[0] - a[0]) * (c[2] - a[2]);
        if (!(up > 0.0f))
            return ::testing::AssertionFailure() << "triangle " << t / 3 << " is flat or turned over";
        for (int e = 0; e < 3; ++e)
            ++edges[{tris[t + e], tris[t + (e + 1) % 3]}];
    }
    std::set<std::pair<uint32_t, uint32_t>> outline;
    for (size_t i = 0; i < rim.size(); ++i)
        outline.insert({rim[i], rim[(i + 1) % rim.size()]});
    for (const auto& e : edges) {
        const bool onRim = outline.count(e.first) || outline.count({e.first.second, e.first.first});
        const int back = edges.count({e.first.second, e.first.first}) ? edges.at({e.first.second, e.first.first}) : 0;
        if (e.second != 1 || (onRim ? back != 0 : back != 1))
            return ::testing::AssertionFailure() << "edge " << e.first.first << "-" << e.first.second << " used "
                                                 << e.second << " times, " << back << " the other way"
                                                 << (onRim ? " (on the outline)" : "");
    }
    for (const auto& e : outline)
        if (!edges.count(e) && !edges.count({e.second, e.first}))
            return ::testing::AssertionFailure() << "outline edge " << e.first << "-" << e.second << " not drawn";
    return ::testing::AssertionSuccess();
}

// Rough to the north, gentle to the south: chunks at the same distance want different levels.
float Mixed(int r, int c)
{
    return r < 45 ? Rough(r, c) : static_cast<float>(60.0 * std::sin(r * 0.11) * std::cos(c * 0.07));
}

int Checkerboard(int col, int row, int levels)
{
    return (col + row) % 2 ? levels - 1 : 0;
}
int Staircase(int col, int row, int levels)
{
    return (col + 2 * row) % levels;
}
int Scattered(int col, int row, int levels)
{
    return static_cast<int>((static_cast<unsigned>(col * 7919 + row * 104729) * 2654435761u) >> 28) % levels;
}

TEST(Lod, ChunksLevelsAndTriangleCounts)
{
    // Chunk sizes for the meshes the viewer draws: the sample, and tiles thinned to 601 and 901.
    const struct { int side, cells, across, levels; } sizes[] = {
        {257, 32, 8, 6}, {601, 64, 10, 7}, {901, 64, 15, 7}, {1025, 64, 16, 7}, {33, 32, 1, 6}, {40, 32, 2, 6},
    };
    for (const auto& s : sizes) {
        EXPECT_EQ(s.cells, LodChunkCells(s.side, s.side)) << s.side;
        AscGrid g;
        g.ncols = g.nrows = s.side;
        g.cellsize = 1.0;
        g.z.assign(static_cast<size_t>(s.side) * s.side, 5.0f);
        TerrainMesh mesh;
        ASSERT_TRUE(BuildTerrainMesh(g, MeshScale(), &mesh));
        TerrainLod lod;
        ASSERT_TRUE(BuildTerrainLod(mesh, LodChunkCells(s.side, s.side), &lod));
        EXPECT_EQ(s.across, lod.chunksAcross) << s.side;
        EXPECT_EQ(s.levels, lod.levels) << s.side;
        // Level 0 holds exactly the mesh's triangles; each coarser level a quarter of the cells
        // of a whole chunk, the last and shorter span of a partial chunk kept.
        size_t level0 = 0;
        for (const LodChunk& ch : lod.chunks) {
            level0 += ch.inner[0] + ch.ring[0];
            for (int k = 0; k < lod.levels; ++k) {
                const int st = 1 << k;
                EXPECT_EQ(6u * ((ch.rows + st - 1) / st) * ((ch.cols + st - 1) / st), ch.inner[k] + ch.ring[k])
                    << s.side << " level " << k;
                EXPECT_EQ(0.0f, ch.error[k]);   // a flat surface loses nothing
            }
        }
        EXPECT_EQ(mesh.indices.size(), level0) << s.side;
    }

    // Refused: a mesh without cells, a chunk of one cell or of an absurd size.
    TerrainMesh empty;
    TerrainLod lod;
    EXPECT_FALSE(BuildTerrainLod(empty, 32, &lod));
    const TerrainMesh small = MeshOf(9, [](int, int) { return 1.0f; });
    EXPECT_FALSE(BuildTerrainLod(small, 1, &lod));
    EXPECT_FALSE(BuildTerrainLod(small, 1 << 20, &lod));
}

TEST(Lod, ColourStepsKeepTheirPlace)
{
    // A flat chunk loses no height at any level; its colours decide. A colour that a level's
    // triangles give anyway (one colour, an even gradient) costs nothing; a step (the shore
    // between the last water and the first land layer) costs half the level's cell.
    const TerrainMesh mesh = MeshOf(33, [](int, int) { return 7.0f; });
    const float cell = mesh.positions[3] - mesh.positions[0];
    const struct { const char* what; uint8_t (*red)(int c); bool steps; } cases[] = {
        {"one colour", [](int) -> uint8_t { return 90; }, false},
        {"gradient", [](int c) -> uint8_t { return static_cast<uint8_t>(c * 7); }, false},
        {"step", [](int c) -> uint8_t { return c < 13 ? 20 : 200; }, true},
        {"small step", [](int c) -> uint8_t { return c < 13 ? 100 : 100 + kLodColourStep - 1; }, false},
    };
    for (const auto& test : cases) {
        TerrainLod lod;
        ASSERT_TRUE(BuildTerrainLod(mesh, 32, &lod));
        std::vector<uint8_t> rgb;
        for (int r = 0; r < 33; ++r)
            for (int c = 0; c < 33; ++c)
                rgb.insert(rgb.end(), {test.red(c), 60, 60});
        SetLodColours(&lod, mesh, rgb);
        for (int k = 1; k < lod.levels; ++k)
            EXPECT_FLOAT_EQ(test.steps ? 0.5f * cell * (1 << k) : 0.0f, lod.chunks[0].error[k]) << test.what << " level " << k;
        SetLodColours(&lod, mesh, std::vector<uint8_t>());   // no colours: heights alone
        EXPECT_EQ(0.0f, lod.chunks[0].error[lod.levels - 1]) << test.what;
    }
}

TEST(Lod, LevelFollowsErrorOnTheScreenAndDistance)
{
    // A parabola along x: a straight span of n cells misses it by a * (n * dx)^2 / 4 in the
    // middle, so each level's error is four times the last one's.
    const TerrainMesh mesh = MeshOf(33, [](int, int c) { return static_cast<float>((c - 16) * (c - 16)) * 0.5f; });
    TerrainLod lod;
    ASSERT_TRUE(BuildTerrainLod(mesh, 32, &lod));
    ASSERT_EQ(1u, lod.chunks.size());
    const float dx = mesh.positions[3] - mesh.positions[0];
    const float a = 0.5f * mesh.scale / (dx * dx);   // y = a x^2 in the frame
    EXPECT_EQ(0.0f, lod.chunks[0].error[0]);
    for (int k = 1; k < lod.levels; ++k) {
        const float span = (1 << k) * dx;
        EXPECT_NEAR(a * span * span / 4, lod.chunks[0].error[k], a * span * span * 1e-4f) << "level " << k;
    }

    // From straight above at distance d (to the chunk's box), with a bound of p pixels: the
    // coarsest level whose error times K / d is within p.
    const float k = 654.0f / (2.0f * std::tan(19.0f * 3.14159265f / 180.0f));
    const struct { float height; float pixels; } views[] = {
        {1.5f, 1.0f}, {3.0f, 1.0f}, {6.0f, 1.0f}, {12.0f, 1.0f}, {3.0f, 4.0f}, {3.0f, 0.0f}, {30.0f, 2.0f},
    };
    for (const auto& v : views) {
        const float eye[3] = {0.001f, v.height, 0.0f};
        const LodSelection s = SelectFrom(lod, eye, v.pixels, 0);
        const float d = v.height - lod.chunks[0].hi[1];
        int expected = 0;
        while (expected + 1 < lod.levels && lod.chunks[0].error[expected + 1] * k / d <= v.pixels)
            ++expected;
        EXPECT_EQ(expected, s.level[0]) << "height " << v.height << ", " << v.pixels << " px";
    }
    // Farther never finer.
    int last = 0;
    for (float h = 1.2f; h < 40.0f; h *= 1.3f) {
        const float eye[3] = {0.001f, h, 0.0f};
        const int level = SelectFrom(lod, eye, 2.0f, 0).level[0];
        EXPECT_GE(level, last) << h;
        last = level;
    }
    EXPECT_GT(last, 1);
}

TEST(Lod, CullingAndTheTriangleBudget)
{
    const TerrainMesh mesh = MeshOf(257, Rough);
    TerrainLod lod;
    ASSERT_TRUE(BuildTerrainLod(mesh, LodChunkCells(257, 257), &lod));
    const size_t all = mesh.indices.size() / 3;

    // Looking away from the terrain: nothing is drawn. Close above one corner: part of it.
    const float away[3] = {0.0f, 0.5f, 5.0f};
    const float target[3] = {0.0f, 0.5f, 10.0f};
    LodSelection s;
    SelectLodLevels(lod, MakeLodView(away, target, 38.0f, 952, 654, 0.05f, 40.0f), 2.0f, 0, &s);
    EXPECT_EQ(0, s.drawn);
    EXPECT_EQ(0u, s.triangles);
    const float corner[3] = {-0.9f, 0.4f, -0.9f};
    const float below[3] = {-0.9f, 0.0f, -0.88f};
    SelectLodLevels(lod, MakeLodView(corner, below, 38.0f, 952, 654, 0.05f, 40.0f), 2.0f, 0, &s);
    EXPECT_GT(s.drawn, 0);
    EXPECT_GT(s.culled, s.drawn);

    // The budget raises the bound until the frame fits, and no further than it must.
    const float eye[3] = {1.0f, 1.6f, 2.4f};
    const LodSelection free = SelectFrom(lod, eye, 0.5f, 0);
    ASSERT_GT(free.triangles, 20000u);
    ASSERT_LT(free.triangles, all + 1);
    for (size_t budget : {20000u, 8000u, 2000u}) {
        const LodSelection held = SelectFrom(lod, eye, 0.5f, budget);
        EXPECT_LE(held.triangles, budget);
        EXPECT_GT(held.errorPixels, 0.5f);
        EXPECT_GT(SelectFrom(lod, eye, held.errorPixels * 0.9f, 0).triangles, budget) << budget;
    }
    // Below the coarsest levels' count the budget cannot be kept: every chunk at its coarsest.
    const LodSelection least = SelectFrom(lod, eye, 0.5f, 10);
    for (int level : least.level)
        EXPECT_EQ(lod.levels - 1, level);
}

TEST(Lod, SeamsCloseWhateverTheNeighboursLevels)
{
    // A mesh whose chunks do not divide it (last chunks shorter) and a hole in one chunk.
    TerrainMesh mesh = MeshOf(90, Rough);
    const uint32_t holeVertex = 50 * 90 + 20;
    {
        AscGrid g;
        g.ncols = g.nrows = 90;
        g.cellsize = 1.0;
        for (int r = 0; r < 90; ++r)
            for (int c = 0; c < 90; ++c)
                g.z.push_back(Rough(r, c));
        g.z[holeVertex] = std::numeric_limits<float>::quiet_NaN();
        MeshScale scale;
        scale.cellX = scale.cellY = 10.0;
        ASSERT_TRUE(BuildTerrainMesh(g, scale, &mesh));
    }
    TerrainLod lod;
    ASSERT_TRUE(BuildTerrainLod(mesh, 16, &lod));
    ASSERT_EQ(6, lod.chunksAcross);
    const int holeChunk = (50 / 16) * lod.chunksAcross + 20 / 16;
    EXPECT_TRUE(std::isinf(lod.chunks[holeChunk].error[1]));

    int (*const patterns[])(int, int, int) = {Checkerboard, Staircase, Scattered};
    for (auto pattern : patterns) {
        LodSelection s;
        SelectLodPattern(lod, pattern, &s);
        EXPECT_EQ(0, s.level[holeChunk]);   // a chunk with a hole is drawn whole
        std::vector<uint32_t> tris;
        AssembleLodIndices(lod, s, &tris);
        EXPECT_LE(tris.size() / 3, s.triangles);
        for (uint32_t v : tris)
            ASSERT_NE(holeVertex, v);
    }

    // Without a hole: every seam closes, under patterns and under levels chosen by distance.
    const TerrainMesh whole = MeshOf(90, Mixed);
    ASSERT_TRUE(BuildTerrainLod(whole, 16, &lod));
    std::vector<LodSelection> selections;
    for (auto pattern : patterns) {
        selections.emplace_back();
        SelectLodPattern(lod, pattern, &selections.back());
    }
    // Views that take in the whole surface (a chunk out of view leaves an edge open).
    const struct { float eye[3]; float pixels; } views[] = {{{1.5f, 4.0f, 4.5f}, 15.0f}, {{5.0f, 2.5f, -4.0f}, 25.0f}};
    for (const auto& v : views) {
        selections.push_back(SelectFrom(lod, v.eye, v.pixels, 0));
        EXPECT_EQ(0, selections.back().culled);
    }
    for (const LodSelection& s : selections) {
        std::set<int> levels(s.level.begin(), s.level.end());
        EXPECT_GT(levels.size(), 1u);
        std::vector<uint32_t> tris;
        AssembleLodIndices(lod, s, &tris);
        const std::vector<uint32_t> rim = LodRim(lod, whole, s);
        EXPECT_TRUE(Watertight(whole, tris, rim));
        // The outline runs round the grid's edge: its corners are the grid's corners.
        EXPECT_EQ(0u, rim.front());
        EXPECT_NE(rim.end(), std::find(rim.begin(), rim.end(), 89u));
        EXPECT_NE(rim.end(), std::find(rim.begin(), rim.end(), 89u * 90 + 89));
    }
}

}  // namespace
