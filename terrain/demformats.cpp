// Elevation models from the field and their size on the ground.
#include "terrain/demformats.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>

bool HgtCornerFromName(const std::string& fileName, int* lonWest, int* latSouth)
{
    // N36W085[.hgt]: a hemisphere letter and two digits, another and three digits.
    if (fileName.size() < 7)
        return false;
    const char ns = static_cast<char>(std::toupper(static_cast<unsigned char>(fileName[0])));
    const char ew = static_cast<char>(std::toupper(static_cast<unsigned char>(fileName[3])));
    auto digits = [&](size_t from, size_t count, int* value) {
        int v = 0;
        for (size_t i = from; i < from + count; ++i) {
            if (!std::isdigit(static_cast<unsigned char>(fileName[i])))
                return false;
            v = v * 10 + (fileName[i] - '0');
        }
        *value = v;
        return true;
    };
    int lat = 0, lon = 0;
    if ((ns != 'N' && ns != 'S') || (ew != 'E' && ew != 'W') || !digits(1, 2, &lat) || !digits(4, 3, &lon))
        return false;
    if (fileName.size() > 7 && fileName[7] != '.')
        return false;
    lat = ns == 'S' ? -lat : lat;
    lon = ew == 'W' ? -lon : lon;
    // A tile's corner leaves room for the whole degree north and east of it.
    if (lat < -90 || lat > 89 || lon < -180 || lon > 179)
        return false;
    *latSouth = lat;
    *lonWest = lon;
    return true;
}

HgtStatus ParseHgt(const uint8_t* data, size_t size, const std::string& fileName, AscGrid* grid)
{
    int lon = 0, lat = 0;
    if (!HgtCornerFromName(fileName, &lon, &lat))
        return HgtStatus::BadName;
    int side = 0;
    if (size == static_cast<size_t>(kHgtSide3) * kHgtSide3 * 2)
        side = kHgtSide3;
    else if (size == static_cast<size_t>(kHgtSide1) * kHgtSide1 * 2)
        side = kHgtSide1;
    else
        return HgtStatus::BadSize;

    AscGrid g;
    g.ncols = g.nrows = side;
    g.cellsize = 1.0 / (side - 1);
    // Samples sit on the degree lines: the corner of the south-west cell is half a cell
    // beyond them.
    g.xllcorner = lon - g.cellsize / 2;
    g.yllcorner = lat - g.cellsize / 2;
    g.hasNodata = true;
    g.nodata = kHgtVoid;
    const size_t n = static_cast<size_t>(side) * side;
    g.z.resize(n);
    bool any = false;
    for (size_t i = 0; i < n; ++i) {
        const int v = static_cast<int16_t>(static_cast<uint16_t>(data[2 * i] << 8 | data[2 * i + 1]));
        if (v == kHgtVoid) {
            g.z[i] = std::numeric_limits<float>::quiet_NaN();
        } else {
            g.z[i] = static_cast<float>(v);
            any = true;
        }
    }
    if (!any)
        return HgtStatus::NoValidCells;
    *grid = std::move(g);
    return HgtStatus::Ok;
}

namespace {

// The text upper-cased with blanks removed, for looking up WKT keywords.
std::string Squeezed(const char* text, size_t size)
{
    std::string s;
    s.reserve(size);
    for (size_t i = 0; i < size; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (!std::isspace(c))
            s += static_cast<char>(std::toupper(c));
    }
    return s;
}

bool StartsWith(const std::string& s, const char* prefix)
{
    return s.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

}  // namespace

PrjKind ClassifyPrj(const char* text, size_t size)
{
    std::string s = Squeezed(text, size);
    if (StartsWith(s, "\xEF\xBB\xBF"))   // a UTF-8 byte-order mark
        s.erase(0, 3);
    // WKT: the outermost keyword and its opening bracket decide.
    for (const char* k : {"GEOGCS[", "GEOGCRS[", "GEODCRS[", "GEOGRAPHICCRS["})
        if (StartsWith(s, k))
            return PrjKind::Geographic;
    for (const char* k : {"PROJCS[", "PROJCRS[", "PROJECTEDCRS[", "LOCAL_CS[", "ENGCRS[", "COMPD_CS["})
        if (StartsWith(s, k)) {
            // A compound system is projected only when its horizontal part is.
            if (StartsWith(s, "COMPD_CS[") && s.find("PROJCS[") == std::string::npos)
                return s.find("GEOGCS[") != std::string::npos ? PrjKind::Geographic : PrjKind::NotACrs;
            return PrjKind::Projected;
        }
    // The keyword form: "Projection NAME" on a line of its own, among Datum, Units, ...
    size_t pos = 0;
    while (pos < size) {
        size_t end = pos;
        while (end < size && text[end] != '\n' && text[end] != '\r')
            ++end;
        std::string line = Squeezed(text + pos, end - pos);
        if (StartsWith(line, "PROJECTION") && line.size() > 10)
            return line.substr(10) == "GEOGRAPHIC" ? PrjKind::Geographic : PrjKind::Projected;
        pos = end + 1;
    }
    return PrjKind::NotACrs;
}

bool LooksGeographic(const AscGrid& grid)
{
    const double east = grid.xllcorner + grid.cellsize * grid.ncols;
    const double north = grid.yllcorner + grid.cellsize * grid.nrows;
    return grid.cellsize > 0.0 && grid.cellsize < 0.1 && grid.xllcorner >= -180.0 && east <= 180.0 &&
           grid.yllcorner >= -90.0 && north <= 90.0;
}

GroundScale GridGroundScale(const AscGrid& grid, bool geographic)
{
    GroundScale s;
    if (geographic) {
        const double pi = 3.14159265358979323846;
        const double metresPerDegree = kEarthRadiusMetres * pi / 180.0;
        const double centreLat = grid.yllcorner + grid.cellsize * grid.nrows / 2;
        const double shrink = std::max(0.0, std::cos(std::min(90.0, std::fabs(centreLat)) * pi / 180.0));
        s.cellY = grid.cellsize * metresPerDegree;
        s.cellX = grid.cellsize * metresPerDegree * shrink;
    } else {
        s.cellX = s.cellY = grid.cellsize;
    }
    s.widthKm = s.cellX * std::max(0, grid.ncols - 1) / 1000.0;
    s.heightKm = s.cellY * std::max(0, grid.nrows - 1) / 1000.0;
    return s;
}
