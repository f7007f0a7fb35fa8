// The sample scene: relief, texture picture and band image.
#include "terrain/samplescene.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

uint32_t SampleRandom::Next()
{
    uint32_t x = state_;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    state_ = x;
    return x;
}

namespace {

const double kPi = 3.14159265358979323846;

bool PowerOfTwoPlusOne(int size)
{
    if (size < 9)
        return false;
    const int n = size - 1;
    return (n & (n - 1)) == 0;
}

// Diamond-square: a size x size field (size = 2^k + 1) normalised to 0 .. 1.
std::vector<double> DiamondSquare(int size, uint32_t seed, double roughness)
{
    const int n = size - 1;
    std::vector<double> h(static_cast<size_t>(size) * size, 0.0);
    auto at = [&](int r, int c) -> double& { return h[static_cast<size_t>(r) * size + c]; };
    SampleRandom random(seed);
    double amplitude = 1.0;
    at(0, 0) = random.Signed() * amplitude;
    at(0, n) = random.Signed() * amplitude;
    at(n, 0) = random.Signed() * amplitude;
    at(n, n) = random.Signed() * amplitude;
    for (int step = n; step > 1; step /= 2) {
        const int half = step / 2;
        for (int r = half; r < n; r += step)
            for (int c = half; c < n; c += step)
                at(r, c) = (at(r - half, c - half) + at(r - half, c + half) + at(r + half, c - half) +
                            at(r + half, c + half)) / 4 + random.Signed() * amplitude;
        for (int r = 0; r <= n; r += half) {
            for (int c = (r / half) % 2 == 0 ? half : 0; c <= n; c += step) {
                double sum = 0.0;
                int count = 0;
                if (r >= half) sum += at(r - half, c), ++count;
                if (r + half <= n) sum += at(r + half, c), ++count;
                if (c >= half) sum += at(r, c - half), ++count;
                if (c + half <= n) sum += at(r, c + half), ++count;
                at(r, c) = sum / count + random.Signed() * amplitude;
            }
        }
        amplitude *= roughness;
    }
    const auto mm = std::minmax_element(h.begin(), h.end());
    const double lo = *mm.first, span = *mm.second - *mm.first;
    for (double& v : h)
        v = span > 0 ? (v - lo) / span : 0.0;
    return h;
}

// Cells reached from (r0, c0) through 4-neighbours lower than level; false when the fill
// would come closer than `margin` cells to the edge of a circle of `limit` cells around the
// start (the water would spill out of the basin).
bool FloodFill(const std::vector<double>& h, int size, int r0, int c0, double level, double limit,
               std::vector<uint8_t>* mask)
{
    mask->assign(h.size(), 0);
    std::vector<int> stack{r0 * size + c0};
    (*mask)[static_cast<size_t>(r0) * size + c0] = 1;
    while (!stack.empty()) {
        const int cell = stack.back();
        stack.pop_back();
        const int r = cell / size, c = cell % size;
        if (std::hypot(r - r0, c - c0) > limit)
            return false;
        const int next[4][2] = {{r - 1, c}, {r + 1, c}, {r, c - 1}, {r, c + 1}};
        for (const auto& rc : next) {
            if (rc[0] < 0 || rc[0] >= size || rc[1] < 0 || rc[1] >= size)
                return false;
            const size_t k = static_cast<size_t>(rc[0]) * size + rc[1];
            if (!(*mask)[k] && h[k] < level) {
                (*mask)[k] = 1;
                stack.push_back(rc[0] * size + rc[1]);
            }
        }
    }
    return true;
}

// Hill shade of a cell, 0 .. 1, light from the north-west 45 degrees above the horizon.
double HillShade(const AscGrid& grid, int r, int c)
{
    const int rn = std::max(r - 1, 0), rs = std::min(r + 1, grid.nrows - 1);
    const int cw = std::max(c - 1, 0), ce = std::min(c + 1, grid.ncols - 1);
    const double dzdx = (grid.At(r, ce) - grid.At(r, cw)) / ((ce - cw) * grid.cellsize);
    const double dzdy = (grid.At(rn, c) - grid.At(rs, c)) / ((rs - rn) * grid.cellsize);   // y north
    const double slope = std::atan(std::hypot(dzdx, dzdy));
    const double aspect = std::atan2(dzdy, -dzdx);
    const double zenith = 45.0 * kPi / 180.0;
    const double azimuth = (360.0 - 315.0 + 90.0) * kPi / 180.0;   // compass to maths angle
    const double v = std::cos(zenith) * std::cos(slope) +
                     std::sin(zenith) * std::sin(slope) * std::cos(azimuth - aspect);
    return std::min(1.0, std::max(0.0, v));
}

double SlopeDegrees(const AscGrid& grid, int r, int c)
{
    const int rn = std::max(r - 1, 0), rs = std::min(r + 1, grid.nrows - 1);
    const int cw = std::max(c - 1, 0), ce = std::min(c + 1, grid.ncols - 1);
    const double dzdx = (grid.At(r, ce) - grid.At(r, cw)) / ((ce - cw) * grid.cellsize);
    const double dzdy = (grid.At(rs, c) - grid.At(rn, c)) / ((rs - rn) * grid.cellsize);
    return std::atan(std::hypot(dzdx, dzdy)) * 180.0 / kPi;
}

uint8_t Clamp8(double v)
{
    return static_cast<uint8_t>(std::min(255.0, std::max(0.0, std::round(v))));
}

// How each land cover looks: its colour in the texture picture and its reflectance in the blue,
// green, red and near-infrared bands. Water is not shaded (it is flat anyway).
struct CoverLook {
    double rgb[3];
    double bands[4];
    bool shaded;
};
const CoverLook& LookOf(LandCover cover)
{
    static const CoverLook kLooks[] = {
        {{46, 98, 156}, {58, 48, 26, 8}, false},        // water
        {{128, 166, 78}, {42, 88, 62, 204}, true},      // meadow
        {{52, 104, 48}, {26, 52, 30, 172}, true},       // forest
        {{150, 132, 114}, {96, 102, 112, 122}, true},   // rock
        {{244, 246, 250}, {232, 236, 236, 200}, true},  // snow
    };
    return kLooks[static_cast<int>(cover)];
}

// Grid cell under pixel (x, y) of a width x width picture.
void CellOfPixel(const AscGrid& grid, int width, int x, int y, int* r, int* c)
{
    *c = static_cast<int>(std::lround(static_cast<double>(x) * (grid.ncols - 1) / (width - 1)));
    *r = static_cast<int>(std::lround(static_cast<double>(y) * (grid.nrows - 1) / (width - 1)));
}

}  // namespace

