// Benchmark of the texture parameter dialog: how long _SetTexParamDlg takes
// to come up (OpenGL context, format list, band lists) for images of 3 to
// 65535 bands, against the raw cost of a temporary OpenGL context; and how
// long RimBase.dll takes to open an image with a large header, against reading
// the same file with plain file calls.
// Prints one line per figure: "name: median <value> <unit> [ratio <r>]".
#include <windows.h>
#include <GL/gl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "include/oroscape.h"
#include "test_hostdir.h"
#include "texture/rimbase.h"
#include "res/captions.h"

namespace {

using bench::Median;
using bench::Now;

// Waits (at most 10 minutes) for the dialog to be visible, notes the time, and confirms it.
struct Closer {
    DWORD uiThread;
    std::atomic<double> shownAt{0};
    static DWORD WINAPI Main(void* arg)
    {
        auto* self = static_cast<Closer*>(arg);
        const double start = Now();
        while (Now() - start < 600) {
            HWND d = FindWindowW(L"#32770", kCaptionTexParam);
            if (d != nullptr && IsWindowVisible(d) &&
                GetWindowThreadProcessId(d, nullptr) == self->uiThread) {
                self->shownAt = Now();
                PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                return 0;
            }
            Sleep(1);
        }
        return 1;
    }
};

// Seconds from the call until the dialog shows; negative when it never did.
double TimeToShow(const char* image, int* redOut)
{
    Closer closer;
    closer.uiThread = GetCurrentThreadId();
    HANDLE t = CreateThread(nullptr, 0, &Closer::Main, &closer, 0, nullptr);
    char format = 0;
    int g = 0, b = 0;
    const double start = Now();
    short r = _SetTexParamDlg(image, &format, redOut, &g, &b);
    WaitForSingleObject(t, INFINITE);
    CloseHandle(t);
    return r == 1 && closer.shownAt > 0 ? closer.shownAt - start : -1;
}

// A temporary context as plain Win32 makes one: hidden window, pixel format,
// context, current, extension string, and everything released.
double RawContext()
{
    const double start = Now();
    WNDCLASSW wc = {};
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"BenchTexParamGL";
    RegisterClassW(&wc);
    HWND w = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    HDC dc = GetDC(w);
    PIXELFORMATDESCRIPTOR pfd = {};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
    pfd.cDepthBits = 32;
    SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd);
    HGLRC rc = wglCreateContext(dc);
    wglMakeCurrent(dc, rc);
    volatile const GLubyte* ext = glGetString(GL_EXTENSIONS);
    (void)ext;
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(rc);
    ReleaseDC(w, dc);
    DestroyWindow(w);
    UnregisterClassW(wc.lpszClassName, wc.hInstance);
    return Now() - start;
}

std::string ImageWithBands(test::HostDir& dir, int bands)
{
    std::string title = "b" + std::to_string(bands);
    std::string image = dir.WriteFile(title + ".img", "pixels");
    dir.WriteFile(title + ".hdr", "ENVI\nbands = " + std::to_string(bands) + "\ndefault bands = {1, 2, 3}\n");
    return image;
}

}  // namespace

int main()
{
    test::HostDir dir;

    std::vector<double> raw;
    for (int i = 0; i < 7; ++i)
        raw.push_back(RawContext());
    const double rawMs = Median(raw) * 1000;
    std::printf("raw_gl_temp_context: median %.1f ms\n", rawMs);

    const struct {
        int bands;
        int rounds;
    } sizes[] = {{3, 7}, {256, 5}, {4096, 3}, {65535, 1}};
    for (const auto& s : sizes) {
        std::string image = ImageWithBands(dir, s.bands);
        std::vector<double> samples;
        for (int i = 0; i < s.rounds; ++i) {
            int red = -2;
            double t = TimeToShow(image.c_str(), &red);
            if (t < 0 || red != 0) {
                std::printf("texparam_show_%dbands: the dialog did not show or did not return\n", s.bands);
                return 1;
            }
            samples.push_back(t);
        }
        const double ms = Median(samples) * 1000;
        std::printf("texparam_show_%dbands: median %.1f ms ratio %.2f (of raw_gl_temp_context)\n", s.bands, ms,
                    ms / rawMs);
    }

    // A header near the reader's 1 MiB limit: band names for 65535 bands.
    std::string header = "ENVI\nbands = 65535\ndefault bands = {3, 2, 1}\nband names = {";
    for (int i = 1; i <= 65535; ++i)
        header += (i > 1 ? ", band " : "band ") + std::to_string(i);
    header += "}\n";
    header.resize(std::min(header.size(), size_t(1) << 20));
    if (header.back() != '\n')
        header.replace(header.size() - 2, 2, "}\n");
    const std::string image = dir.WriteFile("big.img", "pixels");
    const std::string headerPath = dir.WriteFile("big.hdr", header);
    std::vector<double> open, plain;
    for (int i = 0; i < 9; ++i) {
        double t0 = Now();
        RMHANDLE h = 0;
        int rc = rmOpenRimFileForRead(image.c_str(), &h);
        if (rc != RM_OK) {
            std::printf("rimbase_open_1MiB_header: open failed (%d)\n", rc);
            return 1;
        }
        rmCloseRimFileForRead(h);
        open.push_back(Now() - t0);

        t0 = Now();
        HANDLE f = CreateFileA(headerPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        std::string buf(header.size(), '\0');
        DWORD got = 0;
        ReadFile(f, &buf[0], static_cast<DWORD>(buf.size()), &got, nullptr);
        CloseHandle(f);
        plain.push_back(Now() - t0);
    }
    std::printf("rimbase_open_1MiB_header: median %.2f ms ratio %.1f (of a plain read of the header)\n",
                Median(open) * 1000, Median(open) / Median(plain));
    return 0;
}
