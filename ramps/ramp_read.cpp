// The readers: GDAL colour-relief text, GRASS colour rules, GMT palettes, QGIS colour-map
// exports, ArcGIS .clr maps.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "ramps/ramp.h"

namespace ramps {

namespace {

struct NamedColor {
    const char* name;
    unsigned char r, g, b;
};

// The names gdaldem color-relief knows, with the values it draws them in.
const NamedColor kGdalNames[] = {
    {"white", 255, 255, 255}, {"black", 0, 0, 0},       {"red", 255, 0, 0},
    {"green", 0, 255, 0},     {"blue", 0, 0, 255},      {"yellow", 255, 255, 0},
    {"magenta", 255, 0, 255}, {"cyan", 0, 255, 255},    {"aqua", 0, 191, 191},
    {"grey", 191, 191, 191},  {"gray", 191, 191, 191},  {"orange", 255, 127, 0},
    {"brown", 191, 127, 63},  {"purple", 127, 0, 255},  {"violet", 127, 0, 255},
    {"indigo", 0, 127, 255},
};

// GRASS's standard colour names, with its values.
const NamedColor kGrassNames[] = {
    {"white", 255, 255, 255}, {"black", 0, 0, 0},       {"red", 255, 0, 0},
    {"green", 0, 255, 0},     {"blue", 0, 0, 255},      {"yellow", 255, 255, 0},
    {"magenta", 255, 0, 255}, {"cyan", 0, 255, 255},    {"aqua", 100, 128, 255},
    {"grey", 128, 128, 128},  {"gray", 128, 128, 128},  {"orange", 255, 128, 0},
    {"brown", 180, 77, 25},   {"purple", 128, 0, 255},  {"violet", 128, 0, 255},
    {"indigo", 0, 128, 255},
};

// GMT's names are X11's; these are the ones palettes use, plus the plain colours.
const NamedColor kGmtNames[] = {
    {"white", 255, 255, 255},       {"black", 0, 0, 0},          {"red", 255, 0, 0},
    {"green", 0, 255, 0},           {"blue", 0, 0, 255},         {"yellow", 255, 255, 0},
    {"magenta", 255, 0, 255},       {"cyan", 0, 255, 255},       {"gray", 190, 190, 190},
    {"grey", 190, 190, 190},        {"orange", 255, 165, 0},     {"brown", 165, 42, 42},
    {"purple", 160, 32, 240},       {"violet", 238, 130, 238},   {"navy", 0, 0, 128},
    {"pink", 255, 192, 203},        {"darkgreen", 0, 100, 0},    {"lightgray", 211, 211, 211},
    {"darkgray", 169, 169, 169},    {"snow", 255, 250, 250},     {"burlywood", 222, 184, 135},
    {"bisque2", 238, 213, 183},     {"ivory2", 238, 238, 224},   {"saddlebrown", 139, 69, 19},
    {"darkorange1", 255, 127, 0},   {"darkorange3", 205, 102, 0},
    {"mediumseagreen", 60, 179, 113}, {"mediumaquamarine", 102, 205, 170},
};
// X11's grayN / greyN, N = 0 to 100.
const unsigned char kX11Grey[101] = {
    0,   3,   5,   8,   10,  13,  15,  18,  20,  23,  26,  28,  31,  33,  36,  38,  41,
    43,  46,  48,  51,  54,  56,  59,  61,  64,  66,  69,  71,  74,  77,  79,  82,  84,
    87,  89,  92,  94,  97,  99,  102, 105, 107, 110, 112, 115, 117, 120, 122, 125, 127,
    130, 133, 135, 138, 140, 143, 145, 148, 150, 153, 156, 158, 161, 163, 166, 168, 171,
    173, 176, 179, 181, 184, 186, 189, 191, 194, 196, 199, 201, 204, 207, 209, 212, 214,
    217, 219, 222, 224, 227, 229, 232, 235, 237, 240, 242, 245, 247, 250, 252, 255};

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

template <size_t N>
const NamedColor* FindName(const NamedColor (&table)[N], const std::string& name)
{
    const std::string n = Lower(name);
    for (const NamedColor& c : table)
        if (n == c.name)
            return &c;
    return nullptr;
}

Rgba Of(const NamedColor& c)
{
    Rgba x;
    x.r = c.r, x.g = c.g, x.b = c.b;
    return x;
}

bool Number(const std::string& t, double* v)
{
    const char* s = t.c_str();
    const char* e = s + t.size();
    if (s != e && *s == '+')
        ++s;
    if (s == e)
        return false;
    double x = 0;
    const auto res = std::from_chars(s, e, x);
    if (res.ec != std::errc() || res.ptr != e || !std::isfinite(x))
        return false;
    *v = x;
    return true;
}

bool Component(const std::string& t, double* v)
{
    return Number(t, v) && *v >= 0 && *v <= 255;
}

bool Hex(const std::string& t, Rgba* c)
{
    if (t.size() != 7 || t[0] != '#')
        return false;
    int v[6];
    for (int i = 0; i < 6; ++i) {
        const char ch = t[1 + i];
        if (ch >= '0' && ch <= '9') v[i] = ch - '0';
        else if (ch >= 'a' && ch <= 'f') v[i] = ch - 'a' + 10;
        else if (ch >= 'A' && ch <= 'F') v[i] = ch - 'A' + 10;
        else return false;
    }
    c->r = v[0] * 16 + v[1], c->g = v[2] * 16 + v[3], c->b = v[4] * 16 + v[5], c->a = 255;
    return true;
}

std::vector<std::string> Split(const std::string& line, const char* separators)
{
    std::vector<std::string> out;
    std::string word;
    for (char c : line) {
        if (c != '\0' && std::strchr(separators, c) != nullptr) {
            if (!word.empty())
                out.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty())
        out.push_back(word);
    return out;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::string Trim(const std::string& s)
{
    size_t a = 0, b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t'))
        ++a;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t'))
        --b;
    return s.substr(a, b - a);
}

bool Fail(Report* report, int line, Fault fault, const std::string& what)
{
    report->line = line;
    report->fault = fault;
    report->error = what;
    return false;
}

std::string At(int line) { return "line " + std::to_string(line) + ": "; }

std::string Triple(const Rgba& c)
{
    return "(" + FormatNumber(c.r) + ", " + FormatNumber(c.g) + ", " + FormatNumber(c.b) + ")";
}

// A stop value: a number, or P% (0 to 100).
bool StopValue(const std::string& t, Stop* s)
{
    if (!t.empty() && t.back() == '%') {
        double p = 0;
        if (!Number(t.substr(0, t.size() - 1), &p) || p < 0 || p > 100)
            return false;
        s->value = p;
        s->scale = Scale::Percent;
        return true;
    }
    s->scale = Scale::Absolute;
    return Number(t, &s->value);
}

// Stops of one scale sorted by value (GDAL and GRASS sort their entries themselves); a
// mixture is sorted when it is laid over a range.
void SortIfOneScale(Ramp* ramp)
{
    for (const Stop& s : ramp->stops)
        if (s.scale != ramp->stops.front().scale)
            return;
    std::stable_sort(ramp->stops.begin(), ramp->stops.end(),
                     [](const Stop& a, const Stop& b) { return a.value < b.value; });
}

// --- GDAL ---------------------------------------------------------------------------------

bool ReadGdal(const std::string& text, bool guessed, Ramp* out, Report* report)
{
    Ramp ramp;
    const std::vector<std::string> lines = Lines(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        const int ln = static_cast<int>(i) + 1;
        const std::string line = Trim(lines[i]);
        if (line.empty() || line[0] == '#' || line[0] == '/')
            continue;
        const std::vector<std::string> w = Split(line, " \t,:");
        Stop s;
        bool nodata = false;
        if (w.empty())
            continue;
        if (Lower(w[0]) == "nv")
            nodata = true;
        else if (!StopValue(w[0], &s))
            return Fail(report, ln, Fault::Value, "'" + w[0] + "' is not a value (a number, P% or nv)");
        if (w.size() == 2) {
            const NamedColor* c = FindName(kGdalNames, w[1]);
            if (c == nullptr)
                return Fail(report, ln, Fault::Colour, "'" + w[1] + "' is not one of GDAL's colour names");
            s.color = Of(*c);
            const NamedColor* g = FindName(kGrassNames, w[1]);
            if (guessed && g != nullptr && !(Of(*g) == s.color))
                report->warnings.push_back(At(ln) + "colour name '" + w[1] + "' read with GDAL's value " +
                                           Triple(s.color) + " (GRASS's is " + Triple(Of(*g)) +
                                           ": give --from grass for it)");
        } else if (w.size() == 4 || w.size() == 5) {
            double c[4] = {0, 0, 0, 255};
            for (size_t k = 1; k < w.size(); ++k)
                if (!Component(w[k], &c[k - 1]))
                    return Fail(report, ln, Fault::Colour, "'" + w[k] + "' is not a colour component (0 to 255)");
            s.color.r = c[0], s.color.g = c[1], s.color.b = c[2], s.color.a = c[3];
        } else {
            return Fail(report, ln, Fault::Shape, "expected: VALUE R G B [A], or VALUE NAME");
        }
        if (nodata) {
            ramp.hasNodata = true;
            ramp.nodata = s.color;
        } else {
            ramp.stops.push_back(s);
        }
    }
    if (ramp.stops.empty())
        return Fail(report, 0, Fault::Empty, "no colour entries");
    SortIfOneScale(&ramp);
    *out = ramp;
    return true;
}

// --- GRASS --------------------------------------------------------------------------------

bool GrassColor(const std::vector<std::string>& w, size_t from, Rgba* c)
{
    const size_t n = w.size() - from;
    if (n == 3) {
        double v[3];
        for (int k = 0; k < 3; ++k)
            if (!Component(w[from + k], &v[k]))
                return false;
        c->r = v[0], c->g = v[1], c->b = v[2];
        return true;
    }
    if (n != 1)
        return false;
    const std::string& t = w[from];
    if (Hex(t, c))
        return true;
    const std::vector<std::string> parts = Split(t, ":");
    if (parts.size() == 3 && t.find("::") == std::string::npos && t.front() != ':' && t.back() != ':')
        return GrassColor(parts, 0, c);
    const NamedColor* named = FindName(kGrassNames, t);
    if (named == nullptr)
        return false;
    *c = Of(*named);
    return true;
}

bool ReadGrass(const std::string& text, Ramp* out, Report* report)
{
    Ramp ramp;
    const std::vector<std::string> lines = Lines(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        const int ln = static_cast<int>(i) + 1;
        const std::string line = Trim(lines[i]);
        if (line.empty() || line[0] == '#')
            continue;
        const std::vector<std::string> w = Split(line, " \t");
        const std::string key = Lower(w[0]);
        if (key == "end")
            break;
        Stop s;
        if (key != "nv" && key != "default" && !StopValue(w[0], &s))
            return Fail(report, ln, Fault::Value, "'" + w[0] + "' is not a value (a number, P%, nv or default)");
        if (w.size() < 2 || !GrassColor(w, 1, &s.color))
            return Fail(report, ln, Fault::Colour, "expected a colour: R:G:B, R G B, #RRGGBB or a GRASS colour name");
        if (key == "nv") {
            ramp.hasNodata = true;
            ramp.nodata = s.color;
        } else if (key == "default") {
            ramp.hasBelow = ramp.hasAbove = true;
            ramp.below = ramp.above = s.color;
        } else {
            ramp.stops.push_back(s);
        }
    }
    if (ramp.stops.empty())
        return Fail(report, 0, Fault::Empty, "no colour rules");
    SortIfOneScale(&ramp);
    *out = ramp;
    return true;
}

// --- GMT ----------------------------------------------------------------------------------

Rgba FromHsv(double h, double s, double v)
{
    h = std::fmod(h, 360.0);
    if (h < 0)
        h += 360;
    const double c = v * s;
    const double x = c * (1 - std::fabs(std::fmod(h / 60.0, 2.0) - 1));
    const double m = v - c;
    double r = 0, g = 0, b = 0;
    if (h < 60) r = c, g = x;
    else if (h < 120) r = x, g = c;
    else if (h < 180) g = c, b = x;
    else if (h < 240) g = x, b = c;
    else if (h < 300) r = x, b = c;
    else r = c, b = x;
    Rgba out;
    out.r = (r + m) * 255, out.g = (g + m) * 255, out.b = (b + m) * 255;
    return out;
}

bool HsvTriple(double h, double s, double v, Rgba* c)
{
    if (h < 0 || h > 360 || s < 0 || s > 1 || v < 0 || v > 1)
        return false;
    *c = FromHsv(h, s, v);
    return true;
}

// One colour of a palette from one word: r/g/b (h/s/v in the HSV model), h-s-v, #rrggbb, a
// grey level or a name.
bool GmtColor(const std::string& t, bool hsv, Rgba* c)
{
    if (Hex(t, c))
        return true;
    double v[3];
    const std::vector<std::string> slash = Split(t, "/");
    if (slash.size() == 3 && std::count(t.begin(), t.end(), '/') == 2) {
        if (hsv)
            return Number(slash[0], &v[0]) && Number(slash[1], &v[1]) && Number(slash[2], &v[2]) &&
                   HsvTriple(v[0], v[1], v[2], c);
        for (int k = 0; k < 3; ++k)
            if (!Component(slash[k], &v[k]))
                return false;
        c->r = v[0], c->g = v[1], c->b = v[2], c->a = 255;
        return true;
    }
    const size_t dash = t.find('-', 1);
    if (dash != std::string::npos) {
        const std::vector<std::string> parts = Split(t, "-");
        return parts.size() == 3 && std::count(t.begin(), t.end(), '-') == 2 && Number(parts[0], &v[0]) &&
               Number(parts[1], &v[1]) && Number(parts[2], &v[2]) && HsvTriple(v[0], v[1], v[2], c);
    }
    if (Component(t, &v[0])) {
        c->r = c->g = c->b = v[0];
        c->a = 255;
        return true;
    }
    const std::string n = Lower(t);
    if (const NamedColor* named = FindName(kGmtNames, n)) {
        *c = Of(*named);
        return true;
    }
    for (const char* grey : {"gray", "grey"}) {
        if (n.compare(0, 4, grey) == 0 && n.size() > 4 && n.size() <= 7) {
            double level = 0;
            if (Number(n.substr(4), &level) && level == std::floor(level) && level >= 0 && level <= 100) {
                c->r = c->g = c->b = kX11Grey[static_cast<int>(level)];
                c->a = 255;
                return true;
            }
        }
    }
    return false;
}

// Colours of a slice or a B/F/N line: the words at w[from..] hold `count` colours of one word
// each, or of three numbers each.
bool GmtColors(const std::vector<std::string>& w, size_t from, size_t count, bool hsv, Rgba* out)
{
    for (size_t k = 0; k < count; ++k) {
        if (!GmtColor(w[from + k], hsv, &out[k]))
            return false;
    }
    return true;
}

bool GmtTriple(const std::vector<std::string>& w, size_t from, bool hsv, Rgba* c)
{
    double v[3];
    for (int k = 0; k < 3; ++k)
        if (!Number(w[from + k], &v[k]))
            return false;
    if (hsv)
        return HsvTriple(v[0], v[1], v[2], c);
    for (double x : v)
        if (x < 0 || x > 255)
            return false;
    c->r = v[0], c->g = v[1], c->b = v[2], c->a = 255;
    return true;
}

bool ReadCpt(const std::string& text, Ramp* out, Report* report)
{
    Ramp ramp;
    bool hsv = false, hinge = false, softHinge = false, hasRange = false, categorical = false;
    bool slices = false;
    double rangeLo = 0, rangeHi = 0;
    double lastTop = -HUGE_VAL;
    const std::vector<std::string> lines = Lines(text);
    const std::string kNeed = "expected: Z0 COLOUR Z1 COLOUR [L|U|B] [;label], KEY COLOUR, or B|F|N COLOUR";
    for (size_t i = 0; i < lines.size(); ++i) {
        const int ln = static_cast<int>(i) + 1;
        std::string line = Trim(lines[i]);
        if (line.empty())
            continue;
        if (line[0] == '#') {
            std::string c = Lower(line);
            c.erase(std::remove_if(c.begin(), c.end(), [](char ch) { return ch == ' ' || ch == '\t' || ch == '#'; }),
                    c.end());
            if (c.compare(0, 12, "color_model=") == 0) {
                hsv = c.find("hsv") != std::string::npos;
                if (!hsv && c.find("rgb") == std::string::npos)
                    return Fail(report, ln, Fault::Header, "colour model is neither RGB nor HSV");
            } else if (c == "hard_hinge") {
                hinge = true;
            } else if (c == "soft_hinge") {
                hinge = softHinge = true;
            } else if (c.compare(0, 6, "range=") == 0) {
                const std::vector<std::string> r = Split(c.substr(6), "/");
                if (r.size() < 2 || !Number(r[0], &rangeLo) || !Number(r[1], &rangeHi) || !(rangeLo < rangeHi))
                    return Fail(report, ln, Fault::Header, "expected: # RANGE = LO/HI with LO below HI");
                hasRange = true;
            }
            continue;
        }
        std::string label;
        const size_t semi = line.find(';');
        if (semi != std::string::npos) {
            label = Trim(line.substr(semi + 1));
            line = line.substr(0, semi);
        }
        std::vector<std::string> w = Split(line, " \t");
        if (w.empty())
            return Fail(report, ln, Fault::Shape, kNeed);
        const std::string first = w[0];
        if (first == "B" || first == "F" || first == "N") {
            Rgba c;
            const bool ok = (w.size() == 2 && (w[1] == "-" || GmtColor(w[1], hsv, &c))) ||
                            (w.size() == 4 && GmtTriple(w, 1, hsv, &c));
            if (!ok)
                return Fail(report, ln, Fault::Shape, "expected: " + first + " COLOUR");
            if (w.size() == 2 && w[1] == "-")
                continue;
            if (first == "B") ramp.hasBelow = true, ramp.below = c;
            if (first == "F") ramp.hasAbove = true, ramp.above = c;
            if (first == "N") ramp.hasNodata = true, ramp.nodata = c;
            continue;
        }
        if (w.size() == 5 || w.size() == 9) {
            const std::string& last = w.back();
            if (last == "L" || last == "U" || last == "B")
                w.pop_back();
        }
        Stop a, b;
        a.label = b.label = label;
        if (!Number(w[0], &a.value))
            return Fail(report, ln, Fault::Value, "'" + w[0] + "' is not a number");
        if (w.size() == 2) {
            if (!GmtColor(w[1], hsv, &a.color))
                return Fail(report, ln, Fault::Colour, "'" + w[1] + "' is not a colour");
            categorical = true;
            ramp.stops.push_back(a);
            continue;
        }
        Rgba c[2];
        if (w.size() == 4) {
            if (!GmtColors(w, 1, 1, hsv, &c[0]) || !Number(w[2], &b.value) || !GmtColors(w, 3, 1, hsv, &c[1]))
                return Fail(report, ln, Fault::Shape, "expected: Z0 COLOUR Z1 COLOUR with colours r/g/b, h-s-v, #rrggbb, a grey level or a name");
        } else if (w.size() == 8) {
            if (!GmtTriple(w, 1, hsv, &c[0]) || !Number(w[4], &b.value) || !GmtTriple(w, 5, hsv, &c[1]))
                return Fail(report, ln, Fault::Shape, "expected: Z0 R G B Z1 R G B");
        } else {
            return Fail(report, ln, Fault::Shape, kNeed);
        }
        a.color = c[0];
        b.color = c[1];
        slices = true;
        if (b.value < a.value) {
            report->warnings.push_back(At(ln) + "slice runs downward (" + w[0] + " to " + FormatNumber(b.value) +
                                       "); read upward");
            std::swap(a.value, b.value);
            std::swap(a.color, b.color);
        }
        if (a.value < lastTop)
            report->warnings.push_back(At(ln) + "slice overlaps the one before it; the later one wins from " +
                                       FormatNumber(a.value));
        lastTop = std::max(lastTop, b.value);
        if (ramp.stops.empty() || ramp.stops.back().value != a.value || !(ramp.stops.back().color == a.color))
            ramp.stops.push_back(a);
        ramp.stops.push_back(b);
    }
    if (ramp.stops.empty())
        return Fail(report, 0, Fault::Empty, "no colour slices");
    if (categorical && slices)
        return Fail(report, 0, Fault::Mixed, "palette mixes categories (KEY COLOUR) with slices");
    ramp.exact = categorical;
    std::stable_sort(ramp.stops.begin(), ramp.stops.end(),
                     [](const Stop& x, const Stop& y) { return x.value < y.value; });
    // A palette normalised to 0..1 (or -1..1 about a hinge) is laid over a range when used.
    const double lo = ramp.stops.front().value, hi = ramp.stops.back().value;
    if (!categorical && hinge && lo >= -1 && hi <= 1) {
        for (Stop& s : ramp.stops)
            s.scale = Scale::Hinged;
        ramp.softHinge = softHinge;
        if (hasRange) {
            // Its own range: GMT's default, with the hinge at elevation 0.
            ramp.softHinge = softHinge;
            Ramp resolved = Resolve(ramp, rangeLo, rangeHi);
            ramp = resolved;
        }
    } else if (!categorical && hasRange && lo >= 0 && hi <= 1) {
        for (Stop& s : ramp.stops) {
            s.value *= 100;
            s.scale = Scale::Percent;
        }
    }
    *out = ramp;
    return true;
}

// --- QGIS ---------------------------------------------------------------------------------

const char kQgisHeader[] = "# QGIS Generated Color Map Export File";

bool ReadQgis(const std::string& text, Ramp* out, Report* report)
{
    enum { None, Interpolated, Discrete, Exact } mode = None;
    struct Entry {
        double value;
        bool inf;
        Rgba color;
        std::string label;
        int line;
    };
    std::vector<Entry> entries;
    const std::vector<std::string> lines = Lines(text);
    bool header = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const int ln = static_cast<int>(i) + 1;
        const std::string line = Trim(lines[i]);
        if (line.empty())
            continue;
        if (!header) {
            if (line != kQgisHeader)
                return Fail(report, ln, Fault::Header, std::string("expected the header line '") + kQgisHeader + "'");
            header = true;
            continue;
        }
        if (line[0] == '#')
            continue;
        if (line.compare(0, 14, "INTERPOLATION:") == 0) {
            const std::string m = line.substr(14);
            mode = m == "INTERPOLATED" ? Interpolated : m == "DISCRETE" ? Discrete : m == "EXACT" ? Exact : None;
            if (mode == None)
                return Fail(report, ln, Fault::Header, "expected: INTERPOLATION:INTERPOLATED, DISCRETE or EXACT");
            continue;
        }
        if (mode == None)
            return Fail(report, ln, Fault::Header, "expected: INTERPOLATION:INTERPOLATED, DISCRETE or EXACT before the entries");
        // value,r,g,b,a,label: the label is the rest of the line, commas and all.
        std::vector<std::string> w;
        size_t start = 0;
        for (int k = 0; k < 5; ++k) {
            const size_t comma = line.find(',', start);
            if (comma == std::string::npos) {
                w.push_back(Trim(line.substr(start)));
                start = line.size() + 1;
                break;
            }
            w.push_back(Trim(line.substr(start, comma - start)));
            start = comma + 1;
        }
        Entry e{0, false, Rgba(), start <= line.size() ? line.substr(start) : std::string(), ln};
        if (w.size() != 5)
            return Fail(report, ln, Fault::Shape, "expected: VALUE,R,G,B,A,LABEL");
        const std::string v = Lower(w[0]);
        if (v == "inf" || v == "+inf") {
            e.inf = true;
            e.value = HUGE_VAL;
        } else if (!Number(w[0], &e.value)) {
            return Fail(report, ln, Fault::Value, "'" + w[0] + "' is not a value (a number or inf)");
        }
        double c[4];
        for (int k = 0; k < 4; ++k)
            if (!Component(w[1 + k], &c[k]))
                return Fail(report, ln, Fault::Colour, "'" + w[1 + k] + "' is not a colour component (0 to 255)");
        e.color.r = c[0], e.color.g = c[1], e.color.b = c[2], e.color.a = c[3];
        if (!entries.empty() && e.value < entries.back().value)
            report->warnings.push_back(At(ln) + "value below the one before it; entries sorted");
        entries.push_back(e);
    }
    if (!header)
        return Fail(report, 0, Fault::Header, std::string("expected the header line '") + kQgisHeader + "'");
    if (entries.empty())
        return Fail(report, 0, Fault::Empty, "no colour entries");
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.value < b.value; });
    Ramp ramp;
    ramp.exact = mode == Exact;
    for (size_t k = 0; k < entries.size(); ++k) {
        const Entry& e = entries[k];
        if (e.inf && (mode != Discrete || k + 1 != entries.size()))
            return Fail(report, e.line, Fault::Shape, "inf only bounds the last class of a DISCRETE map");
        Stop s;
        s.color = e.color;
        s.label = e.label;
        if (mode == Discrete && k > 0) {
            // Class k: above the previous value, up to and including this one.
            s.value = entries[k - 1].value;
            ramp.stops.push_back(s);
            if (e.inf)
                break;
        }
        s.value = e.value;
        ramp.stops.push_back(s);
    }
    *out = ramp;
    return true;
}

// --- ArcGIS .clr ---------------------------------------------------------------------------

bool ReadClr(const std::string& text, Ramp* out, Report* report)
{
    Ramp ramp;
    ramp.exact = true;
    const std::vector<std::string> lines = Lines(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        const int ln = static_cast<int>(i) + 1;
        const std::string line = Trim(lines[i]);
        if (line.empty() || line[0] == '#')
            continue;
        const std::vector<std::string> w = Split(line, " \t");
        Stop s;
        if (w.size() != 4)
            return Fail(report, ln, Fault::Shape, "expected: VALUE R G B");
        if (!Number(w[0], &s.value) || s.value != std::floor(s.value))
            return Fail(report, ln, Fault::Value, "'" + w[0] + "' is not a whole number");
        double c[3];
        for (int k = 0; k < 3; ++k)
            if (!Component(w[1 + k], &c[k]))
                return Fail(report, ln, Fault::Colour, "'" + w[1 + k] + "' is not a colour component (0 to 255)");
        s.color.r = c[0], s.color.g = c[1], s.color.b = c[2];
        if (!ramp.stops.empty() && s.value <= ramp.stops.back().value)
            report->warnings.push_back(At(ln) + "value not above the one before it; entries sorted");
        ramp.stops.push_back(s);
    }
    if (ramp.stops.empty())
        return Fail(report, 0, Fault::Empty, "no colour entries");
    std::stable_sort(ramp.stops.begin(), ramp.stops.end(), [](const Stop& a, const Stop& b) { return a.value < b.value; });
    *out = ramp;
    return true;
}

}  // namespace

