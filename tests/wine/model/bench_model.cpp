// Benchmark of the model sheet: _ShowModelDialog from the call until the light
// page is shown, painted and the sheet idle, against a plain property sheet of
// the same three templates made with PropertySheetW in the same run
// (interleaved); and one accessor call. Goal: the library's sheet at most 1.10
// times the plain one (the plain pages set no values in their controls, so the
// floor is, if anything, low).
// Prints one line per figure: "name: median <value> <unit> [ratio <r>] [(goal ...)]".
//
// "Idle and painted" is the first timer message the sheet's loop hands out:
// timers come only when no sent, posted, input or paint message is left. The
// timer is due 10 ms after the call (the platform's minimum), well before
// either sheet is ready.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench_timing.h"
#include "include/oroscape.h"
#include "res/resource.h"
#include "res/captions.h"

namespace {

using bench::Median;
using bench::Now;

const wchar_t* const kCaption = kCaptionModelSheet;

// CPU seconds this process has used (all its threads; not the X server's).
double ProcessCpu()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& f) {
        return static_cast<double>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime) * 1e-7;
    };
    return seconds(kernel) + seconds(user);
}

// The measurement of one showing: set up before the call, finished by the timer.
struct Showing {
    double start = 0;
    double ready = 0;
    double cpuStart = 0;
    double cpuReady = 0;
    bool pageShown = false;
};
Showing g_showing;
HWND g_timerWindow = nullptr;

BOOL CALLBACK FindSheet(HWND h, LPARAM lp)
{
    wchar_t cls[16] = {}, text[32] = {};
    GetClassNameW(h, cls, 16);
    GetWindowTextW(h, text, 32);
    if (IsWindowVisible(h) && lstrcmpW(cls, L"#32770") == 0 && lstrcmpW(text, kCaption) == 0) {
        *reinterpret_cast<HWND*>(lp) = h;
        return FALSE;
    }
    return TRUE;
}

LRESULT CALLBACK TimerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg != WM_TIMER)
        return DefWindowProcW(hwnd, msg, wp, lp);
    HWND sheet = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindSheet, reinterpret_cast<LPARAM>(&sheet));
    if (sheet == nullptr)
        return 0;  // not built yet: the next tick
    KillTimer(hwnd, 1);
    g_showing.ready = Now();
    g_showing.cpuReady = ProcessCpu();
    HWND page = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    g_showing.pageShown = page != nullptr && IsWindowVisible(page) && GetDlgItem(page, IDC_LIGHT_AMBIENT_R) != nullptr;
    PostMessageW(sheet, WM_COMMAND, IDCANCEL, 0);
    return 0;
}

struct Times {
    double wall;  // seconds from the call to idle and painted; < 0 when the light page was not shown
    double cpu;   // CPU seconds of this process over the same span
};

template <class F>
Times TimeShowing(F show)
{
    g_showing = Showing{};
    g_showing.cpuStart = ProcessCpu();
    g_showing.start = Now();
    SetTimer(g_timerWindow, 1, USER_TIMER_MINIMUM, nullptr);
    show();
    if (!g_showing.pageShown)
        return {-1, -1};
    return {g_showing.ready - g_showing.start, g_showing.cpuReady - g_showing.cpuStart};
}

INT_PTR CALLBACK PlainPageProc(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}

// The same three templates in a sheet with no code of the library's.
void ShowPlainSheet(HWND owner)
{
    HINSTANCE lib = GetModuleHandleW(L"Oroscape.dll");
    PROPSHEETPAGEW pages[3] = {};
    const UINT templates[3] = {IDD_LIGHT_PAGE, IDD_MATERIAL_PAGE, IDD_FOG_PAGE};
    for (int i = 0; i < 3; ++i) {
        pages[i].dwSize = sizeof pages[i];
        pages[i].hInstance = lib;
        pages[i].pszTemplate = MAKEINTRESOURCEW(templates[i]);
        pages[i].pfnDlgProc = PlainPageProc;
    }
    PROPSHEETHEADERW psh = {};
    psh.dwSize = sizeof psh;
    psh.dwFlags = PSH_PROPSHEETPAGE;
    psh.hwndParent = owner;
    psh.hInstance = lib;
    psh.pszCaption = kCaption;
    psh.nPages = 3;
    psh.ppsp = pages;
    PropertySheetW(&psh);
}

}  // namespace

