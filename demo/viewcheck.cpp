// Checks on rendered pictures of the terrain.
#include "demo/viewcheck.h"

#include <cstdlib>
#include <unordered_set>

namespace {

bool Near(const uint8_t* p, Rgb8 c, int tolerance)
{
    return std::abs(p[0] - c.r) <= tolerance && std::abs(p[1] - c.g) <= tolerance &&
           std::abs(p[2] - c.b) <= tolerance;
}

bool IsBackground(const uint8_t* p, Rgb8 background) { return Near(p, background, 0); }

uint32_t Key(const uint8_t* p) { return static_cast<uint32_t>(p[0]) << 16 | p[1] << 8 | p[2]; }

}  // namespace

PaletteMatch MatchPalette(const uint8_t* rgba, int width, int height, Rgb8 background,
                          const std::vector<Rgb8>& palette, int tolerance)
{
    PaletteMatch m;
    // Pictures repeat few colours: remember the verdict for each colour met.
    std::unordered_set<uint32_t> good, bad;
    const size_t n = width > 0 && height > 0 ? static_cast<size_t>(width) * height : 0;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* p = rgba + i * 4;
        if (IsBackground(p, background))
            continue;
        ++m.covered;
        const uint32_t key = Key(p);
        if (good.count(key)) {
            ++m.matched;
            continue;
        }
        if (bad.count(key))
            continue;
        bool found = false;
        for (const Rgb8& c : palette)
            if (Near(p, c, tolerance)) {
                found = true;
                break;
            }
        (found ? good : bad).insert(key);
        if (found)
            ++m.matched;
    }
    return m;
}

size_t CountChangedPixels(const uint8_t* before, const uint8_t* after, int width, int height,
                          Rgb8 background, int threshold, size_t* covered)
{
    size_t changed = 0, any = 0;
    const size_t n = width > 0 && height > 0 ? static_cast<size_t>(width) * height : 0;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* a = before + i * 4;
        const uint8_t* b = after + i * 4;
        if (IsBackground(a, background) && IsBackground(b, background))
            continue;
        ++any;
        if (!Near(a, Rgb8{b[0], b[1], b[2]}, threshold))
            ++changed;
    }
    if (covered)
        *covered = any;
    return changed;
}
