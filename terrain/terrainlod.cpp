// Level of detail of the terrain surface.
#include "terrain/terrainlod.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

enum { kNorth, kEast, kSouth, kWest };

// The local positions a level keeps along a side of n cells: 0, s, 2s, ... and n.
void Stops(int n, int stride, std::vector<int>* out)
{
    out->clear();
    for (int t = 0; t < n; t += stride)
        out->push_back(t);
    out->push_back(n);
}

// Cells along a side of n cells at this stride (the last one may be shorter).
int Spans(int n, int stride)
{
    return (n + stride - 1) / stride;
}

// Levels a chunk side of n cells has: strides 1, 2, 4, ... up to the first that spans it whole.
int LevelsFor(int chunkCells)
{
    int levels = 1;
    while ((1 << (levels - 1)) < chunkCells && levels < kLodMaxLevels)
        ++levels;
    return levels;
}

}  // namespace

int LodChunkCells(int cols, int rows)
{
    const int cells = std::max(cols, rows) - 1;
    int size = 32;
    while (size < 64 && Spans(cells, size) > 16)
        size *= 2;
    return size;
}

bool BuildTerrainLod(const TerrainMesh& mesh, int chunkCells, TerrainLod* lod)
{
    const int cols = mesh.cols, rows = mesh.rows;
    if (cols < 2 || rows < 2 || chunkCells < 2 || chunkCells > (1 << 16) || mesh.positions.size() < static_cast<size_t>(cols) * rows * 3 ||
        mesh.heights.size() < static_cast<size_t>(cols) * rows)
        return false;
    TerrainLod l;
    l.chunkCells = chunkCells;
    l.levels = LevelsFor(chunkCells);
    l.chunksAcross = Spans(cols - 1, chunkCells);
    l.chunksDown = Spans(rows - 1, chunkCells);
    l.meshCols = cols;
    l.meshRows = rows;

    auto vertex = [&](int r, int c) { return static_cast<uint32_t>(static_cast<size_t>(r) * cols + c); };
    auto y = [&](int r, int c) { return mesh.positions[vertex(r, c) * 3 + 1]; };
    auto valid = [&](int r, int c) { return !std::isnan(mesh.heights[vertex(r, c)]); };

    std::vector<int> rowStops, colStops;
    std::vector<uint32_t> ring;
    for (int cr = 0; cr < l.chunksDown; ++cr) {
        for (int cc = 0; cc < l.chunksAcross; ++cc) {
            LodChunk ch;
            ch.row0 = cr * chunkCells;
            ch.col0 = cc * chunkCells;
            ch.rows = std::min(chunkCells, rows - 1 - ch.row0);
            ch.cols = std::min(chunkCells, cols - 1 - ch.col0);
            ch.neighbour[kNorth] = cr > 0 ? (cr - 1) * l.chunksAcross + cc : -1;
            ch.neighbour[kSouth] = cr + 1 < l.chunksDown ? (cr + 1) * l.chunksAcross + cc : -1;
            ch.neighbour[kWest] = cc > 0 ? cr * l.chunksAcross + cc - 1 : -1;
            ch.neighbour[kEast] = cc + 1 < l.chunksAcross ? cr * l.chunksAcross + cc + 1 : -1;

            bool hole = false;
            for (int i = 0; i < 3; ++i) {
                ch.lo[i] = std::numeric_limits<float>::max();
                ch.hi[i] = -std::numeric_limits<float>::max();
            }
            for (int r = 0; r <= ch.rows; ++r)
                for (int c = 0; c <= ch.cols; ++c) {
                    hole = hole || !valid(ch.row0 + r, ch.col0 + c);
                    const float* p = &mesh.positions[vertex(ch.row0 + r, ch.col0 + c) * 3];
                    for (int i = 0; i < 3; ++i) {
                        ch.lo[i] = std::min(ch.lo[i], p[i]);
                        ch.hi[i] = std::max(ch.hi[i], p[i]);
                    }
                }

            // Each level's height error: every mesh vertex against the level's triangle above it.
            for (int k = 1; k < l.levels; ++k) {
                const int s = 1 << k;
                if (hole) {
                    ch.heightError[k] = ch.error[k] = std::numeric_limits<float>::infinity();
                    continue;
                }
                float worst = ch.heightError[k - 1];
                const int lastRow = ((ch.rows - 1) / s) * s, lastCol = ((ch.cols - 1) / s) * s;
                for (int r = 0; r <= ch.rows; ++r) {
                    const int r0 = std::min((r / s) * s, lastRow), r1 = std::min(r0 + s, ch.rows);
                    const float v = static_cast<float>(r - r0) / static_cast<float>(r1 - r0);
                    for (int c = 0; c <= ch.cols; ++c) {
                        const int c0 = std::min((c / s) * s, lastCol), c1 = std::min(c0 + s, ch.cols);
                        const float u = static_cast<float>(c - c0) / static_cast<float>(c1 - c0);
                        const int R0 = ch.row0 + r0, R1 = ch.row0 + r1, C0 = ch.col0 + c0, C1 = ch.col0 + c1;
                        // The cell's triangles: (nw, sw, ne) and (ne, sw, se).
                        const float h = u + v <= 1.0f ? y(R0, C0) + u * (y(R0, C1) - y(R0, C0)) + v * (y(R1, C0) - y(R0, C0))
                                                      : y(R1, C1) + (1.0f - u) * (y(R1, C0) - y(R1, C1)) +
                                                            (1.0f - v) * (y(R0, C1) - y(R1, C1));
                        worst = std::max(worst, std::fabs(y(ch.row0 + r, ch.col0 + c) - h));
                    }
                }
                ch.heightError[k] = ch.error[k] = worst;
            }

            // Each level's surface: the cells of its stops whose four corners hold an elevation,
            // those clear of the sides first.
            for (int k = 0; k < l.levels; ++k) {
                Stops(ch.rows, 1 << k, &rowStops);
                Stops(ch.cols, 1 << k, &colStops);
                ch.first[k] = static_cast<uint32_t>(l.indices.size());
                ring.clear();
                for (size_t i = 0; i + 1 < rowStops.size(); ++i)
                    for (size_t j = 0; j + 1 < colStops.size(); ++j) {
                        const int R0 = ch.row0 + rowStops[i], R1 = ch.row0 + rowStops[i + 1];
                        const int C0 = ch.col0 + colStops[j], C1 = ch.col0 + colStops[j + 1];
                        if (!valid(R0, C0) || !valid(R0, C1) || !valid(R1, C0) || !valid(R1, C1))
                            continue;
                        const uint32_t nw = vertex(R0, C0), ne = vertex(R0, C1), sw = vertex(R1, C0), se = vertex(R1, C1);
                        const bool onSide = i == 0 || j == 0 || i + 2 == rowStops.size() || j + 2 == colStops.size();
                        std::vector<uint32_t>& to = onSide ? ring : l.indices;
                        to.insert(to.end(), {nw, sw, ne, ne, sw, se});
                    }
                ch.inner[k] = static_cast<uint32_t>(l.indices.size()) - ch.first[k];
                l.indices.insert(l.indices.end(), ring.begin(), ring.end());
                ch.ring[k] = static_cast<uint32_t>(ring.size());
            }
            l.chunks.push_back(ch);
        }
    }
    *lod = std::move(l);
    return true;
}

