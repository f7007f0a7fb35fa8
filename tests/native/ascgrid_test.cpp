// ESRI ASCII grids: header forms, NODATA, the refusals of malformed and oversized grids, and
// the writer's round trip.
#include "terrain/ascgrid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

bool Parse(const std::string& text, AscGrid* grid, AscError* error)
{
    return ParseAscGrid(text.data(), text.size(), grid, error);
}

const char kGood[] =
    "ncols 3\n"
    "nrows 2\n"
    "xllcorner 500000\n"
    "yllcorner 3500000.5\n"
    "cellsize 30\n"
    "NODATA_value -9999\n"
    "10 11.5 -9999\n"
    "13 14 -2.25\n";

TEST(AscGrid, ReadsHeaderAndRowsFromTheNorth)
{
    AscGrid grid;
    AscError error;
    ASSERT_TRUE(Parse(kGood, &grid, &error));
    EXPECT_EQ(AscStatus::Ok, error.status);
    EXPECT_EQ(3, grid.ncols);
    EXPECT_EQ(2, grid.nrows);
    EXPECT_DOUBLE_EQ(500000.0, grid.xllcorner);
    EXPECT_DOUBLE_EQ(3500000.5, grid.yllcorner);
    EXPECT_DOUBLE_EQ(30.0, grid.cellsize);
    EXPECT_TRUE(grid.hasNodata);
    ASSERT_EQ(6u, grid.z.size());
    EXPECT_FLOAT_EQ(10.0f, grid.At(0, 0));
    EXPECT_FLOAT_EQ(11.5f, grid.At(0, 1));
    EXPECT_TRUE(std::isnan(grid.At(0, 2)));   // NODATA
    EXPECT_FLOAT_EQ(-2.25f, grid.At(1, 2));

    float lo = 0, hi = 0;
    ASSERT_TRUE(AscGridRange(grid, &lo, &hi));   // NODATA is not an elevation
    EXPECT_FLOAT_EQ(-2.25f, lo);
    EXPECT_FLOAT_EQ(14.0f, hi);
}

TEST(AscGrid, CentreFormBecomesCornerAndKeysAreFree)
{
    // Centre form, keywords in another order and case, rows wrapped over lines, CRLF.
    const std::string text =
        "NROWS 2\r\nCellSize 10\r\nNCOLS 2\r\nxllcenter 100\r\nYLLCENTER 200\r\n"
        "1\r\n2 3\r\n4\r\n";
    AscGrid grid;
    AscError error;
    ASSERT_TRUE(Parse(text, &grid, &error));
    EXPECT_DOUBLE_EQ(95.0, grid.xllcorner);
    EXPECT_DOUBLE_EQ(195.0, grid.yllcorner);
    EXPECT_FALSE(grid.hasNodata);
    EXPECT_FLOAT_EQ(4.0f, grid.At(1, 1));
    // Without a NODATA_value line, -9999 is an ordinary elevation.
    ASSERT_TRUE(Parse("ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\n-9999 0 0 0\n", &grid, &error));
    EXPECT_FLOAT_EQ(-9999.0f, grid.At(0, 0));
}

struct Malformed {
    const char* name;
    std::string text;
    AscStatus status;
    int line;
    const char* key;
};

TEST(AscGrid, RefusesMalformedHeaders)
{
    const std::string tail = "1 2 3 4\n";
    const Malformed cases[] = {
        {"no header", "1 2 3 4\n", AscStatus::Empty, 1, ""},
        {"empty file", "", AscStatus::Empty, 0, ""},
        {"unknown keyword", "ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\ndx 1\n" + tail,
         AscStatus::UnknownKey, 6, "dx"},
        {"keyword twice", "ncols 2\nncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\n" + tail,
         AscStatus::DuplicateKey, 2, "ncols"},
        {"corner and centre", "ncols 2\nnrows 2\nxllcorner 0\nxllcenter 0\nyllcorner 0\ncellsize 1\n" + tail,
         AscStatus::DuplicateKey, 4, "xllcenter"},
        {"no cellsize", "ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\n" + tail, AscStatus::MissingKey, 0, "cellsize"},
        {"no y origin", "ncols 2\nnrows 2\nxllcorner 0\ncellsize 1\n" + tail, AscStatus::MissingKey, 0, "yllcorner"},
        {"fractional ncols", "ncols 2.5\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\n" + tail,
         AscStatus::BadHeaderValue, 1, "ncols"},
        {"text as number", "ncols 2\nnrows 2\nxllcorner west\nyllcorner 0\ncellsize 1\n" + tail,
         AscStatus::BadHeaderValue, 3, "xllcorner"},
        {"value on the next line", "ncols\n2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\n" + tail,
         AscStatus::BadHeaderValue, 1, "ncols"},
        {"zero cellsize", "ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 0\n" + tail,
         AscStatus::BadHeaderValue, 5, "cellsize"},
        {"negative rows", "ncols 2\nnrows -2\nxllcorner 0\nyllcorner 0\ncellsize 1\n" + tail,
         AscStatus::TooSmall, 2, "nrows"},
        {"one column", "ncols 1\nnrows 4\nxllcorner 0\nyllcorner 0\ncellsize 1\n" + tail,
         AscStatus::TooSmall, 1, "ncols"},
    };
    for (const Malformed& c : cases) {
        SCOPED_TRACE(c.name);
        AscGrid grid;
        grid.ncols = 77;   // sentinel: a refused grid leaves the output alone
        AscError error;
        EXPECT_FALSE(Parse(c.text, &grid, &error));
        EXPECT_EQ(c.status, error.status);
        EXPECT_EQ(c.line, error.line);
        EXPECT_EQ(c.key, error.key);
        EXPECT_EQ(77, grid.ncols);
        EXPECT_TRUE(grid.z.empty());
    }
}

