// terrainview's window: its messages, the mouse, the keys and the menu.
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

// ---- window --------------------------------------------------------------------------------

LRESULT CALLBACK TerrainViewer::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    TerrainViewer* self = reinterpret_cast<TerrainViewer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        self = static_cast<TerrainViewer*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    }
    return self ? self->OnMessage(msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT TerrainViewer::OnMessage(UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd_, &ps);
        EndPaint(hwnd_, &ps);
        RenderNow();
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;   // OpenGL paints everything
    case WM_SIZE:
        Layout();
        UpdateStatus();
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
    case WM_LBUTTONDOWN:
        dragging_ = true;
        dragFrom_ = POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        SetCapture(hwnd_);
        return 0;
    case WM_MOUSEMOVE:
        if (dragging_) {
            const POINT p = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            camera_.Drag(p.x - dragFrom_.x, p.y - dragFrom_.y);
            dragFrom_ = p;
            RenderNow();
        }
        return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (dragging_) {
            dragging_ = false;
            if (msg == WM_LBUTTONUP)
                ReleaseCapture();
        }
        return 0;
    case WM_MOUSEWHEEL:
        camera_.Zoom(GET_WHEEL_DELTA_WPARAM(wp));
        RenderNow();
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wp));
        return 0;
    case WM_MODEL_APPLY:
        OnModelApply(static_cast<unsigned>(wp & 0xFFFF));
        return 0;
    case WM_VIEWER_START:
        exitCode_ = startAction_ ? startAction_(*this) : 0;
        DestroyWindow(hwnd_);
        return 0;
    case WM_CLOSE:
        if (inModal_)
            return 0;   // a library dialog is still up
        DestroyWindow(hwnd_);
        return 0;
    case WM_DESTROY:
        if (sheet_)
            _DeleteModelDialog(&sheet_);
        scene_.Destroy();   // while the window and its device context still exist
        PostQuitMessage(exitCode_);
        return 0;
    default:
        return DefWindowProcW(hwnd_, msg, wp, lp);
    }
}

void TerrainViewer::OnCommand(int id)
{
    if (inModal_)
        return;
    switch (id) {
    case IDM_OPEN_GRID: {
        wchar_t file[MAX_PATH] = L"";
        OPENFILENAMEW ofn = {};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = hwnd_;
        ofn.lpstrFilter = L"高程数据 (*.asc;*.txt;*.hgt)\0*.asc;*.txt;*.hgt\0ESRI ASCII 栅格 (*.asc;*.txt)\0*.asc;*.txt\0"
                          L"SRTM 瓦片 (*.hgt)\0*.hgt\0所有文件 (*.*)\0*.*\0";
        ofn.lpstrFile = file;
        ofn.nMaxFile = MAX_PATH;
        ofn.lpstrTitle = L"打开高程数据";
        ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
        if (GetOpenFileNameW(&ofn))
            OpenGrid(file);
        break;
    }
    case IDM_OPEN_IMAGE:
        ChooseImageFile();
        break;
    case IDM_EXIT:
        PostMessageW(hwnd_, WM_CLOSE, 0, 0);
        break;
    case IDM_WIRE:
        SetGridLines(!gridLines_);
        break;
    case IDM_CLEAR_TEXTURE:
        scene_.ClearTexture();
        textureText_.clear();
        UpdateStatus();
        RenderNow();
        break;
    case IDM_RESET_VIEW:
        ResetView();
        RenderNow();
        break;
    case IDM_START_LAYERS:
        UseStartLayers();
        break;
    case IDM_EXAGGERATE_1: SetExaggeration(1.0f); break;
    case IDM_EXAGGERATE_2: SetExaggeration(2.0f); break;
    case IDM_EXAGGERATE_5: SetExaggeration(5.0f); break;
    case IDM_EXAGGERATE_10: SetExaggeration(10.0f); break;
    case IDM_EXAGGERATE_TYPED: {
        float factor = exaggeration_;
        inModal_ = true;
        const INT_PTR ok = DialogBoxParamW(instance_, MAKEINTRESOURCEW(IDD_EXAGGERATION), hwnd_, ExaggerationProc,
                                           reinterpret_cast<LPARAM>(&factor));
        inModal_ = false;
        if (ok == IDOK)
            SetExaggeration(factor);
        break;
    }
    case IDM_GEOGRAPHIC:
        SetGeographic(!geographic_);
        break;
    case IDM_HEIGHT_COLOR:
        if (EditHeightColors() == -1)
            Warn(L"高程分层设色对话框未能打开。");
        break;
    case IDM_IMPORT_RAMP:
        ImportRamp();
        break;
    case IDM_EXPORT_RAMP:
        ExportRamp();
        break;
    case IDM_MODEL_PARAMS:
        EditModelParameters();
        break;
    case IDM_TEXTURE_FILE:
        ChooseTextureFile();
        break;
    case IDM_TEXTURE_PARAMS:
        ChooseTextureParameters();
        break;
    case IDM_RECORD_PLAY:
        if (RecordAndPlay() == -1)
            Warn(L"场景播放窗口未能打开。");
        break;
    default:
        break;
    }
}

void TerrainViewer::SetGridLines(bool on)
{
    gridLines_ = on;
    CheckMenuItem(GetMenu(hwnd_), IDM_WIRE, gridLines_ ? MF_CHECKED : MF_UNCHECKED);
    RenderNow();
}

