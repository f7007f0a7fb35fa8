#include "ramps/ramp.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "heightcolor/layers.h"
#include "ramps/shortest.h"

namespace ramps {

const char* FormatName(Format format)
{
    switch (format) {
    case Format::Gdal: return "gdal";
    case Format::Grass: return "grass";
    case Format::Cpt: return "cpt";
    case Format::Qgis: return "qgis";
    case Format::Clr: return "clr";
    case Format::Lut: return "lut";
    default: return "unknown";
    }
}

namespace {

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

}  // namespace

Format FormatFromName(const std::string& name)
{
    const std::string n = Lower(name);
    for (Format f : {Format::Gdal, Format::Grass, Format::Cpt, Format::Qgis, Format::Clr, Format::Lut})
        if (n == FormatName(f))
            return f;
    return Format::Unknown;
}

Format FormatFromExtension(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return Format::Unknown;
    const std::string ext = Lower(path.substr(dot + 1));
    if (ext == "cpt")
        return Format::Cpt;
    if (ext == "clr")
        return Format::Clr;
    if (ext == "lut")
        return Format::Lut;
    return Format::Unknown;
}

bool operator==(const Rgba& x, const Rgba& y)
{
    return x.r == y.r && x.g == y.g && x.b == y.b && x.a == y.a;
}

// --- text in ------------------------------------------------------------------------------

namespace {

void AppendUtf8(std::string* out, unsigned long cp)
{
    if (cp < 0x80) {
        *out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out += static_cast<char>(0xC0 | (cp >> 6));
        *out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out += static_cast<char>(0xE0 | (cp >> 12));
        *out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out += static_cast<char>(0xF0 | (cp >> 18));
        *out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool DecodeUtf16(const std::string& bytes, size_t start, bool bigEndian, std::string* out,
                 Report* report)
{
    out->clear();
    const size_t n = (bytes.size() - start) / 2;
    int line = 1;
    for (size_t i = 0; i < n; ++i) {
        const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data()) + start + 2 * i;
        unsigned long u = bigEndian ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]);
        if (u >= 0xD800 && u < 0xDC00) {
            if (i + 1 >= n) {
                report->line = line;
                report->fault = Fault::Text;
                report->error = "UTF-16 text ends inside a character";
                return false;
            }
            const unsigned char* q = p + 2;
            const unsigned long low = bigEndian ? (q[0] << 8 | q[1]) : (q[1] << 8 | q[0]);
            if (low < 0xDC00 || low >= 0xE000) {
                report->line = line;
                report->fault = Fault::Text;
                report->error = "broken UTF-16 surrogate pair";
                return false;
            }
            u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
            ++i;
        } else if (u >= 0xDC00 && u < 0xE000) {
            report->line = line;
            report->fault = Fault::Text;
            report->error = "broken UTF-16 surrogate pair";
            return false;
        }
        if (u == '\n')
            ++line;
        AppendUtf8(out, u);
    }
    return true;
}

}  // namespace

bool DecodeText(const std::string& bytes, std::string* utf8, Report* report)
{
    const unsigned char* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    if (n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
        *utf8 = bytes.substr(3);
        return true;
    }
    if (n >= 2 && b[0] == 0xFF && b[1] == 0xFE)
        return DecodeUtf16(bytes, 2, false, utf8, report);
    if (n >= 2 && b[0] == 0xFE && b[1] == 0xFF)
        return DecodeUtf16(bytes, 2, true, utf8, report);
    // UTF-16 without a mark: ASCII text shows as every other byte zero.
    if (n >= 4 && n % 2 == 0) {
        if (b[0] != 0 && b[1] == 0 && b[3] == 0)
            return DecodeUtf16(bytes, 0, false, utf8, report);
        if (b[0] == 0 && b[1] != 0 && b[2] == 0)
            return DecodeUtf16(bytes, 0, true, utf8, report);
    }
    *utf8 = bytes;
    return true;
}

// --- evaluation --------------------------------------------------------------------------

