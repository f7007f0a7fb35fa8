// Elevation models from the field: SRTM tiles, what a .prj says, and sizes on the ground.
#include "terrain/demformats.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A tile of side x side samples, big-endian, sample (r, c) = value(r, c).
template <class F>
std::vector<uint8_t> Tile(int side, F value)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(side) * side * 2);
    for (int r = 0; r < side; ++r)
        for (int c = 0; c < side; ++c) {
            const uint16_t v = static_cast<uint16_t>(static_cast<int16_t>(value(r, c)));
            const size_t i = (static_cast<size_t>(r) * side + c) * 2;
            bytes[i] = static_cast<uint8_t>(v >> 8);
            bytes[i + 1] = static_cast<uint8_t>(v & 0xFF);
        }
    return bytes;
}

TEST(Hgt, ReadsATileFromTheNorthWithVoidsAndItsCorner)
{
    // Heights that tell row and column apart, a void, and the extremes of the type.
    const std::vector<uint8_t> bytes = Tile(kHgtSide3, [](int r, int c) {
        if (r == 5 && c == 7)
            return kHgtVoid;
        if (r == 0 && c == 0)
            return 32767;
        return r == 1 && c == 0 ? -32767 : r * 3 - c;
    });
    AscGrid grid;
    ASSERT_EQ(HgtStatus::Ok, ParseHgt(bytes.data(), bytes.size(), "n36w085.HGT", &grid));
    EXPECT_EQ(kHgtSide3, grid.ncols);
    EXPECT_EQ(kHgtSide3, grid.nrows);
    EXPECT_DOUBLE_EQ(1.0 / 1200, grid.cellsize);
    // The south-west sample lies on 85 W, 36 N; the corner is half a cell beyond.
    EXPECT_DOUBLE_EQ(-85.0, grid.xllcorner + grid.cellsize / 2);
    EXPECT_DOUBLE_EQ(36.0, grid.yllcorner + grid.cellsize / 2);
    EXPECT_EQ(32767.0f, grid.At(0, 0));
    EXPECT_EQ(-32767.0f, grid.At(1, 0));
    EXPECT_EQ(3.0f * 1200 - 17, grid.At(1200, 17));   // the last row is the southernmost
    EXPECT_TRUE(std::isnan(grid.At(5, 7)));
    EXPECT_TRUE(grid.hasNodata);
    EXPECT_TRUE(LooksGeographic(grid));

    const std::vector<uint8_t> fine = Tile(kHgtSide1, [](int, int c) { return c; });
    ASSERT_EQ(HgtStatus::Ok, ParseHgt(fine.data(), fine.size(), "S12E130", &grid));
    EXPECT_EQ(kHgtSide1, grid.ncols);
    EXPECT_DOUBLE_EQ(-12.0, grid.yllcorner + grid.cellsize / 2);
    EXPECT_DOUBLE_EQ(130.0, grid.xllcorner + grid.cellsize / 2);
    EXPECT_EQ(3600.0f, grid.At(3600, 3600));
}

TEST(Hgt, RefusesWhatIsNotATileAndLeavesTheGridAlone)
{
    const std::vector<uint8_t> bytes = Tile(kHgtSide3, [](int, int) { return 100; });
    const std::vector<uint8_t> voids = Tile(kHgtSide3, [](int, int) { return kHgtVoid; });
    const struct { const char* name; size_t size; const std::vector<uint8_t>* data; HgtStatus status; } cases[] = {
        {"N36W085.hgt", bytes.size() - 1, &bytes, HgtStatus::BadSize},       // truncated by a byte
        {"N36W085.hgt", bytes.size() / 2, &bytes, HgtStatus::BadSize},       // half a tile
        {"N36W085.hgt", 0, &bytes, HgtStatus::BadSize},
        {"N36W085.hgt", voids.size(), &voids, HgtStatus::NoValidCells},
        {"tile.hgt", bytes.size(), &bytes, HgtStatus::BadName},
        {"X36W085.hgt", bytes.size(), &bytes, HgtStatus::BadName},
        {"N36W08.hgt", bytes.size(), &bytes, HgtStatus::BadName},
        {"N36W085x.hgt", bytes.size(), &bytes, HgtStatus::BadName},
        {"N90E000.hgt", bytes.size(), &bytes, HgtStatus::BadName},          // no degree north of 90
        {"S10E180.hgt", bytes.size(), &bytes, HgtStatus::BadName},
    };
    for (const auto& c : cases) {
        AscGrid grid;
        grid.ncols = 77;
        EXPECT_EQ(c.status, ParseHgt(c.data->data(), c.size, c.name, &grid)) << c.name << " " << c.size;
        EXPECT_EQ(77, grid.ncols) << c.name;
        EXPECT_TRUE(grid.z.empty()) << c.name;
    }
    int lon = 0, lat = 0;
    EXPECT_TRUE(HgtCornerFromName("S01E179", &lon, &lat));
    EXPECT_EQ(-1, lat);
    EXPECT_EQ(179, lon);
}

