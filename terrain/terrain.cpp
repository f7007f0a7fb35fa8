// Terrain geometry and colouring.
#include "terrain/terrain.h"

#include <algorithm>
#include <cmath>

void ColourVertices(const std::vector<float>& heights, const ColorLayer* layers, int count,
                    const Rgb8& none, std::vector<uint8_t>* rgb)
{
    rgb->resize(heights.size() * 3);
    const bool ascending = count > 0 && LayersAscending(layers, count);
    uint8_t* out = rgb->data();
    for (float h : heights) {
        const int i = std::isnan(h) || count < 1 ? -1
                    : ascending ? LayerForAscending(layers, count, h) : LayerFor(layers, count, h);
        const Rgb8& c = i < 0 ? none : layers[i].color;
        out[0] = c.r, out[1] = c.g, out[2] = c.b;
        out += 3;
    }
}

Rgb8 WaterColour(int i, int n)
{
    // Deep ocean (8, 36, 92) to the shallows (120, 184, 224).
    const float t = n > 1 ? static_cast<float>(i) / static_cast<float>(n - 1) : 1.0f;
    return Rgb8{static_cast<uint8_t>(8.0f + t * 112.0f + 0.5f), static_cast<uint8_t>(36.0f + t * 148.0f + 0.5f),
                static_cast<uint8_t>(92.0f + t * 132.0f + 0.5f)};
}

int SeaLevelLayers(float lowest, float highest, int count, const Rgb8* land, int landCount,
                   float (*limits)[2], Rgb8* colors)
{
    count = LayersInRecord(count);
    if (count < 1)
        return 0;
    int water = 0;
    if (highest <= 0.0f && lowest < 0.0f) {
        water = count;
    } else if (lowest < 0.0f && count > 1) {
        const double share = -static_cast<double>(lowest) / (static_cast<double>(highest) - lowest);
        water = static_cast<int>(std::lround(share * count));
        water = std::min(count - 1, std::max(1, water));
    }
    const int landLayers = count - water;
    if (water > 0) {
        SpreadTableLayers(lowest, std::min(0.0f, highest), water, limits);
        limits[water - 1][1] = std::min(0.0f, highest);
        for (int i = 0; i < water; ++i)
            colors[i] = WaterColour(i, water);
    }
    if (landLayers > 0) {
        SpreadTableLayers(std::max(0.0f, lowest), highest, landLayers, limits + water);
        if (water > 0)
            limits[water][0] = 0.0f;
        for (int j = 0; j < landLayers; ++j) {
            const int k = landCount > 0 ? static_cast<int>(static_cast<long long>(j) * landCount / landLayers) : -1;
            const uint8_t grey = static_cast<uint8_t>(j * 255 / std::max(1, landLayers - 1));
            colors[water + j] = k >= 0 ? land[k] : Rgb8{grey, grey, grey};
        }
    }
    return water;
}

int MeshStep(int side, int maxSide)
{
    if (maxSide < 2 || side <= maxSide)
        return 1;
    // (side - 1) intervals in at most (maxSide - 2) full steps plus the last, shorter one.
    const int intervals = side - 1;
    int step = (intervals + (maxSide - 1) - 1) / (maxSide - 1);
    while (step > 1 && (intervals + step - 1) / step + 1 > maxSide)
        ++step;
    return std::max(1, step);
}

