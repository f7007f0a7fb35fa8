// Colour names: the CIELAB conversion against published values, the names of the reference
// colours, colours just either side of the border between two names (computed: with CIE76 the
// border is the plane halfway between two references), greys and near-blacks.
#include "heightcolor/colornames.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

int IndexOf(const std::string& key)
{
    for (int i = 0; i < kColourNameCount; ++i)
        if (key == kColourNames[i].key)
            return i;
    ADD_FAILURE() << "no colour named " << key;
    return -1;
}

std::string KeyOf(int index)
{
    return index >= 0 && index < kColourNameCount ? kColourNames[index].key : "(none)";
}

LabColor Reference(const std::string& key)
{
    const NamedColour& c = kColourNames[IndexOf(key)];
    return LabFromSrgb(c.r, c.g, c.b);
}

// The sRGB level (0..255, not rounded) of the grey whose L* is L: the inverse of the
// conversion, written out here from the definitions of L* and of the sRGB curve.
double GreyLevelForLightness(double L)
{
    const double fy = (L + 16.0) / 116.0;
    const double Y = fy > 6.0 / 29.0 ? fy * fy * fy : 3.0 * (6.0 / 29.0) * (6.0 / 29.0) * (fy - 4.0 / 29.0);
    const double v = Y <= 0.0031308 ? 12.92 * Y : 1.055 * std::pow(Y, 1.0 / 2.4) - 0.055;
    return 255.0 * v;
}

}  // namespace

TEST(ColourNames, ConversionMatchesPublishedCielabValues)
{
    struct Case {
        int r, g, b;
        double L, a, bb;
    };
    // sRGB to CIELAB (D65) as the colour-science references tabulate them.
    const Case cases[] = {
        {255, 255, 255, 100.0, 0.0, 0.0},   {0, 0, 0, 0.0, 0.0, 0.0},
        {255, 0, 0, 53.24, 80.09, 67.20},   {0, 255, 0, 87.73, -86.18, 83.18},
        {0, 0, 255, 32.30, 79.19, -107.86}, {128, 128, 128, 53.59, 0.0, 0.0},
        {255, 255, 0, 97.14, -21.55, 94.48},
    };
    for (const Case& c : cases) {
        const LabColor lab = LabFromSrgb(c.r, c.g, c.b);
        EXPECT_NEAR(lab.L, c.L, 0.02) << c.r << "," << c.g << "," << c.b;
        EXPECT_NEAR(lab.a, c.a, 0.02) << c.r << "," << c.g << "," << c.b;
        EXPECT_NEAR(lab.b, c.bb, 0.02) << c.r << "," << c.g << "," << c.b;
    }
    // Out-of-range components are the nearest in range, never garbage.
    const LabColor over = LabFromSrgb(300, -5, 1000), clamped = LabFromSrgb(255, 0, 255);
    EXPECT_DOUBLE_EQ(over.L, clamped.L);
    EXPECT_DOUBLE_EQ(over.b, clamped.b);
}

TEST(ColourNames, EachReferenceIsNamedItselfAndNoTwoShareAPlace)
{
    for (int i = 0; i < kColourNameCount; ++i) {
        const NamedColour& c = kColourNames[i];
        EXPECT_EQ(KeyOf(ColourNameOf(c.r, c.g, c.b)), c.key);
        for (int j = 0; j < i; ++j)
            EXPECT_GT(DeltaE76(LabFromSrgb(c.r, c.g, c.b),
                               LabFromSrgb(kColourNames[j].r, kColourNames[j].g, kColourNames[j].b)),
                      10.0)
                << c.key << " and " << kColourNames[j].key << " are hardly apart";
    }
}

TEST(ColourNames, JustEitherSideOfTheBorderBetweenTwoNames)
{
    // Neighbours whose border plane is not cut off there by a third reference.
    const char* const pairs[][2] = {
        {"red", "dark red"},     {"blue", "dark blue"},   {"green", "dark green"},
        {"yellow", "orange"},    {"orange", "red"},       {"sky blue", "cyan"},
        {"grey", "light grey"},  {"brown", "dark red"},   {"purple", "magenta"},
        {"yellow green", "green"}, {"pink", "light grey"}, {"ochre", "brown"},
    };
    for (const auto& p : pairs) {
        const LabColor a = Reference(p[0]), b = Reference(p[1]);
        const double d = DeltaE76(a, b);
        const LabColor mid{(a.L + b.L) / 2, (a.a + b.a) / 2, (a.b + b.b) / 2};
        const double step = 0.01 / d;  // 0.01 units of CIELAB along the line from a to b
        const LabColor nearA{mid.L - (b.L - a.L) * step, mid.a - (b.a - a.a) * step, mid.b - (b.b - a.b) * step};
        const LabColor nearB{mid.L + (b.L - a.L) * step, mid.a + (b.a - a.a) * step, mid.b + (b.b - a.b) * step};
        EXPECT_EQ(KeyOf(NearestColourName(nearA)), p[0]) << "just on the " << p[0] << " side of " << p[1];
        EXPECT_EQ(KeyOf(NearestColourName(nearB)), p[1]) << "just on the " << p[1] << " side of " << p[0];
    }
}

TEST(ColourNames, GreysChangeNameWhereTheirLightnessPassesTheMidpoint)
{
    // Along the grey axis the border between two greys lies at the mean of their L*: the grey
    // level there, in whole sRGB steps, names the darker grey up to it and the lighter after.
    const char* const greys[] = {"black", "dark grey", "grey", "light grey", "white"};
    for (int i = 0; i + 1 < 5; ++i) {
        const double L = (Reference(greys[i]).L + Reference(greys[i + 1]).L) / 2;
        const double level = GreyLevelForLightness(L);
        const int below = static_cast<int>(std::floor(level)), above = below + 1;
        ASSERT_GT(level - below, 0.001) << "a grey level lies right on the border";
        EXPECT_EQ(KeyOf(ColourNameOf(below, below, below)), greys[i]) << "grey " << below;
        EXPECT_EQ(KeyOf(ColourNameOf(above, above, above)), greys[i + 1]) << "grey " << above;
    }
}

TEST(ColourNames, NearBlacksNearWhitesAndEverydayColours)
{
    struct Case {
        int r, g, b;
        const char* key;
    };
    const Case cases[] = {
        {0, 0, 0, "black"},         {12, 12, 12, "black"},        {20, 10, 25, "black"},
        {5, 15, 5, "black"},        {250, 250, 250, "white"},     {255, 250, 245, "white"},
        {60, 60, 62, "dark grey"},  {120, 125, 130, "grey"},      {200, 200, 196, "light grey"},
        {255, 20, 20, "red"},       {20, 20, 200, "blue"},        {100, 60, 20, "brown"},
        {210, 180, 140, "ochre"},   {173, 216, 230, "sky blue"},  {34, 139, 34, "dark green"},
        {255, 140, 0, "orange"},    {250, 240, 30, "yellow"},     {0, 0, 100, "dark blue"},   {0, 0, 255, "blue"},          {0, 255, 0, "green"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KeyOf(ColourNameOf(c.r, c.g, c.b)), c.key) << c.r << "," << c.g << "," << c.b;
}
