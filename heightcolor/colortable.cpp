#include "heightcolor/colortable.h"

#include <string.h>

const char kLutMagic[kLutMagicSize] = {'C', 'O', 'L', 'O', 'R', 'L', 'U', 'T'};
const char kLutUserKind[] = "USER_DEFINE";
const char kLutFolder[] = "HeightLut";
const char kLutExtension[] = ".lut";

namespace {

const size_t kLutKindMaxLength = kLutKindSize - 1;

char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualsNoCase(const char* a, size_t n, const char* b)
{
    if (strlen(b) != n)
        return false;
    for (size_t i = 0; i < n; ++i) {
        if (AsciiUpper(a[i]) != AsciiUpper(b[i]))
            return false;
    }
    return true;
}

// The device names Windows resolves in any folder, also with an extension: "nul.lut" opens
// the null device, "com1.lut" a serial port.
bool IsDeviceName(const char* name)
{
    size_t n = 0;
    while (name[n] != '\0' && name[n] != '.')
        ++n;
    while (n > 0 && name[n - 1] == ' ')
        --n;
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* device : kDevices) {
        if (EqualsNoCase(name, n, device))
            return true;
    }
    if (n == 4 && (EqualsNoCase(name, 3, "COM") || EqualsNoCase(name, 3, "LPT")) &&
        name[3] >= '0' && name[3] <= '9')
        return true;
    return false;
}

bool IsForbiddenByte(unsigned char c)
{
    if (c < 0x20)
        return true;
    switch (c) {
    case '\\': case '/': case ':': case '<': case '>': case '"': case '|': case '?': case '*':
        return true;
    default:
        return false;
    }
}

// Appends src to out at *len, keeping room for the terminator within limit.
bool Append(char* out, size_t limit, size_t* len, const char* src)
{
    size_t n = strlen(src);
    if (n >= limit - *len)
        return false;
    memcpy(out + *len, src, n);
    *len += n;
    out[*len] = '\0';
    return true;
}

bool ComposeInFolder(const char* hostDir, const char* leaf, const char* extension, char* out,
                     size_t cap)
{
    if (out == nullptr || cap == 0)
        return false;
    out[0] = '\0';
    if (hostDir == nullptr || hostDir[0] == '\0')
        return false;
    // The path must stay below kLutPathCap characters, whatever room the caller has.
    const size_t limit = cap < kLutPathCap ? cap : kLutPathCap;
    size_t len = 0;
    if (Append(out, limit, &len, hostDir) && Append(out, limit, &len, "\\") &&
        Append(out, limit, &len, kLutFolder) && Append(out, limit, &len, "\\") &&
        Append(out, limit, &len, leaf) && Append(out, limit, &len, extension))
        return true;
    out[0] = '\0';
    return false;
}

void PutLe16(unsigned char* p, uint16_t v)
{
    p[0] = static_cast<unsigned char>(v & 0xFF);
    p[1] = static_cast<unsigned char>(v >> 8);
}

uint16_t GetLe16(const unsigned char* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

}  // namespace

int FillGreyLut(LutColor* colors)
{
    for (int i = 0; i < kLutMaxEntries; ++i) {
        const uint16_t v = static_cast<uint16_t>(i);
        colors[i].r = v;
        colors[i].g = v;
        colors[i].b = v;
    }
    return kLutMaxEntries;
}

bool IsValidTableName(const char* name, LeadByteTest isLeadByte)
{
    if (name == nullptr || name[0] == '\0')
        return false;
    size_t n = 0;
    while (name[n] != '\0') {
        const unsigned char c = static_cast<unsigned char>(name[n]);
        const size_t width = (isLeadByte != nullptr && isLeadByte(c)) ? 2 : 1;
        if (width == 2 && name[n + 1] == '\0')
            return false;  // a lead byte without its trail byte
        if (width == 1 && IsForbiddenByte(c))
            return false;
        n += width;
        if (n > kLutMaxNameLength)
            return false;  // does not fit the name field with its terminator
    }
    return !IsDeviceName(name);
}

