// The scripted tour of terrainview: every dialog of the library through a realistic change, in
// this order (the steps: demo/tour/steps.h).
#include "demo/tour/steps.h"

#include "demo/wintext.h"

int RunTour(TerrainViewer& viewer, const std::wstring& outDir)
{
    wchar_t full[MAX_PATH];
    const DWORD n = GetFullPathNameW(outDir.c_str(), MAX_PATH, full, nullptr);
    const std::wstring dir = n > 0 && n < MAX_PATH ? std::wstring(full) : outDir;
    tour::MakeDirs(dir);
    if (!tour::OpenLog(dir + L"\\tour_log.txt"))
        TourLog(L"无法写入 " + dir + L"\\tour_log.txt");
    TourLog(L"terrainview 演示: Oroscape.dll 的每个对话框");
    Pump(800);   // the window shows its first frame

    tour::Tour tour{viewer, dir, 0, 0, std::wstring(), 0.0f, tour::View()};
    TourLog(L"[开始] 色表 terrain 分层");
    tour.Picture(L"tour_01_viewer");
    tour.HeightColorTable();
    tour.HeightColorCustom();
    tour.ModelSheet();
    tour.ViewControls();
    tour.TextureFile();
    tour.TextureParameters();
    tour.RecordAndPlay();
    tour.RampImportExport();
    tour.DemSeaLevel();
    tour.DemExaggerated();
    tour.RampPaste();

    TourLog(Format(L"[结束] 失败 %d 项, 尚未完成的导出 %d 项: %ls", tour.failures, tour.notDone,
                   tour.failures == 0 ? L"演示成功" : L"演示失败"));
    tour::CloseLog();
    return tour.failures == 0 ? 0 : 1;
}
