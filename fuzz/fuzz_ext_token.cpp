// The extension-token rule behind the texture format list: any driver extension string and any
// extension name. Input: the name, a NUL byte, the extension string (without a NUL byte, the
// three names the dialog asks about are tried against the whole input).
//
// Properties: a name standing as a whole space-separated token is always found; a match is
// only ever reported for an occurrence followed by a space or the end, and preceded by the
// start, a space, or the end of an earlier occurrence of the name (the search goes on right
// after an occurrence that does not count, and the text searched anew starts there); the
// format list always starts with RGB8 and holds only offered formats, in code order.
#include <stdint.h>
#include <string.h>

#include <sstream>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "texture/texformats.h"

namespace {

bool IsWholeToken(const std::string& extensions, const std::string& name)
{
    std::istringstream in(extensions);
    for (std::string token; std::getline(in, token, ' ');)
        if (token == name)
            return true;
    return false;
}

// Whether some occurrence may count under the rule: followed by a space or the end, and at the
// start, after a space, or right after a previous occurrence.
bool MayCount(const std::string& s, const std::string& name)
{
    for (size_t at = s.find(name); at != std::string::npos; at = s.find(name, at + 1)) {
        const size_t end = at + name.size();
        const bool followed = end == s.size() || s[end] == ' ';
        const bool preceded = at == 0 || s[at - 1] == ' ' ||
                              (at >= name.size() && s.compare(at - name.size(), name.size(), name) == 0);
        if (followed && preceded)
            return true;
    }
    return false;
}

void CheckOne(const std::string& extensions, const std::string& name)
{
    const bool found = HasExtensionToken(extensions.c_str(), name.c_str());
    if (name.empty()) {
        FUZZ_CHECK(!found);
        return;
    }
    if (IsWholeToken(extensions, name))
        FUZZ_CHECK(found);
    if (found)
        FUZZ_CHECK(MayCount(extensions, name));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t nul = input.find('\0');
    if (nul != std::string::npos) {
        std::string extensions = input.substr(nul + 1);
        extensions = extensions.substr(0, extensions.find('\0'));
        CheckOne(extensions, input.substr(0, nul));
    } else {
        for (int code : {4, 7, 9})
            CheckOne(input, TexFormatExtension(code));
    }
    FUZZ_CHECK(!HasExtensionToken(nullptr, "GL_EXT_packed_pixels"));
    FUZZ_CHECK(!HasExtensionToken(input.c_str(), nullptr));

    // The format list for a driver answering with this string.
    const std::string extensions = nul == std::string::npos ? input : input.substr(nul + 1);
    const std::vector<int> codes =
        OfferedTexFormats([&](int code) { return HasExtensionToken(extensions.c_str(), TexFormatExtension(code)); });
    FUZZ_CHECK(codes.size() >= 3 && codes.size() <= 10);
    FUZZ_CHECK(codes.front() == 1);
    for (size_t i = 0; i < codes.size(); ++i) {
        const TexFormat* f = FindTexFormatByCode(codes[i]);
        FUZZ_CHECK(f != nullptr && f->offered);
        FUZZ_CHECK(FindTexFormatByName(f->name) == f);
        if (i > 0)
            FUZZ_CHECK(codes[i] > codes[i - 1]);
    }
    // Any text either names a format exactly or none.
    if (const TexFormat* f = FindTexFormatByName(input.c_str()))
        FUZZ_CHECK(strcmp(f->name, input.c_str()) == 0);
    return 0;
}
