// The tour's driver: the shared UI driver (support/uidriver.h) runs each step's script on a driver
// thread while this thread makes the library call; its failures go into the tour's log.
#include "demo/tour/steps.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>

#include "demo/wintext.h"
#include "support/capture.h"

void Pump(unsigned long ms)
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

namespace tour {

namespace {

// The driver's failures, in the tour's log.
class LogReporter : public ui::Reporter {
public:
    void Failure(const std::string& message) override { TourLog(L"  失败: " + Wide(message)); }
};

LogReporter g_reporter;

// A visible descendant by class.
struct Search {
    const wchar_t* cls;
    HWND hit;
};

BOOL CALLBACK MatchChild(HWND h, LPARAM lp)
{
    Search* s = reinterpret_cast<Search*>(lp);
    if (!IsWindowVisible(h) || ui::ClassName(h) != s->cls)
        return TRUE;
    s->hit = h;
    return FALSE;
}

}  // namespace

void Driver::Fail(const std::wstring& what)
{
    c.Fail(Utf8(what));
}

HWND Driver::OpenDialog(const wchar_t* caption, DWORD settleMs)
{
    HWND h = WaitDialog(caption);
    if (h)
        c.Settle(h, settleMs);
    return h;
}

HWND Driver::WaitDialog(const wchar_t* caption)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND h = c.FindTop(caption)) {
            *sawWindow_ = true;
            return h;
        }
        if (c.ModalReturned() || GetTickCount() - start > c.Timeout())
            return nullptr;
        Sleep(50);
    }
}

HWND Driver::WaitNewDialog(const std::vector<HWND>& known)
{
    HWND found = nullptr;
    c.WaitFor(
        [&] {
            for (HWND h : c.TopWindows())
                if (ui::ClassName(h) == L"#32770" && std::find(known.begin(), known.end(), h) == known.end()) {
                    found = h;
                    return true;
                }
            return false;
        },
        Utf8(L"新的对话框"));
    return found;
}

HWND Driver::Descendant(HWND parent, const wchar_t* cls)
{
    Search search = {cls, nullptr};
    EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
    if (!search.hit)
        Fail(std::wstring(L"找不到 ") + cls);
    return search.hit;
}

int Driver::ComboFind(HWND combo, const wchar_t* text)
{
    auto copy = std::make_unique<std::wstring>(text);
    const LRESULT r = c.Send(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(copy->c_str()),
                             "finding a combo entry", [&] { copy.release(); });
    return static_cast<int>(r);
}

void Driver::DoubleClickCell(HWND list, int row, int column)
{
    auto cell = std::make_unique<RECT>(RECT{LVIR_BOUNDS, column, 0, 0});
    const LRESULT ok = c.Send(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(cell.get()),
                              "reading a cell's rectangle", [&] { cell.release(); });
    if (!ok)
        Fail(Format(L"表格没有第 %d 行第 %d 列", row, column));
    const LPARAM at = MAKELPARAM((cell->left + cell->right) / 2, (cell->top + cell->bottom) / 2);
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
    PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
}

void Driver::Shot(HWND hwnd, const wchar_t* name)
{
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    c.Settle(hwnd, 400);
    const ui::Image image = ui::CaptureWindow(hwnd, ui::Source::WindowDc);
    const std::wstring path = dir_ + L"\\" + name + L".png";
    if (image.empty() || !ui::WritePng(path, image))
        Fail(L"无法保存图片 " + path);
    TourLog(Format(L"  图片 %ls.png (%dx%d)", name, image.width, image.height));
}

void Driver::ViewShot(const wchar_t* name)
{
    // Rendered and written by the user-interface thread; the flag outlives a call abandoned there.
    auto written = std::make_shared<bool>(false);
    TerrainViewer* viewer = viewer_;
    const std::wstring path = dir_ + L"\\" + name + L".png";
    c.RunOnUi([viewer, path, written] { *written = Probe(*viewer).SaveWindowPicture(path); });
    if (!*written)
        Fail(std::wstring(L"无法保存图片 ") + name);
    TourLog(Format(L"  图片 %ls.png", name));
}

ModalRun RunModal(TerrainViewer& viewer, const std::wstring& dir, const std::function<void(Driver&)>& script,
                  const std::function<int()>& call, DWORD timeoutMs)
{
    ui::SetReporter(&g_reporter);
    // The flag outlives a driver thread that a failed rescue left behind.
    auto sawWindow = std::make_shared<bool>(false);
    ui::Script s;
    s.SetTimeout(timeoutMs);
    TerrainViewer* shown = &viewer;  // the program's own window object: it outlives every script
    s.Step("tour", [script, shown, dir, sawWindow](ui::Ctx& c) {
        Driver d(c, *shown, dir, sawWindow.get());
        script(d);
    });
    ModalRun run;
    run.result = s.Run(call);
    run.sawWindow = *sawWindow;
    run.scriptFailed = !s.Succeeded();
    return run;
}

}  // namespace tour
