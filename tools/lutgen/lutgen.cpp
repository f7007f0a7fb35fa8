// lutgen: builds a colour-table file (.lut) from a text description of colour stops.
//
//   lutgen STOPS_FILE OUT.lut
//
// The description, one item per line, '#' starts a comment:
//   name terrain          table name stored in the header (default: the title of OUT.lut)
//   kind SYSTEM           origin text stored in the header (default: SYSTEM)
//   count 256             number of entries, 1 to 256 (required)
//   0.00  34 102 51       a stop: position 0 to 1, then red, green, blue 0 to 255
// Stops are given in ascending position. Entry i of n sits at position i / (n - 1); its colour
// is interpolated linearly between the stops around it and rounded, before the first stop it
// is the first stop's colour and after the last the last stop's. Components are stored as
// value * 256, the way every table of the library holds them (FromRgb8).
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "heightcolor/colortable.h"
#include "heightcolor/layers.h"

namespace {

struct Stop {
    double position;
    double rgb[3];
};

struct Description {
    std::string name;
    std::string kind = "SYSTEM";
    int count = 0;
    std::vector<Stop> stops;
};

bool Fail(const char* file, int line, const char* what)
{
    if (line > 0)
        std::fprintf(stderr, "%s:%d: %s\n", file, line, what);
    else
        std::fprintf(stderr, "%s: %s\n", file, what);
    return false;
}

// Splits a line into blank-separated words, dropping a '#' comment.
std::vector<std::string> Words(const std::string& line)
{
    std::vector<std::string> words;
    std::string word;
    for (char c : line) {
        if (c == '#')
            break;
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (!word.empty())
                words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

bool ParseNumber(const std::string& text, double* value)
{
    const char* s = text.c_str();
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(s, &end);
    if (end == s || *end != '\0' || errno != 0 || !std::isfinite(v))
        return false;
    *value = v;
    return true;
}

bool ReadDescription(const char* path, Description* desc)
{
    FILE* f = std::fopen(path, "r");
    if (f == nullptr)
        return Fail(path, 0, "cannot open");
    std::string line;
    int lineNo = 0;
    bool ok = true;
    char buf[512];
    while (ok && std::fgets(buf, sizeof buf, f) != nullptr) {
        line = buf;
        if (line.empty() || line.back() != '\n') {
            if (!std::feof(f)) {
                ok = Fail(path, lineNo + 1, "line too long");
                break;
            }
        }
        ++lineNo;
        const std::vector<std::string> w = Words(line);
        if (w.empty())
            continue;
        if (w[0] == "name") {
            if (w.size() != 2)
                ok = Fail(path, lineNo, "expected: name TITLE");
            else
                desc->name = w[1];
        } else if (w[0] == "kind") {
            if (w.size() != 2 || w[1].size() >= kLutKindSize)
                ok = Fail(path, lineNo, "expected: kind TEXT (at most 255 characters)");
            else
                desc->kind = w[1];
        } else if (w[0] == "count") {
            double v = 0;
            if (w.size() != 2 || !ParseNumber(w[1], &v) || v != std::floor(v) || v < 1 ||
                v > kLutMaxEntries)
                ok = Fail(path, lineNo, "expected: count N with N from 1 to 256");
            else
                desc->count = static_cast<int>(v);
        } else {
            Stop s;
            if (w.size() != 4 || !ParseNumber(w[0], &s.position) || !ParseNumber(w[1], &s.rgb[0]) ||
                !ParseNumber(w[2], &s.rgb[1]) || !ParseNumber(w[3], &s.rgb[2])) {
                ok = Fail(path, lineNo, "expected: POSITION R G B, or name, kind, count");
            } else if (s.position < 0 || s.position > 1) {
                ok = Fail(path, lineNo, "stop position outside 0 to 1");
            } else if (!desc->stops.empty() && s.position < desc->stops.back().position) {
                ok = Fail(path, lineNo, "stop positions must ascend");
            } else {
                for (double c : s.rgb) {
                    if (c < 0 || c > 255)
                        ok = Fail(path, lineNo, "colour component outside 0 to 255");
                }
                if (ok)
                    desc->stops.push_back(s);
            }
        }
    }
    if (ok && std::ferror(f))
        ok = Fail(path, 0, "read error");
    std::fclose(f);
    if (!ok)
        return false;
    if (desc->count == 0)
        return Fail(path, 0, "no count given");
    if (desc->stops.empty())
        return Fail(path, 0, "no colour stops given");
    return true;
}

LutColor ColorAt(const std::vector<Stop>& stops, double t)
{
    // The last stop at or before t, and the one after it.
    size_t k = 0;
    while (k + 1 < stops.size() && stops[k + 1].position <= t)
        ++k;
    double rgb[3];
    if (t < stops[0].position || k + 1 == stops.size()) {
        const Stop& s = t < stops[0].position ? stops[0] : stops[k];
        for (int c = 0; c < 3; ++c)
            rgb[c] = s.rgb[c];
    } else {
        const Stop& a = stops[k];
        const Stop& b = stops[k + 1];  // b.position > t >= a.position
        const double f = (t - a.position) / (b.position - a.position);
        for (int c = 0; c < 3; ++c)
            rgb[c] = a.rgb[c] + (b.rgb[c] - a.rgb[c]) * f;
    }
    uint8_t v[3];
    for (int c = 0; c < 3; ++c) {
        const long byte = std::lround(rgb[c]);
        v[c] = static_cast<uint8_t>(byte < 0 ? 0 : byte > 255 ? 255 : byte);
    }
    return FromRgb8(Rgb8{v[0], v[1], v[2]});
}

// The title of an output path: no folder, no extension.
std::string TitleOf(const char* path)
{
    std::string s = path;
    const size_t slash = s.find_last_of("/\\");
    if (slash != std::string::npos)
        s.erase(0, slash + 1);
    const size_t dot = s.rfind('.');
    if (dot != std::string::npos && dot > 0)
        s.erase(dot);
    return s;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: lutgen STOPS_FILE OUT.lut\n");
        return 2;
    }
    const char* in = argv[1];
    const char* out = argv[2];
    Description desc;
    if (!ReadDescription(in, &desc))
        return 1;
    if (desc.name.empty())
        desc.name = TitleOf(out);
    if (!IsValidTableName(desc.name.c_str())) {
        Fail(in, 0, "not a valid table name");
        return 1;
    }

    LutColor colors[kLutMaxEntries];
    for (int i = 0; i < desc.count; ++i) {
        const double t = desc.count == 1 ? 0.0 : static_cast<double>(i) / (desc.count - 1);
        colors[i] = ColorAt(desc.stops, t);
    }
    unsigned char data[kLutMaxFileBytes];
    const size_t size =
        EncodeLut(data, sizeof data, desc.name.c_str(), desc.kind.c_str(), colors, desc.count);
    if (size == 0) {
        Fail(in, 0, "table cannot be encoded");
        return 1;
    }

    FILE* f = std::fopen(out, "wb");
    if (f == nullptr) {
        Fail(out, 0, "cannot create");
        return 1;
    }
    const bool written = std::fwrite(data, 1, size, f) == size;
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed) {
        std::remove(out);
        Fail(out, 0, "write failed");
        return 1;
    }
    return 0;
}
