// capture.h: pictures of windows (the UI tests, the demo's scripted tour), and a small PNG writer.
//   ui::Image (32-bit pixels 0x00RRGGBB), ui::CaptureWindow / ui::CaptureClient, ui::EncodePng / ui::WritePng,
//   ui::SaveScreenshotIfRequested (OROSCAPE_SCREENS_DIR, used by `make screens`).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ui {

// Top-down rows of pixels 0x00RRGGBB (not a COLORREF, whose order is 0x00BBGGRR).
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    bool empty() const { return width <= 0 || height <= 0; }
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

inline uint32_t Rgb(unsigned r, unsigned g, unsigned b) { return (r & 255u) << 16 | (g & 255u) << 8 | (b & 255u); }
inline unsigned Red(uint32_t p) { return p >> 16 & 255u; }
inline unsigned Green(uint32_t p) { return p >> 8 & 255u; }
inline unsigned Blue(uint32_t p) { return p & 255u; }
inline uint32_t FromColorref(COLORREF c) { return Rgb(GetRValue(c), GetGValue(c), GetBValue(c)); }

// Where the pixels come from (as measured under Wine 8 with Xvfb).
//  WindowDc: the window's own device context: what the window has painted, even where another window
//            covers it (Wine keeps each top-level window's pixels in a surface of its own); a hidden
//            window reads as black;
//  Screen:   the screen's device context at the window's place: what the display shows, covering
//            windows included;
//  Print:    PrintWindow (WM_PRINT: the window and its children paint themselves into a memory DC, also
//            when hidden). Only what answers WM_PRINT / WM_PRINTCLIENT appears: the standard controls
//            do, a window that paints only in WM_PAINT does not. It sends a message: call it on the
//            window's thread (in a step: Ctx::Capture, or inside Ctx::RunOnUi);
//  Auto:     WindowDc for a visible window, Print for a hidden one.
enum class Source { Auto, WindowDc, Screen, Print };

// Captures the whole window rectangle / the client area. Returns an empty image on failure. The window is
// captured as it is now: let it paint first (UpdateWindow on its thread, or Ctx::Capture which does so).
Image CaptureWindow(HWND hwnd, Source source = Source::Auto);
Image CaptureClient(HWND hwnd, Source source = Source::Auto);

// PNG, 8-bit RGB, zlib stream of stored (uncompressed) deflate blocks.
std::vector<uint8_t> EncodePng(const Image& image);
bool WritePng(const std::wstring& path, const Image& image);

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0);
uint32_t Adler32(const uint8_t* data, size_t size, uint32_t adler = 1);

// When OROSCAPE_SCREENS_DIR is set (a Windows path, or a Unix path that Wine maps to a drive), captures
// the window and writes <dir>/<name>.png, creating the folder. Returns the file written, empty when the
// variable is unset or on failure (a failure also prints a line on stderr).
std::wstring SaveScreenshotIfRequested(HWND hwnd, const std::wstring& name);

}  // namespace ui
