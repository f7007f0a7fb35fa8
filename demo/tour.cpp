// The scripted tour and the benchmark of terrainview.
#include "demo/tour.h"

#include <windows.h>

#include <GL/glu.h>
#include <commctrl.h>
#include <prsht.h>
#include <psapi.h>
#include <process.h>
#include <vfw.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "demo/commandline.h"
#include "demo/fileboxmemory.h"
#include "demo/terrainview_res.h"
#include "demo/viewcheck.h"
#include "demo/viewer.h"
#include "demo/wintext.h"
#include "ramps/ramp.h"
#include "support/capture.h"

namespace {

// ---- the log ---------------------------------------------------------------------------------

std::mutex g_logLock;
std::vector<std::wstring> g_pending;   // lines written before the file is open
HANDLE g_logFile = INVALID_HANDLE_VALUE;

void WriteLine(const std::wstring& line)
{
    const std::string text = Utf8(line) + "\n";
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
    if (g_logFile != INVALID_HANDLE_VALUE) {
        DWORD written;
        WriteFile(g_logFile, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    } else {
        g_pending.push_back(line);
    }
}

bool OpenLog(const std::wstring& path)
{
    std::lock_guard<std::mutex> lock(g_logLock);
    g_logFile = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    if (g_logFile == INVALID_HANDLE_VALUE)
        return false;
    // The first line tells a later tour that this file is its own to replace.
    const std::string marker = std::string(kTourLogMarker) + "\n";
    DWORD markerWritten;
    WriteFile(g_logFile, marker.data(), static_cast<DWORD>(marker.size()), &markerWritten, nullptr);
    std::vector<std::wstring> pending;
    pending.swap(g_pending);
    for (const std::wstring& line : pending) {
        const std::string text = Utf8(line) + "\n";
        DWORD written;
        WriteFile(g_logFile, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
    return true;
}

void CloseLog()
{
    std::lock_guard<std::mutex> lock(g_logLock);
    if (g_logFile != INVALID_HANDLE_VALUE)
        CloseHandle(g_logFile);
    g_logFile = INVALID_HANDLE_VALUE;
}

void MakeDirs(const std::wstring& dir)
{
    for (size_t i = 0; i <= dir.size(); ++i)
        if (i == dir.size() || dir[i] == L'\\' || dir[i] == L'/')
            if (i > 0 && dir[i - 1] != L':')
                CreateDirectoryW(dir.substr(0, i).c_str(), nullptr);
}

// Lets the user-interface thread handle what is queued, for about ms milliseconds.
void Pump(DWORD ms)
{
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount() - start < ms);
}

// ---- the driver ------------------------------------------------------------------------------

const DWORD kWaitWindowMs = 20000;
const DWORD kSendTimeoutMs = 20000;   // generous: a dialog may fill a long list on a busy machine

// Acts on the library's windows from the driver thread, like a user: finds windows by caption,
// types into edits, clicks buttons, picks list entries, takes pictures. Every wait is bounded;
// a step that cannot do its job records the failure and returns false, and the script gives up.
class Driver {
public:
    Driver(DWORD uiThread, HWND main, const std::wstring& dir, const std::atomic<bool>& callDone)
        : uiThread_(uiThread), main_(main), dir_(dir), callDone_(callDone) {}

    bool Failed() const { return failed_; }
    bool SawWindow() const { return sawWindow_; }
    void Fail(const std::wstring& what)
    {
        if (!failed_)
            TourLog(L"  失败: " + what);
        failed_ = true;
    }

    static std::wstring Caption(HWND hwnd)
    {
        wchar_t text[256] = L"";
        InternalGetWindowText(hwnd, text, 256);   // no message: never blocks
        return text;
    }
    static std::wstring Class(HWND hwnd)
    {
        wchar_t name[64] = L"";
        GetClassNameW(hwnd, name, 64);
        return name;
    }

    std::vector<HWND> TopWindows() const
    {
        std::vector<HWND> found;
        EnumThreadWindows(uiThread_, CollectVisible, reinterpret_cast<LPARAM>(&found));
        return found;
    }

    // A visible top-level window of the user-interface thread with this caption; null when
    // none comes within the bound or the library call has already returned without one.
    HWND WaitWindow(const wchar_t* caption, DWORD ms = kWaitWindowMs)
    {
        const DWORD start = GetTickCount();
        for (;;) {
            for (HWND h : TopWindows())
                if (Caption(h) == caption) {
                    sawWindow_ = true;
                    return h;
                }
            if (callDone_ || GetTickCount() - start > ms)
                return nullptr;
            Sleep(50);
        }
    }

    // A dialog-class window of the user-interface thread that is not in `known`.
    HWND WaitNewDialog(const std::vector<HWND>& known, DWORD ms = kWaitWindowMs)
    {
        const DWORD start = GetTickCount();
        for (;;) {
            for (HWND h : TopWindows())
                if (Class(h) == L"#32770" && std::find(known.begin(), known.end(), h) == known.end())
                    return h;
            if (callDone_ || GetTickCount() - start > ms) {
                Fail(L"新的对话框没有出现");
                return nullptr;
            }
            Sleep(50);
        }
    }

    bool WaitGone(HWND hwnd, DWORD ms = kWaitWindowMs)
    {
        const DWORD start = GetTickCount();
        while (IsWindow(hwnd) && IsWindowVisible(hwnd)) {
            if (GetTickCount() - start > ms) {
                Fail(L"窗口 \"" + Caption(hwnd) + L"\" 没有关闭");
                return false;
            }
            Sleep(50);
        }
        return true;
    }

    bool WaitFor(const std::function<bool()>& condition, const std::wstring& what, DWORD ms = kWaitWindowMs)
    {
        const DWORD start = GetTickCount();
        while (!condition()) {
            if (GetTickCount() - start > ms) {
                Fail(what);
                return false;
            }
            Sleep(50);
        }
        return true;
    }

    // A control by id: a direct child, else any descendant (a page of a sheet).
    HWND Item(HWND parent, int id)
    {
        HWND found = parent ? GetDlgItem(parent, id) : nullptr;
        if (!found && parent) {
            Search search = {id, nullptr, nullptr};
            EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
            found = search.hit;
        }
        if (!found)
            Fail(Format(L"找不到控件 %d", id));
        return found;
    }

    HWND Descendant(HWND parent, const wchar_t* cls)
    {
        Search search = {0, cls, nullptr};
        EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
        if (!search.hit)
            Fail(std::wstring(L"找不到 ") + cls);
        return search.hit;
    }

    // A message to a window of the user-interface thread, bounded. A message that carries a
    // pointer gives the block up on a timeout: the thread may still use it later.
    bool Send(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result = nullptr)
    {
        DWORD_PTR r = 0;
        if (!hwnd || !SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_NORMAL, kSendTimeoutMs, &r)) {
            Fail(Format(L"消息 0x%04X 没有得到处理", msg));
            return false;
        }
        if (result)
            *result = static_cast<LRESULT>(r);
        return true;
    }

    // Replaces an edit's text, which the edit reports with EN_CHANGE as typing does.
    bool SetText(HWND edit, const wchar_t* text)
    {
        if (!edit)
            return false;
        std::unique_ptr<std::wstring> copy(new std::wstring(text));
        if (!Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy->c_str()))) {
            copy.release();   // abandoned to the user-interface thread
            return false;
        }
        return true;
    }

    // A click as the button itself delivers it; refused, as for a user, when the button is
    // disabled or hidden.
    bool Click(HWND button)
    {
        if (!button)
            return false;
        if (!IsWindowEnabled(button) || !IsWindowVisible(button)) {
            Fail(L"按钮 \"" + Caption(button) + L"\" 不可用");
            return false;
        }
        PostMessageW(button, BM_CLICK, 0, 0);
        return true;
    }

    int ComboFind(HWND combo, const wchar_t* text)
    {
        std::unique_ptr<std::wstring> copy(new std::wstring(text));
        LRESULT r = CB_ERR;
        if (!Send(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(copy->c_str()), &r)) {
            copy.release();
            return CB_ERR;
        }
        return static_cast<int>(r);
    }

    // Selects an entry and tells the parent as a user's choice does.
    bool SelectCombo(HWND combo, int index)
    {
        LRESULT r = CB_ERR;
        if (!combo || !Send(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0, &r) || r != index) {
            Fail(Format(L"组合框无法选中第 %d 项", index));
            return false;
        }
        return Send(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                    reinterpret_cast<LPARAM>(combo));
    }

    // A double-click in a cell of a report list, as the mouse delivers it.
    bool DoubleClickCell(HWND list, int row, int column)
    {
        std::unique_ptr<RECT> cell(new RECT{LVIR_BOUNDS, column, 0, 0});
        LRESULT ok = 0;
        if (!Send(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(cell.get()), &ok)) {
            cell.release();
            return false;
        }
        if (!ok) {
            Fail(Format(L"表格没有第 %d 行第 %d 列", row, column));
            return false;
        }
        const LPARAM at = MAKELPARAM((cell->left + cell->right) / 2, (cell->top + cell->bottom) / 2);
        PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(list, WM_LBUTTONUP, 0, at);
        PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageW(list, WM_LBUTTONUP, 0, at);
        return true;
    }

