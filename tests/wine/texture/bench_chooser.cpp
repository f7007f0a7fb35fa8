// Benchmark of the texture chooser's preview: every paint of the chooser reloads the picture from
// disk and stretches it over the pane (no caching), so one paint costs a file read, a DIB
// section and a StretchBlt, besides the erase, frame and text of the pane.
//
// Measured through the real export, by repainting the chooser's child window while a picture is
// selected. The floor is the same dialog written in plain Win32: GetOpenFileNameW with the same
// flags, the same child template of the loaded Oroscape.dll and a hook that makes the same pane
// (style, rectangle arithmetic, font) and, at each paint of the child, does what the library's
// paint shows: the pane erased and framed with its text, the picture reloaded and stretched over
// it, or the label when the picture is refused. Both dialogs are open at once, at the same place;
// the one timed is raised first. Before timing, the two panes are compared (rectangle, style,
// font, text, pixels), so the floor cannot quietly do less. Rounds alternate which dialog goes
// first; each round gives the ratio of its pair (each side the median of its paints), and the
// figure is the median of those ratios.
// Goal: at most 1.10.
// Prints one line per figure: "name: median <value> <unit> [ratio <r>] ... (goal ...)".
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "chooser_support.h"
#include "include/oroscape.h"
#include "res/captions.h"
#include "res/resource.h"
#include "support/capture.h"
#include "texture/previewlayout.h"
#include "uidriver_gtest.h"