AscGrid MakeSampleRelief(const SampleReliefOptions& options, SampleFeatures* features)
{
    AscGrid grid;
    SampleFeatures f;
    const int size = options.size;
    if (!PowerOfTwoPlusOne(size)) {
        if (features)
            *features = f;
        return grid;
    }
    const int n = size - 1;
    std::vector<double> h = DiamondSquare(size, options.seed, options.roughness);

    // Ground falls gently from north to south, so that the river has somewhere to go.
    for (int r = 0; r < size; ++r)
        for (int c = 0; c < size; ++c)
            h[static_cast<size_t>(r) * size + c] = 0.7 * h[static_cast<size_t>(r) * size + c] + 0.3 * (1.0 - double(r) / n);

    // The valley: a meander from north to south, a broad trough around it.
    f.valleyCol.resize(size);
    const double width = 0.09 * n;
    for (int r = 0; r < size; ++r) {
        const double t = double(r) / n;
        const double col = n * (0.5 + 0.16 * std::sin(2 * kPi * (1.1 * t + 0.1)) + 0.05 * std::sin(2 * kPi * 3.3 * t));
        f.valleyCol[r] = static_cast<int>(std::lround(col));
        for (int c = 0; c < size; ++c) {
            const double d = (c - col) / width;
            h[static_cast<size_t>(r) * size + c] -= 0.42 * std::exp(-d * d) + 0.12 * std::exp(-d * d / 9.0);
        }
    }

    // The lake: a basin in the valley with a ridge across the valley below it, then the basin
    // filled to the highest level that stays inside it.
    f.lakeRow = static_cast<int>(0.58 * n);
    f.lakeCol = f.valleyCol[f.lakeRow];
    const double radius = 0.11 * n;
    const int damRow = f.lakeRow + static_cast<int>(radius * 1.1);
    for (int r = 0; r < size; ++r) {
        for (int c = 0; c < size; ++c) {
            const double d = std::hypot(r - f.lakeRow, c - f.lakeCol) / radius;
            double& v = h[static_cast<size_t>(r) * size + c];
            v -= 0.16 * std::max(0.0, 1.0 - d * d);
            const double across = (c - f.valleyCol[r]) / width;
            const double along = (r - damRow) / (0.03 * n);
            v += 0.2 * std::exp(-along * along) * std::exp(-across * across / 1.5);
        }
    }
    const double floor = h[static_cast<size_t>(f.lakeRow) * size + f.lakeCol];
    std::vector<uint8_t> mask, best;
    double level = floor;
    for (int i = 1; i <= 60; ++i) {
        const double candidate = floor + 0.004 * i;
        if (!FloodFill(h, size, f.lakeRow, f.lakeCol, candidate, 1.8 * radius, &mask))
            break;
        level = candidate;
        best = mask;
    }
    if (best.empty())
        FloodFill(h, size, f.lakeRow, f.lakeCol, level, 1e9, &best);   // the floor cell alone
    for (size_t k = 0; k < h.size(); ++k)
        if (best[k])
            h[k] = level;

    // Scale to metres.
    const auto mm = std::minmax_element(h.begin(), h.end());
    const double lo = *mm.first, span = *mm.second - *mm.first;
    const double range = options.highest - options.lowest;
    grid.ncols = grid.nrows = size;
    grid.xllcorner = 500000.0;
    grid.yllcorner = 3500000.0;
    grid.cellsize = options.cellsize;
    grid.hasNodata = true;
    grid.nodata = -9999.0;
    grid.z.resize(h.size());
    for (size_t k = 0; k < h.size(); ++k)
        grid.z[k] = static_cast<float>(options.lowest + (h[k] - lo) / span * range);
    f.lakeLevel = static_cast<float>(options.lowest + (level - lo) / span * range);
    f.lakeCells = static_cast<int>(std::count(best.begin(), best.end(), 1));
    AscGridRange(grid, &f.lowest, &f.highest);
    if (features)
        *features = std::move(f);
    return grid;
}