    // Returns when the user-interface thread has handled what was posted to hwnd so far (or
    // runs a nested modal loop).
    void Settle(HWND hwnd, DWORD ms = 300)
    {
        DWORD_PTR r;
        SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &r);
        Sleep(ms);
    }

    // A picture of a window as it is on screen now.
    bool Shot(HWND hwnd, const wchar_t* name)
    {
        if (!hwnd)
            return false;
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        Settle(hwnd, 400);
        const ui::Image image = ui::CaptureWindow(hwnd, ui::Source::WindowDc);
        const std::wstring path = dir_ + L"\\" + name + L".png";
        if (image.empty() || !ui::WritePng(path, image)) {
            Fail(L"无法保存图片 " + path);
            return false;
        }
        TourLog(Format(L"  图片 %ls.png (%dx%d)", name, image.width, image.height));
        return true;
    }

    // A picture of the main window, the terrain rendered anew by the user-interface thread.
    bool ViewShot(const wchar_t* name)
    {
        auto* request = new ViewerSnapshot;
        request->path = dir_ + L"\\" + name + L".png";
        if (!Send(main_, WM_VIEWER_SNAPSHOT, 0, reinterpret_cast<LPARAM>(request)))
            return false;   // request abandoned
        const bool ok = request->written;
        delete request;
        if (!ok)
            Fail(std::wstring(L"无法保存图片 ") + name);
        else
            TourLog(Format(L"  图片 %ls.png", name));
        return ok;
    }

    // Closes the innermost window of the user-interface thread (a message box above a dialog
    // above the main window), as a user would with Cancel or the close box.
    void CloseInnermost()
    {
        std::vector<HWND> windows = TopWindows();
        for (HWND h : windows) {
            if (h == main_)
                continue;
            const bool ownsOther = std::any_of(windows.begin(), windows.end(),
                                               [&](HWND o) { return o != h && GetWindow(o, GW_OWNER) == h; });
            if (ownsOther)
                continue;
            HWND cancel = GetDlgItem(h, IDCANCEL);
            if (cancel && IsWindowEnabled(cancel))
                PostMessageW(h, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
            else
                PostMessageW(h, WM_CLOSE, 0, 0);
            TourLog(L"  关闭窗口 \"" + Caption(h) + L"\"");
            return;
        }
    }

private:
    // A visible descendant by id (cls null) or by class.
    struct Search {
        int id;
        const wchar_t* cls;
        HWND hit;
    };
    static BOOL CALLBACK MatchChild(HWND h, LPARAM lp)
    {
        Search* s = reinterpret_cast<Search*>(lp);
        if (!IsWindowVisible(h) || (s->cls ? Class(h) != s->cls : GetDlgCtrlID(h) != s->id))
            return TRUE;
        s->hit = h;
        return FALSE;
    }
    static BOOL CALLBACK CollectVisible(HWND h, LPARAM lp)
    {
        if (IsWindowVisible(h))
            reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
        return TRUE;
    }

    DWORD uiThread_;
    HWND main_;
    std::wstring dir_;
    const std::atomic<bool>& callDone_;
    bool failed_ = false;
    bool sawWindow_ = false;
};

// Makes `call` (a library call that runs a modal window) on this thread while `script` runs on
// a driver thread. When the script is over and the call has not returned within the bound, the
// driver closes the remaining windows innermost first, so the tour never hangs.
struct ModalRun {
    int result = 0;
    bool sawWindow = false;
    bool scriptFailed = false;
};

// The driver thread: runs the script, then closes what is left open when the call does not
// return within the bound.
template <class Shared>
unsigned __stdcall DriverThread(void* p)
{
    std::shared_ptr<Shared> s = *static_cast<std::shared_ptr<Shared>*>(p);
    delete static_cast<std::shared_ptr<Shared>*>(p);
    s->script(*s->driver);
    const DWORD bound = 10000 + s->extraWaitMs;
    DWORD start = GetTickCount();
    for (int attempt = 0; !s->callDone && attempt < 10;) {
        if (GetTickCount() - start > bound) {
            s->driver->Fail(L"对话框没有按预期结束");
            s->driver->CloseInnermost();
            ++attempt;
            start = GetTickCount() - bound + 1500;
        }
        Sleep(50);
    }
    return 0;
}

ModalRun RunModal(TerrainViewer& viewer, const std::wstring& dir, const std::function<void(Driver&)>& script,
                  const std::function<int()>& call, DWORD extraWaitMs = 0)
{
    struct Shared {
        std::atomic<bool> callDone{false};
        std::unique_ptr<Driver> driver;
        std::function<void(Driver&)> script;
        DWORD extraWaitMs;
    };
    auto shared = std::make_shared<Shared>();
    shared->driver.reset(new Driver(GetCurrentThreadId(), viewer.Window(), dir, shared->callDone));
    shared->script = script;
    shared->extraWaitMs = extraWaitMs;

    auto* arg = new std::shared_ptr<Shared>(shared);
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &DriverThread<Shared>, arg, 0, nullptr));

    ModalRun run;
    run.result = call();
    shared->callDone = true;
    if (thread) {
        const DWORD start = GetTickCount();
        while (MsgWaitForMultipleObjects(1, &thread, FALSE, 50, QS_ALLINPUT) != WAIT_OBJECT_0 &&
               GetTickCount() - start < 60000)
            Pump(0);
        CloseHandle(thread);
    } else {
        delete arg;
    }
    run.sawWindow = shared->driver->SawWindow();
    run.scriptFailed = shared->driver->Failed();
    return run;
}

// ---- checks ----------------------------------------------------------------------------------

struct View {
    std::vector<uint8_t> flat;     // layer colours only, on kFlatBackground
    std::vector<uint8_t> shaded;   // as the user sees it
    int w = 0, h = 0;
};

View TakeView(TerrainViewer& viewer)
{
    View v;
    viewer.RenderOffscreen(RenderMode::Flat, &v.flat, &v.w, &v.h);
    viewer.RenderOffscreen(RenderMode::Shaded, &v.shaded, &v.w, &v.h);
    viewer.RenderNow();
    return v;
}

// The layering reached the screen: every terrain pixel of the flat view is a colour of the
// new layers, and the picture the user sees changed.
bool CheckLayering(TerrainViewer& viewer, const View& before, const View& after, const wchar_t* what)
{
    const PaletteMatch m = MatchPalette(after.flat.data(), after.w, after.h, kFlatBackground, viewer.LayerPalette(), 2);
    size_t covered = 0;
    const size_t changed = before.w == after.w && before.h == after.h
                               ? CountChangedPixels(before.flat.data(), after.flat.data(), after.w, after.h,
                                                    kFlatBackground, 8, &covered)
                               : 0;
    const double changedShare = covered ? static_cast<double>(changed) / covered : 0.0;
    const bool ok = m.covered > 1000 && m.Fraction() >= 0.98 && changedShare >= 0.10;
    TourLog(Format(L"  核对%ls: 地形像素 %zu, 属于新分层颜色 %.1f%%, 与之前不同 %.1f%% -> %ls", what, m.covered,
                   100.0 * m.Fraction(), 100.0 * changedShare, ok ? L"通过" : L"未通过"));
    return ok;
}

// Share of the view's pixels (RGBA, bottom row first) that differ between two pictures.
double ChangedShare(const View& before, const View& after)
{
    if (before.w != after.w || before.h != after.h || before.shaded.empty())
        return 0.0;
    size_t changed = 0;
    const size_t n = static_cast<size_t>(after.w) * after.h;
    for (size_t i = 0; i < n; ++i)
        for (int k = 0; k < 3; ++k)
            if (std::abs(before.shaded[i * 4 + k] - after.shaded[i * 4 + k]) > 8) {
                ++changed;
                break;
            }
    return static_cast<double>(changed) / n;
}

// ---- a coast for the elevation steps ----------------------------------------------------------

