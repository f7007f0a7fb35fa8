// Benchmark of the library frame: reading a colour table through the export
// against the plain file calls of the same file, and loading the library.
// Prints one line per figure: "name: median <value> <unit> [ratio <r>]".
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "include/oroscape.h"
#include "test_hostdir.h"

using bench::Median;
using bench::Time;

int main()
{
    test::HostDir host;
    host.WriteTable("bench.lut", test::TableBytes("bench", 256));
    std::string path = host.LutPath("bench");

    LayerColor colors[256];
    short count = 0;
    if (_ReadColorTable("bench", colors, &count) != 1 || count != 256) {
        std::printf("bench_frame: the table does not read\n");
        return 1;
    }
    unsigned char raw[396 + 256 * 6];
    auto plain = [&] {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD got = 0;
        ReadFile(h, raw, sizeof raw, &got, nullptr);
        CloseHandle(h);
    };
    auto viaExport = [&] { _ReadColorTable("bench", colors, &count); };
    // Interleave the two so that both see the same machine load.
    std::vector<double> a, b;
    for (int r = 0; r < 15; ++r) {
        a.push_back(Time(viaExport, 1, 200));
        b.push_back(Time(plain, 1, 200));
    }
    double tExport = Median(a), tPlain = Median(b);
    std::printf("read_color_table_256: median %.2f us ratio %.2f\n", tExport * 1e6, tExport / tPlain);
    std::printf("read_file_plain_baseline: median %.2f us\n", tPlain * 1e6);

    // A second copy loaded by path is a separate load each time only when no
    // one else holds it: this program imports the library, so measure a copy.
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(GetModuleHandleW(L"Oroscape.dll"), self, MAX_PATH);
    std::wstring copy = std::wstring(self) + L".bench.dll";
    CopyFileW(self, copy.c_str(), FALSE);
    double tLoad = Time([&] {
        HMODULE h = LoadLibraryW(copy.c_str());
        FreeLibrary(h);
    }, 15, 10);
    DeleteFileW(copy.c_str());
    std::printf("load_free_library: median %.1f us\n", tLoad * 1e6);
    return 0;
}
