// Benchmark of the texture chooser's preview: every paint of the chooser reloads the picture from
// disk and stretches it over the pane (no caching), so one paint costs a file read, a DIB
// section and a StretchBlt. Measured through the real export, by repainting the chooser's
// window while a picture is selected; the baseline is the same load-measure-stretch done by
// hand into a memory bitmap of the pane's size in the same process. Goal: at most 1.10 times
// that. (The baseline paints no window: the library's figure also holds the erase and paint of
// the chooser's child dialog and of the pane, so the floor is low.)
// Prints one line per figure: "name: median <value> <unit> [ratio <r>] ... (goal ...)".
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "chooser_support.h"
#include "include/oroscape.h"
#include "uidriver_gtest.h"
#include "res/captions.h"

namespace {

using bench::Median;
using bench::Now;

const wchar_t* const kTitle = kCaptionTextureFile;

// The load-measure-stretch of one preview, by hand, into `target` (the pane's size).
void DrawByHand(const std::wstring& path, HDC target, int w, int h)
{
    HBITMAP bmp = static_cast<HBITMAP>(LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                                  LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (bmp == nullptr)
        return;
    BITMAP info;
    GetObjectW(bmp, sizeof info, &info);
    if (info.bmBitsPixel >= 16 && info.bmWidth <= 511 && info.bmHeight <= 511) {
        HDC mem = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(mem, bmp);
        SetStretchBltMode(target, COLORONCOLOR);
        StretchBlt(target, 0, 0, w, h, mem, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
    }
    DeleteObject(bmp);
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
    const int kRounds = 9, kBatch = 20;

    test::PictureFolder pics;
    for (const Case& c : cases)
        pics.Bitmap(c.file, c.width, c.height, c.bits, RGB(200, 120, 40));
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(pics.Path().c_str());

    std::vector<std::string> lines;
    char buf[512] = "";
    ui::Script s;
    s.SetTimeout(60000);
    s.Step("time the paints", [&](ui::Ctx& c) {
        HWND dialog = c.WaitWindow(kTitle, L"#32770");
        HWND child = nullptr, pane = nullptr, list = nullptr;
        c.WaitFor([&] {
            child = FindWindowExW(dialog, nullptr, L"#32770", nullptr);
            pane = GetDlgItem(dialog, 0xFFFF);
            HWND view = GetDlgItem(dialog, 1121);
            list = view ? FindWindowExW(view, nullptr, L"SysListView32", nullptr) : nullptr;
            return child && pane && list;
        }, "the chooser");
        RECT rc;
        GetClientRect(pane, &rc);
        for (const Case& k : cases) {
            int index = -1;
            c.RunOnUi([&] {
                LVFINDINFOW find = {};
                find.flags = LVFI_STRING | LVFI_PARTIAL;
                find.psz = k.file;
                index = static_cast<int>(SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1),
                                                      reinterpret_cast<LPARAM>(&find)));
            });
            if (index < 0)
                c.Fail("no list entry for a picture");
            c.ListSelect(list, index);
            c.Flush();
            c.Sleep(100);
            std::vector<double> lib, hand;
            const std::wstring path = pics.Path() + L"\\" + k.file;
            c.RunOnUi([&] {
                HDC screen = GetDC(nullptr);
                HDC target = CreateCompatibleDC(screen);
                HBITMAP surface = CreateCompatibleBitmap(screen, rc.right, rc.bottom);
                HGDIOBJ old = SelectObject(target, surface);
                ReleaseDC(nullptr, screen);
                for (int r = 0; r < kRounds; ++r) {
                    double t0 = Now();
                    for (int i = 0; i < kBatch; ++i)
                        RedrawWindow(child, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
                    lib.push_back((Now() - t0) / kBatch);
                    t0 = Now();
                    for (int i = 0; i < kBatch; ++i)
                        DrawByHand(path, target, rc.right, rc.bottom);
                    hand.push_back((Now() - t0) / kBatch);
                }
                SelectObject(target, old);
                DeleteObject(surface);
                DeleteDC(target);
            });
            const double l = Median(lib), h = Median(hand);
            snprintf(buf, sizeof buf, "%s: median %.3f ms ratio %.2f (by hand %.3f ms; goal <= 1.10)", k.name, l * 1e3,
                     h > 0 ? l / h : 0.0, h * 1e3);
            lines.push_back(buf);
        }
        c.Click(dialog, IDCANCEL);
    });
    char path[300];
    s.Run([&] { return _SelectTextureFile(path); });
    SetCurrentDirectoryW(previous);
    for (const std::string& line : lines)
        printf("%s\n", line.c_str());
    return s.Succeeded() ? 0 : 1;
}
