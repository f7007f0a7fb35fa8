// Texture pixel formats: the fixed table of names, codes and descriptions, the
// OpenGL extension each one needs, and the rule that matches an extension name
// in a driver's extension string. Windows-free.
#pragma once
#include <functional>
#include <vector>

// One row of the format table. Codes run from 1 to 12; code 0 means "no
// format chosen" and has no row.
struct TexFormat {
    int code;
    const char* name;       // as listed to the user, e.g. "RGB5_A1"
    unsigned descId;        // string id of the description (4028 to 4036)
    const char* extension;  // OpenGL extension the driver must report; null: always offered
    bool offered;           // false for the two DirectX-only formats, never listed
};

const int kTexFormatCount = 12;

// The twelve rows, in code order (kTexFormats[i].code == i + 1).
extern const TexFormat kTexFormats[kTexFormatCount];

// The row of a code, null for codes outside 1 to 12.
const TexFormat* FindTexFormatByCode(int code);

// The first row whose name equals name exactly (byte for byte, case counts),
// null when none does or name is null.
const TexFormat* FindTexFormatByName(const char* name);

// The extension a code needs ("GL_EXT_packed_pixels" for 4,
// "GL_ARB_texture_compression" for 7 and 8, "GL_EXT_texture_compression_s3tc"
// for 9 to 12); null for every other code.
const char* TexFormatExtension(int code);

// Whether the extension string holds name as a whole token: an occurrence
// counts when it begins the string or follows a space, and is followed by a
// space or the end of the string. Null or empty arguments never match.
bool HasExtensionToken(const char* extensions, const char* name);

// The codes the format list offers, in the order the user sees them: 1, 4,
// 5, 6, 7, 8, 9, 10, 11, 12, each needing an extension only where
// supported(code) says so. The question is asked once per such code, in that
// order, so a caller may look at the driver anew each time.
std::vector<int> OfferedTexFormats(const std::function<bool(int code)>& supported);