// Writes coast.asc and coast.prj (a plane in metres) into a new folder of the temporary folder: 12 by
// 9 km in 50 m cells, a sea floor down to about -320 m in the west, the coast winding north to
// south, hills up to about 1,000 m in the east. Returns the grid's path, empty on failure.
std::wstring WriteCoastGrid()
{
    const std::wstring dir = MakeScratchFolder();
    if (dir.empty())
        return std::wstring();
    const int cols = 241, rows = 181;
    const double cell = 50.0;
    std::string text = "ncols 241\nnrows 181\nxllcorner 500000\nyllcorner 4400000\ncellsize 50\nNODATA_value -9999\n";
    char value[32];
    for (int r = 0; r < rows; ++r) {
        const double y = (rows - 1 - r) * cell / 1000.0;   // km north of the southern edge
        const double coast = 4.8 + 1.0 * std::sin(y * 0.9) + 0.5 * std::sin(y * 2.3);
        for (int c = 0; c < cols; ++c) {
            const double x = c * cell / 1000.0;
            const double d = x - coast;   // km east of the shore line
            const double h = d < 0.0 ? -320.0 * (1.0 - std::exp(d / 1.6))
                                     : 950.0 * (1.0 - std::exp(-d / 2.8)) +
                                           140.0 * std::sin(x * 1.4 + 0.5) * std::cos(y * 1.2) * (1.0 - std::exp(-d / 0.8));
            std::snprintf(value, sizeof value, c + 1 < cols ? "%.1f " : "%.1f\n", h);
            text += value;
        }
    }
    const char prj[] = "PROJCS[\"WGS 84 / UTM zone 50N\",GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\",6378137,"
                       "298.257223563]],PRIMEM[\"Greenwich\",0],UNIT[\"degree\",0.0174532925199433]],PROJECTION["
                       "\"Transverse_Mercator\"],PARAMETER[\"central_meridian\",117],PARAMETER[\"scale_factor\",0.9996],"
                       "PARAMETER[\"false_easting\",500000],UNIT[\"metre\",1]]\n";
    auto write = [](const std::wstring& path, const char* data, size_t size) {
        HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f == INVALID_HANDLE_VALUE)
            return false;
        DWORD written = 0;
        const bool ok = WriteFile(f, data, static_cast<DWORD>(size), &written, nullptr) && written == size;
        CloseHandle(f);
        return ok;
    };
    const std::wstring grid = dir + L"\\coast.asc";
    if (!write(grid, text.data(), text.size()) || !write(dir + L"\\coast.prj", prj, sizeof prj - 1)) {
        DeleteFileW(grid.c_str());
        DeleteFileW((dir + L"\\coast.prj").c_str());
        RemoveDirectoryW(dir.c_str());
        return std::wstring();
    }
    return grid;
}

// The vertical extent of the drawn surface, in frame units.
float ReliefInFrame(const TerrainMesh& mesh)
{
    float lo = 0.0f, hi = 0.0f;
    const size_t n = static_cast<size_t>(mesh.cols) * mesh.rows;
    for (size_t v = 0; v < n; ++v) {
        const float y = mesh.positions[v * 3 + 1];
        lo = v == 0 ? y : std::min(lo, y);
        hi = v == 0 ? y : std::max(hi, y);
    }
    return hi - lo;
}

// ---- the steps -------------------------------------------------------------------------------

struct Tour {
    TerrainViewer& viewer;
    std::wstring dir;
    int failures = 0;
    int notDone = 0;
    std::wstring coastPath;        // the elevation steps' grid
    float reliefAtTrueScale = 0.0f;
    View coastView;

    std::wstring Path(const wchar_t* name) const { return dir + L"\\" + name + L".png"; }

    void Picture(const wchar_t* name)
    {
        if (viewer.SaveWindowPicture(Path(name)))
            TourLog(Format(L"  图片 %ls.png", name));
        else
            Failure(std::wstring(L"无法保存图片 ") + name);
    }
    void Failure(const std::wstring& what)
    {
        TourLog(L"  失败: " + what);
        ++failures;
    }
    // Common end of a step: "not done" when the export answered without a window.
    bool Ran(const ModalRun& run, const wchar_t* exportName)
    {
        if (!run.sawWindow) {
            TourLog(Format(L"  %ls 返回 %d, 没有出现对话框: 尚未完成, 跳过。", exportName, run.result));
            ++notDone;
            return false;
        }
        if (run.scriptFailed)
            ++failures;
        return true;
    }

    void HeightColorTable()
    {
        TourLog(L"[高程分层设色] 换用色表 arid");
        const View before = TakeView(viewer);
        const ModalRun run = RunModal(viewer, dir, [](Driver& d) {
            HWND dlg = d.WaitWindow(L"高程分层设色设置");
            if (!dlg)
                return;
            d.Settle(dlg);
            d.Shot(dlg, L"tour_02_heightcolor_terrain");
            HWND combo = d.Item(dlg, 4007);
            const int arid = combo ? d.ComboFind(combo, L"arid") : CB_ERR;
            if (arid == CB_ERR) {
                d.Fail(L"色表列表中没有 arid");
            } else if (d.SelectCombo(combo, arid)) {
                d.Settle(dlg, 500);
                d.Shot(dlg, L"tour_03_heightcolor_arid");
            }
            d.Click(d.Item(dlg, IDOK));
        }, [&] { return viewer.EditHeightColors(); });
        if (!Ran(run, L"_SetHeightColorDlg"))
            return;
        TourLog(Format(L"  _SetHeightColorDlg 返回 %d", run.result));
        if (run.result != IDOK)
            return Failure(L"对话框没有以确定结束");
        const View after = TakeView(viewer);
        Picture(L"tour_04_viewer_arid");
        if (!CheckLayering(viewer, before, after, L"色表 arid"))
            Failure(L"地形没有使用新的分层颜色");
    }

    void HeightColorCustom()
    {
        TourLog(L"[高程分层设色] 自定义 6 层, 首尾取色后连续色调渐变");
        const View before = TakeView(viewer);
        const ModalRun run = RunModal(viewer, dir, [](Driver& d) {
            HWND dlg = d.WaitWindow(L"高程分层设色设置");
            if (!dlg)
                return;
            d.Settle(dlg);
            // "自定义分层": a record of fewer than 256 layers opens in custom mode already, and
            // entering custom mode anew is what spreads six fresh layers.
            HWND custom = d.Item(dlg, 4010);
            LRESULT checked = BST_UNCHECKED;
            if (!custom || !d.Send(custom, BM_GETCHECK, 0, 0, &checked))
                return;
            if (checked == BST_CHECKED) {
                if (!d.Click(custom))
                    return;
                d.Settle(dlg, 400);
            }
            if (!d.Click(custom))
                return;
            d.Settle(dlg, 400);
            HWND list = d.Item(dlg, 4006);
            LRESULT rows = 0;
            if (!list || !d.Send(list, LVM_GETITEMCOUNT, 0, 0, &rows) || rows != 6)
                return d.Fail(Format(L"自定义分层应有 6 行, 实际 %d 行", static_cast<int>(rows)));
            // Colours for the lowest and the highest layer through the colour dialog.
            const struct { int row; const wchar_t* r; const wchar_t* g; const wchar_t* b; const wchar_t* shot; } picks[] = {
                {0, L"28", L"84", L"52", L"tour_05_color_dialog"},
                {5, L"250", L"246", L"236", nullptr},
            };
            for (const auto& pick : picks) {
                if (!d.DoubleClickCell(list, pick.row, 3))
                    return;
                HWND colour = d.WaitNewDialog({dlg});
                if (!colour)
                    return;
                d.Settle(colour);
                if (!d.SetText(d.Item(colour, 706), pick.r) || !d.SetText(d.Item(colour, 707), pick.g) ||
                    !d.SetText(d.Item(colour, 708), pick.b))
                    return;
                if (pick.shot) {
                    d.Settle(colour, 300);
                    d.Shot(colour, pick.shot);
                }
                d.Click(d.Item(colour, IDOK));
                if (!d.WaitGone(colour))
                    return;
                d.Settle(dlg);
            }
            d.Click(d.Item(dlg, 4002));   // "应用": blend between the picked layers
            d.Settle(dlg, 500);
            d.Shot(dlg, L"tour_06_heightcolor_custom");
            d.Click(d.Item(dlg, IDOK));
        }, [&] { return viewer.EditHeightColors(); });
        if (!Ran(run, L"_SetHeightColorDlg"))
            return;
        TourLog(Format(L"  _SetHeightColorDlg 返回 %d", run.result));
        if (run.result != IDOK)
            return Failure(L"对话框没有以确定结束");
        const View after = TakeView(viewer);
        Picture(L"tour_07_viewer_custom");
        const std::vector<Rgb8> palette = viewer.LayerPalette();
        std::wstring colours;
        for (const Rgb8& c : palette)
            colours += Format(L" (%d,%d,%d)", c.r, c.g, c.b);
        TourLog(L"  分层颜色:" + colours);
        if (palette.size() != 6 || palette.front().g != 84 || palette.back().r != 250)
            Failure(L"分层颜色不是所选的首尾颜色及其渐变");
        if (!CheckLayering(viewer, before, after, L"自定义分层"))
            Failure(L"地形没有使用新的分层颜色");
    }

