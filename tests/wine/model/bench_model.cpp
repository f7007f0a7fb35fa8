// Benchmark of the model sheet: _ShowModelDialog from the call until the light
// page is shown, painted and the sheet idle, against a plain property sheet of
// the same three templates made with PropertySheetW in the same run
// (interleaved); and one accessor call. Goal: the library's sheet at most 1.10
// times the plain one.
//
// The plain sheet is what a careful program written against the API alone does
// for the same pages: its page procedures put the same values into the same
// controls at WM_INITDIALOG (each field's number, each spin's range and
// position, the radio buttons), paint the swatches in their rows' colours with
// the same margin (one pixel at 96 dots per inch, more at higher resolutions),
// follow their fields' changes and keep the Apply button as the library does.
// Under the Chinese code page the benchmark runs in (936), neither sheet
// changes any font.
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
#include <cfloat>
#include <cwchar>
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

// ---------------------------------------------------------------------------
// The plain sheet's pages.

// One red-green-blue row: its edits and spins (red, green, blue) and its swatch.
struct PlainRow {
    UINT edit[3];
    UINT spin[3];
    UINT swatch;
};

const PlainRow kPlainLightRows[] = {
    {{IDC_LIGHT_AMBIENT_R, IDC_LIGHT_AMBIENT_G, IDC_LIGHT_AMBIENT_B},
     {IDC_LIGHT_AMBIENT_R_SPIN, IDC_LIGHT_AMBIENT_G_SPIN, IDC_LIGHT_AMBIENT_B_SPIN}, IDC_LIGHT_AMBIENT_SAMPLE},
    {{IDC_LIGHT_DIFFUSE_R, IDC_LIGHT_DIFFUSE_G, IDC_LIGHT_DIFFUSE_B},
     {IDC_LIGHT_DIFFUSE_R_SPIN, IDC_LIGHT_DIFFUSE_G_SPIN, IDC_LIGHT_DIFFUSE_B_SPIN}, IDC_LIGHT_DIFFUSE_SAMPLE},
    {{IDC_LIGHT_SPECULAR_R, IDC_LIGHT_SPECULAR_G, IDC_LIGHT_SPECULAR_B},
     {IDC_LIGHT_SPECULAR_R_SPIN, IDC_LIGHT_SPECULAR_G_SPIN, IDC_LIGHT_SPECULAR_B_SPIN}, IDC_LIGHT_SPECULAR_SAMPLE},
    {{IDC_LINE_COLOR_R, IDC_LINE_COLOR_G, IDC_LINE_COLOR_B},
     {IDC_LINE_COLOR_R_SPIN, IDC_LINE_COLOR_G_SPIN, IDC_LINE_COLOR_B_SPIN}, IDC_LINE_COLOR_SAMPLE},
    {{IDC_BACK_COLOR_R, IDC_BACK_COLOR_G, IDC_BACK_COLOR_B},
     {IDC_BACK_COLOR_R_SPIN, IDC_BACK_COLOR_G_SPIN, IDC_BACK_COLOR_B_SPIN}, IDC_BACK_COLOR_SAMPLE},
};
const PlainRow kPlainMaterialRows[] = {
    {{IDC_MAT_AMBIENT_R, IDC_MAT_AMBIENT_G, IDC_MAT_AMBIENT_B},
     {IDC_MAT_AMBIENT_R_SPIN, IDC_MAT_AMBIENT_G_SPIN, IDC_MAT_AMBIENT_B_SPIN}, IDC_MAT_AMBIENT_SAMPLE},
    {{IDC_MAT_DIFFUSE_R, IDC_MAT_DIFFUSE_G, IDC_MAT_DIFFUSE_B},
     {IDC_MAT_DIFFUSE_R_SPIN, IDC_MAT_DIFFUSE_G_SPIN, IDC_MAT_DIFFUSE_B_SPIN}, IDC_MAT_DIFFUSE_SAMPLE},
    {{IDC_MAT_SPECULAR_R, IDC_MAT_SPECULAR_G, IDC_MAT_SPECULAR_B},
     {IDC_MAT_SPECULAR_R_SPIN, IDC_MAT_SPECULAR_G_SPIN, IDC_MAT_SPECULAR_B_SPIN}, IDC_MAT_SPECULAR_SAMPLE},
    {{IDC_MAT_EMISSION_R, IDC_MAT_EMISSION_G, IDC_MAT_EMISSION_B},
     {IDC_MAT_EMISSION_R_SPIN, IDC_MAT_EMISSION_G_SPIN, IDC_MAT_EMISSION_B_SPIN}, IDC_MAT_EMISSION_SAMPLE},
};
const PlainRow kPlainFogRows[] = {
    {{IDC_FOG_COLOR_R, IDC_FOG_COLOR_G, IDC_FOG_COLOR_B},
     {IDC_FOG_COLOR_R_SPIN, IDC_FOG_COLOR_G_SPIN, IDC_FOG_COLOR_B_SPIN}, IDC_FOG_COLOR_SAMPLE},
};

