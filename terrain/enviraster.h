// The pixel layout of ENVI images, as the viewer needs it to build a texture from three bands.
//   EnviRaster, ParseEnviRaster, EnviDataBytes, ComposeEnviRgb.
// Windows-free. (The band count and default bands the texture dialog shows come from the
// host's image library; the viewer reads the header again for the pixel geometry, with the
// terrain core's header reader, terrain/envi_header.h, which the RimBase stand-in uses too.)
//
// Keys read from the header ("ENVI" on the first line, then "key = value" lines, values in
// braces may run over several lines, ';' starts a comment line, keys in any case):
//   samples, lines, bands   the image's width, height and band count
//   data type               only 1 (8-bit bytes) is supported
//   interleave              bsq, bil or bip
//   header offset           bytes before the pixels in the data file (default 0)
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <vector>

// What the viewer takes: at most 8192 pixels on a side, 256 bands, 512 MB of pixel data.
const int kRasterMaxSide = 8192;
const int kRasterMaxBands = 256;
const uint64_t kRasterMaxDataBytes = 512ull << 20;

enum class EnviInterleave { Bsq, Bil, Bip };

struct EnviRaster {
    int samples = 0;
    int lines = 0;
    int bands = 0;
    EnviInterleave interleave = EnviInterleave::Bsq;
    uint64_t headerOffset = 0;
};

enum class EnviRasterStatus {
    Ok,
    NoMagic,              // the first line is not "ENVI"
    Syntax,               // a line that is not "key = value", an unclosed brace, text after a '}'
    Missing,              // samples, lines, bands, data type or interleave absent
    BadValue,             // one of them not a whole number in range, or an unknown interleave
    UnsupportedType,      // data type other than 1
    TooLarge,             // beyond the limits above, or a header over kEnviMaxHeaderBytes
};

EnviRasterStatus ParseEnviRaster(const char* text, size_t size, EnviRaster* raster);

// Bytes of the data file the raster needs: header offset + samples * lines * bands.
uint64_t EnviDataBytes(const EnviRaster& raster);

// Top-down RGB pixels (samples * lines * 3) from the 0-based bands red, green, blue of the
// data file's bytes. False when a band lies outside the image or the data are shorter than
// EnviDataBytes.
bool ComposeEnviRgb(const EnviRaster& raster, const uint8_t* data, size_t size,
                    int red, int green, int blue, std::vector<uint8_t>* rgb);