    void ModelSheet()
    {
        TourLog(L"[模型参数设置] 光源、材质、雾");
        if (!viewer.HasModelSheet()) {
            TourLog(L"  _CreateModelDialog 没有给出模型参数表: 尚未完成, 跳过。");
            ++notDone;
            return;
        }
        const int appliesBefore = viewer.ApplyCount();
        std::vector<std::wstring> applies;
        const ModalRun run = RunModal(viewer, dir, [](Driver& d) {
            HWND sheet = d.WaitWindow(L"模型参数设置");
            if (!sheet)
                return;
            d.Settle(sheet);
            // Light page: a warm sun and a deeper sky.
            const struct { int id; const wchar_t* text; } light[] = {
                {1004, L"255"}, {1005, L"236"}, {1006, L"200"}, {1013, L"92"}, {1014, L"138"}, {1015, L"198"}};
            for (const auto& f : light)
                if (!d.SetText(d.Item(sheet, f.id), f.text))
                    return;
            d.Shot(sheet, L"tour_08_model_light");
            HWND apply = d.Item(sheet, 0x3021);
            if (!d.Click(apply) || !d.WaitFor([&] { return !IsWindowEnabled(apply); }, L"应用按钮没有恢复为不可用"))
                return;
            d.ViewShot(L"tour_09_viewer_light_applied");
            // Material page: a brighter specular highlight.
            d.Send(sheet, PSM_SETCURSEL, 1, 0);
            d.Settle(sheet);
            const struct { int id; const wchar_t* text; } material[] = {
                {2007, L"210"}, {2008, L"210"}, {2009, L"200"}, {2013, L"40"}};
            for (const auto& f : material)
                if (!d.SetText(d.Item(sheet, f.id), f.text))
                    return;
            d.Shot(sheet, L"tour_10_model_material");
            // Fog page: a light haze over the valley.
            d.Send(sheet, PSM_SETCURSEL, 2, 0);
            d.Settle(sheet);
            const struct { int id; const wchar_t* text; } fog[] = {
                {3001, L"214"}, {3002, L"222"}, {3003, L"236"}, {3004, L"0.22"}};
            for (const auto& f : fog)
                if (!d.SetText(d.Item(sheet, f.id), f.text))
                    return;
            d.Click(d.Item(sheet, 2035));   // "环境光和漫反射光"
            d.Settle(sheet);
            d.Shot(sheet, L"tour_11_model_fog");
            if (!d.Click(apply) || !d.WaitFor([&] { return !IsWindowEnabled(apply); }, L"应用按钮没有恢复为不可用"))
                return;
            d.ViewShot(L"tour_12_viewer_fog_applied");
            d.Click(d.Item(sheet, IDOK));
        }, [&] { return viewer.EditModelParameters() ? 1 : 0; });
        if (!Ran(run, L"_ShowModelDialog"))
            return;
        const SceneLook& look = viewer.Look();
        TourLog(Format(L"  WM_MODEL_APPLY %d 次, 最后一次 0x%04X, 重绘 %.1f 毫秒", viewer.ApplyCount() - appliesBefore,
                       viewer.LastApplyMask(), viewer.LastApplyMs()));
        TourLog(Format(L"  漫反射光 (%d,%d,%d) 背景色 (%d,%d,%d) 镜面指数 %d 材质模式 %d 雾 (%d,%d,%d) 浓度 %.2f",
                       look.lightDiffuse.r, look.lightDiffuse.g, look.lightDiffuse.b, look.backColor.r,
                       look.backColor.g, look.backColor.b, look.shininess, look.matMode, look.fogColor.r,
                       look.fogColor.g, look.fogColor.b, look.fogDensity));
        if (viewer.ApplyCount() - appliesBefore < 2)
            Failure(L"应用按钮没有两次通知宿主");
        const unsigned wanted = MCF_MAT_SPECULAR | MCF_MAT_SHININESS | MCF_FOG_COLOR | MCF_FOG_DENSITY;
        if ((viewer.LastApplyMask() & wanted) != wanted)
            Failure(Format(L"第二次应用的变化位 0x%04X 缺少 0x%04X", viewer.LastApplyMask(), wanted));
        // The sky of the view is the background colour the sheet applied.
        View view = TakeView(viewer);
        const uint8_t* sky = &view.shaded[(static_cast<size_t>(view.h - 2) * view.w + 2) * 4];
        const bool skyOk = sky[0] == 92 && sky[1] == 138 && sky[2] == 198;
        TourLog(Format(L"  核对背景色: 视图左上角 (%d,%d,%d) -> %ls", sky[0], sky[1], sky[2], skyOk ? L"通过" : L"未通过"));
        if (!skyOk || look.fogDensity < 0.2f || look.fogDensity > 0.24f)
            Failure(L"视图没有使用模型参数表的新值");
        Picture(L"tour_13_viewer_model");
    }