TEST(AscGrid, RefusesBadOrMissingValues)
{
    const std::string header = "ncols 3\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\n";
    AscGrid grid;
    AscError error;

    EXPECT_FALSE(Parse(header + "1 2 3\n4 5\n", &grid, &error));
    EXPECT_EQ(AscStatus::ShortData, error.status);
    EXPECT_EQ(6, error.expected);
    EXPECT_EQ(5, error.found);

    EXPECT_FALSE(Parse(header + "1 2 3\n4 5 6\n7\n", &grid, &error));
    EXPECT_EQ(AscStatus::ExtraData, error.status);
    EXPECT_EQ(8, error.line);

    EXPECT_FALSE(Parse(header + "1 2 3\n4 5,5 6\n", &grid, &error));   // decimal comma
    EXPECT_EQ(AscStatus::BadNumber, error.status);
    EXPECT_EQ(7, error.line);

    for (const char* bad : {"inf", "nan", "1e39", "1e400", "0x"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(Parse(header + "1 2 3\n4 5 " + bad + "\n", &grid, &error));
        EXPECT_EQ(AscStatus::BadNumber, error.status);
    }

    EXPECT_FALSE(Parse(header + "NODATA_value -1\n-1 -1 -1 -1 -1 -1\n", &grid, &error));
    EXPECT_EQ(AscStatus::NoValidCells, error.status);
}

TEST(AscGrid, RefusesHugeDimensionsWithoutReadingThem)
{
    const struct {
        const char* header;
        const char* key;
    } cases[] = {
        {"ncols 100000\nnrows 2\n", "ncols"},                       // one side too long
        {"ncols 2\nnrows 99999999999999999999999\n", "nrows"},      // beyond 64 bits
        {"ncols 8192\nnrows 8192\n", "nrows"},                      // 67 million cells
        {"ncols 4097\nnrows 4096\n", "nrows"},                      // one row over the cell limit
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.header);
        AscGrid grid;
        AscError error;
        // The elevations are absent: a refusal by size comes before any of them is read.
        EXPECT_FALSE(Parse(std::string(c.header) + "xllcorner 0\nyllcorner 0\ncellsize 1\n1 2 3\n", &grid, &error));
        EXPECT_EQ(AscStatus::TooLarge, error.status);
        EXPECT_EQ(c.key, error.key);
    }
    // The largest accepted shape is refused only for its missing data.
    AscGrid grid;
    AscError error;
    EXPECT_FALSE(Parse("ncols 4096\nnrows 4096\nxllcorner 0\nyllcorner 0\ncellsize 1\n1\n", &grid, &error));
    EXPECT_EQ(AscStatus::ShortData, error.status);
}

TEST(AscGrid, WriterRoundTrips)
{
    AscGrid grid;
    AscError error;
    ASSERT_TRUE(Parse(kGood, &grid, &error));
    const std::string text = WriteAscGrid(grid);
    AscGrid again;
    ASSERT_TRUE(Parse(text, &again, &error)) << text;
    EXPECT_EQ(grid.ncols, again.ncols);
    EXPECT_EQ(grid.nrows, again.nrows);
    EXPECT_DOUBLE_EQ(grid.yllcorner, again.yllcorner);
    EXPECT_DOUBLE_EQ(grid.nodata, again.nodata);
    for (size_t i = 0; i < grid.z.size(); ++i) {
        if (std::isnan(grid.z[i]))
            EXPECT_TRUE(std::isnan(again.z[i])) << i;
        else
            EXPECT_EQ(grid.z[i], again.z[i]) << i;
    }
}

}  // namespace