void SetLodColours(TerrainLod* lod, const TerrainMesh& mesh, const std::vector<uint8_t>& rgb)
{
    const int cols = mesh.cols;
    const bool coloured = lod->meshCols == cols && lod->meshRows == mesh.rows &&
                          rgb.size() >= static_cast<size_t>(cols) * mesh.rows * 3 && mesh.positions.size() >= 6;
    // A level's cell on the ground, in frame units at stride 1.
    const float cell = coloured ? std::max(std::fabs(mesh.positions[3] - mesh.positions[0]),
                                           mesh.rows > 1 ? std::fabs(mesh.positions[cols * 3 + 2] - mesh.positions[2]) : 0.0f)
                                : 0.0f;
    auto colour = [&](int r, int c, int i) { return static_cast<float>(rgb[(static_cast<size_t>(r) * cols + c) * 3 + i]); };
    for (LodChunk& ch : lod->chunks) {
        bool stepped = false;   // a finer level already blurs a step
        for (int k = 0; k < lod->levels; ++k) {
            ch.error[k] = ch.heightError[k];
            if (k == 0 || !coloured || !std::isfinite(ch.error[k]))
                continue;
            const int s = 1 << k;
            const int lastRow = ((ch.rows - 1) / s) * s, lastCol = ((ch.cols - 1) / s) * s;
            for (int r = 0; r <= ch.rows && !stepped; ++r) {
                const int r0 = std::min((r / s) * s, lastRow), r1 = std::min(r0 + s, ch.rows);
                const float v = static_cast<float>(r - r0) / static_cast<float>(r1 - r0);
                for (int c = 0; c <= ch.cols && !stepped; ++c) {
                    const int c0 = std::min((c / s) * s, lastCol), c1 = std::min(c0 + s, ch.cols);
                    const float u = static_cast<float>(c - c0) / static_cast<float>(c1 - c0);
                    const int R0 = ch.row0 + r0, R1 = ch.row0 + r1, C0 = ch.col0 + c0, C1 = ch.col0 + c1;
                    for (int i = 0; i < 3 && !stepped; ++i) {
                        const float given = u + v <= 1.0f
                                                ? colour(R0, C0, i) + u * (colour(R0, C1, i) - colour(R0, C0, i)) +
                                                      v * (colour(R1, C0, i) - colour(R0, C0, i))
                                                : colour(R1, C1, i) + (1.0f - u) * (colour(R1, C0, i) - colour(R1, C1, i)) +
                                                      (1.0f - v) * (colour(R0, C1, i) - colour(R1, C1, i));
                        stepped = std::fabs(colour(ch.row0 + r, ch.col0 + c, i) - given) > kLodColourStep;
                    }
                }
            }
            if (stepped)
                ch.error[k] = std::max(ch.error[k], 0.5f * cell * static_cast<float>(s));
            ch.error[k] = std::max(ch.error[k], ch.error[k - 1]);
        }
    }
}

