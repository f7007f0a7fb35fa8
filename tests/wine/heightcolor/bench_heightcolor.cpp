// bench_heightcolor: how fast the layering dialog comes up and repaints, under Wine.
//
//  1. From the call of _SetHeightColorDlg (table mode, a 256-entry table) until the dialog is
//     idle with its 256 rows painted, against a plain Win32 dialog made from the same template
//     of Oroscape.dll and filled with the same 256 rows through the raw API, in the same run,
//     its list's redrawing suspended while the rows go in (as any careful Win32 code fills a
//     list), centred and taking dropped files as the library's does. Goal: the median of the
//     ratios of neighbouring runs at most 1.10.
//  2. A full repaint of the 256-row list (invalidate with erase, paint now).
//
// "Painted" is the end of the last WM_PAINT of the dialog or one of its controls: every window
// of the thread is subclassed at creation to note when its paint returns; a timer (the lowest
// priority message, so only when nothing else is pending) then ends the run.
//
// Usage: bench_heightcolor [runs]   (default 15; prints medians in milliseconds)
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "bench_dialogs.h"
#include "bench_timing.h"
#include "include/oroscape.h"
#include "res/resource.h"

namespace {

using bench::Median;

// Milliseconds on the performance counter.
double NowMs() { return 1000.0 * bench::Now(); }

// ---- watching a run: paints, idle, repaints ----------------------------------------------

struct Run {
    double start = 0;
    double lastPaint = 0;
    double initStart = 0;   // WM_INITDIALOG began
    double initDone = 0;    // WM_INITDIALOG handled
    double firstPaint = 0;  // first paint of the dialog began
    bool idle = false;      // the dialog was found idle: later paints are the repaints timed
    HWND dialog = nullptr;
    bool repaint = false;           // also time full repaints of the list
    std::vector<double> repaints;
    int rows = 0;
    // Milliseconds inside the outermost handler of each kind of message, by window class.
    std::map<std::string, double> inside;
};

Run* g_run = nullptr;
const bench::HostTable* g_hostTable = nullptr;

void CALLBACK IdleCheck(HWND, UINT, UINT_PTR id, DWORD)
{
    Run& run = *g_run;
    if (!bench::IsIdle(run.dialog))
        return;  // not yet
    KillTimer(nullptr, id);
    run.idle = true;
    HWND list = GetDlgItem(run.dialog, IDC_LAYER_LIST);
    run.rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    if (run.repaint) {
        for (int i = 0; i < 30; ++i) {
            const double t0 = NowMs();
            RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            run.repaints.push_back(NowMs() - t0);
        }
    }
    PostMessageW(run.dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

// Notes the marks of a run in every window the dialog makes.
class RunWatch : public bench::WindowWatch {
public:
    explicit RunWatch(Run& run) : run_(run) {}

private:
    void Created(HWND hwnd, HWND parent) override
    {
        if (run_.dialog == nullptr && parent == nullptr) {
            run_.dialog = hwnd;
            SetTimer(nullptr, 0, 10, &IdleCheck);
        }
    }
    void Before(HWND, UINT msg) override
    {
        if (msg == WM_PAINT && run_.firstPaint == 0)
            run_.firstPaint = NowMs();
        if (msg == WM_INITDIALOG)
            run_.initStart = NowMs();
        began_.push_back(NowMs());
    }
    void After(HWND hwnd, UINT msg) override
    {
        const double began = began_.back();
        began_.pop_back();
        if (began_.empty() && run_.initDone != 0 && !run_.idle) {
            wchar_t cls[32] = L"";
            GetClassNameW(hwnd, cls, 32);
            char key[64];
            snprintf(key, sizeof key, "%ls %04x", cls, msg);
            run_.inside[key] += NowMs() - began;
        }
        if (msg == WM_PAINT && !run_.idle)
            run_.lastPaint = NowMs();
        if (msg == WM_INITDIALOG)
            run_.initDone = NowMs();
    }

    Run& run_;
    std::vector<double> began_;  // of the messages being handled, outermost first
};

template <class F>
Run Measure(bool repaint, F&& call)
{
    Run run;
    run.repaint = repaint;
    g_run = &run;
    {
        RunWatch watch(run);
        run.start = NowMs();
        call();
    }
    g_run = nullptr;
    return run;
}

// ---- the same dialog through the raw API ---------------------------------------------------

struct RawLayers {
    float limits[256][2];
    COLORREF colors[256];
    int count = 0;
    int widths[4] = {0, 0, 0, 0};
};

// The list's own procedure, under WhiteList. Subclassed through GWLP_WNDPROC rather than
// SetWindowSubclass, whose Wine implementation reads a window property on every message.
WNDPROC g_listProc = nullptr;

LRESULT CALLBACK WhiteList(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_ERASEBKGND) {
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(reinterpret_cast<HDC>(wp), &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        return TRUE;
    }
    return CallWindowProcW(g_listProc, hwnd, msg, wp, lp);
}

INT_PTR CALLBACK RawProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp)
{
    static RawLayers* layers = nullptr;
    static HIMAGELIST images = nullptr;
    switch (msg) {
    case WM_INITDIALOG: {
        layers = reinterpret_cast<RawLayers*>(lp);
        HWND list = GetDlgItem(dlg, IDC_LAYER_LIST);
        g_listProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WhiteList)));
        SendDlgItemMessageW(dlg, IDC_LAYER_SPIN, UDM_SETRANGE, 0, MAKELPARAM(256, 1));
        SendDlgItemMessageW(dlg, IDC_LAYER_SPIN, UDM_SETPOS, 0, MAKELPARAM(256, 0));
        for (int id : {IDC_CONTINUOUS, IDC_ALLOW_LIMIT_EDIT, IDC_LAYER_COUNT, IDC_LAYER_SPIN, IDC_SAVE})
            EnableWindow(GetDlgItem(dlg, id), FALSE);
        // The tables of the folder.
        WIN32_FIND_DATAW fd;
        const std::wstring pattern(g_hostTable->Dir().begin(), g_hostTable->Dir().end());
        HANDLE find = FindFirstFileW((pattern + L"\\HeightLut\\*.lut").c_str(), &fd);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                std::wstring title = fd.cFileName;
                title.resize(title.size() - 4);
                SendDlgItemMessageW(dlg, IDC_TABLES, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(title.c_str()));
            } while (FindNextFileW(find, &fd));
            FindClose(find);
        }
        SendDlgItemMessageW(dlg, IDC_TABLES, CB_SELECTSTRING, 0, reinterpret_cast<LPARAM>(L"terrain"));
        // The table, spread over 0 to 2560.
        std::vector<unsigned char> bytes(396 + 6 * 256);
        HANDLE h = CreateFileA(g_hostTable->Table().c_str(), GENERIC_READ, FILE_SHARE_READ,
                               nullptr, OPEN_EXISTING, 0, nullptr);
        DWORD got = 0;
        ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
        CloseHandle(h);
        layers->count = 256;
        const float step = 2560.0f / 256;
        for (int i = 0; i < 256; ++i) {
            unsigned short c[3];
            memcpy(c, bytes.data() + 396 + 6 * i, 6);
            layers->colors[i] = RGB(c[0] >> 8, c[1] >> 8, c[2] >> 8);
            layers->limits[i][0] = i * step;
            layers->limits[i][1] = (i + 1) * step;
        }
        // Columns: the proportions 4, 5, 5, 4 over the width beside the scroll bar.
        RECT rc;
        GetClientRect(list, &rc);
        const int avail = rc.right - GetSystemMetrics(SM_CXVSCROLL);
        const int chars[4] = {4, 5, 5, 4};
        int x = 0, sum = 0;
        for (int i = 0; i < 4; ++i) {
            sum += chars[i];
            const int edge = sum * avail / 18;
            layers->widths[i] = edge - x;
            x = edge;
            LVCOLUMNW col = {};
            col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
            col.fmt = LVCFMT_CENTER;
            col.cx = layers->widths[i];
            col.pszText = const_cast<wchar_t*>(L"");
            SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&col));
        }
        images = ImageList_LoadImageW(GetModuleHandleW(L"Oroscape.dll"), MAKEINTRESOURCEW(IDB_LAYER_IMAGES), 16, 1,
                                      RGB(192, 192, 192), IMAGE_BITMAP, 0);
        SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
        // Drawn once when filled, not once per row.
        SendMessageW(list, WM_SETREDRAW, FALSE, 0);
        for (int i = 0; i < layers->count; ++i) {
            wchar_t text[64];
            LVITEMW item = {};
            item.mask = LVIF_TEXT;
            item.iItem = i;
            swprintf(text, 64, L"%d", i);
            item.pszText = text;
            SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
            for (int sub = 1; sub < 4; ++sub) {
                if (sub == 3)
                    swprintf(text, 64, L"%ld", static_cast<long>(layers->colors[i]));
                else
                    swprintf(text, 64, L"%.3f", static_cast<double>(layers->limits[i][sub - 1]));
                LVITEMW subItem = {};
                subItem.iSubItem = sub;
                subItem.pszText = text;
                SendMessageW(list, LVM_SETITEMTEXTW, i, reinterpret_cast<LPARAM>(&subItem));
            }
        }
        SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list, nullptr, TRUE);
        SetDlgItemInt(dlg, IDC_LAYER_COUNT, 256, FALSE);
        // What the library's dialog also does: it takes dropped ramp files and comes up in the
        // middle of the work area.
        DragAcceptFiles(dlg, TRUE);
        bench::CentreOnWorkArea(dlg);
        return TRUE;
    }
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        RECT row = {LVIR_BOUNDS, 0, 0, 0};
        SendMessageW(dis->hwndItem, LVM_GETITEMRECT, dis->itemID, reinterpret_cast<LPARAM>(&row));
        SetBkMode(dis->hDC, TRANSPARENT);
        SetTextColor(dis->hDC, RGB(0, 0, 0));
        int x = 0;
        for (int i = 0; i < 4; ++i) {
            wchar_t text[101];
            LVITEMW item = {};
            item.iSubItem = i;
            item.pszText = text;
            item.cchTextMax = 101;
            SendMessageW(dis->hwndItem, LVM_GETITEMTEXTW, dis->itemID, reinterpret_cast<LPARAM>(&item));
            RECT cell = {x, row.top, x + layers->widths[i], row.bottom};
            x = cell.right;
            if (i == 3) {
                RECT swatch = {cell.left + 2, cell.top + 2, cell.right - 2, cell.bottom - 2};
                SetBkColor(dis->hDC, static_cast<COLORREF>(wcstol(text, nullptr, 10)));
                ExtTextOutW(dis->hDC, 0, 0, ETO_OPAQUE, &swatch, nullptr, 0, nullptr);
            } else {
                DrawTextW(dis->hDC, text, -1, &cell, DT_CENTER | DT_VCENTER);
            }
        }
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wp) == IDCANCEL || LOWORD(wp) == IDOK) {
            EndDialog(dlg, LOWORD(wp));
            if (images != nullptr)
                ImageList_Destroy(images);
            images = nullptr;
            return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&icc);
    bench::HostTable table("oroscape_bench");
    g_hostTable = &table;
    const HMODULE library = GetModuleHandleW(L"Oroscape.dll");

    std::vector<double> ours, raw, oursRepaint, rawRepaint, oursInit, rawInit, oursShow, rawShow;
    // Phases: [0] the call until WM_INITDIALOG (template, controls), [1] WM_INITDIALOG,
    // [2] until the first paint, [3] until the last paint ended.
    std::vector<double> oursPhase[4], rawPhase[4];
    std::map<std::string, std::vector<double>> oursInside, rawInside;
    std::vector<double> pairRatios;  // of neighbouring runs, which see the same load of a shared machine
    int oursRows = 0, rawRows = 0;
    for (int k = 0; k < runs + 1; ++k) {
        // Alternate, so that both see the same machine, each going first in every other pair;
        // the first pair warms up.
        HeightColorInfo info = {};
        strcpy(info.szName, "terrain");
        info.nLayers = 256;
        const float range[2] = {0.0f, 2560.0f};
        RawLayers layers;
        auto ofLibrary = [&] { return Measure(true, [&] { _SetHeightColorDlg(range, &info); }); };
        auto ofRaw = [&] {
            return Measure(true, [&] {
                DialogBoxParamW(library, MAKEINTRESOURCEW(IDD_HEIGHT_COLOR), nullptr, &RawProc,
                                reinterpret_cast<LPARAM>(&layers));
            });
        };
        Run a, b;
        if (k % 2 == 0) {
            a = ofLibrary();
            b = ofRaw();
        } else {
            b = ofRaw();
            a = ofLibrary();
        }
        if (k == 0)
            continue;
        ours.push_back(a.lastPaint - a.start);
        raw.push_back(b.lastPaint - b.start);
        pairRatios.push_back((a.lastPaint - a.start) / (b.lastPaint - b.start));
        oursInit.push_back(a.initDone - a.start);
        rawInit.push_back(b.initDone - b.start);
        oursShow.push_back(a.firstPaint - a.start);
        rawShow.push_back(b.firstPaint - b.start);
        for (auto [run, phase, inside] : {std::tuple{&a, oursPhase, &oursInside}, std::tuple{&b, rawPhase, &rawInside}}) {
            phase[0].push_back(run->initStart - run->start);
            phase[1].push_back(run->initDone - run->initStart);
            phase[2].push_back(run->firstPaint - run->initDone);
            phase[3].push_back(run->lastPaint - run->firstPaint);
            for (const auto& [key, ms] : run->inside)
                (*inside)[key].push_back(ms);
        }
        oursRepaint.push_back(Median(a.repaints));
        rawRepaint.push_back(Median(b.repaints));
        oursRows = a.rows;
        rawRows = b.rows;
    }

    const double mOurs = Median(ours), mRaw = Median(raw);