namespace {

// A GMT palette comment that declares something: the colour model, a hinge or the range.
bool IsCptDeclaration(const std::string& line)
{
    std::string c = Lower(line);
    c.erase(std::remove_if(c.begin(), c.end(), [](char ch) { return ch == ' ' || ch == '\t' || ch == '#'; }),
            c.end());
    return c.compare(0, 12, "color_model=") == 0 || c == "hard_hinge" || c == "soft_hinge" ||
           c.compare(0, 6, "range=") == 0;
}

bool IsGmtColorWord(const std::string& t)
{
    Rgba c;
    double v = 0;
    return !Number(t, &v) && (GmtColor(t, false, &c) || GmtColor(t, true, &c));
}

// A palette's entry: Z0 COLOUR Z1 COLOUR with one-word colours, or Z0 R G B Z1 R G B.
bool IsCptEntry(const std::vector<std::string>& w)
{
    double v = 0;
    if (w.size() >= 8) {
        bool numbers = true;
        for (size_t k = 0; k < 8 && numbers; ++k)
            numbers = Number(w[k], &v);
        if (numbers)
            return true;
    }
    return w.size() >= 4 && Number(w[0], &v) && Number(w[2], &v) && IsGmtColorWord(w[1]) && IsGmtColorWord(w[3]);
}

// GRASS's R:G:B colour.
bool IsGrassTriple(const std::string& t)
{
    const std::vector<std::string> parts = Split(t, ":");
    double v = 0;
    return parts.size() == 3 && std::count(t.begin(), t.end(), ':') == 2 && Component(parts[0], &v) &&
           Component(parts[1], &v) && Component(parts[2], &v);
}

}  // namespace

