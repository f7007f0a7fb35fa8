// terrainview's calls into Oroscape.dll: the model sheet and the menu commands that open the
// library's dialogs.
#include "demo/viewer.h"

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "demo/recorder.h"
#include "demo/terrainview_res.h"
#include "demo/wintext.h"
#include "support/capture.h"
#include "terrain/enviraster.h"
#include "demo/smalldialogs.h"
#include "demo/viewer_parts.h"

using namespace viewer;

// ---- the model sheet -----------------------------------------------------------------------

void TerrainViewer::LoadLookIntoSheet()
{
    _SetLight_Ambient_(sheet_, &look_.lightAmbient);
    _SetLight_Diffuse_(sheet_, &look_.lightDiffuse);
    _SetLight_Specular_(sheet_, &look_.lightSpecular);
    _SetLineColor_(sheet_, &look_.lineColor);
    _SetBackColor_(sheet_, &look_.backColor);
    _SetMaterial_Ambient_(sheet_, &look_.matAmbient);
    _SetMaterial_Diffuse_(sheet_, &look_.matDiffuse);
    _SetMaterial_Specular_(sheet_, &look_.matSpecular);
    _SetMaterial_Emission_(sheet_, &look_.matEmission);
    _SetMaterial_Shininess_(sheet_, look_.shininess);
    _SetMatMode_(sheet_, look_.matMode);
    _SetFogColor_(sheet_, &look_.fogColor);
    _SetFogDensity_(sheet_, look_.fogDensity);
}

void TerrainViewer::ReadModelValues(unsigned mask)
{
    if (!sheet_)
        return;
    if (mask & MCF_LIGHT_AMBIENT) _GetLight_Ambient_(sheet_, &look_.lightAmbient);
    if (mask & MCF_LIGHT_DIFFUSE) _GetLight_Diffuse_(sheet_, &look_.lightDiffuse);
    if (mask & MCF_LIGHT_SPECULAR) _GetLight_Specular_(sheet_, &look_.lightSpecular);
    if (mask & MCF_LINE_COLOR) _GetLineColor_(sheet_, &look_.lineColor);
    if (mask & MCF_BACK_COLOR) _GetBackColor_(sheet_, &look_.backColor);
    if (mask & MCF_MAT_AMBIENT) _GetMaterial_Ambient_(sheet_, &look_.matAmbient);
    if (mask & MCF_MAT_DIFFUSE) _GetMaterial_Diffuse_(sheet_, &look_.matDiffuse);
    if (mask & MCF_MAT_SPECULAR) _GetMaterial_Specular_(sheet_, &look_.matSpecular);
    if (mask & MCF_MAT_EMISSION) _GetMaterial_Emission_(sheet_, &look_.matEmission);
    if (mask & MCF_MAT_SHININESS) {   // the bit also stands for the colour-material mode
        _GetMaterial_Shininess_(sheet_, &look_.shininess);
        _GetMatMode_(sheet_, &look_.matMode);
    }
    if (mask & MCF_FOG_COLOR) _GetFogColor_(sheet_, &look_.fogColor);
    if (mask & MCF_FOG_DENSITY) _GetFogDensity_(sheet_, &look_.fogDensity);
    scene_.SetLook(look_);
}

void TerrainViewer::OnModelApply(unsigned mask)
{
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    ReadModelValues(mask);
    RenderNow();
    QueryPerformanceCounter(&end);
    lastApplyMs_ = Milliseconds(start, end);
    lastApplyMask_ = mask;
    ++applyCount_;
    applyText_ = Format(L"应用 0x%04X, 重绘 %.1f 毫秒", mask, lastApplyMs_);
    UpdateStatus();
}

// ---- commands ------------------------------------------------------------------------------

template <class F>
auto TerrainViewer::Modal(F&& call) -> decltype(call())
{
    inModal_ = true;
    EnableWindow(hwnd_, FALSE);
    auto result = call();
    EnableWindow(hwnd_, TRUE);
    SetForegroundWindow(hwnd_);
    inModal_ = false;
    return result;
}

