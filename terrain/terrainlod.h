// Level of detail of the terrain surface, free of Windows and OpenGL.
//   TerrainLod, LodChunkCells, BuildTerrainLod (chunks and their levels);
//   LodView, MakeLodView, SelectLodLevels, AssembleLodIndices (the triangles of one frame);
//   LodRim (the surface's outline as drawn).
//
// The mesh is cut into square chunks of chunkCells cells. Level k of a chunk takes every 2^k-th
// vertex of it (and its last row and column), so level 0 is the mesh itself. Each frame a chunk
// gets the coarsest level whose height error, projected to the screen from the chunk's nearest
// point, stays within an error bound in pixels; chunks outside the view are left out. Where a
// neighbour is drawn coarser, the finer chunk's vertices along that side that the neighbour
// lacks are moved onto the neighbour's nearest vertex (the triangles that collapse are
// dropped): both sides of the seam then run through the same vertices and the surface has no
// crack, with no vertex added.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "terrain/terrain.h"

const int kLodMaxLevels = 8;

struct LodChunk {
    int row0 = 0, col0 = 0;    // first mesh row and column
    int rows = 0, cols = 0;    // cells down and across
    int neighbour[4] = {-1, -1, -1, -1};   // chunk across the north, east, south, west side; -1 at the rim
    float lo[3] = {}, hi[3] = {};          // bounding box in the frame
    // Per level: the largest height difference (frame units) between the mesh and the level's
    // surface, never less than the finer levels'; infinite where a level may not stand in (a
    // chunk with a hole is drawn in full).
    float heightError[kLodMaxLevels] = {};
    // What the level selection goes by: the height error, or where the level would blur a
    // colour step (a vertex whose colour its level's triangle does not give), half the
    // level's cell: how far the step may move on the ground.
    float error[kLodMaxLevels] = {};
    // Per level, in TerrainLod::indices: the triangles clear of the chunk's sides, then those
    // with a vertex on a side (which a coarser neighbour bends).
    uint32_t first[kLodMaxLevels] = {}, inner[kLodMaxLevels] = {}, ring[kLodMaxLevels] = {};
};

struct TerrainLod {
    int chunkCells = 0;
    int chunksAcross = 0, chunksDown = 0;
    int levels = 0;                    // levels 0 .. levels - 1, every chunk
    std::vector<LodChunk> chunks;      // row by row from the north-west
    int meshCols = 0, meshRows = 0;
    std::vector<uint32_t> indices;     // triangles (three per) of every level of every chunk
};

// Cells on a chunk's side for a mesh of cols x rows vertices: the smallest power of two from
// 32 up that cuts each side into at most 16 chunks (64 at most).
int LodChunkCells(int cols, int rows);

// Cuts the mesh into chunks and builds every level's triangles (over the mesh's own vertices)
// and height error. Cells touching NODATA stay open as in the mesh; a chunk with such a cell
// is drawn at level 0 only. False for a mesh without cells or a chunk size outside 2 .. 65536.
bool BuildTerrainLod(const TerrainMesh& mesh, int chunkCells, TerrainLod* lod);

// What a frame's camera sees: the eye, the six planes of the view volume (a x + b y + c z + d
// >= 0 inside) and pixels per frame unit at distance 1.
struct LodView {
    float eye[3] = {};
    float planes[6][4] = {};
    float pixelsPerUnit = 1.0f;
};

// A camera at eye looking at target with the world's y up, a vertical field of view in degrees,
// a viewport of width x height pixels, near and far planes.
LodView MakeLodView(const float eye[3], const float target[3], float fovYDegrees, int width, int height,
                    float zNear, float zFar);

// Colour steps larger than this (in any of r, g, b) count in a level's error.
const int kLodColourStep = 40;

// Takes the vertices' colours (r, g, b per mesh vertex, as the renderer has them) into each
// level's error; empty colours leave the height error alone. Call after each recolouring.
void SetLodColours(TerrainLod* lod, const TerrainMesh& mesh, const std::vector<uint8_t>& rgb);

// One frame's choice: a level per chunk, -1 for a chunk out of view.
struct LodSelection {
    std::vector<int> level;
    size_t triangles = 0;      // at most this many (seams drop a few)
    float errorPixels = 0.0f;  // the bound the levels keep (above the asked one when over budget)
    int drawn = 0, culled = 0;
};

// Levels for a frame: each chunk in view the coarsest level whose error is at most errorPixels
// on the screen. When that comes to more than triangleBudget triangles (0: no budget), the bound
// is raised until it fits (or every chunk is at its coarsest).
void SelectLodLevels(const TerrainLod& lod, const LodView& view, float errorPixels, size_t triangleBudget,
                     LodSelection* selection);

// The same pattern for every chunk: a chunk's level from a rule of its column and row (the
// crack check draws a checkerboard of the finest and the coarsest level). Levels are clamped
// to the chunk's usable ones.
void SelectLodPattern(const TerrainLod& lod, int (*levelAt)(int chunkCol, int chunkRow, int levels),
                      LodSelection* selection);

// The frame's triangle list: each drawn chunk's triangles at its level, bent along the sides
// whose neighbour is drawn coarser.
void AssembleLodIndices(const TerrainLod& lod, const LodSelection& selection, std::vector<uint32_t>* indices);

// Mesh vertices along the surface's outline as the selection draws it, clockwise seen from
// above starting at the north-west corner, each once. Chunks out of view count as level 0.
std::vector<uint32_t> LodRim(const TerrainLod& lod, const TerrainMesh& mesh, const LodSelection& selection);
