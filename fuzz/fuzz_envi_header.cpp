// ENVI header reader of the RimBase.dll stand-in: any bytes of a .hdr file beside an image the
// host hands to _SetTexParamDlg. A header that is refused leaves the caller's record as it
// was; one that is taken has a band count of 1 to 65535 and display bands counted from 0, and
// reads back the same when written out again. The header paths of a data file always end in
// ".hdr" and keep the file's folder.
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "fuzz_check.h"
#include "terrain/envi_header.h"

namespace {

bool Same(const EnviHeader& a, const EnviHeader& b)
{
    return a.bands == b.bands && a.hasDefaultBands == b.hasDefaultBands &&
           memcmp(a.defaultBands, b.defaultBands, sizeof a.defaultBands) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);
    EnviHeader header;
    header.bands = -77;
    header.defaultBands[0] = header.defaultBands[1] = header.defaultBands[2] = -77;
    const EnviHeader before = header;

    const EnviStatus status = ParseEnviHeader(text, size, &header);
    if (status != EnviStatus::Ok) {
        FUZZ_CHECK(Same(header, before));
    } else {
        FUZZ_CHECK(header.bands >= 1 && header.bands <= kEnviMaxBands);
        for (int b : header.defaultBands) {
            FUZZ_CHECK(b >= 0);
            if (!header.hasDefaultBands)
                FUZZ_CHECK(b < header.bands);
        }
        // Written out plainly and read again: the same record.
        std::string again = "ENVI\nbands = " + std::to_string(header.bands) + "\n";
        if (header.hasDefaultBands)
            again += "default bands = {" + std::to_string(header.defaultBands[0] + 1LL) + ", " +
                     std::to_string(header.defaultBands[1] + 1LL) + ", " +
                     std::to_string(header.defaultBands[2] + 1LL) + "}\n";
        EnviHeader reread;
        FUZZ_CHECK(ParseEnviHeader(again.data(), again.size(), &reread) == EnviStatus::Ok);
        FUZZ_CHECK(Same(reread, header));
    }
    // Null output: the same verdict, nothing written anywhere.
    FUZZ_CHECK(ParseEnviHeader(text, size, nullptr) == status);

    const std::string file(text, strnlen(text, size));
    const std::vector<std::string> paths = EnviHeaderPaths(file);
    FUZZ_CHECK(paths.empty() == file.empty());
    FUZZ_CHECK(paths.size() <= 2);
    const size_t sep = file.find_last_of("\\/");
    const std::string folder = sep == std::string::npos ? "" : file.substr(0, sep + 1);
    for (const std::string& p : paths) {
        FUZZ_CHECK(p.size() >= 4 && p.compare(p.size() - 4, 4, ".hdr") == 0);
        FUZZ_CHECK(p.compare(0, folder.size(), folder) == 0);
    }
    if (!paths.empty())
        FUZZ_CHECK(paths.back() == file + ".hdr");
    return 0;
}