// What one plain page shows and edits: its colour rows and, on some pages, a
// number with a spin (shininess), a real number (fog density) or a radio group.
struct PlainPage {
    const PlainRow* rows;
    int rowCount;
    short color[5][3];
    UINT numberEdit, numberSpin;
    short number, numberMax;
    UINT realEdit;
    float real;
    UINT radioFirst, radioLast;
    int radio;  // index in the group; -1: none checked
    bool active;
    bool shown;  // activated since its window was made
};

COLORREF PlainRowColor(const short (&c)[3])
{
    return RGB(c[0] & 0xFF, c[1] & 0xFF, c[2] & 0xFF);
}

// The swatches: the template's statics, painted in the colour kept in their
// user data, a margin left as the library leaves it.
WNDPROC g_staticProc = nullptr;

LRESULT CALLBACK PlainSwatchProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg != WM_PAINT)
        return CallWindowProcW(g_staticProc, hwnd, msg, wp, lp);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    const int margin = dpi > 0 ? MulDiv(1, dpi, 96) : 1;
    InflateRect(&rc, -margin, -margin);
    const COLORREF old = SetBkColor(dc, static_cast<COLORREF>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    SetBkColor(dc, old);
    EndPaint(hwnd, &ps);
    return 0;
}

void PlainSetSwatch(HWND page, const PlainRow& row, const short (&c)[3], bool redraw)
{
    HWND swatch = GetDlgItem(page, static_cast<int>(row.swatch));
    SetWindowLongPtrW(swatch, GWLP_USERDATA, static_cast<LONG_PTR>(PlainRowColor(c)));
    if (redraw)
        InvalidateRect(swatch, nullptr, TRUE);
}

void PlainSetSpin(HWND page, UINT id, short upper, short value)
{
    HWND spin = GetDlgItem(page, static_cast<int>(id));
    SendMessageW(spin, UDM_SETRANGE, 0, MAKELPARAM(upper, 0));
    SendMessageW(spin, UDM_SETPOS, 0, static_cast<LPARAM>(static_cast<unsigned short>(value)));
}

void PlainWriteFields(HWND page, const PlainPage& p)
{
    for (int r = 0; r < p.rowCount; ++r)
        for (int c = 0; c < 3; ++c)
            SetDlgItemInt(page, static_cast<int>(p.rows[r].edit[c]), static_cast<UINT>(p.color[r][c]), TRUE);
    if (p.numberEdit != 0)
        SetDlgItemInt(page, static_cast<int>(p.numberEdit), static_cast<UINT>(p.number), TRUE);
    if (p.realEdit != 0) {
        wchar_t text[64];
        swprintf(text, 64, L"%.*g", FLT_DIG, static_cast<double>(p.real));
        SetDlgItemTextW(page, static_cast<int>(p.realEdit), text);
    }
    if (p.radioFirst != 0)
        CheckRadioButton(page, static_cast<int>(p.radioFirst), static_cast<int>(p.radioLast),
                         static_cast<int>(p.radioFirst) + p.radio);
}

// Reads the fields back; false at the first one that is no number in range.
bool PlainReadFields(HWND page, PlainPage& p)
{
    for (int r = 0; r < p.rowCount; ++r)
        for (int c = 0; c < 3; ++c) {
            BOOL ok = FALSE;
            const int v = static_cast<int>(GetDlgItemInt(page, static_cast<int>(p.rows[r].edit[c]), &ok, TRUE));
            if (!ok || v < 0 || v > 255)
                return false;
            p.color[r][c] = static_cast<short>(v);
        }
    if (p.numberEdit != 0) {
        BOOL ok = FALSE;
        const int v = static_cast<int>(GetDlgItemInt(page, static_cast<int>(p.numberEdit), &ok, TRUE));
        if (!ok || v < 0 || v > p.numberMax)
            return false;
        p.number = static_cast<short>(v);
    }
    if (p.realEdit != 0) {
        wchar_t text[64] = {}, *end = nullptr;
        GetDlgItemTextW(page, static_cast<int>(p.realEdit), text, 64);
        const double v = wcstod(text, &end);
        if (end == text || !(v >= 0 && v <= 1))
            return false;
        p.real = static_cast<float>(v);
    }
    if (p.radioFirst != 0) {
        p.radio = -1;
        for (UINT id = p.radioFirst; id <= p.radioLast; ++id)
            if (IsDlgButtonChecked(page, static_cast<int>(id)) == BST_CHECKED)
                p.radio = static_cast<int>(id - p.radioFirst);
    }
    return true;
}