LandCover LandCoverOf(const AscGrid& grid, const SampleFeatures& features, int row, int col)
{
    const float h = grid.At(row, col);
    if (features.lakeCells > 0 && h == features.lakeLevel &&
        std::hypot(row - features.lakeRow, col - features.lakeCol) < grid.nrows * 0.3)
        return LandCover::Water;
    const double t = (h - features.lowest) / std::max(1e-6f, features.highest - features.lowest);
    const double slope = SlopeDegrees(grid, row, col);
    if (t > 0.86)
        return LandCover::Snow;
    if (slope > 35.0 || t > 0.7)
        return LandCover::Rock;
    if (t < 0.42)
        return LandCover::Forest;
    return LandCover::Meadow;
}

std::vector<uint8_t> EncodeBmp24(int width, int height, const std::vector<uint8_t>& rgb)
{
    std::vector<uint8_t> out;
    if (width <= 0 || height <= 0 || rgb.size() < static_cast<size_t>(width) * height * 3)
        return out;
    const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    const uint32_t imageSize = stride * static_cast<uint32_t>(height);
    const uint32_t fileSize = 14 + 40 + imageSize;
    auto put16 = [&](uint32_t v) { out.push_back(v & 0xFF); out.push_back(v >> 8 & 0xFF); };
    auto put32 = [&](uint32_t v) { put16(v & 0xFFFF); put16(v >> 16); };
    out.push_back('B');
    out.push_back('M');
    put32(fileSize);
    put32(0);
    put32(14 + 40);
    put32(40);                      // BITMAPINFOHEADER
    put32(static_cast<uint32_t>(width));
    put32(static_cast<uint32_t>(height));   // positive: bottom-up rows
    put16(1);
    put16(24);
    put32(0);                       // BI_RGB
    put32(imageSize);
    put32(2835);                    // 72 dpi
    put32(2835);
    put32(0);
    put32(0);
    for (int y = height - 1; y >= 0; --y) {
        const uint8_t* row = &rgb[static_cast<size_t>(y) * width * 3];
        for (int x = 0; x < width; ++x) {
            out.push_back(row[x * 3 + 2]);
            out.push_back(row[x * 3 + 1]);
            out.push_back(row[x * 3 + 0]);
        }
        for (uint32_t pad = static_cast<uint32_t>(width) * 3; pad < stride; ++pad)
            out.push_back(0);
    }
    return out;
}

