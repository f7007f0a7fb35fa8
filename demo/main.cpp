// terrainview.exe: a terrain viewer that hosts Oroscape.dll.
//
//   terrainview [GRID]                           opens the grid (default: sample.asc beside the program)
//   terrainview [GRID] --bench [--figures FILE]  prints frame rate and Apply-to-frame figures (and writes
//                                                them to FILE, an earlier figures file or a new one)
//   terrainview [GRID] --crack-check             renders GRID (or a 1201 x 1201 tile made for it) from
//                                                above; exit 0 when no background shows through
//   terrainview [GRID] --tour FOLDER             drives every dialog once, writing tour_*.png and
//                                                tour_log.txt into FOLDER; exit 0 when all went well
// Options go in any order and every other word is the grid (demo/commandline.h has the rules for
// the files written). Exit status: 0 done, 1 the run failed (e.g. a grid that cannot be opened),
// 2 the command line was refused, before anything was written.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "demo/commandline.h"
#include "demo/tour.h"
#include "demo/viewer.h"
#include "demo/wintext.h"

namespace {

// To standard error; in a message box when the program has none (started from the desktop).
void Tell(const std::wstring& text, bool error)
{
    const HANDLE out = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE || GetFileType(out) == FILE_TYPE_UNKNOWN) {
        MessageBoxW(nullptr, text.c_str(), L"terrainview", MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
        return;
    }
    std::fputs(Utf8(text).c_str(), error ? stderr : stdout);
    std::fflush(error ? stderr : stdout);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    std::vector<std::wstring> args;
    int argc = 0;
    if (wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc)) {
        for (int i = 1; i < argc; ++i)
            args.push_back(argv[i]);
        LocalFree(argv);
    }
    TerrainViewer::Options options;
    bool help = false;
    std::wstring error;
    if (!ParseCommandLine(args, &options, &help, &error)) {
        Tell(L"terrainview: " + error + L"\n" + kUsageText, true);
        return kExitRefused;
    }
    if (help) {
        Tell(kUsageText, false);
        return kExitDone;
    }
    // The outputs are checked before the window comes up: a refusal writes nothing.
    if (!options.figuresFile.empty())
        error = CheckFiguresFile(options.figuresFile);
    if (options.tour)
        error = CheckTourFolder(options.tourDir);
    if (!error.empty()) {
        Tell(L"terrainview: " + error + L"\n", true);
        return kExitRefused;
    }

    TerrainViewer viewer;
    if (options.tour) {
        viewer.SetLogger(&TourLog);
        viewer.SetStartAction([dir = options.tourDir](TerrainViewer& v) { return RunTour(v, dir); });
    } else if (options.crackCheck) {
        viewer.SetLogger(&TourLog);
        viewer.SetStartAction([own = !options.gridPath.empty()](TerrainViewer& v) { return RunCrackCheck(v, own); });
    } else if (options.bench) {
        viewer.SetLogger(&TourLog);
        viewer.SetStartAction([file = options.figuresFile](TerrainViewer& v) { return RunBenchmark(v, file); });
    }
    if (!viewer.Create(instance, options, showCommand))
        return kExitFailed;
    return viewer.Run();
}