INT_PTR CALLBACK PlainPageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    PlainPage* p = reinterpret_cast<PlainPage*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG: {
        p = reinterpret_cast<PlainPage*>(reinterpret_cast<const PROPSHEETPAGEW*>(lp)->lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(p));
        p->shown = false;
        PlainWriteFields(hwnd, *p);
        for (int r = 0; r < p->rowCount; ++r) {
            for (int c = 0; c < 3; ++c)
                PlainSetSpin(hwnd, p->rows[r].spin[c], 255, p->color[r][c]);
            HWND swatch = GetDlgItem(hwnd, static_cast<int>(p->rows[r].swatch));
            WNDPROC before = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(swatch, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PlainSwatchProc)));
            if (g_staticProc == nullptr)
                g_staticProc = before;
            PlainSetSwatch(hwnd, p->rows[r], p->color[r], false);
        }
        if (p->numberSpin != 0)
            PlainSetSpin(hwnd, p->numberSpin, p->numberMax, p->number);
        return FALSE;
    }
    case WM_COMMAND:
        if (p == nullptr || lp == 0)
            return FALSE;
        if (HIWORD(wp) == EN_CHANGE || HIWORD(wp) == BN_CLICKED) {
            // Inactive (its own writing at initialisation): only the swatches follow the values.
            if (p->active) {
                PlainReadFields(hwnd, *p);
                PropSheet_Changed(GetParent(hwnd), hwnd);
            }
            for (int r = 0; r < p->rowCount; ++r)
                if (LOWORD(wp) >= p->rows[r].edit[0] && LOWORD(wp) <= p->rows[r].edit[2])
                    PlainSetSwatch(hwnd, p->rows[r], p->color[r], p->active);
        }
        return FALSE;
    case WM_NOTIFY: {
        const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lp);
        if (p == nullptr || hdr->hwndFrom != GetParent(hwnd))
            return FALSE;
        if (hdr->code == PSN_SETACTIVE) {
            // Shown again: the values may have changed meanwhile (the first time they were just written).
            if (p->shown)
                PlainWriteFields(hwnd, *p);
            p->shown = true;
            p->active = true;
            SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        if (hdr->code == PSN_KILLACTIVE) {
            p->active = false;
            SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, PlainReadFields(hwnd, *p) ? FALSE : TRUE);
            return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

PlainPage g_plainPages[3];

// The plain pages hold the values the library's sheet is given (SetPlainValues).
void SetPlainValues(const MODELCOLOR& back, float fogDensity)
{
    g_plainPages[0] = PlainPage{kPlainLightRows, 5, {}, 0, 0, 0, 0, 0, 0.0f, 0, 0, -1, false, false};
    g_plainPages[0].color[4][0] = back.r;
    g_plainPages[0].color[4][1] = back.g;
    g_plainPages[0].color[4][2] = back.b;
    g_plainPages[1] = PlainPage{kPlainMaterialRows, 4, {}, IDC_MAT_SHININESS, IDC_MAT_SHININESS_SPIN, 0, 128,
                                0, 0.0f, 0, 0, -1, false, false};
    g_plainPages[2] = PlainPage{kPlainFogRows, 1, {}, 0, 0, 0, 0, IDC_FOG_DENSITY, fogDensity,
                                IDC_MATMODE_AMBIENT, IDC_MATMODE_AMBIENT_DIFFUSE, -1, false, false};
}

// The same three templates in a sheet with no code of the library's.
void ShowPlainSheet(HWND owner)
{
    HINSTANCE lib = GetModuleHandleW(L"Oroscape.dll");
    PROPSHEETPAGEW pages[3] = {};
    const UINT templates[3] = {IDD_LIGHT_PAGE, IDD_MATERIAL_PAGE, IDD_FOG_PAGE};
    for (int i = 0; i < 3; ++i) {
        g_plainPages[i].active = false;
        pages[i].dwSize = sizeof pages[i];
        pages[i].hInstance = lib;
        pages[i].pszTemplate = MAKEINTRESOURCEW(templates[i]);
        pages[i].pfnDlgProc = PlainPageProc;
        pages[i].lParam = reinterpret_cast<LPARAM>(&g_plainPages[i]);
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
    SetPlainValues(sky, 0.35f);

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
