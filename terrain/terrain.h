// Terrain geometry and colouring for the viewer, free of Windows and OpenGL.
//   ColourVertices (elevation layering, by the colour core's layers);
//   SeaLevelLayers, WaterColour (start-up layers); TerrainMesh, BuildTerrainMesh (the lit surface); OrbitCamera (the view).
#pragma once

#include <stdint.h>

#include <vector>

#include "heightcolor/layers.h"
#include "terrain/ascgrid.h"

// Per-vertex colours (r, g, b per height, in order) of heights under the layers (the mesh's
// own heights, or a grid's cells). Heights without elevation (NaN) get `none`.
// (LayerFor's rule, in O(log count) a height when the layers ascend.)
void ColourVertices(const std::vector<float>& heights, const ColorLayer* layers, int count,
                    const Rgb8& none, std::vector<uint8_t>* rgb);

// Start-up layers that put sea level on a layer boundary. A range that spans 0 gets a water
// ramp over lowest .. 0 and the land colours over 0 .. highest, each with a share of count
// layers proportional to its share of the range (at least one each); a range entirely below
// 0 gets the water ramp alone; one at or above 0 gets the land colours alone. Land layer j of
// nLand takes land colour j * landCount / nLand, so a table of any length stretches over its
// share. Writes count limits (ascending, water's last upper limit and land's first lower limit
// exactly 0) and colours; returns the number of water layers. Each side is spread by the
// layering dialog's rule (SpreadTableLayers); count is taken as LayersInRecord(count).
int SeaLevelLayers(float lowest, float highest, int count, const Rgb8* land, int landCount,
                   float (*limits)[2], Rgb8* colors);

// The colour of water layer i of n: from deep blue (i = 0) to the shallows (i = n - 1).
Rgb8 WaterColour(int i, int n);

// How a grid stands on the ground: metres per cell along x and y (GridGroundScale), the
// vertical exaggeration (1: true proportions), and the largest number of vertices the mesh
// holds on a side: a larger grid is drawn from every step-th row and column (its last row
// and column always included), step the smallest that keeps within the limit.
struct MeshScale {
    double cellX = 1.0, cellY = 1.0;
    float exaggeration = 1.0f;
    int maxSide = 1 << 30;
};

// The step BuildTerrainMesh takes through side samples to keep within maxSide vertices.
int MeshStep(int side, int maxSide);

// The surface as vertex arrays in a normalised frame: the grid's longer side on the ground
// spans -1 .. 1 on x (west to east) or z (north to south), y is up with the middle elevation
// at 0, heights in the same units as the ground times the exaggeration. Every cell whose four
// corners hold an elevation gives two triangles; cells touching NODATA are left open.
struct TerrainMesh {
    int cols = 0;
    int rows = 0;
    int step = 1;                      // grid rows and columns per mesh row and column
    float exaggeration = 1.0f;
    float scale = 1.0f;                // frame units per elevation unit, exaggeration included
    float lowest = 0.0f, highest = 0.0f;   // elevation range of the grid
    std::vector<float> heights;        // elevation per vertex (NaN: none), row by row
    std::vector<float> positions;      // x, y, z per vertex (cols * rows)
    std::vector<float> normals;        // unit normals, per vertex
    std::vector<float> texcoords;      // s (west 0 .. east 1), t (north 0 .. south 1)
    std::vector<uint32_t> indices;     // three per triangle, counter-clockwise seen from above
    std::vector<uint32_t> gridLines;   // pairs of vertices: a graticule every kGridLineStep cells
};

// Spacing of the graticule drawn over the surface, in cells.
const int kGridLineStep = 8;

// False for a grid without elevations (no valid cell).
bool BuildTerrainMesh(const AscGrid& grid, const MeshScale& scale, TerrainMesh* mesh);

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