LodView MakeLodView(const float eye[3], const float target[3], float fovYDegrees, int width, int height,
                    float zNear, float zFar)
{
    LodView v;
    for (int i = 0; i < 3; ++i)
        v.eye[i] = eye[i];
    const float pi = 3.14159265358979f;
    const float t = std::tan(fovYDegrees * pi / 360.0f);
    const float aspect = height > 0 ? static_cast<float>(width) / static_cast<float>(height) : 1.0f;
    v.pixelsPerUnit = height > 0 && t > 0.0f ? static_cast<float>(height) / (2.0f * t) : 1.0f;
    // The camera's frame: forward f, right r, up u.
    float f[3] = {target[0] - eye[0], target[1] - eye[1], target[2] - eye[2]};
    float len = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
    if (!(len > 0.0f)) {
        f[0] = 0.0f, f[1] = 0.0f, f[2] = -1.0f;
        len = 1.0f;
    }
    for (float& c : f)
        c /= len;
    float r[3] = {-f[2], 0.0f, f[0]};   // f x (0, 1, 0)
    float rl = std::sqrt(r[0] * r[0] + r[2] * r[2]);
    if (!(rl > 1e-6f)) {
        r[0] = 1.0f, r[2] = 0.0f;
        rl = 1.0f;
    }
    r[0] /= rl, r[2] /= rl;
    const float u[3] = {r[1] * f[2] - r[2] * f[1], r[2] * f[0] - r[0] * f[2], r[0] * f[1] - r[1] * f[0]};
    // Planes through the eye (sides) with inward normals, and the near and far planes.
    auto set = [&](int i, float nx, float ny, float nz, float d) {
        v.planes[i][0] = nx, v.planes[i][1] = ny, v.planes[i][2] = nz;
        v.planes[i][3] = d - (nx * eye[0] + ny * eye[1] + nz * eye[2]);
    };
    const float tx = t * aspect;
    for (int s = -1; s <= 1; s += 2) {
        // Left and right: normal f * tx - s * r (inward); bottom and top: f * t - s * u.
        const float nx[3] = {f[0] * tx - s * r[0], f[1] * tx - s * r[1], f[2] * tx - s * r[2]};
        const float ny[3] = {f[0] * t - s * u[0], f[1] * t - s * u[1], f[2] * t - s * u[2]};
        set(s < 0 ? 0 : 1, nx[0], nx[1], nx[2], 0.0f);
        set(s < 0 ? 2 : 3, ny[0], ny[1], ny[2], 0.0f);
    }
    set(4, f[0], f[1], f[2], -zNear);
    set(5, -f[0], -f[1], -f[2], zFar);
    return v;
}