std::vector<uint8_t> MakeSampleTexture(const AscGrid& grid, const SampleFeatures& features, int width)
{
    std::vector<uint8_t> rgb;
    if (width < 2 || grid.z.empty())
        return rgb;
    rgb.resize(static_cast<size_t>(width) * width * 3);
    SampleRandom random(7);
    for (int y = 0; y < width; ++y) {
        for (int x = 0; x < width; ++x) {
            int r, c;
            CellOfPixel(grid, width, x, y, &r, &c);
            const CoverLook& look = LookOf(LandCoverOf(grid, features, r, c));
            const double shade = look.shaded ? 0.35 + 0.65 * HillShade(grid, r, c) : 1.0;
            const double grain = 1.0 + 0.06 * random.Signed();
            uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
            for (int k = 0; k < 3; ++k)
                p[k] = Clamp8(look.rgb[k] * shade * grain);
        }
    }
    return rgb;
}

std::vector<uint8_t> MakeSampleBands(const AscGrid& grid, const SampleFeatures& features, int width)
{
    std::vector<uint8_t> bands;
    if (width < 2 || grid.z.empty())
        return bands;
    const size_t plane = static_cast<size_t>(width) * width;
    bands.resize(plane * 4);
    SampleRandom random(11);
    for (int y = 0; y < width; ++y) {
        for (int x = 0; x < width; ++x) {
            int r, c;
            CellOfPixel(grid, width, x, y, &r, &c);
            const CoverLook& look = LookOf(LandCoverOf(grid, features, r, c));
            const double shade = look.shaded ? 0.45 + 0.55 * HillShade(grid, r, c) : 1.0;
            for (int b = 0; b < 4; ++b)
                bands[plane * b + static_cast<size_t>(y) * width + x] = Clamp8(look.bands[b] * shade + 5.0 * random.Signed());
        }
    }
    return bands;
}

std::string SampleBandsHeader(int width)
{
    char text[512];
    std::snprintf(text, sizeof text,
                  "ENVI\n"
                  "description = {Oroscape sample scene, four bands}\n"
                  "samples = %d\n"
                  "lines   = %d\n"
                  "bands   = 4\n"
                  "header offset = 0\n"
                  "file type = ENVI Standard\n"
                  "data type = 1\n"
                  "interleave = bsq\n"
                  "byte order = 0\n"
                  "band names = {\n Blue, Green, Red,\n Near Infrared}\n"
                  "default bands = {3, 2, 1}\n",
                  width, width);
    return text;
}