bool BuildTerrainMesh(const AscGrid& grid, const MeshScale& scale, TerrainMesh* mesh)
{
    float lowest, highest;
    if (grid.ncols < 2 || grid.nrows < 2 || !AscGridRange(grid, &lowest, &highest))
        return false;
    if (!(scale.cellX >= 0.0) || !(scale.cellY >= 0.0) || !(scale.cellX + scale.cellY > 0.0) ||
        !std::isfinite(scale.exaggeration) || !(scale.exaggeration > 0.0f))
        return false;
    // The samples drawn: every step-th row and column, and the last.
    const int step = std::max(MeshStep(grid.ncols, scale.maxSide), MeshStep(grid.nrows, scale.maxSide));
    std::vector<int> colAt, rowAt;
    for (int c = 0; c < grid.ncols - 1; c += step)
        colAt.push_back(c);
    colAt.push_back(grid.ncols - 1);
    for (int r = 0; r < grid.nrows - 1; r += step)
        rowAt.push_back(r);
    rowAt.push_back(grid.nrows - 1);
    const int cols = static_cast<int>(colAt.size()), rows = static_cast<int>(rowAt.size());

    const double width = scale.cellX * (grid.ncols - 1);
    const double depth = scale.cellY * (grid.nrows - 1);
    const double extent = std::max(width, depth);
    const float unit = static_cast<float>(2.0 / extent);   // frame units per metre
    const float middle = (lowest + highest) / 2;

    TerrainMesh m;
    m.cols = cols;
    m.rows = rows;
    m.step = step;
    m.exaggeration = scale.exaggeration;
    m.scale = unit * scale.exaggeration;
    m.lowest = lowest;
    m.highest = highest;
    const size_t n = static_cast<size_t>(cols) * rows;
    m.heights.resize(n);
    m.positions.resize(n * 3);
    m.normals.resize(n * 3);
    m.texcoords.resize(n * 2);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            m.heights[static_cast<size_t>(r) * cols + c] = grid.At(rowAt[r], colAt[c]);

    const float x0 = -static_cast<float>(width) * unit / 2;
    const float z0 = -static_cast<float>(depth) * unit / 2;
    const float sx = static_cast<float>(scale.cellX) * unit, sz = static_cast<float>(scale.cellY) * unit;
    auto at = [&](int r, int c) { return m.heights[static_cast<size_t>(r) * cols + c]; };
    auto height = [&](int r, int c) {
        const float h = at(r, c);
        return std::isnan(h) ? lowest : h;
    };
    auto valid = [&](int r, int c) { return !std::isnan(at(r, c)); };
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const size_t v = static_cast<size_t>(r) * cols + c;
            m.positions[v * 3 + 0] = x0 + colAt[c] * sx;
            m.positions[v * 3 + 1] = (height(r, c) - middle) * m.scale;
            m.positions[v * 3 + 2] = z0 + rowAt[r] * sz;
            m.texcoords[v * 2 + 0] = static_cast<float>(colAt[c]) / (grid.ncols - 1);
            m.texcoords[v * 2 + 1] = static_cast<float>(rowAt[r]) / (grid.nrows - 1);

            // Central differences on the scaled surface (one-sided at the edges; a missing
            // neighbour counts as the cell itself).
            const int cw = c > 0 && valid(r, c - 1) ? c - 1 : c;
            const int ce = c < cols - 1 && valid(r, c + 1) ? c + 1 : c;
            const int rn = r > 0 && valid(r - 1, c) ? r - 1 : r;
            const int rs = r < rows - 1 && valid(r + 1, c) ? r + 1 : r;
            const float runX = (colAt[ce] - colAt[cw]) * sx, runZ = (rowAt[rs] - rowAt[rn]) * sz;
            const float dx = ce > cw && runX > 0.0f ? (height(r, ce) - height(r, cw)) * m.scale / runX : 0.0f;
            const float dz = rs > rn && runZ > 0.0f ? (height(rs, c) - height(rn, c)) * m.scale / runZ : 0.0f;
            // Surface y = f(x, z): normal (-df/dx, 1, -df/dz).
            const float len = std::sqrt(dx * dx + 1.0f + dz * dz);
            m.normals[v * 3 + 0] = -dx / len;
            m.normals[v * 3 + 1] = 1.0f / len;
            m.normals[v * 3 + 2] = -dz / len;
        }
    }

    m.indices.reserve(static_cast<size_t>(cols - 1) * (rows - 1) * 6);
    for (int r = 0; r + 1 < rows; ++r) {
        for (int c = 0; c + 1 < cols; ++c) {
            if (!valid(r, c) || !valid(r, c + 1) || !valid(r + 1, c) || !valid(r + 1, c + 1))
                continue;
            const uint32_t nw = static_cast<uint32_t>(r * cols + c), ne = nw + 1;
            const uint32_t sw = nw + static_cast<uint32_t>(cols), se = sw + 1;
            // Seen from above (+y) with x east and z south, nw -> sw -> ne turns
            // counter-clockwise.
            m.indices.insert(m.indices.end(), {nw, sw, ne, ne, sw, se});
        }
    }
    // The graticule: segments along every kGridLineStep-th row and column (and the last ones),
    // between vertices that both hold an elevation.
    auto addSegment = [&](int r0, int c0, int r1, int c1) {
        if (valid(r0, c0) && valid(r1, c1))
            m.gridLines.insert(m.gridLines.end(), {static_cast<uint32_t>(r0 * cols + c0),
                                                   static_cast<uint32_t>(r1 * cols + c1)});
    };
    for (int r = 0; r < rows; ++r)
        if (r % kGridLineStep == 0 || r == rows - 1)
            for (int c = 0; c + 1 < cols; ++c)
                addSegment(r, c, r, c + 1);
    for (int c = 0; c < cols; ++c)
        if (c % kGridLineStep == 0 || c == cols - 1)
            for (int r = 0; r + 1 < rows; ++r)
                addSegment(r, c, r + 1, c);
    *mesh = std::move(m);
    return true;
}

void OrbitCamera::Drag(int dx, int dy)
{
    yaw += dx * 0.4f;
    pitch += dy * 0.3f;
    Clamp();
}

void OrbitCamera::Zoom(int wheelDelta)
{
    distance *= std::pow(0.9f, wheelDelta / 120.0f);
    Clamp();
}

void OrbitCamera::Clamp()
{
    if (!std::isfinite(yaw))
        yaw = 0.0f;
    yaw = std::fmod(yaw, 360.0f);
    if (yaw < 0.0f)
        yaw += 360.0f;
    if (!std::isfinite(pitch))
        pitch = kMinPitch;
    pitch = std::min(kMaxPitch, std::max(kMinPitch, pitch));
    if (!std::isfinite(distance))
        distance = kMaxDistance;
    distance = std::min(kMaxDistance, std::max(kMinDistance, distance));
}

void OrbitCamera::Eye(float eye[3]) const
{
    const float pi = 3.14159265358979f;
    const float yr = yaw * pi / 180.0f, pr = pitch * pi / 180.0f;
    eye[0] = distance * std::cos(pr) * std::sin(yr);
    eye[1] = distance * std::sin(pr);
    eye[2] = distance * std::cos(pr) * std::cos(yr);
}
