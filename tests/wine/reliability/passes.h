// passes.h: one complete use of each dialog export, driven like a user and checked, for the tests that
// repeat them (soak) or run them in unusual surroundings (threads, switched module states).
//   rel::WriteAvi, rel::WriteEnviImage, rel::ModelHost, rel::ChooserPass, rel::TexParamPass,
//   rel::PlaybackPass, rel::HeightColorPass, rel::ModelPass
//
// Each pass makes the export's call on the calling thread (its UI thread) with a ui::Script, ends it
// with OK when `ok` is true and with Cancel (or what a user does instead) otherwise, and checks the
// export's result and outputs with gtest assertions. A pass returns whether its script ran through.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "chooser_support.h"
#include "include/oroscape.h"

namespace rel {

// An uncompressed AVI: one 'vids' stream of 24-bit frames ('DIB '), ten frames a second, an idx1 index.
std::vector<unsigned char> AviBytes(int width, int height, int frames);
bool WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);
bool WriteAvi(const std::string& path, int width, int height, int frames);
// An image of three bands for RimBase.dll: <dir>\<title>.img and its ENVI header <dir>\<title>.hdr with
// the default bands {3, 2, 1}. Returns the image's path.
std::string WriteEnviImage(const std::string& dir, const std::string& title);

// A host's main window (hidden, on the thread that makes it) with the window object handed to
// _CreateModelDialog; counts the WM_MODEL_APPLY it receives.
class ModelHost {
public:
    ModelHost();
    ~ModelHost();
    ModelHost(const ModelHost&) = delete;
    ModelHost& operator=(const ModelHost&) = delete;
    OROSCAPE_HOSTWND* Object() { return &object_; }
    int Applies() const { return applies_; }
    WPARAM LastMask() const { return lastMask_; }

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    OROSCAPE_HOSTWND object_{};
    int applies_ = 0;
    WPARAM lastMask_ = 0;
};

// _SelectTextureFile in the current folder, which holds `picture` (a bitmap of `color`): selects it,
// waits until the pane shows it, then Open (result 1, the path in the buffer) or Cancel (0, buffer
// untouched).
bool ChooserPass(const std::wstring& picture, COLORREF color, bool ok);

// _SetTexParamDlg on `image` (three bands): on OK chooses RGBA8 and confirms (1, code 5, bands 2, 1, 0);
// on Cancel (0) the outputs stay as they were.
bool TexParamPass(const std::string& image, bool ok);

// _PlayAVIWnd on a playable video: the window with its MCI child comes up and is closed with Enter
// (OK, 1), Esc (Cancel, 2) or, every other Cancel, its close box (2).
bool PlaybackPass(const std::string& video, int pass);

// _SetHeightColorDlg on a record naming "terrain" (256 layers; HeightLut must hold terrain.lut with
// 256 entries): switches to custom layers (six), asks for a blend without picked colours (warning
// 4020, dismissed), then OK (record: 6 layers, no name) or Cancel (2; name and count as they were,
// the green ramp of the custom layers in place).
bool HeightColorPass(const float range[2], bool ok);

// _ShowModelDialog on a sheet made with `host`: edits the light diffuse blue field to `blue`, presses
// Apply (the host is told with the diffuse bit), then OK, or on odd passes the close box (Cancel is
// disabled after an Apply). The sheet keeps the value: _GetLight_Diffuse_ reads it back.
bool ModelPass(HMODELSHEET sheet, ModelHost& host, int pass);

}  // namespace rel