int main()
{
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TAB_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&icc);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = TimerProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"BenchModelTimer";
    RegisterClassW(&wc);
    g_timerWindow = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                                    nullptr);
    HWND host = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr, nullptr,
                                wc.hInstance, nullptr);
    OROSCAPE_HOSTWND hostObject = {};
    hostObject.hWnd = host;

    HMODELSHEET sheet = nullptr;
    if (_CreateModelDialog(&hostObject, &sheet) != 1) {
        std::printf("bench_model: the sheet cannot be created\n");
        return 1;
    }
    const MODELCOLOR sky = {90, 140, 210};
    _SetBackColor_(sheet, &sky);
    _SetFogDensity_(sheet, 0.35f);

    auto library = [&] { _ShowModelDialog(sheet); };
    auto plain = [&] { ShowPlainSheet(host); };
    for (int i = 0; i < 2; ++i) {  // warm-up: first loads of templates, fonts, classes
        TimeShowing(library);
        TimeShowing(plain);
    }
    // Alternating showings; the ratio is the median of the ratios of neighbouring
    // pairs, which see the same load of a shared machine.
    std::vector<double> wallLib, wallPlain, cpuLib, cpuPlain, ratios, cpuRatios;
    for (int r = 0; r < 31; ++r) {
        Times tl = TimeShowing(library), tp = TimeShowing(plain);
        if (tl.wall < 0 || tp.wall < 0) {
            std::printf("bench_model: a sheet did not show its light page\n");
            return 1;
        }
        wallLib.push_back(tl.wall);
        wallPlain.push_back(tp.wall);
        cpuLib.push_back(tl.cpu);
        cpuPlain.push_back(tp.cpu);
        ratios.push_back(tl.wall / tp.wall);
        if (tp.cpu > 0)
            cpuRatios.push_back(tl.cpu / tp.cpu);
    }
    std::printf("show_model_sheet_to_idle: median %.1f ms ratio %.2f (of plain_property_sheet_to_idle; goal <= 1.10)\n",
                Median(wallLib) * 1e3, Median(ratios));
    std::printf("plain_property_sheet_to_idle: median %.1f ms\n", Median(wallPlain) * 1e3);
    std::printf("show_model_sheet_cpu: median %.1f ms ratio %.2f (of plain_property_sheet_cpu; read in 10 ms ticks)\n",
                Median(cpuLib) * 1e3,
                cpuRatios.empty() ? 0.0 : Median(cpuRatios));
    std::printf("plain_property_sheet_cpu: median %.1f ms\n", Median(cpuPlain) * 1e3);

    // One accessor call: rounds of 100000 calls, alternating a getter and a setter.
    float density = 0;
    MODELCOLOR c = {1, 2, 3};
    std::vector<double> get, set;
    for (int r = 0; r < 21; ++r) {
        double t0 = Now();
        for (int i = 0; i < 100000; ++i)
            _GetFogDensity_(sheet, &density);
        double t1 = Now();
        for (int i = 0; i < 100000; ++i) {
            c.b = static_cast<short>(i & 255);
            _SetLight_Diffuse_(sheet, &c);
        }
        double t2 = Now();
        get.push_back((t1 - t0) / 100000);
        set.push_back((t2 - t1) / 100000);
    }
    std::printf("accessor_get_fog_density: median %.1f ns\n", Median(get) * 1e9);
    std::printf("accessor_set_light_diffuse: median %.1f ns\n", Median(set) * 1e9);

    _DeleteModelDialog(&sheet);
    DestroyWindow(host);
    return 0;
}