namespace {

bool BoxInView(const LodView& view, const LodChunk& ch)
{
    for (const float* p : view.planes) {
        // The box's corner farthest along the plane's normal.
        const float x = p[0] >= 0.0f ? ch.hi[0] : ch.lo[0];
        const float y = p[1] >= 0.0f ? ch.hi[1] : ch.lo[1];
        const float z = p[2] >= 0.0f ? ch.hi[2] : ch.lo[2];
        if (p[0] * x + p[1] * y + p[2] * z + p[3] < 0.0f)
            return false;
    }
    return true;
}

float DistanceToBox(const float eye[3], const LodChunk& ch)
{
    float d2 = 0.0f;
    for (int i = 0; i < 3; ++i) {
        const float d = eye[i] < ch.lo[i] ? ch.lo[i] - eye[i] : eye[i] > ch.hi[i] ? eye[i] - ch.hi[i] : 0.0f;
        d2 += d * d;
    }
    return std::sqrt(d2);
}

size_t CountTriangles(const TerrainLod& lod, const std::vector<int>& level)
{
    size_t indices = 0;
    for (size_t i = 0; i < lod.chunks.size(); ++i)
        if (level[i] >= 0)
            indices += lod.chunks[i].inner[level[i]] + lod.chunks[i].ring[level[i]];
    return indices / 3;
}

int CoarsestWithin(const LodChunk& ch, int levels, float allowed)
{
    int k = 0;
    while (k + 1 < levels && ch.error[k + 1] <= allowed)
        ++k;
    return k;
}

}  // namespace

void SelectLodLevels(const TerrainLod& lod, const LodView& view, float errorPixels, size_t triangleBudget,
                     LodSelection* selection)
{
    const size_t n = lod.chunks.size();
    std::vector<float> distance(n, -1.0f);
    selection->drawn = selection->culled = 0;
    for (size_t i = 0; i < n; ++i) {
        if (BoxInView(view, lod.chunks[i])) {
            distance[i] = DistanceToBox(view.eye, lod.chunks[i]);
            ++selection->drawn;
        } else {
            ++selection->culled;
        }
    }
    std::vector<int>& level = selection->level;
    level.assign(n, -1);
    auto choose = [&](float pixels) {
        for (size_t i = 0; i < n; ++i)
            if (distance[i] >= 0.0f)
                level[i] = CoarsestWithin(lod.chunks[i], lod.levels, pixels * distance[i] / view.pixelsPerUnit);
        return CountTriangles(lod, level);
    };
    float bound = std::max(0.0f, std::isfinite(errorPixels) ? errorPixels : 0.0f);
    size_t triangles = choose(bound);
    if (triangleBudget > 0 && triangles > triangleBudget) {
        // The smallest bound (to a few per cent) that fits, between the asked one and one that
        // takes every chunk to its coarsest.
        float low = bound, high = std::max(bound, 1.0f);
        while (choose(high) > triangleBudget && high < 1e9f)
            high *= 4.0f;
        for (int i = 0; i < 40 && high > low * 1.02f + 1e-6f; ++i) {
            const float mid = (low + high) / 2;
            if (choose(mid) > triangleBudget)
                low = mid;
            else
                high = mid;
        }
        bound = high;
        triangles = choose(bound);
    }
    selection->triangles = triangles;
    selection->errorPixels = bound;
}

void SelectLodPattern(const TerrainLod& lod, int (*levelAt)(int chunkCol, int chunkRow, int levels),
                      LodSelection* selection)
{
    selection->level.assign(lod.chunks.size(), 0);
    for (size_t i = 0; i < lod.chunks.size(); ++i) {
        const int cc = static_cast<int>(i) % lod.chunksAcross, cr = static_cast<int>(i) / lod.chunksAcross;
        const int wanted = std::min(lod.levels - 1, std::max(0, levelAt(cc, cr, lod.levels)));
        int k = 0;   // the coarsest usable level up to the wanted one
        while (k < wanted && std::isfinite(lod.chunks[i].error[k + 1]))
            ++k;
        selection->level[i] = k;
    }
    selection->drawn = static_cast<int>(lod.chunks.size());
    selection->culled = 0;
    selection->triangles = CountTriangles(lod, selection->level);
    selection->errorPixels = 0.0f;
}