int TerrainViewer::EditHeightColors()
{
    if (grid_.z.empty())
        return 0;
    const float range[2] = {mesh_.lowest, mesh_.highest};
    // The dialog edits limits and colours in place whatever its end; Cancel here means the
    // record as it was.
    HeightColorInfo before = layering_;
    const int result = Modal([&] { return _SetHeightColorDlg(range, &layering_); });
    if (result == IDOK) {
        startLayers_ = false;   // the user's layers from now on
        layering_.nLayers = static_cast<short>(std::min<int>(OROSCAPE_MAX_LAYERS, std::max<int>(1, layering_.nLayers)));
        layering_.szName[sizeof layering_.szName - 1] = '\0';
        Recolour();
        RenderNow();
    } else {
        layering_ = before;
    }
    UpdateStatus();
    return result;
}

bool TerrainViewer::EditModelParameters()
{
    if (!sheet_) {
        Warn(L"模型参数设置不可用 (模型参数表未能创建)。");
        return false;
    }
    Modal([&] { return _ShowModelDialog(sheet_); });
    // The sheet keeps whatever the user left in it, Apply or not: the view follows.
    ReadModelValues(0xFFFF);
    RenderNow();
    UpdateStatus();
    return true;
}

bool TerrainViewer::LoadBitmapTexture(const std::wstring& path, std::wstring* error)
{
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                                     LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!bitmap) {
        *error = L"不是可读取的位图文件";
        return false;
    }
    BITMAP info = {};
    GetObjectW(bitmap, sizeof info, &info);
    const int w = info.bmWidth, h = std::abs(info.bmHeight);
    bool ok = w > 0 && h > 0 && w <= 8192 && h <= 8192;
    std::vector<uint8_t> rgb;
    if (ok) {
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;   // top-down
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        std::vector<uint8_t> bgra(static_cast<size_t>(w) * h * 4);
        HDC dc = GetDC(nullptr);
        ok = GetDIBits(dc, bitmap, 0, static_cast<UINT>(h), bgra.data(), &bi, DIB_RGB_COLORS) == h;
        ReleaseDC(nullptr, dc);
        rgb.resize(static_cast<size_t>(w) * h * 3);
        for (size_t i = 0, j = 0; ok && i < rgb.size(); i += 3, j += 4) {
            rgb[i] = bgra[j + 2];
            rgb[i + 1] = bgra[j + 1];
            rgb[i + 2] = bgra[j];
        }
    }
    DeleteObject(bitmap);
    std::wstring held;
    if (!ok || !scene_.SetTexture(rgb, w, h, TEXFMT_RGB8, &held)) {
        *error = ok ? L"OpenGL 无法载入此纹理" : L"位图尺寸无效";
        return false;
    }
    textureText_ = FileTitle(path) + L", " + held;
    return true;
}

int TerrainViewer::ChooseTextureFile()
{
    // The chooser opens in the current folder: the one with the sample pictures.
    SetCurrentDirectoryW(programDir_.c_str());
    char path[MAX_PATH + 1] = {};
    const short result = Modal([&] { return _SelectTextureFile(path); });
    if (result == 1) {
        path[MAX_PATH] = '\0';
        std::wstring error;
        const std::wstring wide = FromAnsi(path);
        if (LoadBitmapTexture(wide, &error))
            RenderNow();
        else
            Warn(Format(L"无法使用纹理文件 %ls: %ls。", wide.c_str(), error.c_str()));
    }
    UpdateStatus();
    return result;
}

bool TerrainViewer::ChooseImageFile()
{
    wchar_t file[MAX_PATH];
    lstrcpynW(file, imagePath_.c_str(), MAX_PATH);
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hwnd_;
    ofn.lpstrFilter = L"ENVI 多波段影像 (*.img;*.dat;*.bsq;*.bil;*.bip)\0*.img;*.dat;*.bsq;*.bil;*.bip\0所有文件 (*.*)\0*.*\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = L"打开多波段影像";
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
    if (!GetOpenFileNameW(&ofn))
        return false;
    imagePath_ = file;
    UpdateStatus();
    return true;
}

