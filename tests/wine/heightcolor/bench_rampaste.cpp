// bench_rampaste: a 256-stop ramp pasted into the layering dialog, under Wine.
//
//  1. From the Ctrl+V the dialog's modal loop takes (the list has the focus) until the dialog is
//     idle with the 256 new rows painted: the ramp read from the clipboard, laid over the range,
//     written to the record and the list refilled. Goal: under 100 ms.
//  2. The Windows-free part alone: the same text through ramps::ImportLayers.
//
// Two ramps take turns, so that every paste changes every row. The key arrives as a user's
// would reach the loop: Ctrl held in the thread's keyboard state, WM_KEYDOWN 'V' queued for the
// list. "Painted" is the end of the last WM_PAINT of the dialog or a control after the key; a
// timer (the lowest-priority message, so only when nothing else is pending) notices idleness.
//
// Usage: bench_rampaste [pastes]   (default 21; prints medians in milliseconds)
#include <windows.h>
#include <commctrl.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "bench_dialogs.h"
#include "bench_timing.h"
#include "include/oroscape.h"
#include "ramps/ramp.h"
#include "res/resource.h"

namespace {

using bench::Median;

double NowMs() { return 1000.0 * bench::Now(); }

const float kRange[2] = {0.0f, 2550.0f};

// 256 stops, 10 apart, each its own colour: 255 continuous stretches, 256 layers.
std::string Ramp256(bool reversed)
{
    std::string text;
    for (int i = 0; i < 256; ++i) {
        const int k = reversed ? 255 - i : i;
        text += std::to_string(i * 10) + " " + std::to_string(k) + " " + std::to_string(255 - k) + " " +
                std::to_string(k * 7 % 256) + "\r\n";
    }
    return text;
}

bool PutClipboardText(const std::string& ascii)
{
    if (!OpenClipboard(nullptr))
        return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (ascii.size() + 1) * sizeof(wchar_t));
    wchar_t* to = static_cast<wchar_t*>(GlobalLock(block));
    for (size_t i = 0; i < ascii.size(); ++i)
        to[i] = static_cast<wchar_t>(ascii[i]);
    to[ascii.size()] = L'\0';
    GlobalUnlock(block);
    const bool ok = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    CloseClipboard();
    return ok;
}

// ---- one dialog, many pastes --------------------------------------------------------------

struct Session {
    int wanted = 0;
    HWND dialog = nullptr;
    double keyAt = 0, lastPaint = 0;
    bool waiting = false;   // a paste is under way
    int done = 0;
    std::vector<double> pastes;
    std::string ramps[2];
    int rowsSeen = 0;
};

Session* g_session = nullptr;

void SetCtrl(bool down)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = down ? 0x80 : 0;
    keys[VK_LCONTROL] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

void CALLBACK IdleCheck(HWND, UINT, UINT_PTR id, DWORD)
{
    Session& s = *g_session;
    if (!bench::IsIdle(s.dialog))
        return;  // not yet
    HWND list = GetDlgItem(s.dialog, IDC_LAYER_LIST);
    if (s.waiting) {
        SetCtrl(false);
        s.waiting = false;
        s.rowsSeen = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        s.pastes.push_back(std::max(s.lastPaint, s.keyAt) - s.keyAt);
        ++s.done;
    }
    if (s.done >= s.wanted) {
        KillTimer(nullptr, id);
        PostMessageW(s.dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);  // OK: the record says what took
        return;
    }
    PutClipboardText(s.ramps[s.done % 2]);
    SetFocus(list);
    SetCtrl(true);
    s.waiting = true;
    s.keyAt = NowMs();
    PostMessageW(list, WM_KEYDOWN, 'V', 1);
}

// Notes the end of every paint of the dialog's windows; starts the pastes once the dialog is made.
class PasteWatch : public bench::WindowWatch {
    void Created(HWND hwnd, HWND parent) override
    {
        if (g_session->dialog == nullptr && parent == nullptr) {
            g_session->dialog = hwnd;
            SetTimer(nullptr, 0, 10, &IdleCheck);
        }
    }
    void After(HWND, UINT msg) override
    {
        if (msg == WM_PAINT)
            g_session->lastPaint = NowMs();
    }
};

}  // namespace

int main(int argc, char** argv)
{
    const int pastes = argc > 1 ? std::max(1, atoi(argv[1])) : 21;
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&icc);
    bench::HostTable table("oroscape_bench_paste");

    Session s;
    s.wanted = pastes + 1;  // the first warms up
    s.ramps[0] = Ramp256(false);
    s.ramps[1] = Ramp256(true);
    g_session = &s;
    HeightColorInfo info = {};
    strcpy(info.szName, "terrain");
    info.nLayers = 256;
    {
        PasteWatch watch;
        _SetHeightColorDlg(kRange, &info);
    }
    g_session = nullptr;
    if (!s.pastes.empty())
        s.pastes.erase(s.pastes.begin());

    std::vector<double> imports;
    for (int k = 0; k < pastes; ++k) {
        ramps::Format format;
        ramps::Ramp ramp;
        std::vector<ColorLayer> layers;
        ramps::Report report;
        const double t0 = NowMs();
        ramps::ImportLayers("", s.ramps[k % 2], kRange[0], kRange[1], &format, &ramp, &layers, &report);
        imports.push_back(NowMs() - t0);
    }
#if defined(_WIN64)
    const char* arch = "x86_64";
#else
    const char* arch = "i686";
#endif
    const bool pasted = info.nLayers == 256 && s.rowsSeen == 256 && info.szName[0] == '\0';
    printf("bench_rampaste (%s): %d pastes of a 256-stop ramp, medians; layers after the last: %d, rows %d\n", arch,
           static_cast<int>(s.pastes.size()), info.nLayers, s.rowsSeen);
    if (!pasted || s.pastes.empty()) {
        printf("paste_256_stops: failed (the paste did not become 256 custom layers)\n");
        return 1;
    }
    printf("paste_256_stops: median %.2f ms from Ctrl+V to the 256 rows painted (goal < 100 ms)\n", Median(s.pastes));
    printf("import_256_stops: median %.3f ms for the ramp read and laid over the range alone\n", Median(imports));
    return 0;
}
