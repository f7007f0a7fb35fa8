// Terrain geometry and colouring.
#include "demo/terrain.h"

#include <algorithm>
#include <cmath>

void SpreadLayers(float lowest, float highest, int count, float (*limits)[2])
{
    if (count < 1)
        return;
    const float step = (highest - lowest) / static_cast<float>(count);
    for (int i = 0; i < count; ++i) {
        limits[i][0] = lowest + static_cast<float>(i) * step;
        limits[i][1] = lowest + static_cast<float>(i + 1) * step;
    }
}

namespace {

float Distance(const TerrainLayer& layer, float h)
{
    const float lo = std::min(layer.lower, layer.upper);
    const float hi = std::max(layer.lower, layer.upper);
    return h < lo ? lo - h : h > hi ? h - hi : 0.0f;
}

// Whether the table runs upward without overlaps (each layer's upper limit at or below the
// next lower limit), so that a binary search finds what the linear rule finds.
bool Ascending(const TerrainLayer* layers, int count)
{
    for (int i = 0; i < count; ++i) {
        if (!(layers[i].lower <= layers[i].upper))
            return false;
        if (i > 0 && !(layers[i - 1].upper <= layers[i].lower))
            return false;
    }
    return true;
}

// LayerFor on an ascending table in O(log n).
int LayerForAscending(const TerrainLayer* layers, int count, float h)
{
    // First layer whose upper limit reaches h.
    int lo = 0, hi = count;
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (layers[mid].upper < h)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo == count)
        return count - 1;                    // above the top
    if (layers[lo].lower <= h || lo == 0)
        return lo;                           // inside, or below the bottom
    // In the gap between lo - 1 and lo: the nearer one, the earlier on a tie.
    return h - layers[lo - 1].upper <= layers[lo].lower - h ? lo - 1 : lo;
}

}  // namespace

int LayerFor(const TerrainLayer* layers, int count, float h)
{
    int best = -1;
    float bestDistance = 0.0f;
    for (int i = 0; i < count; ++i) {
        const float d = Distance(layers[i], h);
        if (d == 0.0f)
            return i;
        if (best < 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

void ColourVertices(const AscGrid& grid, const TerrainLayer* layers, int count,
                    const uint8_t none[3], std::vector<uint8_t>* rgb)
{
    rgb->resize(grid.z.size() * 3);
    const bool ascending = count > 0 && Ascending(layers, count);
    uint8_t* out = rgb->data();
    for (float h : grid.z) {
        const int i = std::isnan(h) || count < 1 ? -1
                    : ascending ? LayerForAscending(layers, count, h) : LayerFor(layers, count, h);
        if (i < 0) {
            out[0] = none[0], out[1] = none[1], out[2] = none[2];
        } else {
            out[0] = layers[i].r, out[1] = layers[i].g, out[2] = layers[i].b;
        }
        out += 3;
    }
}

float AutoExaggeration(double horizontalExtent, double relief)
{
    if (!(horizontalExtent > 0.0) || !(relief > 0.0))
        return 1.0f;
    const double ratio = relief / horizontalExtent;
    if (ratio >= 0.05 && ratio <= 0.6)
        return 1.0f;
    return static_cast<float>(0.25 / ratio);
}

bool BuildTerrainMesh(const AscGrid& grid, TerrainMesh* mesh)
{
    float lowest, highest;
    if (grid.ncols < 2 || grid.nrows < 2 || !AscGridRange(grid, &lowest, &highest))
        return false;
    const int cols = grid.ncols, rows = grid.nrows;
    const double width = grid.cellsize * (cols - 1);
    const double depth = grid.cellsize * (rows - 1);
    const double extent = std::max(width, depth);
    const float exaggeration = AutoExaggeration(extent, static_cast<double>(highest) - lowest);
    const float unit = static_cast<float>(2.0 / extent);   // frame units per map unit
    const float middle = (lowest + highest) / 2;

    TerrainMesh m;
    m.cols = cols;
    m.rows = rows;
    m.exaggeration = exaggeration;
    m.scale = unit * exaggeration;
    m.lowest = lowest;
    m.highest = highest;
    const size_t n = static_cast<size_t>(cols) * rows;
    m.positions.resize(n * 3);
    m.normals.resize(n * 3);
    m.texcoords.resize(n * 2);

    const float spacing = static_cast<float>(grid.cellsize) * unit;
    const float x0 = -static_cast<float>(width) * unit / 2;
    const float z0 = -static_cast<float>(depth) * unit / 2;
    auto height = [&](int r, int c) {
        const float h = grid.At(r, c);
        return std::isnan(h) ? lowest : h;
    };
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const size_t v = static_cast<size_t>(r) * cols + c;
            m.positions[v * 3 + 0] = x0 + c * spacing;
            m.positions[v * 3 + 1] = (height(r, c) - middle) * m.scale;
            m.positions[v * 3 + 2] = z0 + r * spacing;
            m.texcoords[v * 2 + 0] = static_cast<float>(c) / (cols - 1);
            m.texcoords[v * 2 + 1] = static_cast<float>(r) / (rows - 1);

            // Central differences on the scaled surface (one-sided at the edges; a missing
            // neighbour counts as the cell itself).
            auto valid = [&](int rr, int cc) { return !std::isnan(grid.At(rr, cc)); };
            const int cw = c > 0 && valid(r, c - 1) ? c - 1 : c;
            const int ce = c < cols - 1 && valid(r, c + 1) ? c + 1 : c;
            const int rn = r > 0 && valid(r - 1, c) ? r - 1 : r;
            const int rs = r < rows - 1 && valid(r + 1, c) ? r + 1 : r;
            const float dx = ce > cw ? (height(r, ce) - height(r, cw)) * m.scale / ((ce - cw) * spacing) : 0.0f;
            const float dz = rs > rn ? (height(rs, c) - height(rn, c)) * m.scale / ((rs - rn) * spacing) : 0.0f;
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
            if (std::isnan(grid.At(r, c)) || std::isnan(grid.At(r, c + 1)) ||
                std::isnan(grid.At(r + 1, c)) || std::isnan(grid.At(r + 1, c + 1)))
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
        if (!std::isnan(grid.At(r0, c0)) && !std::isnan(grid.At(r1, c1)))
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