int TerrainViewer::ChooseTextureParameters()
{
    std::string ansi;
    if (!ToAnsiPath(imagePath_, &ansi)) {
        Warn(Format(L"影像路径 %ls 无法以当前代码页表示。", imagePath_.c_str()));
        return 0;
    }
    char format = TEXFMT_NONE;
    int bands[3] = {-1, -1, -1};
    const short result = Modal([&] { return _SetTexParamDlg(ansi.c_str(), &format, &bands[0], &bands[1], &bands[2]); });
    if (result != 1) {
        UpdateStatus();
        return result;
    }

    // The pixels: the ENVI header beside the image gives their layout.
    std::wstring header = imagePath_;
    const size_t dot = header.find_last_of(L'.');
    const size_t slash = header.find_last_of(L"\\/");
    header = (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash) ? header.substr(0, dot) : header) + L".hdr";
    std::vector<char> headerText, data;
    std::wstring error;
    EnviRaster raster;
    if (!ReadWholeFile(header, 1 << 20, &headerText, &error) &&
        !ReadWholeFile(imagePath_ + L".hdr", 1 << 20, &headerText, &error)) {
        Warn(Format(L"无法读取影像头文件 %ls: %ls。", header.c_str(), error.c_str()));
        return result;
    }
    const EnviRasterStatus status = ParseEnviRaster(headerText.data(), headerText.size(), &raster);
    if (status != EnviRasterStatus::Ok) {
        Warn(status == EnviRasterStatus::UnsupportedType ? L"只支持 8 位 (data type = 1) 的影像。"
                                                         : L"影像头文件格式错误。");
        return result;
    }
    if (!ReadWholeFile(imagePath_, EnviDataBytes(raster) + (1 << 20), &data, &error)) {
        Warn(Format(L"无法读取影像 %ls: %ls。", imagePath_.c_str(), error.c_str()));
        return result;
    }
    // A channel without a chosen band shows the band of its own position, as far as there is one.
    for (int k = 0; k < 3; ++k)
        if (bands[k] < 0 || bands[k] >= raster.bands)
            bands[k] = std::min(k, raster.bands - 1);
    std::vector<uint8_t> rgb;
    std::wstring held;
    if (!ComposeEnviRgb(raster, reinterpret_cast<const uint8_t*>(data.data()), data.size(), bands[0], bands[1],
                        bands[2], &rgb) ||
        !scene_.SetTexture(rgb, raster.samples, raster.lines, static_cast<unsigned char>(format), &held)) {
        Warn(L"影像数据不完整, 无法生成纹理。");
        return result;
    }
    textureText_ = Format(L"%ls 波段 %d,%d,%d, %ls", FileTitle(imagePath_).c_str(), bands[0] + 1, bands[1] + 1,
                          bands[2] + 1, held.c_str());
    RenderNow();
    UpdateStatus();
    return result;
}

int TerrainViewer::RecordAndPlay()
{
    int x, y, w, h;
    ViewRect(&x, &y, &w, &h);
    const int fw = std::min(kOrbitWidth, w), fh = std::min(kOrbitHeight, h);
    if (fw < 64 || fh < 48) {
        Warn(L"窗口太小, 无法录制。");
        return 0;
    }
    AviRecorder recorder;
    if (!recorder.Open(recordingPath_, fw, fh, kOrbitFps)) {
        Warn(Format(L"无法创建视频文件 %ls (错误 0x%08lX)。", recordingPath_.c_str(),
                    static_cast<unsigned long>(recorder.LastError())));
        return 0;
    }
    const OrbitCamera saved = camera_;
    std::vector<uint8_t> frame;
    bool ok = true;
    for (int i = 0; ok && i < kOrbitFrames; ++i) {
        camera_.yaw = saved.yaw + 360.0f * i / kOrbitFrames;
        camera_.Clamp();
        scene_.Render(camera_, x, y, fw, fh, RenderMode::Shaded);
        scene_.ReadBgra(x, y, fw, fh, &frame);
        ok = recorder.AddFrame(frame.data());
        applyText_ = Format(L"正在录制 %d/%d", i + 1, kOrbitFrames);
        UpdateStatus();
        RenderNow();
    }
    ok = recorder.Close() && ok;
    camera_ = saved;
    applyText_.clear();
    RenderNow();
    if (!ok) {
        Warn(Format(L"写入视频文件失败 (错误 0x%08lX)。", static_cast<unsigned long>(recorder.LastError())));
        return 0;
    }
    std::string ansi;
    if (!ToAnsiPath(recordingPath_, &ansi)) {
        Warn(Format(L"视频路径 %ls 无法以当前代码页表示。", recordingPath_.c_str()));
        return 0;
    }
    const int result = Modal([&] { return _PlayAVIWnd(ansi.c_str()); });
    UpdateStatus();
    return result;
}

void TerrainViewer::Warn(const std::wstring& text)
{
    if (options_.tour || options_.bench || options_.crackCheck) {
        if (log_)
            log_(L"提示: " + text);
        return;
    }
    MessageBoxW(hwnd_, text.c_str(), kAppTitle, MB_OK | MB_ICONWARNING);
}

