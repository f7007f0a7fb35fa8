// ENVI pixel layout: header keys and band composition.
#include "demo/enviraster.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string Trim(const std::string& s)
{
    const size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return std::string();
    const size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

// Lower case with runs of blanks made one blank: "Data  Type" -> "data type".
std::string NormaliseKey(const std::string& key)
{
    std::string out;
    bool blank = false;
    for (char c : Trim(key)) {
        if (c == ' ' || c == '\t') {
            blank = true;
            continue;
        }
        if (blank)
            out += ' ';
        blank = false;
        out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return out;
}

bool ParseWhole(const std::string& text, uint64_t limit, uint64_t* value)
{
    const std::string t = Trim(text);
    if (t.empty() || t.find_first_not_of("0123456789") != std::string::npos)
        return false;
    errno = 0;
    const unsigned long long v = std::strtoull(t.c_str(), nullptr, 10);
    if (errno == ERANGE || v > limit)
        return false;
    *value = v;
    return true;
}

}  // namespace

EnviRasterStatus ParseEnviRaster(const char* text, size_t size, EnviRaster* raster)
{
    std::string all(text, size);
    if (all.find('\0') != std::string::npos)
        return EnviRasterStatus::Syntax;
    size_t pos = 0;
    auto nextLine = [&](std::string* line) {
        if (pos >= all.size())
            return false;
        size_t end = all.find('\n', pos);
        if (end == std::string::npos)
            end = all.size();
        *line = all.substr(pos, end - pos);
        pos = end + 1;
        return true;
    };

    std::string line;
    if (!nextLine(&line) || Trim(line) != "ENVI")
        return EnviRasterStatus::NoMagic;

    std::string samples, lines, bands, type, interleave, offset;
    bool seenSamples = false, seenLines = false, seenBands = false, seenType = false, seenInterleave = false;
    while (nextLine(&line)) {
        const std::string t = Trim(line);
        if (t.empty() || t[0] == ';')
            continue;
        const size_t eq = t.find('=');
        if (eq == std::string::npos || eq == 0)
            return EnviRasterStatus::Syntax;
        const std::string key = NormaliseKey(t.substr(0, eq));
        std::string value = Trim(t.substr(eq + 1));
        if (!value.empty() && value[0] == '{') {
            while (value.find('}') == std::string::npos) {
                std::string more;
                if (!nextLine(&more))
                    return EnviRasterStatus::Syntax;
                value += ' ' + Trim(more);
            }
        }
        if (key == "samples") samples = value, seenSamples = true;
        else if (key == "lines") lines = value, seenLines = true;
        else if (key == "bands") bands = value, seenBands = true;
        else if (key == "data type") type = value, seenType = true;
        else if (key == "interleave") interleave = NormaliseKey(value), seenInterleave = true;
        else if (key == "header offset") offset = value;
    }
    if (!seenSamples || !seenLines || !seenBands || !seenType || !seenInterleave)
        return EnviRasterStatus::Missing;

    uint64_t w, h, b, dataType, headerOffset = 0;
    const uint64_t huge = ~0ull >> 1;
    if (!ParseWhole(samples, huge, &w) || !ParseWhole(lines, huge, &h) || !ParseWhole(bands, huge, &b) ||
        !ParseWhole(type, huge, &dataType) || (!offset.empty() && !ParseWhole(offset, huge, &headerOffset)))
        return EnviRasterStatus::BadValue;
    if (w == 0 || h == 0 || b == 0)
        return EnviRasterStatus::BadValue;
    EnviInterleave order;
    if (interleave == "bsq") order = EnviInterleave::Bsq;
    else if (interleave == "bil") order = EnviInterleave::Bil;
    else if (interleave == "bip") order = EnviInterleave::Bip;
    else return EnviRasterStatus::BadValue;
    if (dataType != 1)
        return EnviRasterStatus::UnsupportedType;
    if (w > static_cast<uint64_t>(kEnviMaxSide) || h > static_cast<uint64_t>(kEnviMaxSide) ||
        b > static_cast<uint64_t>(kEnviMaxBands) || w * h * b > kEnviMaxDataBytes ||
        headerOffset > kEnviMaxDataBytes)
        return EnviRasterStatus::TooLarge;

    raster->samples = static_cast<int>(w);
    raster->lines = static_cast<int>(h);
    raster->bands = static_cast<int>(b);
    raster->interleave = order;
    raster->headerOffset = headerOffset;
    return EnviRasterStatus::Ok;
}

uint64_t EnviDataBytes(const EnviRaster& raster)
{
    return raster.headerOffset + static_cast<uint64_t>(raster.samples) * raster.lines * raster.bands;
}

bool ComposeEnviRgb(const EnviRaster& raster, const uint8_t* data, size_t size,
                    int red, int green, int blue, std::vector<uint8_t>* rgb)
{
    const int chosen[3] = {red, green, blue};
    for (int band : chosen)
        if (band < 0 || band >= raster.bands)
            return false;
    if (raster.samples <= 0 || raster.lines <= 0 || size < EnviDataBytes(raster))
        return false;
    const size_t w = static_cast<size_t>(raster.samples), h = static_cast<size_t>(raster.lines);
    const size_t nb = static_cast<size_t>(raster.bands);
    const uint8_t* pixels = data + raster.headerOffset;
    rgb->resize(w * h * 3);
    uint8_t* out = rgb->data();
    for (size_t y = 0; y < h; ++y) {
        for (size_t x = 0; x < w; ++x) {
            for (int k = 0; k < 3; ++k) {
                const size_t band = static_cast<size_t>(chosen[k]);
                size_t at = 0;
                switch (raster.interleave) {
                case EnviInterleave::Bsq: at = (band * h + y) * w + x; break;
                case EnviInterleave::Bil: at = (y * nb + band) * w + x; break;
                case EnviInterleave::Bip: at = (y * w + x) * nb + band; break;
                }
                *out++ = pixels[at];
            }
        }
    }
    return true;
}