namespace {

using bench::Median;
using bench::Now;

const wchar_t* const kTitle = kCaptionTextureFile;
const DWORD kPaneStyle = WS_CHILD | WS_VISIBLE | WS_DLGFRAME | SS_CENTER;
const int kPaneId = 0xFFFF;

// ---- the raw Win32 chooser ---------------------------------------------------------------------

// The plain dialog's state; the hook finds it through OPENFILENAMEW::lCustData at WM_INITDIALOG and
// through the child's GWLP_USERDATA afterwards.
struct RawChooser {
    OPENFILENAMEW ofn = {};
    wchar_t file[MAX_PATH] = L"";
    HMODULE dll = nullptr;
    HWND dialog = nullptr, child = nullptr, pane = nullptr;
    HFONT font = nullptr;
    wchar_t label[64] = L"";
    std::wstring path;       // the picture to preview; empty: the label
    bool paneEmpty = false;  // the pane's text is empty (else the label)
    bool grown = false;
    std::atomic<bool> ready{false}, returned{false};
};

RawChooser* g_raw = nullptr;

RECT RectIn(HWND dialog, HWND control)
{
    RECT rc;
    GetWindowRect(control, &rc);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

LayoutRect Layout(const RECT& rc) { return LayoutRect{rc.left, rc.top, rc.right, rc.bottom}; }

void RawInit(RawChooser* r)
{
    wchar_t title[128];
    LoadStringW(r->dll, IDS_TEXTURE_TITLE, title, 128);
    SetWindowTextW(r->dialog, title);
    HWND ok = GetDlgItem(r->dialog, IDOK), cancel = GetDlgItem(r->dialog, IDCANCEL);
    const PreviewLayout layout =
        InitialPreviewLayout(Layout(RectIn(r->dialog, ok)), Layout(RectIn(r->dialog, cancel)),
                             Layout(RectIn(r->dialog, GetDlgItem(r->dialog, cmb1))),
                             Layout(RectIn(r->dialog, GetDlgItem(r->dialog, lst1))));
    SetWindowPos(cancel, nullptr, layout.cancelX, layout.rowY, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    SetWindowPos(ok, nullptr, layout.okX, layout.rowY, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    LoadStringW(r->dll, IDS_PREVIEW_LABEL, r->label, 64);
    const LayoutRect& p = layout.pane;
    r->pane = CreateWindowExW(0, L"STATIC", r->label, kPaneStyle, p.left, p.top, p.Width(), p.Height(), r->dialog,
                              reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kPaneId)), r->dll, nullptr);
    LOGFONTW system = {};
    GetObjectW(GetStockObject(SYSTEM_FONT), sizeof system, &system);
    system.lfWidth = 0;
    r->font = CreateFontIndirectW(&system);
    SendMessageW(r->pane, WM_SETFONT, reinterpret_cast<WPARAM>(r->font), FALSE);
    // The child centred in the dialog's client area.
    RECT child, area;
    GetWindowRect(r->child, &child);
    GetClientRect(r->dialog, &area);
    SetWindowPos(r->child, nullptr, area.right / 2 - (child.right - child.left) / 2,
                 area.bottom / 2 - (child.bottom - child.top) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void RawResize(RawChooser* r)
{
    HWND ok = GetDlgItem(r->dialog, IDOK), cancel = GetDlgItem(r->dialog, IDCANCEL);
    HWND name = GetDlgItem(r->dialog, cmb13);
    if (name == nullptr)
        return;
    const RECT rcOk = RectIn(r->dialog, ok), rcCancel = RectIn(r->dialog, cancel);
    RECT client;
    GetClientRect(r->dialog, &client);
    const PreviewLayout layout =
        ResizedPreviewLayout(Layout(rcOk), Layout(rcCancel), Layout(RectIn(r->dialog, GetDlgItem(r->dialog, cmb1))),
                             Layout(RectIn(r->dialog, name)), Layout(client));
    SetWindowPos(cancel, nullptr, layout.cancelX, layout.rowY, 0, 0, SWP_NOSIZE);
    SetWindowPos(ok, nullptr, layout.okX, layout.rowY, 0, 0, SWP_NOSIZE);
    const LayoutRect& p = layout.pane;
    if (r->pane != nullptr)
        SetWindowPos(r->pane, nullptr, p.left, p.top, p.Width(), p.Height(), SWP_NOZORDER | SWP_SHOWWINDOW);
    InvalidateRect(r->child, nullptr, TRUE);
    const int shortfall = PreviewRowShortfall(layout, rcOk.bottom - rcOk.top, rcCancel.left - rcOk.right, Layout(client));
    if (shortfall > 0 && !r->grown) {
        r->grown = true;
        RECT outer;
        GetWindowRect(r->dialog, &outer);
        SetWindowPos(r->dialog, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top + shortfall,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void RawSelectionChanged(RawChooser* r)
{
    wchar_t name[MAX_PATH] = L"", folder[MAX_PATH] = L"";
    if (SendMessageW(r->dialog, CDM_GETSPEC, MAX_PATH, reinterpret_cast<LPARAM>(name)) <= 0 || name[0] == 0)
        return;
    SendMessageW(r->dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
    r->path = ResolvePreviewPath(folder, name, L"bmp", [](const std::wstring& p) {
        const DWORD a = GetFileAttributesW(p.c_str());
        return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
    });
    InvalidateRect(r->child, nullptr, TRUE);
}

// The paint: the picture is loaded and judged first, so that the pane's text is set (only when it
// changes) before the one redraw that erases and frames the pane; then the picture is stretched.
void RawPaint(RawChooser* r)
{
    PAINTSTRUCT ps;
    BeginPaint(r->child, &ps);
    EndPaint(r->child, &ps);
    if (r->pane == nullptr)
        return;
    HBITMAP bitmap = nullptr;
    BITMAP info = {};
    if (!r->path.empty())
        bitmap = static_cast<HBITMAP>(
            LoadImageW(nullptr, r->path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    const bool drawn = bitmap != nullptr && GetObjectW(bitmap, sizeof info, &info) == static_cast<int>(sizeof info) &&
                       IsPreviewableBitmap(info.bmWidth, info.bmHeight, info.bmBitsPixel);
    if (drawn != r->paneEmpty) {
        SetWindowTextW(r->pane, drawn ? L"" : r->label);
        r->paneEmpty = drawn;
    }
    RedrawWindow(r->pane, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME);
    if (drawn) {
        HDC paneDC = GetDC(r->pane);
        HDC memDC = CreateCompatibleDC(nullptr);
        HGDIOBJ previous = SelectObject(memDC, bitmap);
        RECT rc;
        GetClientRect(r->pane, &rc);
        SetStretchBltMode(paneDC, COLORONCOLOR);
        StretchBlt(paneDC, 0, 0, rc.right, rc.bottom, memDC, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        SelectObject(memDC, previous);
        DeleteDC(memDC);
        ReleaseDC(r->pane, paneDC);
    }
    if (bitmap != nullptr)
        DeleteObject(bitmap);
}

UINT_PTR CALLBACK RawHook(HWND child, UINT msg, WPARAM wp, LPARAM lp)
{
    RawChooser* r = reinterpret_cast<RawChooser*>(GetWindowLongPtrW(child, GWLP_USERDATA));
    switch (msg) {
    case WM_INITDIALOG:
        r = reinterpret_cast<RawChooser*>(reinterpret_cast<const OPENFILENAMEW*>(lp)->lCustData);
        SetWindowLongPtrW(child, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(r));
        r->child = child;
        r->dialog = GetParent(child);
        RawInit(r);
        return TRUE;
    case WM_SIZE:
        if (r != nullptr)
            RawResize(r);
        return FALSE;
    case WM_PAINT:
        if (r == nullptr)
            return FALSE;
        RawPaint(r);
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lp);
        if (r == nullptr || hdr->hwndFrom != r->dialog)
            return FALSE;
        if (hdr->code == CDN_INITDONE)
            r->ready = true;
        else if (hdr->code == CDN_SELCHANGE)
            RawSelectionChanged(r);
        else if (hdr->code == CDN_FOLDERCHANGE)
            r->path.clear();
        return FALSE;
    }
    }
    return FALSE;
}

// Runs the plain dialog, nested in the library's modal loop (a thread timer started on the UI
// thread brings it there).
void CALLBACK RunRawChooser(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    RawChooser* r = g_raw;
    r->ofn.lStructSize = sizeof r->ofn;
    r->ofn.hInstance = r->dll;
    r->ofn.lpstrFilter = L"Bitmap File(*.bmp)\0*.bmp\0";
    r->ofn.lpstrFile = r->file;
    r->ofn.nMaxFile = MAX_PATH;
    r->ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_ENABLETEMPLATE | OFN_ENABLEHOOK;
    r->ofn.lpTemplateName = MAKEINTRESOURCEW(IDD_PREVIEW_TEX);
    r->ofn.lpfnHook = &RawHook;
    r->ofn.lCustData = reinterpret_cast<LPARAM>(r);
    GetOpenFileNameW(&r->ofn);
    if (r->font != nullptr)
        DeleteObject(r->font);
    r->returned = true;
}

// ---- the comparison -----------------------------------------------------------------------------

// One chooser's windows.
struct Parts {
    HWND dialog = nullptr, child = nullptr, pane = nullptr, list = nullptr;
};

Parts FindParts(ui::Ctx& c, HWND dialog)
{
    Parts p;
    p.dialog = dialog;
    c.WaitFor([&] {
        p.child = FindWindowExW(dialog, nullptr, L"#32770", nullptr);
        p.pane = GetDlgItem(dialog, kPaneId);
        HWND view = GetDlgItem(dialog, 1121);
        p.list = view ? FindWindowExW(view, nullptr, L"SysListView32", nullptr) : nullptr;
        return p.child && p.pane && p.list && IsWindowVisible(dialog);
    }, "a chooser's child, pane and file list");
    return p;
}

void SelectPicture(ui::Ctx& c, const Parts& p, const wchar_t* file)
{
    int index = -1;
    c.RunOnUi([&] {
        LVFINDINFOW find = {};
        find.flags = LVFI_STRING | LVFI_PARTIAL;
        find.psz = file;
        index = static_cast<int>(
            SendMessageW(p.list, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
    });
    if (index < 0)
        c.Fail("no list entry for a picture");
    c.ListSelect(p.list, index);
}

// The dialog raised above the other one and painted out, so the batch that follows finds no
// pending paint.
void Raise(ui::Ctx& c, const Parts& p)
{
    c.RunOnUi([&] {
        SetWindowPos(p.dialog, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        RedrawWindow(p.dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    });
    c.Flush();
}

// Seconds a repaint of the child: the median of a batch of repaints timed one by one (a paint
// that another process interrupted on this shared machine does not count).
double TimeBatch(ui::Ctx& c, const Parts& p, int batch)
{
    std::vector<double> each;
    c.RunOnUi([&] {
        for (int i = 0; i < batch; ++i) {
            const double t0 = Now();
            RedrawWindow(p.child, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            each.push_back(Now() - t0);
        }
    });
    return Median(each);
}

std::wstring PaneText(HWND pane)
{
    wchar_t text[64] = L"";
    GetWindowTextW(pane, text, 64);
    return text;
}

LOGFONTW PaneFont(HWND pane)
{
    LOGFONTW lf = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(pane, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf;
}

// Fails unless the two panes stand at the same place with the same style, font and text, and
// show the same pixels after a repaint of their chooser.
void ExpectSamePanes(ui::Ctx& c, const Parts& lib, const Parts& raw, const char* what)
{
    RECT a = RectIn(lib.dialog, lib.pane), b = RectIn(raw.dialog, raw.pane);
    if (!EqualRect(&a, &b))
        c.Fail(std::string(what) + ": the panes' rectangles differ");
    if (GetWindowLongPtrW(lib.pane, GWL_STYLE) != GetWindowLongPtrW(raw.pane, GWL_STYLE))
        c.Fail(std::string(what) + ": the panes' styles differ");
    const LOGFONTW fa = PaneFont(lib.pane), fb = PaneFont(raw.pane);
    if (fa.lfHeight != fb.lfHeight || fa.lfWidth != fb.lfWidth || fa.lfWeight != fb.lfWeight ||
        fa.lfCharSet != fb.lfCharSet || wcscmp(fa.lfFaceName, fb.lfFaceName) != 0)
        c.Fail(std::string(what) + ": the panes' fonts differ");
    ui::Image shots[2];
    const Parts* both[2] = {&lib, &raw};
    for (int i = 0; i < 2; ++i) {
        Raise(c, *both[i]);
        c.RunOnUi([&] {
            RedrawWindow(both[i]->child, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            shots[i] = ui::CaptureWindow(both[i]->pane, ui::Source::WindowDc);
        });
    }
    if (PaneText(lib.pane) != PaneText(raw.pane))
        c.Fail(std::string(what) + ": the panes' texts differ");
    if (shots[0].empty() || shots[0].width != shots[1].width || shots[0].height != shots[1].height ||
        shots[0].pixels != shots[1].pixels)
        c.Fail(std::string(what) + ": the panes show different pixels");
}

struct Case {
    const wchar_t* file;
    int width, height, bits;
    const char* name;
};

}  // namespace

int main()
{
    const Case cases[] = {
        {L"p300x200.bmp", 300, 200, 24, "preview paint 300x200 24-bit"},
        {L"p511x511.bmp", 511, 511, 24, "preview paint 511x511 24-bit"},
        {L"p512x10.bmp", 512, 10, 24, "preview paint 512x10 (refused)"},
        {L"p64x64x8.bmp", 64, 64, 8, "preview paint 64x64 8-bit (refused)"},
    };
    const int kRounds = 21, kBatch = 15;

    test::PictureFolder pics;
    for (const Case& c : cases)
        pics.Bitmap(c.file, c.width, c.height, c.bits, RGB(200, 120, 40));
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(pics.Path().c_str());

    RawChooser raw;
    raw.dll = GetModuleHandleW(L"Oroscape.dll");
    g_raw = &raw;

    std::vector<std::string> lines;
    char buf[512] = "";
    ui::Script s;
    s.SetTimeout(60000);
    s.Step("time the paints", [&](ui::Ctx& c) {
        const Parts lib = FindParts(c, c.WaitWindow(kTitle, L"#32770"));
        c.RunOnUi([&] { SetTimer(nullptr, 0, 0, &RunRawChooser); });
        c.WaitFor([&] { return raw.ready.load() && raw.dialog != nullptr; }, "the plain chooser");
        const Parts plain = FindParts(c, raw.dialog);
        // Both at the same place on the screen.
        c.RunOnUi([&] {
            RECT rc;
            GetWindowRect(lib.dialog, &rc);
            SetWindowPos(plain.dialog, nullptr, rc.left, rc.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        });
        ExpectSamePanes(c, lib, plain, "before any selection");
        for (const Case& k : cases) {
            SelectPicture(c, lib, k.file);
            SelectPicture(c, plain, k.file);
            c.Flush();
            c.Sleep(100);
            ExpectSamePanes(c, lib, plain, k.name);
            std::vector<double> libTimes, rawTimes, ratios;
            for (int r = 0; r < kRounds; ++r) {
                double t[2];
                for (int i = 0; i < 2; ++i) {
                    const bool libFirst = r % 2 == 0;
                    const Parts& p = (i == 0) == libFirst ? lib : plain;
                    Raise(c, p);
                    t[&p == &lib ? 0 : 1] = TimeBatch(c, p, kBatch);
                }
                libTimes.push_back(t[0]);
                rawTimes.push_back(t[1]);
                ratios.push_back(t[1] > 0 ? t[0] / t[1] : 0.0);
            }
            snprintf(buf, sizeof buf, "%s: median %.3f ms ratio %.2f (raw Win32 %.3f ms; goal <= 1.10)", k.name,
                     Median(libTimes) * 1e3, Median(ratios), Median(rawTimes) * 1e3);
            lines.push_back(buf);
        }
        c.Click(plain.dialog, IDCANCEL);
        c.WaitFor([&] { return raw.returned.load(); }, "the plain chooser to close");
        c.Click(lib.dialog, IDCANCEL);
    });
    char path[300];
    s.Run([&] { return _SelectTextureFile(path); });
    SetCurrentDirectoryW(previous);
    for (const std::string& line : lines)
        printf("%s\n", line.c_str());
    return s.Succeeded() ? 0 : 1;
}
