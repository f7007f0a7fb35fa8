// Shared by the texture parameter tests: running _SetTexParamDlg with sentinel
// outputs, reading its lists, and OpenGL on the test's (the host's) side.
#pragma once
#include <windows.h>
#include <GL/gl.h>

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "include/oroscape.h"
#include "res/resource.h"
#include "uidriver_gtest.h"
#include "res/captions.h"

namespace texparam {

const wchar_t* const kCaption = kCaptionTexParam;
const char kFormatSentinel = 0x5A;
const int kBandSentinel = static_cast<int>(0xdeadbeef);

// ---------------------------------------------------------------------------
// Running the dialog

struct Outcome {
    short result = -7;
    char format = kFormatSentinel;
    int red = kBandSentinel;
    int green = kBandSentinel;
    int blue = kBandSentinel;
};

inline Outcome RunDialog(const char* image, ui::Script& script)
{
    Outcome o;
    o.result = script.Run([&] { return _SetTexParamDlg(image, &o.format, &o.red, &o.green, &o.blue); });
    EXPECT_TRUE(script.Succeeded());
    return o;
}

inline void ExpectUntouched(const Outcome& o)
{
    EXPECT_EQ(o.format, kFormatSentinel);
    EXPECT_EQ(o.red, kBandSentinel);
    EXPECT_EQ(o.green, kBandSentinel);
    EXPECT_EQ(o.blue, kBandSentinel);
}

inline std::vector<std::wstring> ComboItems(ui::Ctx& c, HWND combo)
{
    std::vector<std::wstring> items;
    int n = c.ComboCount(combo);
    for (int i = 0; i < n; ++i)
        items.push_back(c.ComboText(combo, i));
    return items;
}

inline std::string Join(const std::vector<std::wstring>& items)
{
    std::string out;
    for (const std::wstring& s : items)
        out += (out.empty() ? "" : ", ") + ui::Narrow(s);
    return out;
}

// What one look at the band lists saw.
struct BandLists {
    std::vector<std::wstring> items[3];  // red, green, blue
    int selection[3] = {-2, -2, -2};
};

inline BandLists ReadBandLists(ui::Ctx& c, HWND dlg)
{
    BandLists b;
    const int ids[3] = {IDC_RED_BAND, IDC_GREEN_BAND, IDC_BLUE_BAND};
    for (int i = 0; i < 3; ++i) {
        b.items[i] = ComboItems(c, c.Item(dlg, ids[i]));
        b.selection[i] = c.ComboSel(c.Item(dlg, ids[i]));
    }
    return b;
}

// ---------------------------------------------------------------------------
// OpenGL on the test's side: a context of the host's own, and the driver's extensions

class HostGlContext {
public:
    HostGlContext()
    {
        WNDCLASSW wc = {};
        wc.style = CS_OWNDC;
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TexParamTestHostGL";
        RegisterClassW(&wc);
        wnd_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 8, 8, nullptr, nullptr,
                               wc.hInstance, nullptr);
        dc_ = wnd_ ? GetDC(wnd_) : nullptr;
        PIXELFORMATDESCRIPTOR pfd = {};
        pfd.nSize = sizeof pfd;
        pfd.nVersion = 1;
        pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        pfd.iPixelType = PFD_TYPE_RGBA;
        pfd.cColorBits = 24;
        int format = dc_ ? ChoosePixelFormat(dc_, &pfd) : 0;
        if (format != 0 && SetPixelFormat(dc_, format, &pfd))
            rc_ = wglCreateContext(dc_);
    }
    ~HostGlContext()
    {
        if (wglGetCurrentContext() == rc_)
            wglMakeCurrent(nullptr, nullptr);
        if (rc_)
            wglDeleteContext(rc_);
        if (dc_)
            ReleaseDC(wnd_, dc_);
        if (wnd_)
            DestroyWindow(wnd_);
        UnregisterClassW(L"TexParamTestHostGL", GetModuleHandleW(nullptr));
    }
    HGLRC Context() const { return rc_; }
    bool MakeCurrent() { return rc_ != nullptr && wglMakeCurrent(dc_, rc_); }

private:
    HWND wnd_ = nullptr;
    HDC dc_ = nullptr;
    HGLRC rc_ = nullptr;
};

// The driver's extension string, read through a context of the test's own (none current afterwards).
inline std::string DriverExtensions()
{
    HostGlContext gl;
    if (!gl.MakeCurrent())
        return "<no context>";
    const char* ext = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    std::string out = ext ? ext : "";
    wglMakeCurrent(nullptr, nullptr);
    return out;
}

// The list a driver with these extensions must get, in the dialog's order.
inline std::vector<std::wstring> FormatsFor(const std::string& extensions)
{
    std::set<std::string> tokens;
    std::istringstream in(extensions);
    for (std::string t; std::getline(in, t, ' ');)
        tokens.insert(t);
    const bool packed = tokens.count("GL_EXT_packed_pixels") != 0;
    const bool arb = tokens.count("GL_ARB_texture_compression") != 0;
    const bool s3tc = tokens.count("GL_EXT_texture_compression_s3tc") != 0;
    std::vector<std::wstring> list = {L"RGB8"};
    if (packed)
        list.push_back(L"RGB5_A1");
    list.insert(list.end(), {L"RGBA8", L"BGRA8"});
    if (arb)
        list.insert(list.end(), {L"RGB_ARB", L"RGBA_ARB"});
    if (s3tc)
        list.insert(list.end(), {L"RGB_S3TC_DXT1", L"RGBA_S3TC_DXT1", L"RGBA_S3TC_DXT3", L"RGBA_S3TC_DXT5"});
    return list;
}

}  // namespace texparam