    // The view's own controls, through the messages the mouse and the menu send.
    void ViewControls()
    {
        TourLog(L"[视图] 滚轮拉近, 拖动旋转, 显示网格线");
        HWND w = viewer.Window();
        const OrbitCamera before = viewer.Camera();
        SendMessageW(w, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(480, 360));
        SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 300));
        SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(330, 310));
        SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(360, 320));
        SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(360, 320));
        SendMessageW(w, WM_COMMAND, MAKEWPARAM(IDM_WIRE, 0), 0);
        Pump(200);
        const OrbitCamera& after = viewer.Camera();
        const bool ok = after.distance < before.distance && std::fabs(after.yaw - before.yaw - 24.0f) < 0.01f &&
                        std::fabs(after.pitch - before.pitch - 6.0f) < 0.01f;
        TourLog(Format(L"  视角: 方位 %.1f -> %.1f, 俯仰 %.1f -> %.1f, 距离 %.2f -> %.2f -> %ls", before.yaw, after.yaw,
                       before.pitch, after.pitch, before.distance, after.distance, ok ? L"通过" : L"未通过"));
        if (!ok)
            Failure(L"鼠标没有按预期转动或拉近视角");
        Picture(L"tour_14_viewer_grid");
        SendMessageW(w, WM_COMMAND, MAKEWPARAM(IDM_WIRE, 0), 0);
    }

    void TextureFile()
    {
        TourLog(L"[选择纹理文件] sample_texture.bmp");
        const View before = TakeView(viewer);
        const ModalRun run = RunModal(viewer, dir, [](Driver& d) {
            HWND dlg = d.WaitWindow(L"请选择纹理数据(大小不超过256*256)");
            if (!dlg)
                return;
            d.Settle(dlg, 600);
            // Select the picture in the file list, as a click does: the preview follows.
            HWND list = d.Descendant(dlg, WC_LISTVIEWW);
            if (!list)
                return;
            int item = -1;
            for (const wchar_t* name : {L"sample_texture.bmp", L"sample_texture"}) {
                std::unique_ptr<std::wstring> text(new std::wstring(name));
                std::unique_ptr<LVFINDINFOW> find(new LVFINDINFOW{LVFI_STRING, text->c_str(), 0, {0, 0}, 0});
                LRESULT r = -1;
                if (!d.Send(list, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(find.get()), &r)) {
                    text.release();
                    find.release();
                    return;
                }
                if (r >= 0) {
                    item = static_cast<int>(r);
                    break;
                }
            }
            if (item < 0)
                return d.Fail(L"文件列表中没有 sample_texture.bmp");
            std::unique_ptr<LVITEMW> state(new LVITEMW{});
            state->stateMask = state->state = LVIS_SELECTED | LVIS_FOCUSED;
            if (!d.Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(state.get()))) {
                state.release();
                return;
            }
            d.Settle(dlg, 800);
            d.Shot(dlg, L"tour_15_texture_file");
            d.Click(d.Item(dlg, IDOK));
        }, [&] { return viewer.ChooseTextureFile(); });
        if (!Ran(run, L"_SelectTextureFile"))
            return;
        TourLog(Format(L"  _SelectTextureFile 返回 %d", run.result));
        if (run.result != 1)
            return Failure(L"没有选中纹理文件");
        const View after = TakeView(viewer);
        Picture(L"tour_16_viewer_texture");
        const double changed = ChangedShare(before, after);
        TourLog(Format(L"  核对纹理: 视图像素变化 %.1f%% -> %ls", 100.0 * changed, changed > 0.2 ? L"通过" : L"未通过"));
        if (changed <= 0.2)
            Failure(L"纹理没有显示在地形上");
    }

    void TextureParameters()
    {
        TourLog(L"[纹理参数设置] 近红外假彩色 (波段 4,3,2)");
        const View before = TakeView(viewer);
        const ModalRun run = RunModal(viewer, dir, [](Driver& d) {
            HWND dlg = d.WaitWindow(L"纹理参数设置");
            if (!dlg)
                return;
            d.Settle(dlg);
            const struct { int id; int band; } picks[] = {{14046, 3}, {14047, 2}, {14048, 1}};
            for (const auto& p : picks)
                if (!d.SelectCombo(d.Item(dlg, p.id), p.band))
                    return;
            HWND formats = d.Item(dlg, 14061);
            int format = formats ? d.ComboFind(formats, L"RGB_S3TC_DXT1") : CB_ERR;
            if (format == CB_ERR && formats)
                format = d.ComboFind(formats, L"RGB8");
            if (format == CB_ERR)
                return d.Fail(L"格式列表中没有 RGB_S3TC_DXT1 或 RGB8");
            d.SelectCombo(formats, format);
            d.Settle(dlg);
            d.Shot(dlg, L"tour_17_texture_params");
            d.Click(d.Item(dlg, IDOK));
        }, [&] { return viewer.ChooseTextureParameters(); });
        if (!Ran(run, L"_SetTexParamDlg"))
            return;
        TourLog(Format(L"  _SetTexParamDlg 返回 %d", run.result));
        if (run.result != 1)
            return Failure(L"纹理参数设置没有以确认结束");
        const View after = TakeView(viewer);
        Picture(L"tour_18_viewer_false_colour");
        const double changed = ChangedShare(before, after);
        TourLog(Format(L"  核对假彩色纹理: 视图像素变化 %.1f%% -> %ls", 100.0 * changed, changed > 0.2 ? L"通过" : L"未通过"));
        if (changed <= 0.2)
            Failure(L"所选波段没有显示在地形上");
    }

    void RecordAndPlay()
    {
        TourLog(L"[录制并播放] 环绕一周的动画");
        const ModalRun run = RunModal(viewer, dir, [](Driver& d) {
            HWND player = d.WaitWindow(L"三维场景播放窗口", 60000);   // recording comes first
            if (!player)
                return;
            d.Settle(player, 500);
            // Playback starts only at the user's command: the play bar's Play button.
            HWND mci = d.Descendant(player, L"MCIWndClass");
            if (!mci)
                return;
            HWND play = FindWindowExW(mci, nullptr, L"Button", L"Play");
            if (play) {
                d.Click(play);
                d.Settle(player, 500);
            }
            LRESULT mode = 0;
            if (d.Send(mci, MCIWNDM_GETMODEW, 0, 0, &mode) && mode != MCI_MODE_PLAY) {
                // Wine's play bar ignores a click it did not see from the mouse; the window's
                // own play command is what the button would have sent.
                TourLog(L"  播放按钮没有开始播放, 改用 MCI_PLAY");
                d.Send(mci, MCI_PLAY, 0, 0);
            }
            d.Settle(player, 1500);
            LRESULT position = 0;
            d.Send(mci, MCIWNDM_GETPOSITIONW, 0, 0, &position);
            TourLog(Format(L"  播放到第 %d 帧", static_cast<int>(position)));
            d.Shot(player, L"tour_19_playback");
            if (position <= 0)
                d.Fail(L"视频没有播放");
            PostMessageW(player, WM_CLOSE, 0, 0);   // the caption's close box
            d.WaitGone(player);
        }, [&] { return viewer.RecordAndPlay(); }, 60000);
        if (!Ran(run, L"_PlayAVIWnd"))
            return;
        TourLog(Format(L"  _PlayAVIWnd 返回 %d", run.result));
        if (run.result != IDCANCEL)
            Failure(L"播放窗口没有以关闭按钮 (IDCANCEL) 结束");
    }

    // 导入色带 and 导出色带: a shipped ramp through the file box onto the terrain, its colours kept
    // as a table, the layering dialog on the imported layers, the layers out as a GMT palette.
    void RampImportExport()
    {
        const FileBoxMemory memory;   // the file boxes' folder memory left as it was
        TourLog(L"[导入色带] dist/ramps/srtm.txt 铺到地形的高程范围, 另存为色表");
        SendMessageW(viewer.Window(), WM_COMMAND, MAKEWPARAM(IDM_CLEAR_TEXTURE, 0), 0);   // layers unobscured
        StartupSky();   // and not paled by the model step's haze
        const std::wstring ramp = viewer.ShippedRampDir() + L"\\srtm.txt";
        const wchar_t* kTable = L"tour_srtm_sample";
        const std::string tablePath = TerrainViewer::TableFolder() + "\\HeightLut\\tour_srtm_sample.lut";
        DeleteFileA(tablePath.c_str());
        const View before = TakeView(viewer);
        // The name box of a file box: the edit inside cmb13 (1148).
        auto typeName = [](Driver& d, HWND box, const std::wstring& name) {
            HWND combo = d.Item(box, 1148);
            HWND edit = combo ? d.Descendant(combo, L"Edit") : nullptr;
            return edit && d.SetText(edit, name.c_str());
        };
        bool warnedRange = false;
        const ModalRun run = RunModal(viewer, dir, [&](Driver& d) {
            HWND box = d.WaitWindow(L"导入色带");
            if (!box)
                return;
            d.Settle(box, 500);
            if (!typeName(d, box, ramp) || !d.Click(d.Item(box, IDOK)) || !d.WaitGone(box))
                return;
            // The offer to keep the colours as a table says for which range it holds.
            HWND ask = d.WaitNewDialog({});
            if (!ask)
                return;
            d.Settle(ask);
            for (HWND c = GetWindow(ask, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
                warnedRange = warnedRange || Driver::Caption(c).find(L"只在高程范围") != std::wstring::npos;
            if (!d.Click(d.Item(ask, IDYES)) || !d.WaitGone(ask))
                return;
            HWND name = d.WaitWindow(L"另存为色表");
            if (!name)
                return;
            d.Settle(name);
            if (d.SetText(d.Item(name, IDC_TABLE_NAME), kTable))
                d.Click(d.Item(name, IDOK));
        }, [&] { return viewer.ImportRamp() ? 1 : 0; });
        if (!Ran(run, L"导入色带"))
            return;
        const HeightColorInfo& rec = viewer.Layering();
        TourLog(Format(L"  导入 %d 层, %.1f - %.1f, %ls", rec.nLayers, rec.fLimit[0][0],
                       rec.fLimit[rec.nLayers > 0 ? rec.nLayers - 1 : 0][1],
                       rec.szName[0] ? L"色表分层" : L"自定义分层 (色表名为空)"));
        if (run.result != 1 || rec.nLayers < 2 || rec.szName[0] != '\0')
            return Failure(L"色带没有作为自定义分层导入");
        if (!warnedRange)
            Failure(L"另存为色表的提问没有说明色表只在此高程范围重现画面");
        const View after = TakeView(viewer);
        Picture(L"tour_20_ramp_import");
        if (!CheckLayering(viewer, before, after, L"导入的色带"))
            Failure(L"地形没有使用导入的分层颜色");

        // The table, spread evenly over this range as the layering dialog spreads it, gives
        // every layer's middle nearly the colour the imported layers give it.
        LayerColor table[OROSCAPE_MAX_LAYERS];
        short count = 0;
        char name[64] = "tour_srtm_sample";
        if (_ReadColorTable(name, table, &count) != 1 || count != OROSCAPE_MAX_LAYERS) {
            Failure(L"色表 tour_srtm_sample 没有保存为 256 层");
        } else {
            const float lo = viewer.Mesh().lowest, hi = viewer.Mesh().highest;
            const std::vector<ColorLayer> layers = TerrainLayersOf(rec);
            int largest = 0;
            for (int i = 0; i < count; ++i) {
                const float mid = lo + (hi - lo) * (i + 0.5f) / count;
                const Rgb8 l = layers[LayerFor(layers.data(), static_cast<int>(layers.size()), mid)].color;
                const Rgb8 t = ToRgb8(table[i]);
                largest = std::max({largest, std::abs(t.r - l.r), std::abs(t.g - l.g), std::abs(t.b - l.b)});
            }
            TourLog(Format(L"  核对色表 %ls: 256 层铺在 %.1f - %.1f 上, 与导入分层最大色差 %d -> %ls", kTable, lo, hi,
                           largest, largest <= 8 ? L"通过" : L"未通过"));
            if (largest > 8)
                Failure(L"色表没有重现导入的画面");
        }
        DeleteFileA(tablePath.c_str());   // the build's HeightLut is shipped: leave nothing of the tour's there

        // The layering dialog opens on exactly the imported layers.
        TourLog(L"[导入色带] 高程分层设色对话框中的导入分层");
        const int imported = rec.nLayers;
        const ModalRun layersRun = RunModal(viewer, dir, [imported](Driver& d) {
            HWND dlg = d.WaitWindow(L"高程分层设色设置");
            if (!dlg)
                return;
            d.Settle(dlg, 500);
            LRESULT rows = 0;
            if (d.Send(d.Item(dlg, 4006), LVM_GETITEMCOUNT, 0, 0, &rows) && rows != imported)
                d.Fail(Format(L"分层列表有 %d 行, 导入的是 %d 层", static_cast<int>(rows), imported));
            d.Shot(dlg, L"tour_21_ramp_layers");
            d.Click(d.Item(dlg, IDCANCEL));
        }, [&] { return viewer.EditHeightColors(); });
        if (Ran(layersRun, L"_SetHeightColorDlg") && viewer.Layering().nLayers != imported)
            Failure(L"取消后分层没有保持导入的分层");

        // Out as a GMT palette, through the save box's filter, and read back.
        TourLog(L"[导出色带] 分层导出为 GMT 调色板");
        wchar_t temp[MAX_PATH] = L"";
        const DWORD t = GetTempPathW(MAX_PATH, temp);
        const std::wstring cpt = (t > 0 && t < MAX_PATH ? std::wstring(temp) : dir + L"\\") + L"tour_ramp_layers.cpt";
        DeleteFileW(cpt.c_str());
        const ModalRun out = RunModal(viewer, dir, [&](Driver& d) {
            HWND box = d.WaitWindow(L"导出色带");
            if (!box)
                return;
            d.Settle(box, 500);
            // cmb1, the file type: GMT 调色板. A choice made with the mouse ends with
            // CBN_SELENDOK as well, which is what the file box takes the type from.
            HWND type = d.Item(box, 1136);
            if (d.SelectCombo(type, 2) &&
                d.Send(box, WM_COMMAND, MAKEWPARAM(1136, CBN_SELENDOK), reinterpret_cast<LPARAM>(type)) &&
                typeName(d, box, cpt))
                d.Click(d.Item(box, IDOK));
        }, [&] { return viewer.ExportRamp() ? 1 : 0; });
        if (!Ran(out, L"导出色带"))
            return;
        std::string bytes;
        HANDLE f = CreateFileW(cpt.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (f != INVALID_HANDLE_VALUE) {
            char buf[65536];
            DWORD got = 0;
            while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0)
                bytes.append(buf, got);
            CloseHandle(f);
        }
        DeleteFileW(cpt.c_str());
        ramps::Ramp back;
        ramps::Report report;
        std::string text;
        if (out.result != 1 || !ramps::DecodeText(bytes, &text, &report) ||
            !ramps::ReadRamp(ramps::Format::Cpt, text, false, &back, &report))
            return Failure(L"导出的 GMT 调色板无法读回: " + std::wstring(report.error.begin(), report.error.end()));
        const HeightColorInfo& now = viewer.Layering();
        int wrong = 0;
        for (int i = 0; i < now.nLayers; ++i) {
            ramps::Rgba c;
            const double mid = (static_cast<double>(now.fLimit[i][0]) + now.fLimit[i][1]) / 2;
            const Rgb8 want = ToRgb8(now.wColor[i]);
            if (!ramps::ColorAt(back, mid, &c) || c.r != want.r || c.g != want.g || c.b != want.b)
                ++wrong;
        }
        TourLog(Format(L"  读回 tour_ramp_layers.cpt: %zu 个断点, %d 层中 %d 层颜色不同 -> %ls", back.stops.size(),
                       now.nLayers, wrong, wrong == 0 ? L"通过" : L"未通过"));
        if (wrong != 0)
            Failure(L"导出的调色板与分层颜色不符");
    }

    // The sky and the air as at start-up (the model sheet's step left a blue sky and haze),
    // handed to the host as the sheet's Apply does.
    void StartupSky()
    {
        if (!viewer.HasModelSheet())
            return;
        const SceneLook start;
        _SetBackColor_(viewer.ModelSheet(), &start.backColor);
        _SetFogDensity_(viewer.ModelSheet(), start.fogDensity);
        SendMessageW(viewer.Window(), WM_MODEL_APPLY, MCF_BACK_COLOR | MCF_FOG_DENSITY, 0);
    }

    // An elevation model across sea level, as a user opens one: start-up layers, no texture.
    void DemSeaLevel()
    {
        TourLog(L"[高程数据] 海岸: 海底与陆地, 真实比例");
        HWND w = viewer.Window();
        SendMessageW(w, WM_COMMAND, MAKEWPARAM(IDM_CLEAR_TEXTURE, 0), 0);
        SendMessageW(w, WM_COMMAND, MAKEWPARAM(IDM_START_LAYERS, 0), 0);
        StartupSky();
        coastPath = WriteCoastGrid();
        if (coastPath.empty())
            return Failure(L"无法写入海岸高程数据");
        if (!viewer.OpenGrid(coastPath))
            return Failure(L"无法打开 " + coastPath);
        Pump(200);
        const TerrainMesh& mesh = viewer.Mesh();
        const GroundScale& ground = viewer.Ground();
        // True scale: 12 x 9 km on the ground, the relief in the same units as the ground.
        const float relief = ReliefInFrame(mesh);
        const float expected = (mesh.highest - mesh.lowest) / 12000.0f * 2.0f;
        const bool scaleOk = viewer.Exaggeration() == 1.0f && !viewer.Geographic() &&
                             std::fabs(ground.widthKm - 12.0) < 0.01 && std::fabs(ground.heightKm - 9.0) < 0.01 &&
                             std::fabs(relief - expected) < expected * 0.01f;
        TourLog(Format(L"  %.1f x %.1f 千米 (平面), 高程 %.1f - %.1f 米, 垂直 x%g, 起伏 %.4f (应为 %.4f) -> %ls", ground.widthKm,
                       ground.heightKm, mesh.lowest, mesh.highest, static_cast<double>(viewer.Exaggeration()), relief,
                       expected, scaleOk ? L"通过" : L"未通过"));
        if (!scaleOk)
            Failure(L"海岸没有以真实比例显示");
        // Sea level is a layer boundary; the layers below it are blue, those above land colours.
        const HeightColorInfo& layering = viewer.Layering();
        std::vector<Rgb8> water, land;
        bool boundary = false, blue = true;
        for (int i = 0; i < layering.nLayers; ++i) {
            const Rgb8 c = ToRgb8(layering.wColor[i]);
            if (layering.fLimit[i][1] <= 0.0f) {
                water.push_back(c);
                blue = blue && c.b > c.r && c.b > c.g;
            } else {
                land.push_back(c);
            }
            boundary = boundary || (layering.fLimit[i][1] == 0.0f && i + 1 < layering.nLayers && layering.fLimit[i + 1][0] == 0.0f);
        }
        // What the view shows: the sea in water colours, the land in land colours.
        std::vector<uint8_t> flat;
        int fw = 0, fh = 0;
        viewer.RenderOffscreen(RenderMode::Flat, &flat, &fw, &fh);
        viewer.RenderNow();
        const PaletteMatch sea = MatchPalette(flat.data(), fw, fh, kFlatBackground, water, 2);
        const PaletteMatch dry = MatchPalette(flat.data(), fw, fh, kFlatBackground, land, 2);
        const double seaShare = sea.covered ? static_cast<double>(sea.matched) / sea.covered : 0.0;
        const double landShare = dry.covered ? static_cast<double>(dry.matched) / dry.covered : 0.0;
        const bool coastOk = boundary && blue && !water.empty() && !land.empty() && sea.covered > 10000 &&
                             seaShare >= 0.2 && landShare >= 0.2 && seaShare + landShare >= 0.98;
        TourLog(Format(L"  分层: 水下 %zu 层 (蓝色 %ls), 陆地 %zu 层, 0 米为分层界线 %ls; 视图: 海 %.1f%%, 陆地 %.1f%% -> %ls",
                       water.size(), blue ? L"是" : L"否", land.size(), boundary ? L"是" : L"否", 100.0 * seaShare,
                       100.0 * landShare, coastOk ? L"通过" : L"未通过"));
        if (!coastOk)
            Failure(L"海平面上下没有分别以水体和陆地颜色显示");
        Picture(L"tour_22_dem_sealevel");
        reliefAtTrueScale = relief;
        coastView = TakeView(viewer);
    }

    // The same coast at five times its height, from the view menu.
    void DemExaggerated()
    {
        TourLog(L"[高程数据] 海岸: 垂直夸张 x5");
        if (!(reliefAtTrueScale > 0.0f)) {
            RemoveCoast();
            return Failure(L"海岸高程数据没有打开");
        }
        SendMessageW(viewer.Window(), WM_COMMAND, MAKEWPARAM(IDM_EXAGGERATE_5, 0), 0);
        Pump(200);
        const float relief = ReliefInFrame(viewer.Mesh());
        const View after = TakeView(viewer);
        const double changed = ChangedShare(coastView, after);
        const bool ok = viewer.Exaggeration() == 5.0f && std::fabs(relief - 5.0f * reliefAtTrueScale) < relief * 0.01f &&
                        changed > 0.1;
        TourLog(Format(L"  垂直 x%g, 起伏 %.4f (真实比例 %.4f 的 %.2f 倍), 视图像素变化 %.1f%% -> %ls",
                       static_cast<double>(viewer.Exaggeration()), relief, reliefAtTrueScale, relief / reliefAtTrueScale,
                       100.0 * changed, ok ? L"通过" : L"未通过"));
        if (!ok)
            Failure(L"垂直夸张 x5 没有显示在视图上");
        Picture(L"tour_23_dem_exaggerated");
        RemoveCoast();
    }

    // The coast's files and their folder, once the steps are done with them.
    void RemoveCoast()
    {
        if (coastPath.empty())
            return;
        DeleteFileW(coastPath.c_str());
        DeleteFileW((coastPath.substr(0, coastPath.size() - 4) + L".prj").c_str());
        RemoveDirectoryW(coastPath.substr(0, coastPath.find_last_of(L'\\')).c_str());
        coastPath.clear();
    }
};

// ---- large tiles for the benchmark and the crack check -----------------------------------------

// Writes an SRTM tile of side x side samples into a new folder of the temporary folder (so no
// file of the user's is ever replaced): ridges and valleys from about -1700 m to 2300 m, so the
// sea comes in. Returns its path, empty on failure; RemoveTestTile deletes tile and folder.
std::wstring WriteTestTile(const wchar_t* name, int side)
{
    const std::wstring dir = MakeScratchFolder();
    if (dir.empty())
        return std::wstring();
    const std::wstring path = dir + L"\\" + name;
    std::vector<uint8_t> bytes(static_cast<size_t>(side) * side * 2);
    const double k = 1200.0 / (side - 1);   // the same land at either resolution
    for (int r = 0; r < side; ++r)
        for (int c = 0; c < side; ++c) {
            const double x = c * k, y = r * k;
            const double h = 1500.0 * std::sin(x * 0.006) * std::cos(y * 0.008) + 500.0 * std::sin(x * 0.045 + y * 0.03) +
                             180.0 * std::cos(x * 0.21 - y * 0.17) + 300.0;
            const uint16_t v = static_cast<uint16_t>(static_cast<int16_t>(std::lround(h)));
            const size_t i = (static_cast<size_t>(r) * side + c) * 2;
            bytes[i] = static_cast<uint8_t>(v >> 8);
            bytes[i + 1] = static_cast<uint8_t>(v & 0xFF);
        }
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        RemoveDirectoryW(dir.c_str());
        return std::wstring();
    }
    DWORD written = 0;
    const bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(f);
    if (!ok) {
        DeleteFileW(path.c_str());
        RemoveDirectoryW(dir.c_str());
        return std::wstring();
    }
    return path;
}