bool NeedsRange(const Ramp& ramp)
{
    for (const Stop& s : ramp.stops)
        if (s.scale != Scale::Absolute)
            return true;
    return false;
}

bool IsRelative(const Ramp& ramp)
{
    if (ramp.stops.empty())
        return false;
    for (const Stop& s : ramp.stops)
        if (s.scale != Scale::Percent)
            return false;
    return true;
}

Ramp Resolve(const Ramp& ramp, double lo, double hi)
{
    Ramp out = ramp;
    for (Stop& s : out.stops) {
        if (s.scale == Scale::Percent) {
            s.value = lo + s.value / 100.0 * (hi - lo);
        } else if (s.scale == Scale::Hinged) {
            const double h = s.value;
            if (ramp.softHinge && !(lo < 0 && hi > 0))
                s.value = lo + (h + 1) / 2 * (hi - lo);
            else if (lo < 0 && hi > 0)
                s.value = h < 0 ? -h * lo : h * hi;
            else if (lo >= 0)
                s.value = lo + h * (hi - lo);
            else
                s.value = hi + h * (hi - lo);
        }
        s.scale = Scale::Absolute;
    }
    std::stable_sort(out.stops.begin(), out.stops.end(),
                     [](const Stop& a, const Stop& b) { return a.value < b.value; });
    return out;
}

bool ColorAt(const Ramp& ramp, double v, Rgba* color)
{
    const std::vector<Stop>& s = ramp.stops;
    if (s.empty())
        return false;
    // First stop above v; the one before it is the last at or below v.
    const auto above = std::upper_bound(s.begin(), s.end(), v,
                                        [](double x, const Stop& st) { return x < st.value; });
    const size_t j = static_cast<size_t>(above - s.begin());
    if (ramp.exact) {
        if (j == 0 || s[j - 1].value != v)
            return false;
        *color = s[j - 1].color;
        return true;
    }
    if (j == 0) {
        *color = s.front().color;
        return true;
    }
    if (j == s.size()) {
        *color = s.back().color;
        return true;
    }
    const Stop& a = s[j - 1];
    const Stop& b = s[j];
    const double f = (v - a.value) / (b.value - a.value);
    color->r = a.color.r + (b.color.r - a.color.r) * f;
    color->g = a.color.g + (b.color.g - a.color.g) * f;
    color->b = a.color.b + (b.color.b - a.color.b) * f;
    color->a = a.color.a + (b.color.a - a.color.a) * f;
    return true;
}

// --- tables -------------------------------------------------------------------------------