TEST(Prj, GeographicProjectedOrNoCoordinateSystem)
{
    const struct { const char* text; PrjKind kind; } cases[] = {
        {"GEOGCS[\"GCS_WGS_1984\",DATUM[\"D_WGS_1984\",SPHEROID[\"WGS_1984\",6378137,298.257223563]],"
         "PRIMEM[\"Greenwich\",0],UNIT[\"Degree\",0.0174532925199433]]", PrjKind::Geographic},
        {"\xEF\xBB\xBF  geogcrs [\"WGS 84\", DATUM[\"World Geodetic System 1984\"]]", PrjKind::Geographic},
        {"PROJCS[\"WGS_1984_UTM_Zone_33N\",GEOGCS[\"GCS_WGS_1984\"],PROJECTION[\"Transverse_Mercator\"],"
         "UNIT[\"Meter\",1.0]]", PrjKind::Projected},
        {"PROJCRS[\"ETRS89 / LAEA Europe\",BASEGEOGCRS[\"ETRS89\"]]", PrjKind::Projected},
        {"Projection    GEOGRAPHIC\nDatum         WGS84\nUnits         DD\n", PrjKind::Geographic},
        {"Projection    UTM\r\nZone          33\r\nUnits         METERS\r\n", PrjKind::Projected},
        {"", PrjKind::NotACrs},
        {"hello world", PrjKind::NotACrs},
        {"DATUM[\"WGS84\"]", PrjKind::NotACrs},
        {"ncols 3\nnrows 3\n", PrjKind::NotACrs},
        {"Projection\n", PrjKind::NotACrs},
        {"<html>GEOGCS[</html>", PrjKind::NotACrs},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.kind, ClassifyPrj(c.text, std::strlen(c.text))) << c.text;
}

TEST(GroundScale, DegreesShrinkWithLatitudeAndMetresStay)
{
    AscGrid grid;
    grid.ncols = 601;
    grid.nrows = 301;
    grid.cellsize = 0.001;
    grid.xllcorner = 10.0;
    grid.yllcorner = 59.8495;   // centre latitude 60: a degree of longitude is half as long
    EXPECT_TRUE(LooksGeographic(grid));
    const double degree = kEarthRadiusMetres * 3.14159265358979323846 / 180.0;   // 111.195 km
    GroundScale s = GridGroundScale(grid, true);
    EXPECT_NEAR(0.001 * degree, s.cellY, 1e-9);
    EXPECT_NEAR(0.5 * 0.001 * degree, s.cellX, 1e-3);
    EXPECT_NEAR(600 * 0.0005 * degree / 1000, s.widthKm, 1e-3);
    EXPECT_NEAR(300 * 0.001 * degree / 1000, s.heightKm, 1e-6);

    // The same numbers read as metres: a 600 m by 300 m patch.
    s = GridGroundScale(grid, false);
    EXPECT_EQ(0.001, s.cellX);
    EXPECT_NEAR(0.0006, s.widthKm, 1e-12);

    // What does not pass for degrees: a cell of 0.1 or more, or corners off the globe.
    const struct { double x, y, cell; bool geographic; } guesses[] = {
        {-180.0, -90.0, 0.05, true},
        {10.0, 50.0, 0.1, false},
        {500000.0, 4100000.0, 30.0, false},
        {179.9, 10.0, 0.001, false},   // 601 cells run past 180
        {10.0, 89.9, 0.001, false},
        {-181.0, 0.0, 0.001, false},
    };
    for (const auto& g : guesses) {
        grid.xllcorner = g.x;
        grid.yllcorner = g.y;
        grid.cellsize = g.cell;
        EXPECT_EQ(g.geographic, LooksGeographic(grid)) << g.x << " " << g.y << " " << g.cell;
    }
}

}  // namespace