void RemoveTestTile(const std::wstring& path)
{
    if (path.empty())
        return;
    DeleteFileW(path.c_str());
    RemoveDirectoryW(path.substr(0, path.find_last_of(L'\\')).c_str());
}

// The crack check's levels: the finest and the coarsest in turn, like the squares of a board.
int CheckerboardLevels(int chunkCol, int chunkRow, int levels)
{
    return (chunkCol + chunkRow) % 2 ? levels - 1 : 0;
}

// Renders the current terrain from straight above in flat colours and counts background pixels
// inside its footprint (the polygon its outline projects to, two pixels in from the edge): a
// crack between parts of the surface shows the background through. inside: pixels looked at.
size_t BackgroundInsideFootprint(TerrainViewer& viewer, size_t* inside, LodSelection* levels = nullptr)
{
    OrbitCamera& camera = viewer.Camera();
    const OrbitCamera saved = camera;
    camera.yaw = 0.0f;
    camera.pitch = OrbitCamera::kMaxPitch;
    camera.distance = 3.6f;
    std::vector<uint8_t> rgba;
    int w = 0, h = 0;
    viewer.RenderOffscreen(RenderMode::Flat, &rgba, &w, &h);
    GLdouble model[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    camera = saved;
    // The footprint: the polygon the mesh's outline projects to, filled row by row, keeping
    // two pixels clear of its edge.
    // The outline is the one drawn: at each rim chunk's level when levels of detail were used.
    const TerrainMesh& mesh = viewer.Mesh();
    const LodSelection& drawn = viewer.Scene().LastSelection();
    if (levels)
        *levels = drawn;
    std::vector<uint32_t> outline;
    if (!drawn.level.empty()) {
        outline = LodRim(viewer.Lod(), mesh, drawn);
    } else {
        for (int c = 0; c < mesh.cols; ++c)
            outline.push_back(static_cast<uint32_t>(c));
        for (int r = 1; r < mesh.rows; ++r)
            outline.push_back(static_cast<uint32_t>(r * mesh.cols + mesh.cols - 1));
        for (int c = mesh.cols - 2; c >= 0; --c)
            outline.push_back(static_cast<uint32_t>((mesh.rows - 1) * mesh.cols + c));
        for (int r = mesh.rows - 2; r > 0; --r)
            outline.push_back(static_cast<uint32_t>(r * mesh.cols));
    }
    std::vector<double> px, py;
    for (uint32_t v : outline) {
        GLdouble wx, wy, wz;
        gluProject(mesh.positions[v * 3], mesh.positions[v * 3 + 1], mesh.positions[v * 3 + 2], model, projection,
                   viewport, &wx, &wy, &wz);
        px.push_back(wx - viewport[0]);
        py.push_back(wy - viewport[1]);
    }
    const double margin = 2.0;
    size_t background = 0;
    *inside = 0;
    std::vector<double> crossings;
    for (int y = 0; y < h; ++y) {
        crossings.clear();
        // Rows near a vertex of the outline are left out, and so is the margin above and below.
        const double cy = y + 0.5;
        bool nearEdge = false;
        for (size_t i = 0, n = px.size(); i < n; ++i) {
            const size_t j = (i + 1) % n;
            if ((py[i] <= cy) != (py[j] <= cy))
                crossings.push_back(px[i] + (cy - py[i]) / (py[j] - py[i]) * (px[j] - px[i]));
            const double lo = std::min(py[i], py[j]), hi = std::max(py[i], py[j]);
            if (hi - lo < 1e-9 && std::fabs(cy - lo) < margin)
                nearEdge = true;
        }
        if (nearEdge || crossings.size() < 2)
            continue;
        std::sort(crossings.begin(), crossings.end());
        for (size_t k = 0; k + 1 < crossings.size(); k += 2) {
            for (int x = std::max(0, static_cast<int>(std::ceil(crossings[k] + margin)));
                 x < std::min(w, static_cast<int>(std::floor(crossings[k + 1] - margin))); ++x) {
                const uint8_t* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
                ++*inside;
                if (p[0] == kFlatBackground.r && p[1] == kFlatBackground.g && p[2] == kFlatBackground.b)
                    ++background;
            }
        }
    }
    viewer.RenderNow();
    return background;
}

}  // namespace

