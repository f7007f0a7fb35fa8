#include "heightcolor/colornames.h"

#include <cmath>

// The terms: the greys from black to white, then the hues, each with the lighter or darker
// words of everyday Chinese where people use them for distinct colours (深红, 粉红, 深绿,
// 浅绿, 天蓝, 深蓝). Earth colours (棕, 土黄, 橄榄绿) are there because elevation ramps are full
// of them: without them every ochre and olive of a relief ramp would be called 橙 or 黄.
//
// Nearest by CIE76 and not by CIEDE2000: CIEDE2000 is fitted to small differences (a few units,
// "can one see the difference at all"), while here every colour is compared with references
// tens of units away; at those distances its weights bring no better judgement, it is not a
// metric (no triangle inequality), and its hue terms make the regions of the names ragged.
// With CIE76 each name owns a convex cell of CIELAB whose borders are the planes halfway
// between two references, so a border can be computed exactly and checked from both sides.
const NamedColour kColourNames[kColourNameCount] = {
    {"black", 0, 0, 0},              // 黑
    {"dark grey", 64, 64, 64},       // 深灰
    {"grey", 128, 128, 128},         // 灰
    {"light grey", 192, 192, 192},   // 浅灰
    {"white", 255, 255, 255},        // 白
    {"red", 255, 0, 0},              // 红
    {"dark red", 139, 0, 0},         // 深红
    {"pink", 255, 182, 193},         // 粉红
    {"orange", 255, 165, 0},         // 橙
    {"brown", 150, 75, 0},           // 棕
    {"ochre", 205, 170, 100},        // 土黄
    {"yellow", 255, 255, 0},         // 黄
    {"olive", 128, 128, 0},          // 橄榄绿
    {"yellow green", 154, 205, 50},  // 黄绿
    {"green", 0, 180, 0},            // 绿
    {"dark green", 0, 100, 0},       // 深绿
    {"light green", 144, 238, 144},  // 浅绿
    {"cyan", 0, 255, 255},           // 青
    {"sky blue", 135, 206, 235},     // 天蓝
    {"blue", 30, 60, 220},           // 蓝
    {"dark blue", 0, 0, 139},        // 深蓝
    {"purple", 128, 0, 128},         // 紫
    {"magenta", 255, 0, 255},        // 品红
};

namespace {

double Linear(int c)
{
    const double v = (c < 0 ? 0 : c > 255 ? 255 : c) / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double LabF(double t)
{
    const double e = 216.0 / 24389.0;
    const double k = 24389.0 / 27.0;
    return t > e ? std::cbrt(t) : (k * t + 16.0) / 116.0;
}

}  // namespace

LabColor LabFromSrgb(int r, int g, int b)
{
    const double R = Linear(r), G = Linear(g), B = Linear(b);
    // sRGB to XYZ (IEC 61966-2-1), relative to the D65 white.
    const double X = 0.4124564 * R + 0.3575761 * G + 0.1804375 * B;
    const double Y = 0.2126729 * R + 0.7151522 * G + 0.0721750 * B;
    const double Z = 0.0193339 * R + 0.1191920 * G + 0.9503041 * B;
    const double fx = LabF(X / 0.95047), fy = LabF(Y / 1.0), fz = LabF(Z / 1.08883);
    return LabColor{116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz)};
}

double DeltaE76(const LabColor& x, const LabColor& y)
{
    const double dL = x.L - y.L, da = x.a - y.a, db = x.b - y.b;
    return std::sqrt(dL * dL + da * da + db * db);
}

int NearestColourName(const LabColor& colour)
{
    // The references are converted once (the conversion is the same for every caller).
    static const struct References {
        LabColor lab[kColourNameCount];
        References()
        {
            for (int i = 0; i < kColourNameCount; ++i)
                lab[i] = LabFromSrgb(kColourNames[i].r, kColourNames[i].g, kColourNames[i].b);
        }
    } references;
    int best = 0;
    double bestDistance = DeltaE76(colour, references.lab[0]);
    for (int i = 1; i < kColourNameCount; ++i) {
        const double d = DeltaE76(colour, references.lab[i]);
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

int ColourNameOf(int r, int g, int b)
{
    return NearestColourName(LabFromSrgb(r, g, b));
}
