// The writers: GDAL colour-relief text, GRASS colour rules, GMT palettes, QGIS colour-map
// exports (DISCRETE), ArcGIS .clr maps.
#include <algorithm>
#include <cmath>

#include "ramps/ramp.h"

namespace ramps {

namespace {

long Byte(double c)
{
    const long v = std::lround(c);
    return v < 0 ? 0 : v > 255 ? 255 : v;
}

std::string Rgb(const Rgba& c, const char* sep)
{
    return std::to_string(Byte(c.r)) + sep + std::to_string(Byte(c.g)) + sep + std::to_string(Byte(c.b));
}

std::string Value(const Stop& s)
{
    return FormatNumber(s.value) + (s.scale == Scale::Percent ? "%" : "");
}

bool Translucent(const Ramp& r)
{
    for (const Stop& s : r.stops)
        if (Byte(s.color.a) != 255)
            return true;
    return (r.hasNodata && Byte(r.nodata.a) != 255) || (r.hasBelow && Byte(r.below.a) != 255) ||
           (r.hasAbove && Byte(r.above.a) != 255);
}

void Warn(Report* report, const std::string& what) { report->warnings.push_back(what); }

void WarnAlpha(const Ramp& r, const char* format, Report* report)
{
    if (Translucent(r))
        Warn(report, std::string(format) + " holds no transparency: alpha other than 255 is dropped");
}

void WarnOutside(const Ramp& r, const char* format, Report* report)
{
    if (r.hasBelow || r.hasAbove)
        Warn(report, std::string(format) + " holds no colour below or above the ramp: its end colours apply there");
}

void WarnNodata(const Ramp& r, const char* format, Report* report)
{
    if (r.hasNodata)
        Warn(report, std::string(format) + " holds no no-data colour: it is dropped");
}

Rgba Middle(const Stop& a, const Stop& b)
{
    Rgba m;
    m.r = (a.color.r + b.color.r) / 2, m.g = (a.color.g + b.color.g) / 2;
    m.b = (a.color.b + b.color.b) / 2, m.a = (a.color.a + b.color.a) / 2;
    return m;
}

bool Same(const Rgba& x, const Rgba& y)
{
    return Byte(x.r) == Byte(y.r) && Byte(x.g) == Byte(y.g) && Byte(x.b) == Byte(y.b) && Byte(x.a) == Byte(y.a);
}

std::string WriteGdal(const Ramp& r, Report* report)
{
    const bool alpha = Translucent(r);
    std::string out;
    auto colour = [&](const Rgba& c) { return Rgb(c, " ") + (alpha ? " " + std::to_string(Byte(c.a)) : ""); };
    for (const Stop& s : r.stops)
        out += Value(s) + " " + colour(s.color) + "\n";
    if (r.hasNodata)
        out += "nv " + colour(r.nodata) + "\n";
    WarnOutside(r, "GDAL colour text", report);
    return out;
}

std::string WriteGrass(const Ramp& r, Report* report)
{
    std::string out;
    for (const Stop& s : r.stops)
        out += Value(s) + " " + Rgb(s.color, ":") + "\n";
    if (r.hasNodata)
        out += "nv " + Rgb(r.nodata, ":") + "\n";
    if (r.hasBelow && r.hasAbove && Same(r.below, r.above))
        out += "default " + Rgb(r.below, ":") + "\n";
    else
        WarnOutside(r, "GRASS rules (one default colour for both sides)", report);
    WarnAlpha(r, "GRASS rules", report);
    return out;
}

// Classes of a ramp of elevations: (lower, upper, colour, label) for every stretch between two
// stops; a stretch whose ends differ in colour is one class coloured at its middle.
struct Class {
    double lo, hi;
    Rgba color;
    std::string label;
};

std::vector<Class> Classes(const Ramp& r, Report* report, const char* format)
{
    std::vector<Class> out;
    double largest = 0;
    for (size_t k = 0; k + 1 < r.stops.size(); ++k) {
        const Stop& a = r.stops[k];
        const Stop& b = r.stops[k + 1];
        if (!(a.value < b.value))
            continue;
        Class c{a.value, b.value, a.color, a.label == b.label ? a.label : std::string()};
        if (!Same(a.color, b.color)) {
            c.color = Middle(a, b);
            largest = std::max({largest, std::fabs(a.color.r - c.color.r), std::fabs(a.color.g - c.color.g),
                                std::fabs(a.color.b - c.color.b)});
        }
        if (c.label.empty())
            c.label = FormatNumber(c.lo) + " - " + FormatNumber(c.hi);
        out.push_back(c);
    }
    if (largest > 0)
        Warn(report, std::string(format) + " writes classes: each continuous stretch takes the colour at its "
                     "middle (largest difference " + FormatNumber(std::round(largest * 10) / 10) + " of 255)");
    return out;
}

std::string WriteCpt(const Ramp& r, Report* report)
{
    std::string out = "# COLOR_MODEL = RGB\n";
    size_t slices = 0;
    for (size_t k = 0; k + 1 < r.stops.size(); ++k) {
        const Stop& a = r.stops[k];
        const Stop& b = r.stops[k + 1];
        if (!(a.value < b.value))
            continue;  // a hard step: the next slice starts there
        out += FormatNumber(a.value) + "\t" + Rgb(a.color, " ") + "\t" + FormatNumber(b.value) + "\t" +
               Rgb(b.color, " ");
        if (!a.label.empty() && a.label == b.label)
            out += "\t;" + a.label;
        out += "\n";
        ++slices;
    }
    if (slices == 0) {
        const Stop& s = r.stops.front();
        out += FormatNumber(s.value) + "\t" + Rgb(s.color, " ") + "\t" + FormatNumber(s.value) + "\t" +
               Rgb(s.color, " ") + "\n";
    }
    // Outside the ramp GMT draws B and F: the ramp's own, else its end colours.
    out += "B\t" + Rgb(r.hasBelow ? r.below : r.stops.front().color, " ") + "\n";
    out += "F\t" + Rgb(r.hasAbove ? r.above : r.stops.back().color, " ") + "\n";
    if (r.hasNodata)
        out += "N\t" + Rgb(r.nodata, " ") + "\n";
    WarnAlpha(r, "A GMT palette", report);
    return out;
}

std::string WriteQgis(const Ramp& r, Report* report)
{
    std::string out = "# QGIS Generated Color Map Export File\nINTERPOLATION:DISCRETE\n";
    auto line = [&](const std::string& value, const Rgba& c, const std::string& label) {
        out += value + "," + Rgb(c, ",") + "," + std::to_string(Byte(c.a)) + "," + label + "\n";
    };
    const Stop& first = r.stops.front();
    line(FormatNumber(first.value), r.hasBelow ? r.below : first.color, "<= " + FormatNumber(first.value));
    for (const Class& c : Classes(r, report, "A QGIS DISCRETE map"))
        line(FormatNumber(c.hi), c.color, c.label);
    line("inf", r.hasAbove ? r.above : r.stops.back().color, "> " + FormatNumber(r.stops.back().value));
    WarnNodata(r, "A QGIS colour-map export", report);
    return out;
}

bool WriteClr(const Ramp& r, double lo, double hi, std::string* text, Report* report)
{
    const double first = std::ceil(lo), last = std::floor(hi);
    if (!(last - first + 1 <= kMaxClrValues)) {
        report->error = "a .clr map of " + FormatNumber(first) + " to " + FormatNumber(last) +
                        " would take more than 65,536 lines";
        return false;
    }
    std::string out;
    long lines = 0;
    for (double v = first; v <= last; v += 1) {
        Rgba c;
        if (!ColorAt(r, v, &c))
            continue;
        out += FormatNumber(v) + " " + Rgb(c, " ") + "\n";
        ++lines;
    }
    if (lines == 0) {
        report->error = "no whole value of the range has a colour";
        return false;
    }
    WarnAlpha(r, "A .clr map", report);
    WarnOutside(r, "A .clr map", report);
    WarnNodata(r, "A .clr map", report);
    *text = out;
    return true;
}

}  // namespace

bool WriteRamp(Format format, const Ramp& ramp, bool hasRange, double lo, double hi, std::string* text,
               Report* report)
{
    if (ramp.stops.empty()) {
        report->error = "the ramp has no colours";
        return false;
    }
    const bool needsElevations = format == Format::Cpt || format == Format::Qgis || format == Format::Clr;
    Ramp r = ramp;
    const bool hinged = std::any_of(r.stops.begin(), r.stops.end(), [](const Stop& s) { return s.scale == Scale::Hinged; });
    if (NeedsRange(r)) {
        if (hasRange) {
            r = Resolve(r, lo, hi);
        } else if (needsElevations || hinged || !IsRelative(r)) {
            report->error = std::string("a ") + FormatName(format) +
                            " ramp from this one needs the range it covers (--range LO HI or --dem GRID)";
            return false;
        }
    }
    if (format == Format::Clr) {
        if (!hasRange) {
            report->error = "a .clr map needs the range of values it covers (--range LO HI or --dem GRID)";
            return false;
        }
        return WriteClr(r, lo, hi, text, report);
    }
    if (r.exact) {
        r = ExactAsClasses(r);
        report->warnings.push_back(std::string("exact look-up written as classes around each value: ") +
                                   FormatName(format) + " has no exact mode");
    }
    switch (format) {
    case Format::Gdal: *text = WriteGdal(r, report); return true;
    case Format::Grass: *text = WriteGrass(r, report); return true;
    case Format::Cpt: *text = WriteCpt(r, report); return true;
    case Format::Qgis: *text = WriteQgis(r, report); return true;
    default:
        report->error = "not a ramp text format";
        return false;
    }
}

}  // namespace ramps
