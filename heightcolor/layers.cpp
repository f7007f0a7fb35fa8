#include "heightcolor/layers.h"

#include <wchar.h>

#include <algorithm>

int LayersInRecord(int nLayers)
{
    if (nLayers < 0)
        return 0;
    return nLayers > kMaxLayers ? kMaxLayers : nLayers;
}

short WorkingLayerCount(short recordLayers)
{
    if (recordLayers < 1)
        return 1;
    return recordLayers > kMaxLayers ? static_cast<short>(kMaxLayers) : recordLayers;
}

void SpreadTableLayers(float lo, float hi, int n, float (*limits)[2])
{
    n = LayersInRecord(n);
    if (n == 0 || limits == nullptr)
        return;
    const float step = (hi - lo) / static_cast<float>(n);
    for (int i = 0; i < n; ++i) {
        limits[i][0] = lo + static_cast<float>(i) * step;
        limits[i][1] = lo + static_cast<float>(i + 1) * step;
    }
}

void MakeEvenLayers(float lo, float hi, int n, float (*limits)[2], LutColor* colors)
{
    n = LayersInRecord(n);
    if (n == 0 || limits == nullptr || colors == nullptr)
        return;
    const float step = (hi - lo) / static_cast<float>(n);
    const uint16_t inc = static_cast<uint16_t>((255 / n) * 256);
    float v = lo;
    for (int i = 0; i < n; ++i) {
        limits[i][0] = v;
        v = v + step;
        limits[i][1] = v;
        colors[i].r = 0;
        colors[i].g = static_cast<uint16_t>(i * inc);
        colors[i].b = 0;
    }
}

namespace {

void BlendComponent(LutColor* colors, uint16_t LutColor::*c, int a, int b)
{
    const int step = (static_cast<int>(colors[b].*c) - static_cast<int>(colors[a].*c)) / (b - a);
    for (int k = a + 1; k < b; ++k)
        colors[k].*c = static_cast<uint16_t>(colors[k - 1].*c + step);
}

}  // namespace

bool BlendMarkedLayers(LutColor* colors, const char* marks, int nMarks, int n)
{
    if (colors == nullptr || marks == nullptr)
        return false;
    n = LayersInRecord(n);
    if (nMarks < n)
        n = nMarks;
    int marked = 0;
    for (int i = 0; i < n; ++i) {
        if (marks[i] != 0)
            ++marked;
    }
    if (marked < 2)
        return false;
    int a = -1;
    for (int b = 0; b < n; ++b) {
        if (marks[b] == 0)
            continue;
        if (a >= 0) {
            BlendComponent(colors, &LutColor::r, a, b);
            BlendComponent(colors, &LutColor::g, a, b);
            BlendComponent(colors, &LutColor::b, a, b);
        }
        a = b;
    }
    return true;
}

uint32_t LayerColorToColorRef(const LutColor& color)
{
    const Rgb8 rgb = ToRgb8(color);
    return static_cast<uint32_t>(rgb.r) | (static_cast<uint32_t>(rgb.g) << 8) | (static_cast<uint32_t>(rgb.b) << 16);
}

LutColor ColorRefToLayerColor(uint32_t colorRef)
{
    return FromRgb8(Rgb8{static_cast<uint8_t>(colorRef & 0xFF), static_cast<uint8_t>((colorRef >> 8) & 0xFF),
                         static_cast<uint8_t>((colorRef >> 16) & 0xFF)});
}

void ColorRefToText(uint32_t colorRef, wchar_t* text, size_t cap)
{
    if (text == nullptr || cap == 0)
        return;
    swprintf(text, cap, L"%ld", static_cast<long>(colorRef & 0xFFFFFF));
}

uint32_t ColorRefFromText(const wchar_t* text)
{
    if (text == nullptr)
        return 0;
    while (*text == L' ' || *text == L'\t' || *text == L'\r' || *text == L'\n')
        ++text;
    bool negative = false;
    if (*text == L'+' || *text == L'-')
        negative = *text++ == L'-';
    // A 32-bit long that stops at its limits, as the list's number reading does.
    int64_t value = 0;
    for (; *text >= L'0' && *text <= L'9'; ++text) {
        value = value * 10 + (*text - L'0');
        if (value > 0x80000000LL)
            value = 0x80000000LL;
    }
    if (negative)
        value = -value;
    if (value > 0x7FFFFFFFLL)
        value = 0x7FFFFFFFLL;
    return static_cast<uint32_t>(value) & 0xFFFFFF;
}

namespace {

float Distance(const ColorLayer& layer, float h)
{
    const float lo = std::min(layer.lower, layer.upper);
    const float hi = std::max(layer.lower, layer.upper);
    return h < lo ? lo - h : h > hi ? h - hi : 0.0f;
}

}  // namespace

int LayerFor(const ColorLayer* layers, int count, float h)
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

bool LayersAscending(const ColorLayer* layers, int count)
{
    for (int i = 0; i < count; ++i) {
        if (!(layers[i].lower <= layers[i].upper))
            return false;
        if (i > 0 && !(layers[i - 1].upper <= layers[i].lower))
            return false;
    }
    return true;
}

int LayerForAscending(const ColorLayer* layers, int count, float h)
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