#if defined(_WIN64)
    const char* arch = "x86_64";
#else
    const char* arch = "i686";
#endif
    const double ratio = Median(pairRatios);
    printf("heightcolor_256_layers_to_idle: median %.1f ms ratio %.2f (raw Win32 %.1f ms; %s, %d runs, rows painted "
           "%d and %d; goal <= 1.10)\n",
           mOurs, ratio, mRaw, arch, runs, oursRows, rawRows);
    printf("heightcolor_256_layers_init_done: median %.1f ms (raw Win32 %.1f ms; the call until WM_INITDIALOG returned)\n",
           Median(oursInit), Median(rawInit));
    printf("heightcolor_256_layers_first_paint: median %.1f ms (raw Win32 %.1f ms; the call until the first WM_PAINT)\n",
           Median(oursShow), Median(rawShow));
    printf("heightcolor_256_layers_phases: median ms, library/raw: template and controls %.1f/%.1f, WM_INITDIALOG "
           "%.1f/%.1f, then to the first paint %.1f/%.1f, painting to the last paint %.1f/%.1f\n",
           Median(oursPhase[0]), Median(rawPhase[0]), Median(oursPhase[1]), Median(rawPhase[1]), Median(oursPhase[2]),
           Median(rawPhase[2]), Median(oursPhase[3]), Median(rawPhase[3]));
    if (getenv("BENCH_MESSAGES") != nullptr) {
        // Time inside each kind of message after WM_INITDIALOG (a sum a run, median over runs).
        for (auto* inside : {&oursInside, &rawInside}) {
            printf("%s\n", inside == &oursInside ? "library" : "raw");
            for (const auto& [key, v] : *inside)
                if (Median(v) >= 0.2)
                    printf("  %-28s %7.2f ms (%zu runs)\n", key.c_str(), Median(v), v.size());
        }
    }
    printf("heightcolor_256_layers_repaint: median %.2f ms ratio %.2f (raw Win32 %.2f ms; the whole list, erased and "
           "painted; goal <= 1.10)\n",
           Median(oursRepaint), Median(rawRepaint) > 0 ? Median(oursRepaint) / Median(rawRepaint) : 0.0,
           Median(rawRepaint));
    return 0;
}
