// terrainview.exe: a terrain viewer that hosts Oroscape.dll.
//
//   terrainview [GRID.asc]          opens the grid (default: sample.asc beside the program)
//   terrainview --tour OUTDIR       drives every dialog of the library once, writing pictures
//                                   and tour_log.txt into OUTDIR; exit code 0 when all went well
//   terrainview --bench [FILE]      prints frame rate and Apply-to-frame figures (and writes
//                                   them to FILE)
//   terrainview --crack-check       renders a large tile from above and exits 0 when no
//                                   background shows through the surface
// A grid named with --tour or --bench that cannot be opened ends the program with exit code 1.
#include <windows.h>

#include <shellapi.h>

#include <string>

#include "demo/tour.h"
#include "demo/viewer.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    TerrainViewer::Options options;
    bool crackCheck = false;
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 1; argv && i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--tour" && i + 1 < argc) {
            options.tour = true;
            options.tourDir = argv[++i];
        } else if (arg == L"--crack-check") {
            options.bench = true;
            crackCheck = true;
        } else if (arg == L"--bench") {
            options.bench = true;
            if (i + 1 < argc && argv[i + 1][0] != L'-')
                options.benchFile = argv[++i];
        } else {
            options.gridPath = arg;
        }
    }
    if (argv)
        LocalFree(argv);

    TerrainViewer viewer;
    if (options.tour) {
        viewer.SetLogger(&TourLog);
        viewer.SetStartAction([dir = options.tourDir](TerrainViewer& v) { return RunTour(v, dir); });
    } else if (crackCheck) {
        viewer.SetLogger(&TourLog);
        viewer.SetStartAction([](TerrainViewer& v) { return RunCrackCheck(v); });
    } else if (options.bench) {
        viewer.SetLogger(&TourLog);
        viewer.SetStartAction([file = options.benchFile](TerrainViewer& v) { return RunBenchmark(v, file); });
    }
    if (!viewer.Create(instance, options, showCommand))
        return 1;
    return viewer.Run();
}
