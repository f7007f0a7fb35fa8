// Table names and the paths made from them: the name a host passes to _ReadColorTable, the name
// a user types into the save dialog, the file names a folder listing returns. Whatever the
// bytes, a path is composed only for a valid name, always as <host dir>\HeightLut\<name>.lut,
// never reaching 128 characters and never past the caller's room (an output buffer of exactly
// the size given, on the heap); a valid name can never lead out of HeightLut.
//
// Input: byte 0 the room for the path, byte 1 the room for a title, then the host directory and
// the name separated by a NUL byte (without one, the whole rest is the name under a fixed host
// directory).
#include <stdint.h>
#include <string.h>

#include <memory>
#include <string>

#include "fuzz_check.h"
#include "heightcolor/colortable.h"

namespace {

std::string Upper(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// Code page 936: bytes 0x81 to 0xFE open a two-byte character.
bool IsLeadByte936(unsigned char c)
{
    return c >= 0x81 && c <= 0xFE;
}

// The name rule, spelt out independently of the library's code.
bool ExpectedValid(const std::string& name, bool cp936)
{
    if (name.empty() || name.size() > kLutMaxNameLength)
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (cp936 && IsLeadByte936(c)) {
            if (++i == name.size())
                return false;  // no trail byte
            continue;
        }
        if (c < 0x20 || strchr("\\/:<>\"|?*", c) != nullptr)
            return false;
    }
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    stem = Upper(stem);
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (stem == device)
            return false;
    if (stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
        stem[3] >= '0' && stem[3] <= '9')
        return false;
    return true;
}

// A buffer of exactly cap bytes (none for 0), so that AddressSanitizer sees any write past it.
struct Room {
    explicit Room(size_t cap) : size(cap), bytes(cap ? new char[cap] : nullptr)
    {
        if (cap)
            memset(bytes.get(), 'X', cap);
    }
    size_t size;
    std::unique_ptr<char[]> bytes;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const size_t pathCap = data[0] % 160;
    const size_t titleCap = data[1] % 160;
    const std::string rest(reinterpret_cast<const char*>(data + 2), size - 2);
    std::string hostDir = "C:\\Oroscape";
    std::string name = rest;
    const size_t nul = rest.find('\0');
    if (nul != std::string::npos) {
        hostDir = rest.substr(0, nul);
        name = rest.substr(nul + 1);
        name = name.substr(0, name.find('\0'));
    }

    const bool valid = IsValidTableName(name.c_str());
    FUZZ_CHECK(valid == ExpectedValid(name, false));
    // Read as code page 936, a trail byte (0x5C and 0x7C included) belongs to its character.
    const bool valid936 = IsValidTableName(name.c_str(), IsLeadByte936);
    FUZZ_CHECK(valid936 == ExpectedValid(name, true));

    // The path of a table.
    Room path(pathCap);
    const bool composed = ComposeTablePath(hostDir.c_str(), name.c_str(), path.bytes.get(), path.size);
    const std::string expected = hostDir + "\\HeightLut\\" + name + ".lut";
    const size_t limit = pathCap < kLutPathCap ? pathCap : kLutPathCap;
    if (composed) {
        FUZZ_CHECK(valid && !hostDir.empty());
        FUZZ_CHECK(strlen(path.bytes.get()) + 1 <= limit);
        FUZZ_CHECK(path.bytes.get() == expected);
        // Nothing after the folder can lead elsewhere.
        const std::string leaf = expected.substr(hostDir.size() + strlen("\\HeightLut\\"));
        FUZZ_CHECK(leaf.find_first_of("\\/:") == std::string::npos);
    } else {
        if (pathCap > 0)
            FUZZ_CHECK(path.bytes[0] == '\0');
        // Refused only for a reason: an invalid name, no host directory, or no room.
        FUZZ_CHECK(!valid || hostDir.empty() || expected.size() + 1 > limit);
    }
    // The null cases never write anywhere.
    FUZZ_CHECK(!ComposeTablePath(nullptr, name.c_str(), path.bytes.get(), path.size));
    FUZZ_CHECK(!ComposeTablePath(hostDir.c_str(), nullptr, path.bytes.get(), path.size));

    // The listing's search pattern.
    Room pattern(pathCap);
    if (ComposeTableSearchPattern(hostDir.c_str(), pattern.bytes.get(), pattern.size)) {
        FUZZ_CHECK(pattern.bytes.get() == hostDir + "\\HeightLut\\*.lut");
        FUZZ_CHECK(strlen(pattern.bytes.get()) + 1 <= limit);
    }

    // A file name found in the folder, turned into a title: a valid name whose file is that name.
    Room title(titleCap);
    if (TableTitleFromFileName(name.c_str(), title.bytes.get(), title.size)) {
        const std::string t = title.bytes.get();
        FUZZ_CHECK(t.size() + 1 <= titleCap);
        FUZZ_CHECK(IsValidTableName(t.c_str()));
        FUZZ_CHECK(name.size() == t.size() + 4 && name.compare(0, t.size(), t) == 0);
        FUZZ_CHECK(Upper(name.substr(t.size())) == ".LUT");
    } else if (titleCap > 0) {
        FUZZ_CHECK(title.bytes[0] == '\0');
    }
    return 0;
}
