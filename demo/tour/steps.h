// The tour's parts: its log, its driver (the shared UI driver of support/ with the tour's own
// actions), its checks on the view, and its steps, one file per group.
//   tour::ModalRun, tour::Driver, tour::RunModal, tour::View, tour::Tour (tour::Probe: probe.h).
//
//   log.cpp        tour_log.txt and TourLog
//   driver.cpp     the library call on this thread, its script on a driver thread (support/uidriver.h)
//   checks.cpp     pictures of the view, the checks every step ends with
//   probe.cpp      what the tour and the benchmark read inside the viewer (probe.h)
//   layering.cpp   高程分层设色: a table, then custom layers
//   model.cpp      模型参数设置 and the view's own controls
//   texture.cpp    选择纹理文件, 纹理参数设置
//   playback.cpp   录制并播放
//   ramps.cpp      导入色带, 导出色带, 粘贴色带
//   terrain.cpp    an elevation model across sea level, true scale and exaggerated
//   tour.cpp       the order of the steps (RunTour)
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "demo/tour.h"
#include "demo/tour/probe.h"
#include "demo/viewer.h"
#include "support/uidriver.h"

namespace tour {

// ---- the log (log.cpp) ----
bool OpenLog(const std::wstring& path);   // writes what was logged before it opened
void CloseLog();
void MakeDirs(const std::wstring& dir);

// ---- the driver (driver.cpp) ----

// Bound of every wait of a step's script, in milliseconds: generous, as a dialog may fill a long
// list on a busy machine.
const DWORD kWaitMs = 20000;

// What a dialog step got: the export's result, whether its window came up, whether its script failed.
struct ModalRun {
    int result = 0;
    bool sawWindow = false;
    bool scriptFailed = false;
};

// What a step's script does beyond the shared driver's context: the dialog of the library call,
// pictures into the tour's folder, the few actions the tour makes its own way. Driver thread.
class Driver {
public:
    Driver(ui::Ctx& ctx, TerrainViewer& viewer, const std::wstring& dir, bool* sawWindow)
        : c(ctx), viewer_(&viewer), dir_(dir), sawWindow_(sawWindow) {}

    ui::Ctx& c;   // finding, reading, typing, clicking (fails the script on a fault)

    // A visible top-level window of the user-interface thread with this caption; null when none
    // comes within the bound or the library call has returned without one ("not done").
    HWND WaitDialog(const wchar_t* caption);
    // WaitDialog, then the window left settleMs to finish painting: the start of every step.
    HWND OpenDialog(const wchar_t* caption, DWORD settleMs = 300);
    // A dialog-class window of the user-interface thread that is not in `known`.
    HWND WaitNewDialog(const std::vector<HWND>& known);
    // A visible descendant of this window class.
    HWND Descendant(HWND parent, const wchar_t* cls);
    // The index of a combo box entry; CB_ERR when there is none.
    int ComboFind(HWND combo, const wchar_t* text);
    // A double-click in a cell of a report list, as the mouse delivers it.
    void DoubleClickCell(HWND list, int row, int column);
    // A picture of a window as it is on screen now (tour folder, NAME.png; logged).
    void Shot(HWND hwnd, const wchar_t* name);
    // A picture of the main window, the terrain rendered anew by the user-interface thread.
    void ViewShot(const wchar_t* name);
    // Ends the script with a failure in the tour's words.
    [[noreturn]] void Fail(const std::wstring& what);

private:
    TerrainViewer* viewer_;   // touched on the user-interface thread only (Ctx::RunOnUi)
    std::wstring dir_;
    bool* sawWindow_;
};

// Makes `call` (a library call that runs a modal window) on this thread while `script` runs on a
// driver thread; every wait is bounded by timeoutMs. A script that fails is logged, and the
// driver closes the remaining windows innermost first, so the tour never hangs.
ModalRun RunModal(TerrainViewer& viewer, const std::wstring& dir, const std::function<void(Driver&)>& script,
                  const std::function<int()>& call, DWORD timeoutMs = kWaitMs);

// ---- checks (checks.cpp) ----

struct View {
    std::vector<uint8_t> flat;     // layer colours only, on kFlatBackground
    std::vector<uint8_t> shaded;   // as the user sees it
    int w = 0, h = 0;
};

View TakeView(TerrainViewer& viewer);
// The layering reached the screen: every terrain pixel of the flat view is a colour of the new
// layers, and the picture the user sees changed.
bool CheckLayering(TerrainViewer& viewer, const View& before, const View& after, const wchar_t* what);
// Share of the view's pixels that differ between two pictures.
double ChangedShare(const View& before, const View& after);
// The vertical extent of the drawn surface, in frame units.
float ReliefInFrame(const TerrainMesh& mesh);

// ---- the steps ----

struct Tour {
    TerrainViewer& viewer;
    std::wstring dir;
    int failures = 0;
    int notDone = 0;
    std::wstring coastPath;        // the elevation steps' grid
    float reliefAtTrueScale = 0.0f;
    View coastView;
    Probe probe{viewer};           // what the steps read inside the viewer

    // checks.cpp
    std::wstring Path(const wchar_t* name) const { return dir + L"\\" + name + L".png"; }
    void Picture(const wchar_t* name);
    void Failure(const std::wstring& what);
    // Common end of a step: "not done" when the export answered without a window.
    bool Ran(const ModalRun& run, const wchar_t* exportName);
    // The tail every dialog step shares: the export's result logged and checked against `wanted`
    // (else the failure `otherwise`), then the view taken anew and its picture saved. False when
    // the result was not the one wanted.
    bool ViewAfter(const ModalRun& run, const wchar_t* exportName, int wanted, const wchar_t* otherwise,
                   const wchar_t* picture, View* after);
    // The view changed in more than a fifth of its pixels (else the failure `otherwise`).
    void CheckChanged(const View& before, const View& after, const wchar_t* what, const wchar_t* otherwise);

    // layering.cpp
    void HeightColorTable();
    void HeightColorCustom();
    // model.cpp
    void ModelSheet();
    void ViewControls();
    void StartupSky();
    // texture.cpp
    void TextureFile();
    void TextureParameters();
    // playback.cpp
    void RecordAndPlay();
    // ramps.cpp
    void RampImportExport();
    void RampPaste();
    // terrain.cpp
    void DemSeaLevel();
    void DemExaggerated();
    void RemoveCoast();
};

}  // namespace tour