namespace {

uint8_t Byte(double c)
{
    const long v = std::lround(c);
    return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

}  // namespace

Rgb8 Rgb8Of(const Rgba& color)
{
    return Rgb8{Byte(color.r), Byte(color.g), Byte(color.b)};
}

Rgba RgbaOf(const Rgb8& color)
{
    Rgba x;
    x.r = color.r;
    x.g = color.g;
    x.b = color.b;
    return x;
}

Ramp RampFromTable(const LutColor* colors, int n, bool hasRange, float lo, float hi)
{
    Ramp ramp;
    n = LayersInRecord(n);
    std::vector<float> limits(2 * static_cast<size_t>(n > 0 ? n : 1));
    float (*lim)[2] = reinterpret_cast<float (*)[2]>(limits.data());
    if (hasRange)
        SpreadTableLayers(lo, hi, n, lim);
    for (int i = 0; i < n; ++i) {
        Stop a, b;
        if (hasRange) {
            a.value = lim[i][0];
            b.value = lim[i][1];
        } else {
            a.value = 100.0 * i / n;
            b.value = 100.0 * (i + 1) / n;
            a.scale = b.scale = Scale::Percent;
        }
        a.color = b.color = RgbaOf(ToRgb8(colors[i]));
        a.label = b.label = FormatNumber(a.value) + " - " + FormatNumber(b.value) +
                            (hasRange ? "" : " %");
        ramp.stops.push_back(a);
        ramp.stops.push_back(b);
    }
    return ramp;
}

// An exact ramp as classes: each stop value colours the values nearer to it than to its
// neighbours.
Ramp ExactAsClasses(const Ramp& ramp)
{
    if (!ramp.exact)
        return ramp;
    Ramp out = ramp;
    out.exact = false;
    out.stops.clear();
    const std::vector<Stop>& s = ramp.stops;
    for (size_t k = 0; k < s.size(); ++k) {
        Stop a = s[k], b = s[k];
        const double below = k > 0 ? s[k - 1].value : s[k].value - (k + 1 < s.size() ? s[k + 1].value - s[k].value : 1.0);
        const double above = k + 1 < s.size() ? s[k + 1].value : s[k].value + (k > 0 ? s[k].value - s[k - 1].value : 1.0);
        a.value = (below + s[k].value) / 2;
        b.value = (s[k].value + above) / 2;
        out.stops.push_back(a);
        out.stops.push_back(b);
    }
    return out;
}

namespace {

double Largest(const Rgba& x, const Rgba& y)
{
    return std::max({std::fabs(x.r - y.r), std::fabs(x.g - y.g), std::fabs(x.b - y.b)});
}

}  // namespace

bool SampleTable(const Ramp& ramp, int n, bool hasRange, double lo, double hi, LutColor* colors,
                 double* largest, double* where, Report* report)
{
    if (n < 1 || n > kLutMaxEntries) {
        report->error = "a table holds 1 to 256 layers";
        return false;
    }
    if (ramp.stops.empty()) {
        report->error = "the ramp has no colours";
        return false;
    }
    Ramp r;
    if (IsRelative(ramp)) {
        r = ramp;  // percent as it stands: 0 to 100
        for (Stop& s : r.stops)
            s.scale = Scale::Absolute;
        r = Resolve(r, 0, 100);
        lo = 0;
        hi = 100;
    } else {
        if (!hasRange) {
            report->error = "the ramp holds elevations: give the range the table will be spread over "
                            "(--range LO HI or --dem GRID)";
            return false;
        }
        r = Resolve(ramp, lo, hi);
    }
    r = ExactAsClasses(r);
    // The layers' limits: for a range, in single precision as the layering dialog spreads them.
    std::vector<double> limit(static_cast<size_t>(n) + 1);
    if (IsRelative(ramp)) {
        for (int i = 0; i <= n; ++i)
            limit[i] = 100.0 * i / n;
    } else {
        std::vector<float> spread(2 * static_cast<size_t>(n));
        SpreadTableLayers(static_cast<float>(lo), static_cast<float>(hi), n,
                          reinterpret_cast<float (*)[2]>(spread.data()));
        for (int i = 0; i < n; ++i)
            limit[i] = spread[2 * i];
        limit[n] = spread[2 * n - 1];
    }
    *largest = 0;
    *where = limit[0];
    for (int i = 0; i < n; ++i) {
        const double a = limit[i], b = limit[i + 1];
        Rgba mid;
        ColorAt(r, (a + b) / 2, &mid);
        colors[i] = FromRgb8(Rgb8Of(mid));
        const Rgba layer = RgbaOf(ToRgb8(colors[i]));
        // The ramp over the layer, from its lower limit to just below its upper one (the last
        // layer: up to it): even samples, and each stop inside it from both sides.
        std::vector<double> at;
        const int kSamples = 16;
        for (int k = 0; k < kSamples; ++k)
            at.push_back(a + (b - a) * k / kSamples);
        at.push_back(i + 1 == n ? b : std::nextafter(b, -HUGE_VAL));
        for (const Stop& s : r.stops) {
            if (s.value > a && s.value < b) {
                at.push_back(s.value);
                at.push_back(std::nextafter(s.value, -HUGE_VAL));
            }
        }
        for (double x : at) {
            Rgba c;
            ColorAt(r, x, &c);
            const double d = Largest(c, layer);
            if (d > *largest) {
                *largest = d;
                *where = x;
            }
        }
    }
    return true;
}

// --- host layers ------------------------------------------------------------------------

namespace {

ColorLayer LayerOf(const Ramp& ramp, float lower, float upper, double at)
{
    Rgba c;
    ColorAt(ramp, at, &c);
    ColorLayer l;
    l.lower = lower;
    l.upper = upper;
    l.color = Rgb8Of(c);
    return l;
}

bool SameByte(const Rgba& x, const Rgba& y)
{
    return Rgb8Of(x) == Rgb8Of(y);
}

// A stretch of the range between two stops (or a stop and an end of the range).
struct Piece {
    double a, b;
    bool constant;
    Rgba color;   // of a constant piece
    int layers;
};

// Appends n even layers of a .. b (n = 1 for a class), skipping those that vanish in single
// precision; each limit is converted once, so neighbours share it exactly.
void AppendLayers(const Ramp& ramp, const Piece& p, std::vector<ColorLayer>* out)
{
    for (int i = 0; i < p.layers; ++i) {
        const double a = i == 0 ? p.a : p.a + (p.b - p.a) * i / p.layers;
        const double b = i + 1 == p.layers ? p.b : p.a + (p.b - p.a) * (i + 1) / p.layers;
        const float fa = static_cast<float>(a), fb = static_cast<float>(b);
        if (!(fa < fb))
            continue;
        if (p.constant) {
            ColorLayer l;
            l.lower = fa, l.upper = fb;
            l.color = Rgb8Of(p.color);
            out->push_back(l);
        } else {
            out->push_back(LayerOf(ramp, fa, fb, (a + b) / 2));
        }
    }
}

}  // namespace

bool LayersFromRamp(const Ramp& ramp, double lo, double hi, std::vector<ColorLayer>* layers, Report* report)
{
    if (ramp.stops.empty()) {
        report->fault = Fault::Empty;
        report->error = "the ramp has no colours";
        return false;
    }
    if (!(lo < hi) || !std::isfinite(lo) || !std::isfinite(hi)) {
        report->fault = Fault::NoRange;
        report->error = "the grid has no range of elevations to lay the ramp over";
        return false;
    }
    const Ramp r = ExactAsClasses(Resolve(ramp, lo, hi));
    const std::vector<Stop>& s = r.stops;
    const double first = s.front().value, last = s.back().value;
    if (!(first < hi && last > lo)) {
        report->fault = Fault::Outside;
        report->error = "the ramp's values (" + FormatNumber(first) + " to " + FormatNumber(last) +
                        ") lie outside the grid's range (" + FormatNumber(lo) + " to " + FormatNumber(hi) +
                        "): the whole grid would take one colour";
        return false;
    }

    // The pieces inside lo .. hi, in ascending order; neighbouring classes of one colour merged.
    std::vector<Piece> pieces;
    auto add = [&](double a, double b, const Rgba& ca, const Rgba& cb) {
        a = std::max(a, lo);
        b = std::min(b, hi);
        if (!(a < b))
            return;
        const bool constant = SameByte(ca, cb);
        if (constant && !pieces.empty() && pieces.back().constant && SameByte(pieces.back().color, ca) &&
            pieces.back().b == a) {
            pieces.back().b = b;
            return;
        }
        pieces.push_back(Piece{a, b, constant, ca, 1});
    };
    add(lo, first, s.front().color, s.front().color);
    for (size_t k = 0; k + 1 < s.size(); ++k)
        add(s[k].value, s[k + 1].value, s[k].color, s[k + 1].color);
    add(last, hi, s.back().color, s.back().color);

    bool alpha = false;
    for (const Stop& st : s)
        alpha = alpha || st.color.a < 255;
    if (alpha)
        report->notes |= kNoteTransparency;
    if (r.hasNodata)
        report->notes |= kNoteNodata;
    if (alpha)
        report->warnings.push_back("transparency is not kept: the host's layers are opaque");
    if (r.hasNodata)
        report->warnings.push_back("the no-data colour is not used: the host leaves cells without elevation open");

    std::vector<ColorLayer> out;
    if (pieces.size() > static_cast<size_t>(kMaxLayers)) {
        report->notes |= kNoteResampled;
        report->warnings.push_back("the ramp has " + std::to_string(pieces.size()) +
                                   " classes and segments inside the grid's range, more than the " +
                                   std::to_string(kMaxLayers) + " layers of a host: sampled into " +
                                   std::to_string(kMaxLayers) + " even layers");
        AppendLayers(r, Piece{lo, hi, false, Rgba(), kMaxLayers}, &out);
    } else {
        // Continuous segments share what the classes leave, in proportion to their widths.
        int budget = kMaxLayers;
        double width = 0;
        std::vector<Piece*> segments;
        for (Piece& p : pieces) {
            if (p.constant) {
                --budget;
            } else {
                segments.push_back(&p);
                width += p.b - p.a;
            }
        }
        if (!segments.empty()) {
            std::vector<double> share;
            int given = 0;
            for (Piece* p : segments) {
                share.push_back(budget * (p->b - p->a) / width);
                p->layers = std::max(1, static_cast<int>(std::floor(share.back())));
                given += p->layers;
            }
            // Whole layers left over go to the largest fractions; layers given beyond the
            // budget (segments raised to one) come from the segments with the most.
            while (given < budget) {
                size_t best = 0;
                for (size_t k = 1; k < segments.size(); ++k)
                    if (share[k] - segments[k]->layers > share[best] - segments[best]->layers)
                        best = k;
                ++segments[best]->layers;
                ++given;
            }
            while (given > budget) {
                size_t most = 0;
                for (size_t k = 1; k < segments.size(); ++k)
                    if (segments[k]->layers > segments[most]->layers)
                        most = k;
                --segments[most]->layers;
                --given;
            }
        }
        for (const Piece& p : pieces)
            AppendLayers(r, p, &out);
    }
    if (out.empty())  // the range vanishes in single precision
        out.push_back(LayerOf(r, static_cast<float>(lo), static_cast<float>(hi), (lo + hi) / 2));
    *layers = std::move(out);
    return true;
}

Ramp RampFromLayers(const std::vector<ColorLayer>& layers)
{
    std::vector<ColorLayer> l = layers;
    for (ColorLayer& x : l)
        if (x.upper < x.lower)
            std::swap(x.lower, x.upper);
    std::stable_sort(l.begin(), l.end(), [](const ColorLayer& a, const ColorLayer& b) {
        return a.lower < b.lower || (a.lower == b.lower && a.upper < b.upper);
    });
    std::vector<double> lower, upper;
    std::vector<const ColorLayer*> kept;
    for (const ColorLayer& x : l) {
        double a = x.lower;
        const double b = x.upper;
        if (!upper.empty() && a < upper.back())
            a = upper.back();   // the overlap stays with the layer below
        if (!upper.empty() && !(a < b))
            continue;           // wholly inside the layer below
        if (!upper.empty() && a > upper.back()) {
            const double mid = upper.back() + (a - upper.back()) / 2;
            upper.back() = mid;
            a = mid;
        }
        lower.push_back(a);
        upper.push_back(b);
        kept.push_back(&x);
    }
    Ramp ramp;
    for (size_t k = 0; k < kept.size(); ++k) {
        Stop sa, sb;
        sa.value = lower[k];
        sb.value = upper[k];
        sa.color = sb.color = RgbaOf(kept[k]->color);
        sa.label = sb.label = FormatNumber(lower[k]) + " - " + FormatNumber(upper[k]);
        ramp.stops.push_back(sa);
        ramp.stops.push_back(sb);
    }
    return ramp;
}

std::string FormatNumber(double v)
{
    if (v == 0)
        return "0";
    char buf[kShortestDoubleMax];
    return std::string(buf, ShortestDouble(v, buf));
}

}  // namespace ramps
