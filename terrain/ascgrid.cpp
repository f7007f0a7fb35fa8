// ESRI ASCII grids: parser and writer.
#include "terrain/ascgrid.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// Walks the text word by word, keeping the line number. Numbers are read with strtod in the
// "C" locale the program runs in (no setlocale call anywhere), so the decimal point is '.'.
class Words {
public:
    Words(const char* data, size_t size) : p_(data), end_(data + size) {}

    // The next word, or false at the end of the text. line is the line the word starts on.
    bool Next(const char** word, size_t* length, int* line)
    {
        SkipBlanks();
        if (p_ == end_)
            return false;
        *word = p_;
        *line = line_;
        while (p_ != end_ && !IsBlank(*p_))
            ++p_;
        *length = static_cast<size_t>(p_ - *word);
        return true;
    }

    // Looks at the next word without taking it.
    bool Peek(const char** word, size_t* length, int* line)
    {
        const char* p = p_;
        const int l = line_;
        const bool got = Next(word, length, line);
        p_ = p;
        line_ = l;
        return got;
    }

private:
    static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
    void SkipBlanks()
    {
        while (p_ != end_ && IsBlank(*p_)) {
            if (*p_ == '\n')
                ++line_;
            ++p_;
        }
    }

    const char* p_;
    const char* end_;
    int line_ = 1;
};

// Copies a word into a terminated buffer; false when it is too long to be a number.
bool Terminated(const char* word, size_t length, char (&buffer)[64])
{
    if (length == 0 || length >= sizeof buffer)
        return false;
    std::memcpy(buffer, word, length);
    buffer[length] = '\0';
    return true;
}

bool ParseDouble(const char* word, size_t length, double* value)
{
    char text[64];
    if (!Terminated(word, length, text))
        return false;
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(text, &end);
    if (end == text || *end != '\0' || errno == ERANGE || !std::isfinite(v))
        return false;
    *value = v;
    return true;
}

enum class IntResult { Ok, NotInteger, Huge };

IntResult ParseInteger(const char* word, size_t length, long long* value)
{
    char text[64];
    if (!Terminated(word, length, text))
        return IntResult::NotInteger;
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text, &end, 10);
    if (end == text || *end != '\0')
        return IntResult::NotInteger;
    if (errno == ERANGE)
        return v > 0 ? IntResult::Huge : IntResult::NotInteger;
    *value = v;
    return IntResult::Ok;
}

bool StartsLikeKeyword(const char* word)
{
    const char c = *word;
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool SameKey(const char* word, size_t length, const char* key)
{
    if (std::strlen(key) != length)
        return false;
    for (size_t i = 0; i < length; ++i) {
        char a = word[i], b = key[i];
        if (a >= 'A' && a <= 'Z')
            a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z')
            b = static_cast<char>(b - 'A' + 'a');
        if (a != b)
            return false;
    }
    return true;
}

enum Key { kNcols, kNrows, kXllCorner, kXllCenter, kYllCorner, kYllCenter, kCellsize, kNodata, kKeyCount };
const char* const kKeyNames[kKeyCount] = {"ncols",     "nrows",     "xllcorner", "xllcenter",
                                          "yllcorner", "yllcenter", "cellsize",  "NODATA_value"};

bool Fail(AscError* error, AscStatus status, int line, const char* key = nullptr)
{
    if (error) {
        *error = AscError();
        error->status = status;
        error->line = line;
        if (key)
            error->key = key;
    }
    return false;
}

}  // namespace

