// The tour's and the benchmark's way into the viewer: the pictures and palette of its checks.
#include "demo/tour/probe.h"

#include <algorithm>

#include "support/capture.h"

namespace tour {

std::vector<Rgb8> Probe::LayerPalette() const
{
    std::vector<Rgb8> palette;
    for (const ColorLayer& l : v_.layers_) {
        if (std::find(palette.begin(), palette.end(), l.color) == palette.end())
            palette.push_back(l.color);
    }
    return palette;
}

void Probe::RenderOffscreen(RenderMode mode, std::vector<uint8_t>* rgba, int* w, int* h)
{
    int x, y;
    v_.ViewRect(&x, &y, w, h);
    v_.scene_.Render(v_.camera_, x, y, *w, *h, mode);
    v_.scene_.ReadRgba(x, y, *w, *h, rgba);
}

bool Probe::SaveWindowPicture(const std::wstring& path)
{
    RedrawWindow(v_.hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ui::Image image = ui::CaptureWindow(v_.hwnd_, ui::Source::WindowDc);
    if (image.empty())
        return false;
    // The terrain as OpenGL draws it, pasted over the client area (a window DC need not hold
    // what the driver presented).
    int x, y, w, h;
    v_.ViewRect(&x, &y, &w, &h);
    std::vector<uint8_t> rgba;
    RenderOffscreen(RenderMode::Shaded, &rgba, &w, &h);
    POINT origin = {0, 0};
    ClientToScreen(v_.hwnd_, &origin);
    RECT frame;
    GetWindowRect(v_.hwnd_, &frame);
    const int ox = origin.x - frame.left, oy = origin.y - frame.top;
    for (int row = 0; row < h; ++row) {
        const int iy = oy + row;
        if (iy < 0 || iy >= image.height)
            continue;
        const uint8_t* src = &rgba[static_cast<size_t>(h - 1 - row) * w * 4];
        for (int col = 0; col < w; ++col) {
            const int ix = ox + col;
            if (ix >= 0 && ix < image.width)
                image.pixels[static_cast<size_t>(iy) * image.width + ix] = ui::Rgb(src[col * 4], src[col * 4 + 1], src[col * 4 + 2]);
        }
    }
    v_.RenderNow();
    return ui::WritePng(path, image);
}

}  // namespace tour