Format DetectFormat(const std::string& path, const std::string& utf8)
{
    const Format byExtension = FormatFromExtension(path);
    if (byExtension != Format::Unknown)
        return byExtension;
    if (utf8.compare(0, 8, "COLORLUT") == 0)
        return Format::Lut;
    const std::vector<std::string> lines = Lines(utf8);
    for (const std::string& raw : lines) {
        const std::string line = Trim(raw);
        if (line.empty())
            continue;
        if (line == kQgisHeader)
            return Format::Qgis;
        break;
    }
    bool firstEntry = true, grass = false;
    for (const std::string& raw : lines) {
        std::string line = Trim(raw);
        if (line.empty())
            continue;
        if (line[0] == '#') {
            if (IsCptDeclaration(line))
                return Format::Cpt;
            continue;
        }
        const size_t semi = line.find(';');
        if (semi != std::string::npos)
            line = line.substr(0, semi);
        const std::vector<std::string> w = Split(line, " \t");
        if (w.empty())
            continue;
        if (w.size() >= 2 && (w[0] == "B" || w[0] == "F" || w[0] == "N"))
            return Format::Cpt;
        if (firstEntry && IsCptEntry(w))
            return Format::Cpt;
        firstEntry = false;
        grass = grass || Lower(w[0]) == "default" || Lower(w[0]) == "end" || (w.size() == 2 && IsGrassTriple(w[1]));
    }
    return grass ? Format::Grass : Format::Gdal;
}

bool ReadRamp(Format format, const std::string& utf8, bool guessed, Ramp* ramp, Report* report)
{
    switch (format) {
    case Format::Gdal: return ReadGdal(utf8, guessed, ramp, report);
    case Format::Grass: return ReadGrass(utf8, ramp, report);
    case Format::Cpt: return ReadCpt(utf8, ramp, report);
    case Format::Qgis: return ReadQgis(utf8, ramp, report);
    case Format::Clr: return ReadClr(utf8, ramp, report);
    default: return Fail(report, 0, Fault::Format, "not a ramp text format");
    }
}

}  // namespace ramps
