// ENVI pixel layout: header keys and band composition.
#include "terrain/enviraster.h"

#include <limits.h>

#include <map>
#include <string>

#include "terrain/envi_header.h"

EnviRasterStatus ParseEnviRaster(const char* text, size_t size, EnviRaster* raster)
{
    std::map<std::string, std::string> keys;
    switch (ReadEnviKeys(text, size, &keys)) {
    case EnviStatus::Ok: break;
    case EnviStatus::NoMagic: return EnviRasterStatus::NoMagic;
    case EnviStatus::TooLarge: return EnviRasterStatus::TooLarge;
    default: return EnviRasterStatus::Syntax;
    }
    for (const char* key : {"samples", "lines", "bands", "data type", "interleave"})
        if (keys.find(key) == keys.end())
            return EnviRasterStatus::Missing;

    long long w, h, b, dataType, headerOffset = 0;
    const auto offset = keys.find("header offset");
    if (!ParseEnviWhole(keys["samples"], LLONG_MAX, w) || !ParseEnviWhole(keys["lines"], LLONG_MAX, h) ||
        !ParseEnviWhole(keys["bands"], LLONG_MAX, b) || !ParseEnviWhole(keys["data type"], LLONG_MAX, dataType) ||
        (offset != keys.end() && !ParseEnviWhole(offset->second, LLONG_MAX, headerOffset)))
        return EnviRasterStatus::BadValue;
    if (w == 0 || h == 0 || b == 0)
        return EnviRasterStatus::BadValue;
    std::string interleave = keys["interleave"];
    for (char& c : interleave)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    EnviInterleave order;
    if (interleave == "bsq") order = EnviInterleave::Bsq;
    else if (interleave == "bil") order = EnviInterleave::Bil;
    else if (interleave == "bip") order = EnviInterleave::Bip;
    else return EnviRasterStatus::BadValue;
    if (dataType != 1)
        return EnviRasterStatus::UnsupportedType;
    // The sides and bands are checked first: their product cannot overflow.
    if (w > kRasterMaxSide || h > kRasterMaxSide || b > kRasterMaxBands ||
        static_cast<uint64_t>(w * h * b) > kRasterMaxDataBytes ||
        static_cast<uint64_t>(headerOffset) > kRasterMaxDataBytes)
        return EnviRasterStatus::TooLarge;

    raster->samples = static_cast<int>(w);
    raster->lines = static_cast<int>(h);
    raster->bands = static_cast<int>(b);
    raster->interleave = order;
    raster->headerOffset = static_cast<uint64_t>(headerOffset);
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
