// Terrain geometry and colouring for the viewer, free of Windows and OpenGL.
//   TerrainLayer, SpreadLayers, LayerFor, ColourVertices (elevation layering);
//   TerrainMesh, BuildTerrainMesh, AutoExaggeration (the lit surface); OrbitCamera (the view).
#pragma once

#include <stdint.h>

#include <vector>

#include "demo/ascgrid.h"

// One elevation layer as the viewer draws it: limits in elevation units, 8-bit colour.
struct TerrainLayer {
    float lower = 0.0f;
    float upper = 0.0f;
    uint8_t r = 0, g = 0, b = 0;
};

// Spreads count layers evenly over lowest .. highest the way the layering dialog does:
// step = (highest - lowest) / count in single precision, layer i spans
// lowest + i * step .. lowest + (i + 1) * step. Writes count pairs into limits; nothing for a
// count below 1.
void SpreadLayers(float lowest, float highest, int count, float (*limits)[2]);

// The layer that colours elevation h: the first layer (in table order) whose limits hold h,
// either way round; when none does (a gap, or beyond the ends), the layer whose nearer limit
// is closest, the earlier one on a tie. -1 only for an empty table.
int LayerFor(const TerrainLayer* layers, int count, float h);

// Per-vertex colours (r, g, b per grid cell, row by row) of the grid under the layers.
// Cells without elevation get `none`.
void ColourVertices(const AscGrid& grid, const TerrainLayer* layers, int count,
                    const uint8_t none[3], std::vector<uint8_t>* rgb);

// The vertical scale that shows a grid's relief: 1 (true scale) when the relief stands
// between 5% and 60% of the horizontal extent, else the factor that makes it 25% (a flat
// plain is raised, a grid in degrees with heights in metres is tamed). 1 for a grid without
// relief.
float AutoExaggeration(double horizontalExtent, double relief);

// The surface as vertex arrays in a normalised frame: the grid's longer side spans -1 .. 1 on
// x (west to east) or z (north to south), y is up with the middle elevation at 0. Every cell
// whose four corners hold an elevation gives two triangles; cells touching NODATA are left
// open.
struct TerrainMesh {
    int cols = 0;
    int rows = 0;
    float exaggeration = 1.0f;
    float scale = 1.0f;                // frame units per elevation unit, exaggeration included
    float lowest = 0.0f, highest = 0.0f;   // elevation range of the grid
    std::vector<float> positions;      // x, y, z per vertex (cols * rows)
    std::vector<float> normals;        // unit normals, per vertex
    std::vector<float> texcoords;      // s (west 0 .. east 1), t (north 0 .. south 1)
    std::vector<uint32_t> indices;     // three per triangle, counter-clockwise seen from above
    std::vector<uint32_t> gridLines;   // pairs of vertices: a graticule every kGridLineStep cells
};

// Spacing of the graticule drawn over the surface, in cells.
const int kGridLineStep = 8;

// False for a grid without elevations (no valid cell).
bool BuildTerrainMesh(const AscGrid& grid, TerrainMesh* mesh);

// A camera orbiting the centre of the frame: yaw around the vertical axis, pitch above the
// horizon, distance from the centre; all kept inside the limits below.
struct OrbitCamera {
    static constexpr float kMinPitch = 5.0f, kMaxPitch = 89.0f;
    static constexpr float kMinDistance = 1.2f, kMaxDistance = 10.0f;

    float yaw = 30.0f;        // degrees
    float pitch = 35.0f;      // degrees
    float distance = 3.2f;

    // A mouse drag of dx, dy pixels: right turns the scene, down tilts the view higher.
    void Drag(int dx, int dy);
    // A wheel turn (120 per notch, positive away from the user) moves the camera closer.
    void Zoom(int wheelDelta);
    // Eye position in the frame.
    void Eye(float eye[3]) const;
    void Clamp();
};