bool ComposeTablePath(const char* hostDir, const char* name, char* out, size_t cap, LeadByteTest isLeadByte)
{
    if (!IsValidTableName(name, isLeadByte)) {
        if (out != nullptr && cap > 0)
            out[0] = '\0';
        return false;
    }
    return ComposeInFolder(hostDir, name, kLutExtension, out, cap);
}

bool ComposeTableSearchPattern(const char* hostDir, char* out, size_t cap)
{
    return ComposeInFolder(hostDir, "*", kLutExtension, out, cap);
}

bool TableTitleFromFileName(const char* fileName, char* title, size_t cap, LeadByteTest isLeadByte)
{
    if (fileName == nullptr || title == nullptr || cap == 0)
        return false;
    title[0] = '\0';
    const size_t extLen = strlen(kLutExtension);
    const size_t n = strlen(fileName);
    if (n <= extLen || !EqualsNoCase(fileName + n - extLen, extLen, kLutExtension))
        return false;
    const size_t titleLen = n - extLen;
    if (titleLen >= cap || titleLen > kLutMaxNameLength)
        return false;
    memcpy(title, fileName, titleLen);
    title[titleLen] = '\0';
    if (!IsValidTableName(title, isLeadByte)) {
        title[0] = '\0';
        return false;
    }
    return true;
}

bool BuildLutHeader(unsigned char* header, const char* name, const char* kind, int32_t count)
{
    if (header == nullptr || name == nullptr || kind == nullptr)
        return false;
    const size_t nameLen = strlen(name);
    const size_t kindLen = strlen(kind);
    if (nameLen > kLutMaxNameLength || kindLen > kLutKindMaxLength)
        return false;
    memset(header, 0, kLutHeaderSize);
    memcpy(header, kLutMagic, kLutMagicSize);
    memcpy(header + kLutNameOffset, name, nameLen);
    memcpy(header + kLutKindOffset, kind, kindLen);
    const uint32_t c = static_cast<uint32_t>(count);
    header[kLutCountOffset + 0] = static_cast<unsigned char>(c & 0xFF);
    header[kLutCountOffset + 1] = static_cast<unsigned char>((c >> 8) & 0xFF);
    header[kLutCountOffset + 2] = static_cast<unsigned char>((c >> 16) & 0xFF);
    header[kLutCountOffset + 3] = static_cast<unsigned char>((c >> 24) & 0xFF);
    return true;
}

size_t EncodeLut(unsigned char* out, size_t cap, const char* name, const char* kind,
                 const LutColor* colors, int count, LeadByteTest isLeadByte)
{
    if (out == nullptr || colors == nullptr || count < 1 || count > kLutMaxEntries ||
        !IsValidTableName(name, isLeadByte))
        return 0;
    const size_t total = kLutHeaderSize + static_cast<size_t>(count) * kLutEntrySize;
    if (cap < total || !BuildLutHeader(out, name, kind, count))
        return 0;
    unsigned char* p = out + kLutHeaderSize;
    for (int i = 0; i < count; ++i, p += kLutEntrySize) {
        PutLe16(p + 0, colors[i].r);
        PutLe16(p + 2, colors[i].g);
        PutLe16(p + 4, colors[i].b);
    }
    return total;
}

int32_t LutHeaderCount(const unsigned char* header)
{
    const unsigned char* p = header + kLutCountOffset;
    const uint32_t c = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                       (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
    return static_cast<int32_t>(c);
}

int DecodeLut(const unsigned char* data, size_t size, LutColor* colors)
{
    if (data == nullptr || colors == nullptr || size < kLutHeaderSize)
        return 0;
    const int32_t count = LutHeaderCount(data);
    if (count <= 0)
        return 0;
    int n = count > kLutMaxEntries ? kLutMaxEntries : static_cast<int>(count);
    const size_t present = (size - kLutHeaderSize) / kLutEntrySize;
    if (present < static_cast<size_t>(n))
        n = static_cast<int>(present);
    const unsigned char* p = data + kLutHeaderSize;
    for (int i = 0; i < n; ++i, p += kLutEntrySize) {
        colors[i].r = GetLe16(p + 0);
        colors[i].g = GetLe16(p + 2);
        colors[i].b = GetLe16(p + 4);
    }
    return n;
}
