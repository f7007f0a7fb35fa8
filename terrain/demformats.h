// Elevation models from the field and their size on the ground.
//   ParseHgt, HgtCornerFromName (SRTM tiles); ClassifyPrj, LooksGeographic (what a grid's
//   coordinates are); GroundScale, GridGroundScale (metres per cell, extent in km).
// Windows-free; the viewer reads the files and words the faults for the user.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

#include "terrain/ascgrid.h"

// ---- SRTM .hgt tiles -----------------------------------------------------------------------
// A tile is a square of big-endian signed 16-bit elevations in metres, rows from the north,
// 1201 x 1201 (3 arc-seconds) or 3601 x 3601 (1 arc-second), -32768 for a void. Its samples
// lie on whole multiples of the spacing: the first sample of the last row is the south-west
// corner, named in the file name (N36W085.hgt: 36 N, 85 W).
const int kHgtSide3 = 1201;
const int kHgtSide1 = 3601;
const int kHgtVoid = -32768;

enum class HgtStatus {
    Ok,
    BadName,        // the name does not give a corner (N|S dd E|W ddd)
    BadSize,        // the byte count is not that of either tile (truncated, or not a tile)
    NoValidCells,   // every sample is a void
};

// The south-west corner in whole degrees from a file name (any folder already removed),
// upper or lower case, with or without an extension. False when the name does not give one.
bool HgtCornerFromName(const std::string& fileName, int* lonWest, int* latSouth);

// Reads a tile. On success fills grid (corner form, cellsize in degrees, NODATA -32768 with
// NaN cells) and returns Ok; otherwise grid is untouched.
HgtStatus ParseHgt(const uint8_t* data, size_t size, const std::string& fileName, AscGrid* grid);

// ---- coordinates of a grid -----------------------------------------------------------------
enum class PrjKind {
    Geographic,   // longitude and latitude in degrees
    Projected,    // a plane in its own units, taken as metres
    NotACrs,      // the text does not describe a coordinate system
};

// What a .prj beside a grid says: WKT (GEOGCS / GEOGCRS / GEODCRS as geographic; PROJCS /
// PROJCRS / LOCAL_CS / ENGCRS as projected), or the older keyword form with a line
// "Projection GEOGRAPHIC" (any other projection name: projected).
PrjKind ClassifyPrj(const char* text, size_t size);

// The guess without a .prj: the corners lie within +-180 / +-90 and the cell is below 0.1.
bool LooksGeographic(const AscGrid& grid);

// ---- size on the ground --------------------------------------------------------------------
// Metres per cell along x (west-east) and y (south-north), and the extent between the
// outermost samples in kilometres. A geographic grid is measured on a sphere of the Earth's
// mean radius at its centre latitude: y takes the degree's full length, x shrinks by cos phi.
struct GroundScale {
    double cellX = 1.0, cellY = 1.0;
    double widthKm = 0.0, heightKm = 0.0;
};

const double kEarthRadiusMetres = 6371008.8;

GroundScale GridGroundScale(const AscGrid& grid, bool geographic);