void TourLog(const std::wstring& line)
{
    std::lock_guard<std::mutex> lock(g_logLock);
    WriteLine(line);
}

int RunTour(TerrainViewer& viewer, const std::wstring& outDir)
{
    wchar_t full[MAX_PATH];
    const DWORD n = GetFullPathNameW(outDir.c_str(), MAX_PATH, full, nullptr);
    const std::wstring dir = n > 0 && n < MAX_PATH ? std::wstring(full) : outDir;
    MakeDirs(dir);
    if (!OpenLog(dir + L"\\tour_log.txt"))
        TourLog(L"无法写入 " + dir + L"\\tour_log.txt");
    TourLog(L"terrainview 演示: Oroscape.dll 的每个对话框");
    Pump(800);   // the window shows its first frame

    Tour tour{viewer, dir, 0, 0, std::wstring(), 0.0f, View()};
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

    TourLog(Format(L"[结束] 失败 %d 项, 尚未完成的导出 %d 项: %ls", tour.failures, tour.notDone,
                   tour.failures == 0 ? L"演示成功" : L"演示失败"));
    CloseLog();
    return tour.failures == 0 ? 0 : 1;
}

int RunBenchmark(TerrainViewer& viewer, const std::wstring& figuresFile)
{
    Pump(500);
    std::string report;
    auto line = [&](const char* format, ...) {
        char text[512];
        va_list args;
        va_start(args, format);
        vsnprintf(text, sizeof text, format, args);
        va_end(args);
        report += text;
        report += '\n';
        std::fputs(text, stdout);
        std::fputs("\n", stdout);
        std::fflush(stdout);
    };
    int x, y, w, h;
    viewer.ViewRect(&x, &y, &w, &h);
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    std::string gpu = renderer ? renderer : "?";
    gpu = gpu.substr(0, gpu.find(' '));

    // Frame rate over one camera orbit. The processor time of the process (the renderer's
    // threads included) says what a frame costs when other work shares the machine.
    auto cpuMs = [] {
        FILETIME created, exited, kernel, user;
        GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
        auto ms = [](const FILETIME& f) { return (static_cast<double>(f.dwHighDateTime) * 4294967296.0 + f.dwLowDateTime) / 1e4; };
        return ms(kernel) + ms(user);
    };
    // One camera orbit of frames; the median frame time and its spread.
    // Triangles: the median a frame drew (the whole mesh when no levels were chosen).
    struct Orbit {
        double median, slowest, cpu;
        size_t triangles;
        float bound;   // the median error bound the levels kept, in pixels
    };
    auto orbit = [&](int frames) {
        std::vector<double> times;
        std::vector<size_t> triangles;
        std::vector<float> bounds;
        viewer.RenderNow();   // warm-up
        const double cpuStart = cpuMs();
        for (int i = 0; i < frames; ++i) {
            viewer.Camera().yaw += 360.0f / frames;
            viewer.Camera().Clamp();
            times.push_back(viewer.RenderNow());
            const LodSelection& drawn = viewer.Scene().LastSelection();
            triangles.push_back(drawn.level.empty() ? viewer.Mesh().indices.size() / 3 : drawn.triangles);
            bounds.push_back(drawn.errorPixels);
        }
        Orbit o;
        o.cpu = (cpuMs() - cpuStart) / frames;
        std::sort(times.begin(), times.end());
        std::sort(triangles.begin(), triangles.end());
        o.median = times[times.size() / 2];
        o.slowest = times.back();
        o.triangles = triangles[triangles.size() / 2];
        std::sort(bounds.begin(), bounds.end());
        o.bound = bounds[bounds.size() / 2];
        return o;
    };
    const TerrainMesh& mesh = viewer.Mesh();
    // The plain way first: every vertex a call of its own, the full mesh of the grid.
    viewer.Scene().SetPerVertex(true);
    const Orbit plain = orbit(60);
    viewer.Scene().SetPerVertex(false);
    line("terrainview_fps_per_vertex_baseline: median %.1f frames/s (frame %.1f ms, slowest %.1f ms, processor %.1f ms "
         "a frame; 60-frame orbit, %dx%d mesh drawn one glVertex call at a time, %dx%d view, %s)",
         1000.0 / plain.median, plain.median, plain.slowest, plain.cpu, mesh.cols, mesh.rows, w, h, gpu.c_str());
    // The whole mesh from buffer objects, then the levels of detail the viewer draws.
    const float detail = viewer.Scene().DetailPixels();
    const size_t budget = viewer.Scene().TriangleBudget();
    viewer.Scene().SetDetail(0.0f, 0);
    const Orbit whole = orbit(60);
    viewer.Scene().SetDetail(detail, budget);
    const char* from = viewer.Scene().Buffered() ? "buffer objects" : "vertex arrays";
    line("terrainview_fps_whole_mesh: median %.1f frames/s (frame %.1f ms, slowest %.1f ms, processor %.1f ms a frame; "
         "60-frame orbit, all %zu triangles of the %dx%d grid from %s, %dx%d view, %s) ratio %.2f of the per-vertex "
         "baseline's time",
         1000.0 / whole.median, whole.median, whole.slowest, whole.cpu, whole.triangles, mesh.cols, mesh.rows, from, w, h,
         gpu.c_str(), whole.median / plain.median);
    const Orbit sample = orbit(240);
    line("terrainview_fps: median %.1f frames/s (frame %.1f ms, slowest %.1f ms, processor %.1f ms a frame; "
         "240-frame orbit of the %dx%d grid from %s, levels of detail: median %zu triangles a frame, error bound "
         "%.1f px (asked %.1f px, budget %zu); %dx%d view, %s) ratio %.2f of the per-vertex baseline's time",
         1000.0 / sample.median, sample.median, sample.slowest, sample.cpu, mesh.cols, mesh.rows, from, sample.triangles,
         static_cast<double>(sample.bound), static_cast<double>(detail), budget, w, h, gpu.c_str(),
         sample.median / plain.median);

    // WM_MODEL_APPLY to the re-rendered frame: the host's handler reads the changed values
    // through the accessors and draws, as it does for the sheet's Apply button.
    const bool sheet = viewer.HasModelSheet();
    std::vector<double> applies;
    for (int i = 0; i < 40; ++i) {
        if (sheet) {
            const MODELCOLOR diffuse = {static_cast<short>(150 + i * 2), 200, 180};
            const MODELCOLOR back = {static_cast<short>(100 + i), 140, 200};
            _SetLight_Diffuse_(viewer.ModelSheet(), &diffuse);
            _SetBackColor_(viewer.ModelSheet(), &back);
        }
        SendMessageW(viewer.Window(), WM_MODEL_APPLY, MCF_LIGHT_DIFFUSE | MCF_BACK_COLOR, 0);
        applies.push_back(viewer.LastApplyMs());
    }
    std::sort(applies.begin(), applies.end());
    line("terrainview_apply_to_frame: median %.1f ms (fastest %.1f, slowest %.1f over %zu WM_MODEL_APPLY%s)",
         applies[applies.size() / 2], applies.front(), applies.back(), applies.size(),
         sheet ? "" : "; no model sheet, accessors skipped");

    // SRTM tiles made for the occasion: opening (read, parse, mesh, colours, upload), frame
    // rate, private bytes, and no background through the surface seen from above.
    int status = 0;
    auto privateBytes = [] {
        PROCESS_MEMORY_COUNTERS_EX counters = {};
        counters.cb = sizeof counters;
        GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
        // Wine may leave PrivateUsage empty; the page-file figure is the same count there.
        return static_cast<double>(std::max(counters.PrivateUsage, counters.PagefileUsage)) / (1024.0 * 1024.0);
    };
    const struct { const wchar_t* name; int side; } tiles[] = {{L"N46E008.hgt", kHgtSide3}, {L"N46E009.hgt", kHgtSide1}};
    for (const auto& tile : tiles) {
        const std::wstring path = WriteTestTile(tile.name, tile.side);
        LARGE_INTEGER t0, t1, f;
        QueryPerformanceFrequency(&f);
        QueryPerformanceCounter(&t0);
        const bool opened = !path.empty() && viewer.OpenGrid(path);
        viewer.RenderNow();
        QueryPerformanceCounter(&t1);
        RemoveTestTile(path);
        if (!opened) {
            line("terrainview_open_%d: failed", tile.side);
            status = 1;
            continue;
        }
        const double openMs = static_cast<double>(t1.QuadPart - t0.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
        const double privateMb = privateBytes();
        line("terrainview_open_%d: median %.0f ms (one run: read, parse, mesh of %dx%d, colours, upload, first frame; "
             "private bytes %.0f MB afterwards)", tile.side, openMs, mesh.cols, mesh.rows, privateMb);
        const Orbit o = orbit(120);
        size_t inside = 0;
        const size_t holes = BackgroundInsideFootprint(viewer, &inside);
        line("terrainview_fps_%d: median %.1f frames/s (frame %.1f ms, slowest %.1f ms, processor %.1f ms a frame; "
             "120-frame orbit, drawn from every %d%s sample (%dx%d mesh, %zu triangles) with levels of detail: median "
             "%zu triangles a frame, error bound %.1f px; true scale, start-up layers; from above %zu background pixels "
             "among %zu inside the footprint)",
             tile.side, 1000.0 / o.median, o.median, o.slowest, o.cpu, mesh.step,
             mesh.step == 1 ? "st" : mesh.step == 2 ? "nd" : mesh.step == 3 ? "rd" : "th", mesh.cols, mesh.rows,
             mesh.indices.size() / 3, o.triangles, static_cast<double>(o.bound), holes, inside);
        if (holes != 0 || inside < 10000)
            status = 1;
    }

    if (!figuresFile.empty()) {
        const std::wstring refused = WriteFiguresFile(figuresFile, report);
        if (refused.empty()) {
            TourLog(L"terrainview: figures written to " + figuresFile);
        } else {
            TourLog(L"terrainview: " + refused);
            status = 1;
        }
    }
    return status;
}

int RunCrackCheck(TerrainViewer& viewer, bool ownGrid)
{
    Pump(300);
    if (!ownGrid) {
        const std::wstring path = WriteTestTile(L"N46E008.hgt", kHgtSide3);
        const bool opened = !path.empty() && viewer.OpenGrid(path);
        RemoveTestTile(path);
        if (!opened) {
            TourLog(L"裂缝检查: 无法打开测试瓦片");
            return 1;
        }
    }
    // Each factor twice: levels by distance as the viewer draws them, then a checkerboard of the
    // finest and the coarsest level, so that every seam joins chunks of different levels.
    int failures = 0;
    for (float factor : {1.0f, 10.0f}) {
        viewer.SetExaggeration(factor);
        for (bool checkerboard : {false, true}) {
            viewer.Scene().SetLevelPattern(checkerboard ? CheckerboardLevels : nullptr);
            size_t inside = 0;
            LodSelection drawn;
            const size_t holes = BackgroundInsideFootprint(viewer, &inside, &drawn);
            viewer.Scene().SetLevelPattern(nullptr);
            std::wstring levels;
            for (int k = 0; k < viewer.Lod().levels; ++k)
                levels += Format(L" %d", static_cast<int>(std::count(drawn.level.begin(), drawn.level.end(), k)));
            const bool ok = holes == 0 && inside >= 10000 && !drawn.level.empty();
            TourLog(Format(L"裂缝检查 %dx%d 网格 (每 %d 个采样取 1), 垂直 x%g, %ls: 各级地块数%ls, 三角形 %zu; 地形范围内 %zu "
                           L"个像素, 其中背景色 %zu 个 -> %ls",
                           viewer.Mesh().cols, viewer.Mesh().rows, viewer.Mesh().step, static_cast<double>(factor),
                           checkerboard ? L"最细与最粗相间" : L"按距离分级", levels.c_str(), drawn.triangles, inside,
                           holes, ok ? L"通过" : L"未通过"));
            failures += ok ? 0 : 1;
        }
    }
    return failures == 0 ? 0 : 1;
}
