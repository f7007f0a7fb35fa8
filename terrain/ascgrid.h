// ESRI ASCII grids (.asc): the elevation models the terrain viewer opens.
//   AscGrid (header values and elevations), ParseAscGrid, WriteAscGrid, AscGridRange.
// Windows-free; the viewer reads the file and shows the error in words of its own.
//
// The format: a header of keyword-value lines, then nrows rows of ncols numbers, the
// northernmost row first.
//   ncols         columns, a whole number
//   nrows         rows, a whole number
//   xllcorner     x of the lower-left corner of the grid    (or xllcenter: of the centre of
//   yllcorner     y of the lower-left corner                 (or yllcenter:  the lower-left cell)
//   cellsize      side of a cell, positive
//   NODATA_value  optional: the value that marks a cell without elevation
// Keywords are matched without regard to case and may come in any order. The numbers of the
// grid may be spread over the lines in any way (some writers wrap long rows).
#pragma once

#include <stddef.h>

#include <string>
#include <vector>

// Limits of what the viewer accepts: at least 2 x 2 cells (a surface needs four corners),
// at most 8192 on a side and 16,777,216 cells (64 MB of elevations) in all.
const int kAscMinSide = 2;
const int kAscMaxSide = 8192;
const long long kAscMaxCells = 16777216;

struct AscGrid {
    int ncols = 0;
    int nrows = 0;
    double xllcorner = 0.0;   // corner form, also when the file gave the centre
    double yllcorner = 0.0;
    double cellsize = 0.0;
    bool hasNodata = false;
    double nodata = 0.0;
    // nrows * ncols elevations, row by row from the north; a NODATA cell holds NaN.
    std::vector<float> z;

    float At(int row, int col) const { return z[static_cast<size_t>(row) * ncols + col]; }
};

enum class AscStatus {
    Ok,
    Empty,            // no header at all
    UnknownKey,       // a header word that is not one of the keywords (key)
    DuplicateKey,     // a keyword given twice, or both the corner and centre form (key)
    MissingKey,       // a required keyword is absent (key)
    BadHeaderValue,   // a keyword whose value is not a number of the right kind (key)
    TooSmall,         // fewer than 2 columns or rows
    TooLarge,         // more than kAscMaxSide on a side or kAscMaxCells in all
    BadNumber,        // a grid value that is not a finite number
    ShortData,        // fewer values than ncols * nrows (expected, found)
    ExtraData,        // more values than ncols * nrows (expected)
    NoValidCells,     // every cell is NODATA
};

struct AscError {
    AscStatus status = AscStatus::Ok;
    int line = 0;              // 1-based line of the offending text, 0 when none applies
    std::string key;           // the keyword concerned, when one is
    long long expected = 0;    // ShortData / ExtraData: ncols * nrows
    long long found = 0;       // ShortData: values present
};

// Parses the size bytes at data (no terminator needed). On success fills grid and returns
// true; on failure returns false, fills error and leaves grid untouched. The limits are checked
// before any memory for the elevations is taken, so a header promising a huge grid costs
// nothing.
bool ParseAscGrid(const char* data, size_t size, AscGrid* grid, AscError* error);

// The grid as .asc text, corner form, with NODATA_value when the grid has one (NaN cells
// written as that value). Values keep 7 significant digits.
std::string WriteAscGrid(const AscGrid& grid);

// Lowest and highest elevation over the cells that hold one. False when there is none.
bool AscGridRange(const AscGrid& grid, float* lowest, float* highest);
