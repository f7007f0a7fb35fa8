#include "texture/texformats.h"

#include <string.h>

#include "res/resource.h"

namespace {

const char kPackedPixels[] = "GL_EXT_packed_pixels";
const char kArbCompression[] = "GL_ARB_texture_compression";
const char kS3tc[] = "GL_EXT_texture_compression_s3tc";

}  // namespace

const TexFormat kTexFormats[kTexFormatCount] = {
    {1, "RGB8", IDS_FMT_RGB8, nullptr, true},
    {2, "R5G6B5", IDS_FMT_R5G6B5, nullptr, false},
    {3, "A1_RGB5", IDS_FMT_R5G6B5, nullptr, false},
    {4, "RGB5_A1", IDS_FMT_RGB5_A1, kPackedPixels, true},
    {5, "RGBA8", IDS_FMT_RGBA8, nullptr, true},
    {6, "BGRA8", IDS_FMT_BGRA8, nullptr, true},
    {7, "RGB_ARB", IDS_FMT_ARB_RGB, kArbCompression, true},
    {8, "RGBA_ARB", IDS_FMT_ARB_RGBA, kArbCompression, true},
    {9, "RGB_S3TC_DXT1", IDS_FMT_S3TC_RGB, kS3tc, true},
    {10, "RGBA_S3TC_DXT1", IDS_FMT_S3TC_RGBA, kS3tc, true},
    {11, "RGBA_S3TC_DXT3", IDS_FMT_S3TC_RGBA, kS3tc, true},
    {12, "RGBA_S3TC_DXT5", IDS_FMT_S3TC_RGBA, kS3tc, true},
};

const TexFormat* FindTexFormatByCode(int code)
{
    if (code < 1 || code > kTexFormatCount)
        return nullptr;
    return &kTexFormats[code - 1];
}

const TexFormat* FindTexFormatByName(const char* name)
{
    if (name == nullptr)
        return nullptr;
    for (const TexFormat& f : kTexFormats)
        if (strcmp(f.name, name) == 0)
            return &f;
    return nullptr;
}

const char* TexFormatExtension(int code)
{
    const TexFormat* f = FindTexFormatByCode(code);
    return f ? f->extension : nullptr;
}

bool HasExtensionToken(const char* extensions, const char* name)
{
    if (extensions == nullptr || name == nullptr || *name == '\0')
        return false;
    const size_t len = strlen(name);
    const char* start = extensions;  // where the current search began
    for (;;) {
        const char* hit = strstr(start, name);
        if (hit == nullptr)
            return false;
        const char* end = hit + len;
        if ((hit == start || hit[-1] == ' ') && (*end == ' ' || *end == '\0'))
            return true;
        start = end;
    }
}

std::vector<int> OfferedTexFormats(const std::function<bool(int code)>& supported)
{
    std::vector<int> codes;
    for (const TexFormat& f : kTexFormats) {
        if (!f.offered)
            continue;
        if (f.extension == nullptr || (supported && supported(f.code)))
            codes.push_back(f.code);
    }
    return codes;
}