void AssembleLodIndices(const TerrainLod& lod, const LodSelection& selection, std::vector<uint32_t>* indices)
{
    indices->clear();
    indices->reserve(selection.triangles * 3);
    const uint32_t cols = static_cast<uint32_t>(lod.meshCols);
    for (size_t i = 0; i < lod.chunks.size() && i < selection.level.size(); ++i) {
        const int k = selection.level[i];
        if (k < 0)
            continue;
        const LodChunk& ch = lod.chunks[i];
        const uint32_t* tri = lod.indices.data() + ch.first[k];
        indices->insert(indices->end(), tri, tri + ch.inner[k] + ch.ring[k]);
        // The stride of each side's coarser neighbour (0: none, the side stays as it is).
        int stride[4] = {0, 0, 0, 0};
        bool bend = false;
        for (int side = 0; side < 4; ++side) {
            const int n = ch.neighbour[side];
            if (n >= 0 && selection.level[n] > k) {
                stride[side] = 1 << selection.level[n];
                bend = true;
            }
        }
        if (!bend)
            continue;
        // Moves a vertex on a bent side to the neighbour's nearest stop along it; from the
        // middle of a span, toward the nearer end of the side. Near a corner both sides then
        // fold toward the corner, and no triangle turns over.
        auto nearest = [](int t, int stride, int n) {
            if (t == n)
                return n;
            const int lower = t / stride * stride, upper = std::min(lower + stride, n);
            return t - lower < upper - t || (t - lower == upper - t && 2 * t < n) ? lower : upper;
        };
        auto snap = [&](uint32_t v) {
            const int r = static_cast<int>(v / cols) - ch.row0, c = static_cast<int>(v % cols) - ch.col0;
            int rr = r, cc = c;
            if (r == 0 && stride[kNorth])
                cc = nearest(c, stride[kNorth], ch.cols);
            else if (r == ch.rows && stride[kSouth])
                cc = nearest(c, stride[kSouth], ch.cols);
            else if (c == 0 && stride[kWest])
                rr = nearest(r, stride[kWest], ch.rows);
            else if (c == ch.cols && stride[kEast])
                rr = nearest(r, stride[kEast], ch.rows);
            return static_cast<uint32_t>((ch.row0 + rr) * static_cast<int>(cols) + ch.col0 + cc);
        };
        indices->resize(indices->size() - ch.ring[k]);
        for (uint32_t t = ch.inner[k]; t < ch.inner[k] + ch.ring[k]; t += 3) {
            const uint32_t a = snap(tri[t]), b = snap(tri[t + 1]), c = snap(tri[t + 2]);
            if (a != b && b != c && a != c)
                indices->insert(indices->end(), {a, b, c});
        }
    }
}

std::vector<uint32_t> LodRim(const TerrainLod& lod, const TerrainMesh& mesh, const LodSelection& selection)
{
    std::vector<uint32_t> rim;
    if (lod.chunks.empty() || selection.level.size() != lod.chunks.size())
        return rim;
    auto levelOf = [&](int cc, int cr) { return std::max(0, selection.level[static_cast<size_t>(cr) * lod.chunksAcross + cc]); };
    auto chunk = [&](int cc, int cr) -> const LodChunk& { return lod.chunks[static_cast<size_t>(cr) * lod.chunksAcross + cc]; };
    auto add = [&](int r, int c) {
        const uint32_t v = static_cast<uint32_t>(static_cast<size_t>(r) * mesh.cols + c);
        if (rim.empty() || rim.back() != v)
            rim.push_back(v);
    };
    std::vector<int> stops;
    // North side, west to east.
    for (int cc = 0; cc < lod.chunksAcross; ++cc) {
        const LodChunk& ch = chunk(cc, 0);
        Stops(ch.cols, 1 << levelOf(cc, 0), &stops);
        for (int t : stops)
            add(0, ch.col0 + t);
    }
    // East side, north to south.
    for (int cr = 0; cr < lod.chunksDown; ++cr) {
        const LodChunk& ch = chunk(lod.chunksAcross - 1, cr);
        Stops(ch.rows, 1 << levelOf(lod.chunksAcross - 1, cr), &stops);
        for (int t : stops)
            add(ch.row0 + t, mesh.cols - 1);
    }
    // South side, east to west.
    for (int cc = lod.chunksAcross - 1; cc >= 0; --cc) {
        const LodChunk& ch = chunk(cc, lod.chunksDown - 1);
        Stops(ch.cols, 1 << levelOf(cc, lod.chunksDown - 1), &stops);
        for (auto it = stops.rbegin(); it != stops.rend(); ++it)
            add(mesh.rows - 1, ch.col0 + *it);
    }
    // West side, south to north, back to the start.
    for (int cr = lod.chunksDown - 1; cr >= 0; --cr) {
        const LodChunk& ch = chunk(0, cr);
        Stops(ch.rows, 1 << levelOf(0, cr), &stops);
        for (auto it = stops.rbegin(); it != stops.rend(); ++it)
            add(ch.row0 + *it, 0);
    }
    if (rim.size() > 1 && rim.back() == rim.front())
        rim.pop_back();
    return rim;
}