bool ParseAscGrid(const char* data, size_t size, AscGrid* grid, AscError* error)
{
    Words words(data, size);
    bool seen[kKeyCount] = {};
    int keyLine[kKeyCount] = {};
    long long ncols = 0, nrows = 0;
    double values[kKeyCount] = {};

    // Header: keyword-value pairs up to the first word that does not start with a letter.
    const char* word;
    size_t length;
    int line = 0;
    bool any = false;
    while (words.Peek(&word, &length, &line) && StartsLikeKeyword(word)) {
        words.Next(&word, &length, &line);
        any = true;
        int key = -1;
        for (int k = 0; k < kKeyCount; ++k)
            if (SameKey(word, length, kKeyNames[k]))
                key = k;
        if (key < 0) {
            std::string name(word, length);
            return Fail(error, AscStatus::UnknownKey, line, name.c_str());
        }
        // The corner and the centre form of one axis exclude each other.
        const int twin = key == kXllCorner ? kXllCenter : key == kXllCenter ? kXllCorner
                       : key == kYllCorner ? kYllCenter : key == kYllCenter ? kYllCorner : -1;
        if (seen[key] || (twin >= 0 && seen[twin]))
            return Fail(error, AscStatus::DuplicateKey, line, kKeyNames[key]);
        seen[key] = true;
        keyLine[key] = line;

        const char* value;
        size_t valueLength;
        int valueLine;
        if (!words.Next(&value, &valueLength, &valueLine) || valueLine != line)
            return Fail(error, AscStatus::BadHeaderValue, line, kKeyNames[key]);
        if (key == kNcols || key == kNrows) {
            long long n = 0;
            const IntResult r = ParseInteger(value, valueLength, &n);
            if (r == IntResult::NotInteger)
                return Fail(error, AscStatus::BadHeaderValue, line, kKeyNames[key]);
            if (r == IntResult::Huge || n > kAscMaxSide)
                return Fail(error, AscStatus::TooLarge, line, kKeyNames[key]);
            if (n < kAscMinSide)
                return Fail(error, AscStatus::TooSmall, line, kKeyNames[key]);
            (key == kNcols ? ncols : nrows) = n;
        } else if (!ParseDouble(value, valueLength, &values[key])) {
            return Fail(error, AscStatus::BadHeaderValue, line, kKeyNames[key]);
        }
    }
    if (!any)
        return Fail(error, AscStatus::Empty, words.Peek(&word, &length, &line) ? line : 0);

    for (int k : {kNcols, kNrows, kCellsize})
        if (!seen[k])
            return Fail(error, AscStatus::MissingKey, 0, kKeyNames[k]);
    if (!seen[kXllCorner] && !seen[kXllCenter])
        return Fail(error, AscStatus::MissingKey, 0, kKeyNames[kXllCorner]);
    if (!seen[kYllCorner] && !seen[kYllCenter])
        return Fail(error, AscStatus::MissingKey, 0, kKeyNames[kYllCorner]);
    const double cellsize = values[kCellsize];
    if (!(cellsize > 0.0))
        return Fail(error, AscStatus::BadHeaderValue, keyLine[kCellsize], kKeyNames[kCellsize]);
    const long long cells = ncols * nrows;   // both at most 8192: no overflow
    if (cells > kAscMaxCells)
        return Fail(error, AscStatus::TooLarge, keyLine[kNrows], kKeyNames[kNrows]);

    // The grid: exactly ncols * nrows numbers.
    std::vector<float> z;
    z.reserve(static_cast<size_t>(cells));
    const bool hasNodata = seen[kNodata];
    const double nodata = values[kNodata];
    bool anyValid = false;
    while (static_cast<long long>(z.size()) < cells && words.Next(&word, &length, &line)) {
        double v;
        if (!ParseDouble(word, length, &v))
            return Fail(error, AscStatus::BadNumber, line);
        if (hasNodata && v == nodata) {
            z.push_back(std::numeric_limits<float>::quiet_NaN());
        } else {
            const float f = static_cast<float>(v);
            if (!std::isfinite(f))   // beyond the range of float
                return Fail(error, AscStatus::BadNumber, line);
            z.push_back(f);
            anyValid = true;
        }
    }
    if (static_cast<long long>(z.size()) < cells) {
        Fail(error, AscStatus::ShortData, line);
        if (error) {
            error->expected = cells;
            error->found = static_cast<long long>(z.size());
        }
        return false;
    }
    if (words.Next(&word, &length, &line)) {
        Fail(error, AscStatus::ExtraData, line);
        if (error)
            error->expected = cells;
        return false;
    }
    if (!anyValid)
        return Fail(error, AscStatus::NoValidCells, 0);

    grid->ncols = static_cast<int>(ncols);
    grid->nrows = static_cast<int>(nrows);
    grid->cellsize = cellsize;
    grid->xllcorner = seen[kXllCenter] ? values[kXllCenter] - cellsize / 2 : values[kXllCorner];
    grid->yllcorner = seen[kYllCenter] ? values[kYllCenter] - cellsize / 2 : values[kYllCorner];
    grid->hasNodata = hasNodata;
    grid->nodata = hasNodata ? nodata : 0.0;
    grid->z.swap(z);
    if (error)
        *error = AscError();
    return true;
}

std::string WriteAscGrid(const AscGrid& grid)
{
    std::string out;
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "ncols %d\nnrows %d\n", grid.ncols, grid.nrows);
    out += buffer;
    std::snprintf(buffer, sizeof buffer, "xllcorner %.10g\nyllcorner %.10g\ncellsize %.10g\n",
                  grid.xllcorner, grid.yllcorner, grid.cellsize);
    out += buffer;
    if (grid.hasNodata) {
        std::snprintf(buffer, sizeof buffer, "NODATA_value %.10g\n", grid.nodata);
        out += buffer;
    }
    out.reserve(out.size() + grid.z.size() * 9);
    for (int r = 0; r < grid.nrows; ++r) {
        for (int c = 0; c < grid.ncols; ++c) {
            const float v = grid.At(r, c);
            if (std::isnan(v))
                std::snprintf(buffer, sizeof buffer, "%.10g", grid.nodata);
            else
                std::snprintf(buffer, sizeof buffer, "%.7g", static_cast<double>(v));
            if (c > 0)
                out += ' ';
            out += buffer;
        }
        out += '\n';
    }
    return out;
}

bool AscGridRange(const AscGrid& grid, float* lowest, float* highest)
{
    bool any = false;
    float lo = 0.0f, hi = 0.0f;
    for (float v : grid.z) {
        if (std::isnan(v))
            continue;
        if (!any || v < lo)
            lo = v;
        if (!any || v > hi)
            hi = v;
        any = true;
    }
    if (any) {
        *lowest = lo;
        *highest = hi;
    }
    return any;
}
