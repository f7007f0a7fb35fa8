// The ramp module: each reader's corners from hand-written files, refusals with their line,
// writers read back, tables sampled from ramps, and every real GRASS and GMT ramp of this
// machine (when those packages are installed).
#include <gtest/gtest.h>

#include <dirent.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "ramps/ramp.h"

using ramps::ColorAt;
using ramps::Format;
using ramps::Ramp;
using ramps::Report;
using ramps::Rgba;

namespace {

std::string Slurp(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

// Reads a file as lutconv does: decoded, format detected unless given.
bool Load(const std::string& path, Format format, Ramp* ramp, Report* report, Format* used = nullptr)
{
    std::string text;
    if (!ramps::DecodeText(Slurp(path), &text, report))
        return false;
    const bool guessed = format == Format::Unknown;
    const Format f = guessed ? ramps::DetectFormat(path, text) : format;
    if (used != nullptr)
        *used = f;
    return ramps::ReadRamp(f, text, guessed, ramp, report);
}

Rgba C(double r, double g, double b, double a = 255)
{
    Rgba c;
    c.r = r, c.g = g, c.b = b, c.a = a;
    return c;
}

void ExpectColor(const Rgba& got, const Rgba& want, const std::string& where)
{
    EXPECT_NEAR(got.r, want.r, 1e-6) << where;
    EXPECT_NEAR(got.g, want.g, 1e-6) << where;
    EXPECT_NEAR(got.b, want.b, 1e-6) << where;
    EXPECT_NEAR(got.a, want.a, 1e-6) << where;
}

const double kNone = NAN;  // a probe that must find no colour (exact ramps)

struct Probe {
    double at;
    Rgba color;
    bool none;
};
Probe P(double at, Rgba c) { return Probe{at, c, false}; }
Probe Nothing(double at) { return Probe{at, Rgba(), true}; }

struct ReaderCase {
    const char* file;
    Format from;         // Unknown: detected
    Format detected;
    double lo, hi;       // range the ramp is laid over for the probes
    std::vector<Probe> probes;
    const char* warning;  // a fragment one warning must hold, or ""
    int extras;           // bit 1 nodata, 2 below, 4 above present
};

TEST(RampReaders, EachFormatsCornersFromHandWrittenFiles)
{
    const Rgba kGrassAqua = C(100, 128, 255), kGdalAqua = C(0, 191, 191);
    const std::vector<ReaderCase> cases = {
        // Percentages, separators of every kind, a name, alpha, nv.
        {"gdal_percent.txt", Format::Unknown, Format::Gdal, 0, 200,
         {P(-5, C(0, 0, 0)), P(100, C(255, 0, 0)), P(150, C(255, 127.5, 127.5, 191.5)), P(999, C(255, 255, 255, 128))},
         "", 1},
        // GRASS's names (not GDAL's), BOM, CRLF, #RRGGBB, a hard step at 0.
        {"grass_bom_crlf.txt", Format::Grass, Format::Grass, 0, 1,
         {P(-100, kGrassAqua), P(-50, C(114, 128, 191.5)), P(-1e-9, C(128, 128, 128)), P(0, C(180, 77, 25)),
          P(100, C(0, 255, 0))},
         "", 0},
        // The keyword `default` tells GRASS; `end` ends the rules.
        {"grass_keywords.rules", Format::Unknown, Format::Grass, 0, 1000,
         {P(0, kGrassAqua), P(1000, C(10, 20, 30)), P(500, C(55, 74, 142.5))}, "", 6},
        // HSV, a soft hinge over a range holding 0, B/F with grey names, N as h-s-v, L/U flag, label.
        {"hsv_hinge.cpt", Format::Unknown, Format::Cpt, -100, 100,
         {P(-100, C(255, 0, 0)), P(-50, C(127.5, 127.5, 0)), P(0, C(0, 127.5, 0)), P(100, C(0, 0, 255))}, "", 7},
        // The same over a range above 0: the soft hinge gives way to one stretch of -1..1.
        {"hsv_hinge.cpt", Format::Cpt, Format::Cpt, 10, 110,
         {P(10, C(255, 0, 0)), P(60, C(0, 127.5, 0)), P(110, C(0, 0, 255))}, "", 7},
        // DISCRETE: each value bounds its class from above; inf; a label with a comma.
        {"discrete.qgis", Format::Unknown, Format::Qgis, 0, 1,
         {P(5, C(255, 0, 0)), P(10 - 1e-9, C(255, 0, 0)), P(15, C(0, 255, 0, 128)), P(25, C(0, 0, 255)),
          P(1e9, C(0, 0, 255))},
         "", 0},
        {"exact.qgis", Format::Unknown, Format::Qgis, 0, 1, {P(1, C(255, 0, 0)), Nothing(2), P(3, C(0, 0, 255))}, "", 0},
        {"classes.clr", Format::Unknown, Format::Clr, 0, 1, {P(2, C(0, 255, 0)), Nothing(3), P(5, C(0, 0, 255))}, "", 0},
        // UTF-16 with and without its mark; the name read under the guess is reported.
        {"utf16le.txt", Format::Unknown, Format::Gdal, 0, 1, {P(50, C(5, 105.5, 110.5))}, "GDAL's value (0, 191, 191)", 0},
        {"utf16be_nobom.txt", Format::Unknown, Format::Gdal, 0, 1, {P(100, kGdalAqua)}, "--from grass", 0},
        {"utf16be_nobom.txt", Format::Grass, Format::Grass, 0, 1, {P(100, kGrassAqua)}, "", 0},
    };
    for (const ReaderCase& c : cases) {
        SCOPED_TRACE(c.file);
        Ramp ramp;
        Report report;
        Format used = Format::Unknown;
        ASSERT_TRUE(Load(std::string(RAMPS_TEST_DATA) + "/" + c.file, c.from, &ramp, &report, &used))
            << "line " << report.line << ": " << report.error;
        EXPECT_EQ(used, c.detected);
        const Ramp r = ramps::Resolve(ramp, c.lo, c.hi);
        for (const Probe& p : c.probes) {
            Rgba got;
            const bool found = ColorAt(r, p.at, &got);
            EXPECT_EQ(found, !p.none) << "at " << p.at;
            if (found && !p.none)
                ExpectColor(got, p.color, "at " + std::to_string(p.at));
        }
        std::string all;
        for (const std::string& w : report.warnings)
            all += w + "\n";
        if (*c.warning)
            EXPECT_NE(all.find(c.warning), std::string::npos) << all;
        else
            EXPECT_EQ(all, "");
        EXPECT_EQ(ramp.hasNodata, (c.extras & 1) != 0);
        EXPECT_EQ(ramp.hasBelow, (c.extras & 2) != 0);
        EXPECT_EQ(ramp.hasAbove, (c.extras & 4) != 0);
    }
    // Values of the B, F and N lines of the palette: X11 grey (190), gray50 (127), red.
    Ramp cpt;
    Report report;
    ASSERT_TRUE(Load(std::string(RAMPS_TEST_DATA) + "/hsv_hinge.cpt", Format::Unknown, &cpt, &report));
    ExpectColor(cpt.below, C(190, 190, 190), "B");
    ExpectColor(cpt.above, C(127, 127, 127), "F");
    ExpectColor(cpt.nodata, C(255, 0, 0), "N");
    EXPECT_EQ(cpt.stops.back().label, "top");
}

TEST(RampReaders, RefuseMalformedTextNamingTheLine)
{
    const std::string q = "# QGIS Generated Color Map Export File\n";
    struct Case {
        Format format;
        std::string text;
        int line;
        const char* fragment;
        ramps::Fault fault;
    } cases[] = {
        {Format::Gdal, "0 0 0 0\n5 300 0 0\n", 2, "colour component", ramps::Fault::Colour},
        {Format::Gdal, "# c\n0 0 0\n", 2, "expected", ramps::Fault::Shape},
        {Format::Gdal, "x 0 0 0\n", 1, "not a value", ramps::Fault::Value},
        {Format::Gdal, "0 chartreuse\n", 1, "GDAL's colour names", ramps::Fault::Colour},
        {Format::Gdal, "120% red\n", 1, "not a value", ramps::Fault::Value},
        {Format::Gdal, "# only a comment\n", 0, "no colour", ramps::Fault::Empty},
        {Format::Grass, "0 1:2\n", 1, "expected a colour", ramps::Fault::Colour},
        {Format::Grass, "0 red\n10 #12345\n", 2, "expected a colour", ramps::Fault::Colour},
        {Format::Cpt, "0 red 1\n", 1, "expected", ramps::Fault::Shape},
        {Format::Cpt, "# COLOR_MODEL = cmyk\n0 red 1 blue\n", 1, "colour model", ramps::Fault::Header},
        {Format::Cpt, "# RANGE = 5/1\n", 1, "RANGE", ramps::Fault::Header},
        {Format::Cpt, "# COLOR_MODEL = hsv\n0 400-1-1 1 0-1-1\n", 2, "expected", ramps::Fault::Shape},
        {Format::Cpt, "0 red 1 blue\n2 green\n", 0, "mixes", ramps::Fault::Mixed},
        {Format::Qgis, "0,1,2,3,255,x\n", 1, "header", ramps::Fault::Header},
        {Format::Qgis, q + "1,2,3,4,255,x\n", 2, "INTERPOLATION", ramps::Fault::Header},
        {Format::Qgis, q + "INTERPOLATION:INTERPOLATED\n0,1,2,3,255,a\ninf,1,2,3,255,b\n", 4, "inf", ramps::Fault::Shape},
        {Format::Qgis, q + "INTERPOLATION:DISCRETE\n0,1,2\n", 3, "VALUE,R,G,B,A", ramps::Fault::Shape},
        {Format::Clr, "1 0 0 0\n1.5 0 0 0\n", 2, "whole number", ramps::Fault::Value},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Ramp ramp;
        ramp.stops.resize(1);
        Report report;
        EXPECT_FALSE(ramps::ReadRamp(c.format, c.text, false, &ramp, &report));
        EXPECT_EQ(report.line, c.line);
        EXPECT_NE(report.error.find(c.fragment), std::string::npos) << report.error;
        EXPECT_EQ(report.fault, c.fault) << report.error;
        EXPECT_EQ(ramp.stops.size(), 1u);  // untouched
    }
    // UTF-16 that breaks off inside a surrogate pair.
    std::string text;
    Report report;
    EXPECT_FALSE(ramps::DecodeText(std::string("\xff\xfe" "0\0 \0\x3d\xd8", 8), &text, &report));
    EXPECT_NE(report.error.find("UTF-16"), std::string::npos);
    EXPECT_EQ(report.fault, ramps::Fault::Text);
}

// A ramp with a hard step, a translucent stop, a float limit and a no-data colour, written in
// each format and read back.
TEST(RampWriters, WhatTheyWriteReadsBackToTheSameColours)
{
    Ramp ramp;
    auto stop = [](double v, Rgba c) { ramps::Stop s; s.value = v; s.color = c; return s; };
    ramp.stops = {stop(static_cast<float>(-12.345678f), C(255, 0, 0)), stop(100, C(0, 0, 255)),
                  stop(100, C(0, 255, 0)), stop(static_cast<float>(1234.5677f), C(255, 255, 255, 100))};
    ramp.hasNodata = true;
    ramp.nodata = C(9, 9, 9);
    struct Case {
        Format format;
        bool classes;        // written as classes: compared at class middles only
        const char* warning;
    } cases[] = {
        {Format::Gdal, false, ""},
        {Format::Grass, false, "transparency"},
        {Format::Cpt, false, "transparency"},
        {Format::Qgis, true, "middle"},
        {Format::Clr, true, "transparency"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ramps::FormatName(c.format));
        std::string text;
        Report report;
        ASSERT_TRUE(ramps::WriteRamp(c.format, ramp, true, -20, 1300, &text, &report)) << report.error;
        std::string all;
        for (const std::string& w : report.warnings)
            all += w + "\n";
        EXPECT_NE(all.find(c.warning), std::string::npos) << all;
        Ramp back;
        Report again;
        ASSERT_TRUE(ramps::ReadRamp(c.format, text, false, &back, &again)) << again.error << "\n" << text;
        if (c.format == Format::Clr) {
            for (double v = -20; v <= 1300; v += 1) {
                Rgba want, got;
                ColorAt(ramp, v, &want);
                ASSERT_TRUE(ColorAt(back, v, &got)) << v;
                EXPECT_EQ(got.r, std::lround(want.r)) << v;
                EXPECT_EQ(got.g, std::lround(want.g)) << v;
            }
            continue;
        }
        if (!c.classes) {
            // Every limit reads back exactly, so colours agree everywhere, the step included.
            ASSERT_EQ(back.stops.size(), ramp.stops.size());
            for (size_t k = 0; k < ramp.stops.size(); ++k)
                EXPECT_EQ(back.stops[k].value, ramp.stops[k].value);
            for (double v : {-30.0, -12.345678, 50.0, 99.99, 100.0, 700.0, 1234.5677, 2000.0}) {
                Rgba want, got;
                ColorAt(ramp, v, &want);
                ColorAt(back, v, &got);
                EXPECT_NEAR(got.r, want.r, 0.5) << v;
                EXPECT_NEAR(got.g, want.g, 0.5) << v;
                EXPECT_NEAR(got.b, want.b, 0.5) << v;
            }
            EXPECT_EQ(back.hasNodata, true);
        } else {
            // Classes: the middle colour of each stretch, the stretch's own limits.
            for (double v : {40.0, 500.0}) {
                Rgba got;
                ColorAt(back, v, &got);
                Rgba want = v < 100 ? C(127.5, 0, 127.5) : C(127.5, 255, 127.5);
                EXPECT_NEAR(got.r, want.r, 0.51) << v;
                EXPECT_NEAR(got.g, want.g, 0.51) << v;
                EXPECT_NEAR(got.b, want.b, 0.51) << v;
            }
        }
    }
    // Percent ramps go out as percent where the format has it; elsewhere a range is needed.
    Ramp relative = ramp;
    for (ramps::Stop& s : relative.stops)
        s.scale = ramps::Scale::Percent, s.value = std::fabs(std::fmod(s.value, 100.0));
    std::string text;
    Report report;
    EXPECT_TRUE(ramps::WriteRamp(Format::Grass, relative, false, 0, 0, &text, &report));
    EXPECT_NE(text.find("%"), std::string::npos);
    for (Format f : {Format::Cpt, Format::Qgis, Format::Clr}) {
        Report r;
        EXPECT_FALSE(ramps::WriteRamp(f, relative, false, 0, 0, &text, &r));
        EXPECT_NE(r.error.find("range"), std::string::npos);
    }
    Report big;
    EXPECT_FALSE(ramps::WriteRamp(Format::Clr, ramp, true, 0, 65536, &text, &big));
    EXPECT_NE(big.error.find("65,536"), std::string::npos);
    EXPECT_TRUE(ramps::WriteRamp(Format::Clr, ramp, true, 0, 65535, &text, &big)) << big.error;
}

TEST(RampTables, LayersTakeTheColourAtTheMiddleOfTheirShare)
{
    // A grey wedge over two layers: 25% and 75%; the ends differ from them by 63.75.
    Ramp wedge;
    wedge.stops.resize(2);
    wedge.stops[0].scale = wedge.stops[1].scale = ramps::Scale::Percent;
    wedge.stops[1].value = 100;
    wedge.stops[1].color = C(255, 255, 255);
    LutColor colors[256];
    double largest = 0, where = -1;
    Report report;
    ASSERT_TRUE(ramps::SampleTable(wedge, 2, false, 0, 0, colors, &largest, &where, &report));
    EXPECT_EQ(colors[0].r, 64 * 256);
    EXPECT_EQ(colors[1].g, 191 * 256);
    EXPECT_NEAR(largest, 64, 1e-9);

    // A table laid out as classes over a range and sampled again over it gives itself back.
    LutColor table[7];
    for (int i = 0; i < 7; ++i)
        table[i] = LutColor{static_cast<uint16_t>(i * 30 * 256), static_cast<uint16_t>((200 - i * 20) * 256), 0};
    for (bool hasRange : {true, false}) {
        const Ramp classes = ramps::RampFromTable(table, 7, hasRange, 180.5f, 1450.25f);
        ASSERT_TRUE(ramps::SampleTable(classes, 7, hasRange, 180.5, 1450.25, colors, &largest, &where, &report));
        for (int i = 0; i < 7; ++i)
            EXPECT_EQ(colors[i].r, table[i].r) << i;
        EXPECT_EQ(largest, 0);
    }

    // Elevations need a range; a table holds 1 to 256 layers.
    Ramp absolute = wedge;
    absolute.stops[0].scale = absolute.stops[1].scale = ramps::Scale::Absolute;
    EXPECT_FALSE(ramps::SampleTable(absolute, 8, false, 0, 0, colors, &largest, &where, &report));
    EXPECT_FALSE(ramps::SampleTable(wedge, 257, false, 0, 0, colors, &largest, &where, &report));
}

// Ramps laid over a grid's range as a host's layers. Every accepted case must cover exactly
// lo .. hi with ascending, touching layers, at most 256, each in the ramp's colour at its
// middle; the listed layers are checked one by one.
TEST(RampHostLayers, ClippedToTheRangeClassesKeptSegmentsSampledInProportion)
{
    struct Want {
        int index;   // negative: from the end
        float lower, upper;
        int r, g, b;
    };
    struct Case {
        const char* what;
        std::string text;   // GDAL colour text
        double lo, hi;
        int count;          // 0: refused
        std::vector<Want> layers;
        const char* message;   // a fragment of the warning, or of the refusal
    };
    std::string many;       // 300 classes of alternating colour over 0 .. 300
    for (int i = 0; i < 300; ++i)
        many += std::to_string(i) + (i % 2 ? " 255 255 255\n" : " 0 0 0\n") + std::to_string(i + 1) +
                (i % 2 ? " 255 255 255\n" : " 0 0 0\n");
    const std::string classes = "0 255 0 0\n100 255 0 0\n100 0 255 0\n200 0 255 0\n200 0 0 255\n300 0 0 255\n"
                                "300 255 255 0\n400 255 255 0\n";
    const Case cases[] = {
        {"classes outside the range dropped, the end classes cut at it", classes, 150, 250, 2,
         {{0, 150, 200, 0, 255, 0}, {1, 200, 250, 0, 0, 255}}, ""},
        {"a hard step between two continuous segments of equal width: 128 layers each", 
         "0 0 0 0\n100 100 100 100\n100 200 0 0\n200 200 200 0\n", 0, 200, 256,
         {{0, 0, 100.0f / 128, 0, 0, 0}, {127, 100 - 100.0f / 128, 100, 100, 100, 100},
          {128, 100, 100 + 100.0f / 128, 200, 1, 0}, {-1, 200 - 100.0f / 128, 200, 200, 199, 0}}, ""},
        {"a purely continuous ramp: 256 even layers", "0 0 0 0\n1000 255 255 255\n", 0, 1000, 256,
         {{0, 0, 1000.0f / 256, 0, 0, 0}, {100, 100 * 1000.0f / 256, 101 * 1000.0f / 256, 100, 100, 100},
          {-1, 255 * 1000.0f / 256, 1000, 255, 255, 255}}, ""},
        {"the range reaches below the ramp: its first colour is one class, the segment the rest",
         "0 0 0 0\n1000 102 102 102\n", -500, 1000, 256, {{0, -500, 0, 0, 0, 0}, {1, 0, 1000.0f / 255, 0, 0, 0}}, ""},
        {"two segments, one three times as wide, beside two classes: 64 and 190 layers",
         "0 9 9 9\n100 9 9 9\n100 0 0 0\n200 255 0 0\n200 7 7 7\n400 7 7 7\n400 0 0 0\n700 0 255 0\n", 0, 700, 256,
         {{0, 0, 100, 9, 9, 9}, {1, 100, 100 + 100.0f / 64, 2, 0, 0}, {65, 200, 400, 7, 7, 7},
          {66, 400, 400 + 300.0f / 190, 0, 1, 0}, {-1, 700 - 300.0f / 190, 700, 0, 254, 0}}, ""},
        {"more than 256 breaks: 256 even layers", many, 0, 300, 256,
         {{0, 0, 300.0f / 256, 0, 0, 0}}, "sampled into 256 even layers"},
        {"percent of the grid's range, a hard step at the middle", "0% 0 0 0\n50% 0 0 255\n50% 255 0 0\n100% 255 255 0\n",
         200, 600, 256, {{0, 200, 200 + 400.0f / 256, 0, 0, 1}, {127, 400 - 400.0f / 256, 400, 0, 0, 254},
                        {128, 400, 400 + 400.0f / 256, 255, 1, 0}}, ""},
        {"transparency and no-data colour cannot be held", "nv 0 0 0 0\n0 0 0 0 128\n10 255 0 0 128\n", 0, 10, 256,
         {}, "transparency"},
        {"the ramp lies wholly below the range", "-11000 0 0 0\n-1 0 0 255\n", 180, 1450, 0, {}, "outside the grid's range"},
        {"the ramp begins at the top of the range", "1450 0 0 0\n3000 0 0 255\n", 180, 1450, 0, {}, "outside the grid's range"},
        {"an empty range", "0 0 0 0\n10 9 9 9\n", 5, 5, 0, {}, "no range"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Ramp ramp;
        Report report;
        ASSERT_TRUE(ramps::ReadRamp(Format::Gdal, c.text, false, &ramp, &report)) << report.error;
        std::vector<ColorLayer> layers(3);
        const bool ok = ramps::LayersFromRamp(ramp, c.lo, c.hi, &layers, &report);
        if (c.count == 0) {
            EXPECT_FALSE(ok);
            EXPECT_NE(report.error.find(c.message), std::string::npos) << report.error;
            EXPECT_EQ(layers.size(), 3u) << "layers left as they were";
            continue;
        }
        ASSERT_TRUE(ok) << report.error;
        ASSERT_EQ(static_cast<int>(layers.size()), c.count);
        EXPECT_EQ(layers.front().lower, static_cast<float>(c.lo));
        EXPECT_EQ(layers.back().upper, static_cast<float>(c.hi));
        const Ramp over = ramps::Resolve(ramp, c.lo, c.hi);
        for (size_t i = 0; i < layers.size(); ++i) {
            const ColorLayer& l = layers[i];
            EXPECT_LT(l.lower, l.upper) << i;
            if (i + 1 < layers.size()) {
                EXPECT_EQ(l.upper, layers[i + 1].lower) << i;
            }
            Rgba mid;
            ColorAt(over, (static_cast<double>(l.lower) + l.upper) / 2, &mid);
            EXPECT_NEAR(l.color.r, mid.r, 0.5001) << i;
            EXPECT_NEAR(l.color.g, mid.g, 0.5001) << i;
            EXPECT_NEAR(l.color.b, mid.b, 0.5001) << i;
        }
        for (const Want& w : c.layers) {
            const ColorLayer& l = layers[w.index < 0 ? layers.size() + w.index : w.index];
            EXPECT_NEAR(l.lower, w.lower, 1e-3) << w.index;
            EXPECT_NEAR(l.upper, w.upper, 1e-3) << w.index;
            EXPECT_EQ(l.color.r, w.r) << w.index;
            EXPECT_EQ(l.color.g, w.g) << w.index;
            EXPECT_EQ(l.color.b, w.b) << w.index;
        }
        std::string warnings;
        for (const std::string& w : report.warnings)
            warnings += w + "\n";
        if (*c.message)
            EXPECT_NE(warnings.find(c.message), std::string::npos) << warnings;
        else
            EXPECT_TRUE(warnings.empty()) << warnings;
    }
}

// A host's layers written out as classes and read back by each tool's reader colour every
// layer's inside as the host does, and laid over the same range they give the layers back.
TEST(RampHostLayers, LayersOutAndBackIn)
{
    std::vector<ColorLayer> layers;
    const float limits[][2] = {{180.5f, 400}, {400, 725.25f}, {725.25f, 1000}, {1010, 1450}};
    for (int i = 0; i < 4; ++i) {
        ColorLayer l;
        l.lower = limits[i][0], l.upper = limits[i][1];
        l.color.r = static_cast<unsigned char>(40 * i), l.color.g = static_cast<unsigned char>(200 - 30 * i), l.color.b = 77;
        layers.push_back(l);
    }
    std::vector<ColorLayer> shuffled = {layers[2], layers[0], layers[3], layers[1]};
    std::swap(shuffled[0].lower, shuffled[0].upper);   // limits the wrong way round
    const Ramp classes = ramps::RampFromLayers(shuffled);
    for (Format f : {Format::Gdal, Format::Grass, Format::Cpt, Format::Qgis}) {
        SCOPED_TRACE(ramps::FormatName(f));
        std::string text;
        Report report;
        ASSERT_TRUE(ramps::WriteRamp(f, classes, true, 180.5, 1450, &text, &report)) << report.error;
        Ramp back;
        ASSERT_TRUE(ramps::ReadRamp(f, text, false, &back, &report)) << report.error;
        const Ramp over = ramps::Resolve(back, 180.5, 1450);
        // Inside each layer, and on either side of the gap's middle (1005).
        const struct { double at; int layer; } probes[] = {
            {181, 0}, {399.9, 0}, {400.1, 1}, {725, 1}, {726, 2}, {1004.9, 2}, {1005.1, 3}, {1449, 3}};
        for (const auto& p : probes) {
            Rgba c;
            ASSERT_TRUE(ColorAt(over, p.at, &c));
            EXPECT_EQ(c.r, layers[p.layer].color.r) << p.at;
            EXPECT_EQ(c.g, layers[p.layer].color.g) << p.at;
        }
        std::vector<ColorLayer> again;
        ASSERT_TRUE(ramps::LayersFromRamp(back, 180.5, 1450, &again, &report)) << report.error;
        ASSERT_EQ(again.size(), 4u);
        EXPECT_EQ(again[2].upper, 1005.0f);
        EXPECT_EQ(again[3].lower, 1005.0f);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(again[i].color.r, layers[i].color.r) << i;
            EXPECT_EQ(again[i].color.g, layers[i].color.g) << i;
            if (i != 2 && i != 3) {
                EXPECT_EQ(again[i].upper, layers[i].upper) << i;
            }
        }
    }
}

TEST(RampReaders, DetectionByExtensionHeaderAndKeyword)
{
    struct Case {
        const char* path;
        const char* text;
        Format want;
    } cases[] = {
        {"a.CPT", "0 0 0 0\n", Format::Cpt},
        {"dir.clr/ramp", "0 0 0 0\n", Format::Gdal},
        {"a.clr", "0 0 0 0\n", Format::Clr},
        {"x.txt", "\n# QGIS Generated Color Map Export File\n", Format::Qgis},
        {"x.txt", "0 0 0 0\n  END\n", Format::Grass},
        {"x.txt", "0 red\n# default is a word in a comment\n", Format::Gdal},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ramps::DetectFormat(c.path, c.text), c.want) << c.path << ": " << c.text;
}

std::vector<std::string> FilesUnder(const std::string& dir, const char* suffix);

// Pasted text has no file name: the format is told from the text alone, as the extension
// would tell it.
TEST(RampReaders, DetectionByContentAlone)
{
    const std::string hsvHinge = Slurp(std::string(RAMPS_TEST_DATA) + "/hsv_hinge.cpt");
    ASSERT_FALSE(hsvHinge.empty());
    struct Case {
        const char* what;
        std::string text;
        Format want;
    } cases[] = {
        {"palette with a colour-model comment", hsvHinge, Format::Cpt},
        {"palette of r/g/b slices", "0 0/0/0 100 255/255/255\n", Format::Cpt},
        {"palette of eight numbers", "# a comment\n0 0 0 0 100 255 255 255\n", Format::Cpt},
        {"palette of named slices with a label", "0 black 1 white ;low\n", Format::Cpt},
        {"palette whose B line follows GDAL-like slices", "0 10 10 10\nB black\n", Format::Cpt},
        {"palette with a RANGE only", "#RANGE = 0/1\n0 red 1 blue\n", Format::Cpt},
        {"GRASS R:G:B", "-11000 0:0:0\n0 0:120:0\n", Format::Grass},
        {"GRASS percent and name, then R:G:B", "0% aqua\n100% 10:20:30\n", Format::Grass},
        {"GDAL four numbers", "0 0 0 0\n100 255 255 255\n", Format::Gdal},
        {"GDAL with alpha", "0 0 0 0 128\n", Format::Gdal},
        {"GDAL name", "0 red\n100 blue\n", Format::Gdal},
        {"ArcGIS .clr lines", "1 255 0 0\n2 0 255 0\n", Format::Gdal},
        {"QGIS export", "# QGIS Generated Color Map Export File\nINTERPOLATION:DISCRETE\n", Format::Qgis},
        {"colour table", std::string("COLORLUT\0\0", 10), Format::Lut},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ramps::DetectFormat("", c.text), c.want) << c.what;
    // Every hand-written file and shipped ramp: content alone gives the format its name gives
    // (an ArcGIS map reads as GDAL text).
    for (const std::string& dir : {std::string(RAMPS_TEST_DATA), std::string(RAMPS_SHIPPED)}) {
        for (const std::string& f : FilesUnder(dir, "")) {
            std::string text;
            Report report;
            ASSERT_TRUE(ramps::DecodeText(Slurp(f), &text, &report)) << f;
            Format byName = ramps::DetectFormat(f, text);
            if (byName == Format::Clr)
                byName = Format::Gdal;
            EXPECT_EQ(ramps::DetectFormat("", text), byName) << f;
        }
    }
}

// What a paste or drop is refused for, before and after reading: the kind and line said, and
// the caller's ramp and layers not written.
TEST(RampImport, RefusalsNameTheirKindAndWriteNothing)
{
    std::string binary("\x89PNG\r\n\x1a\n", 8);
    binary += std::string("\0\0\0\rIHDR\0\0\x01\0", 12);
    std::string huge(ramps::kMaxRampBytes + 1, '1');
    struct Case {
        const char* what;
        std::string path;
        std::string bytes;
        double lo, hi;
        ramps::Fault fault;
        int line;
        Format format;
    } cases[] = {
        {"50 MB of text", "", std::string(50u << 20, ' '), 0, 100, ramps::Fault::TooLarge, 0, Format::Unknown},
        {"one byte over the cap", "", huge, 0, 100, ramps::Fault::TooLarge, 0, Format::Unknown},
        {"a picture", "x.txt", binary, 0, 100, ramps::Fault::Text, 0, Format::Unknown},
        {"a NUL inside text", "", std::string("0 0 0 0\n\0" "100 1 1 1\n", 19), 0, 100, ramps::Fault::Text, 0,
         Format::Unknown},
        {"a colour table by magic", "", std::string("COLORLUT") + std::string(400, '\0'), 0, 100, ramps::Fault::Lut,
         0, Format::Lut},
        {"a colour table by name", "D:\\t\\terrain.LUT", "0 0 0 0\n", 0, 100, ramps::Fault::Lut, 0, Format::Lut},
        {"a GDAL line without blue", "", "0 0 0 0\n100 255 255\n", 0, 100, ramps::Fault::Shape, 2, Format::Gdal},
        {"a GRASS colour out of range", "", "0 0:0:0\n100 300:0:0\n", 0, 100, ramps::Fault::Colour, 2,
         Format::Grass},
        {"a palette slice with a bad value", "", "0 red 1 blue\nx red 2 blue\n", 0, 100, ramps::Fault::Value, 2,
         Format::Cpt},
        {"no entries", "", "# nothing\n\n", 0, 100, ramps::Fault::Empty, 0, Format::Gdal},
        {"wholly below the range", "", "0 0 0 0\n50 255 255 255\n", 50, 900, ramps::Fault::Outside, 0,
         Format::Gdal},
        {"wholly above the range", "", "1000 0 0 0\n2000 9 9 9\n", 50, 900, ramps::Fault::Outside, 0, Format::Gdal},
        {"an empty range", "", "0 0 0 0\n50 255 255 255\n", 20, 20, ramps::Fault::NoRange, 0, Format::Gdal},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Format format = Format::Clr;
        Ramp ramp;
        ramp.stops.resize(3);
        std::vector<ColorLayer> layers(7);
        Report report;
        EXPECT_FALSE(ramps::ImportLayers(c.path, c.bytes, c.lo, c.hi, &format, &ramp, &layers, &report));
        EXPECT_EQ(report.fault, c.fault) << report.error;
        EXPECT_EQ(report.line, c.line) << report.error;
        EXPECT_EQ(format, c.format);
        EXPECT_FALSE(report.error.empty());
        EXPECT_EQ(ramp.stops.size(), 3u);
        EXPECT_EQ(layers.size(), 7u);
    }
}

// A ramp imported is what the demo host's rule makes of it; what it cannot hold is noted.
TEST(RampImport, LayersAreTheHostRulesAndNotesSayWhatIsLost)
{
    const std::string srtm = Slurp(std::string(RAMPS_SHIPPED) + "/srtm.txt");
    struct Case {
        const char* what;
        std::string bytes;
        double lo, hi;
        unsigned notes;
    } cases[] = {
        {"shipped srtm over a mountain (its nv colour unused)", srtm, 120, 2400, ramps::kNoteNodata},
        {"shipped srtm in UTF-16", std::string("\xff\xfe", 2) + [&] {
             std::string w;
             for (char ch : srtm) { w += ch; w += '\0'; }
             return w;
         }(), -300, 5000, ramps::kNoteNodata},
        {"translucent stop and no-data colour", "nv 0 0 0\n0 10 20 30 128\n100 200 200 200\n", 0, 100,
         ramps::kNoteTransparency | ramps::kNoteNodata},
        {"more classes than layers", [] {
             std::string t;
             for (int i = 0; i <= 600; ++i)
                 t += std::to_string(i) + " " + std::to_string(i % 2 * 200) + " 0 0\n" + std::to_string(i) + " " +
                      std::to_string((i + 1) % 2 * 200) + " 0 0\n";
             return t;
         }(), 0, 600, ramps::kNoteResampled},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Format format = Format::Unknown;
        Ramp ramp;
        std::vector<ColorLayer> layers;
        Report report;
        ASSERT_TRUE(ramps::ImportLayers("", c.bytes, c.lo, c.hi, &format, &ramp, &layers, &report)) << report.error;
        EXPECT_EQ(report.notes, c.notes);
        std::string text;
        Report direct;
        ASSERT_TRUE(ramps::DecodeText(c.bytes, &text, &direct));
        Ramp read;
        ASSERT_TRUE(ramps::ReadRamp(ramps::DetectFormat("", text), text, true, &read, &direct));
        std::vector<ColorLayer> want;
        ASSERT_TRUE(ramps::LayersFromRamp(read, c.lo, c.hi, &want, &direct));
        ASSERT_EQ(layers.size(), want.size());
        ASSERT_LE(layers.size(), 256u);
        for (size_t i = 0; i < want.size(); ++i) {
            EXPECT_EQ(layers[i].lower, want[i].lower) << i;
            EXPECT_EQ(layers[i].upper, want[i].upper) << i;
            EXPECT_EQ(layers[i].color, want[i].color) << i;
        }
        EXPECT_EQ(layers.front().lower, static_cast<float>(c.lo));
        EXPECT_EQ(layers.back().upper, static_cast<float>(c.hi));
    }
}

// Copy then paste over the same range gives back the same layers, limits to the bit; layers
// that repeat their neighbour's colour come back merged into one.
TEST(RampImport, CopiedTextPastesBackAsTheSameLayers)
{
    struct Case {
        const char* what;
        float lo, hi;
        std::vector<std::pair<float, Rgb8>> uppers;  // each layer's upper limit and colour
        std::vector<size_t> back;                    // index of the layer each pasted one equals
    } cases[] = {
        {"float limits", 181.37f, 1450.2f,
         {{400.1f, {1, 2, 3}}, {725.33f, {250, 0, 9}}, {1000.0f, {0, 255, 0}}, {1450.2f, {7, 7, 7}}}, {0, 1, 2, 3}},
        {"negative range", -8000.5f, -12.25f, {{-5000.0f, {0, 0, 90}}, {-12.25f, {90, 200, 255}}}, {0, 1}},
        {"neighbours of one colour", 0.0f, 30.0f, {{10.0f, {5, 5, 5}}, {20.0f, {5, 5, 5}}, {30.0f, {9, 9, 9}}}, {1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<ColorLayer> layers;
        float lower = c.lo;
        for (const auto& u : c.uppers) {
            ColorLayer l;
            l.lower = lower, l.upper = u.first, l.color = u.second;
            layers.push_back(l);
            lower = u.first;
        }
        std::string text;
        Report report;
        ASSERT_TRUE(ramps::LayersAsGdalText(layers, c.lo, c.hi, &text, &report)) << report.error;
        Format format = Format::Unknown;
        Ramp ramp;
        std::vector<ColorLayer> back;
        ASSERT_TRUE(ramps::ImportLayers("", text, c.lo, c.hi, &format, &ramp, &back, &report)) << report.error;
        EXPECT_EQ(format, Format::Gdal);
        ASSERT_EQ(back.size(), c.back.size()) << text;
        for (size_t i = 0; i < back.size(); ++i) {
            const ColorLayer& want = layers[c.back[i]];
            EXPECT_EQ(back[i].upper, want.upper) << i;
            EXPECT_EQ(back[i].color, want.color) << i;
        }
        EXPECT_EQ(back.front().lower, c.lo);
    }
    Report report;
    std::string text = "untouched";
    EXPECT_FALSE(ramps::LayersAsGdalText({}, 0, 1, &text, &report));
}

std::vector<std::string> FilesUnder(const std::string& dir, const char* suffix)
{
    std::vector<std::string> out;
    DIR* d = opendir(dir.c_str());
    if (d == nullptr)
        return out;
    while (dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string path = dir + "/" + name;
        if (DIR* sub = opendir(path.c_str())) {
            closedir(sub);
            const std::vector<std::string> below = FilesUnder(path, suffix);
            out.insert(out.end(), below.begin(), below.end());
            continue;
        }
        if (name.size() >= std::string(suffix).size() &&
            name.compare(name.size() - std::string(suffix).size(), std::string::npos, suffix) == 0)
            out.push_back(path);
    }
    closedir(d);
    return out;
}

// Every ramp GRASS and GMT ship reads, and the copies kept here match their sources.
TEST(RampReaders, EveryRealGrassAndGmtRampOfThisMachine)
{
    const std::vector<std::string> grass = FilesUnder("/usr/lib/grass82/etc/colors", "");
    const std::vector<std::string> gmt = FilesUnder("/usr/share/gmt/cpt", ".cpt");
    if (grass.empty() && gmt.empty())
        GTEST_SKIP() << "neither grass-core nor gmt-common is installed: their ramps are not read";
    for (const std::string& f : grass) {
        Ramp ramp;
        Report report;
        EXPECT_TRUE(Load(f, Format::Grass, &ramp, &report)) << f << ":" << report.line << ": " << report.error;
    }
    for (const std::string& f : gmt) {
        Ramp ramp;
        Report report;
        EXPECT_TRUE(Load(f, Format::Unknown, &ramp, &report)) << f << ":" << report.line << ": " << report.error;
    }
    std::printf("read %zu GRASS colour rules and %zu GMT palettes\n", grass.size(), gmt.size());
    RecordProperty("grass_files", static_cast<int>(grass.size()));
    RecordProperty("gmt_files", static_cast<int>(gmt.size()));

    struct Copy {
        const char* shipped;
        const char* source;
        Format format;
    } copies[] = {
        {"srtm.txt", "/usr/lib/grass82/etc/colors/srtm", Format::Grass},
        {"etopo2.txt", "/usr/lib/grass82/etc/colors/etopo2", Format::Grass},
        {"geo.txt", "/usr/share/gmt/cpt/gmt/geo.cpt", Format::Cpt},
        {"relief.txt", "/usr/share/gmt/cpt/gmt/relief.cpt", Format::Cpt},
    };
    for (const Copy& c : copies) {
        Ramp mine, theirs;
        Report report;
        ASSERT_TRUE(Load(std::string(RAMPS_SHIPPED) + "/" + c.shipped, Format::Gdal, &mine, &report)) << c.shipped;
        if (!Load(c.source, c.format, &theirs, &report))
            continue;
        for (double v = -11000; v <= 9000; v += 0.5 + std::fmod(std::fabs(v) * 7.0, 3.0)) {
            Rgba a, b;
            ColorAt(mine, v, &a);
            ColorAt(theirs, v, &b);
            ASSERT_NEAR(a.r, b.r, 1e-6) << c.shipped << " at " << v;
            ASSERT_NEAR(a.g, b.g, 1e-6) << c.shipped << " at " << v;
            ASSERT_NEAR(a.b, b.b, 1e-6) << c.shipped << " at " << v;
        }
    }
}

}  // namespace
