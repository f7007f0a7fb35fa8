// Hosts usually carry a manifest for version 6 of the common controls; this program does (see
// comctl6.rc), so every control of the library's dialogs is version 6 here: the owner-drawn layer
// list, the property pages, the up-down controls. Each dialog export runs its complete pass, as the
// soak runs it, and pictures of the layering dialog and the model sheet are taken for `make screens`.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string.h>
#include <wchar.h>

#include <string>

#include "chooser_support.h"
#include "include/oroscape.h"
#include "passes.h"
#include "res/resource.h"
#include "test_hostdir.h"
#include "uidriver_gtest.h"
#include "res/captions.h"

namespace {

// Whether the process's common controls are version 6: the side-by-side assembly
// Microsoft.Windows.Common-Controls 6.0 (its folder under winsxs), not the system folder's comctl32.
bool CommonControlsAreVersion6()
{
    wchar_t module[MAX_PATH] = L"";
    GetModuleFileNameW(GetModuleHandleW(L"comctl32.dll"), module, MAX_PATH);
    _wcslwr(module);
    return wcsstr(module, L"common-controls") != nullptr && wcsstr(module, L"_6.") != nullptr;
}

TEST(CommonControls6, EveryDialogRunsItsPass)
{
    ASSERT_TRUE(CommonControlsAreVersion6()) << "the manifest did not bring version 6 of the common controls";
    test::HostDir host;
    host.CopyShippedTable("terrain");
    const float range[2] = {120.0f, 2450.0f};
    EXPECT_TRUE(rel::HeightColorPass(range, true));
    EXPECT_TRUE(rel::HeightColorPass(range, false));

    rel::ModelHost modelHost;
    HMODELSHEET sheet = nullptr;
    ASSERT_EQ(1, _CreateModelDialog(modelHost.Object(), &sheet));
    EXPECT_TRUE(rel::ModelPass(sheet, modelHost, 0));
    EXPECT_EQ(1, _DeleteModelDialog(&sheet));

    EXPECT_TRUE(rel::TexParamPass(rel::WriteEnviImage(host.Path(), "scene"), true));
    const std::string video = host.Path() + "\\scene.avi";
    ASSERT_TRUE(rel::WriteAvi(video, 32, 24, 4));
    EXPECT_TRUE(rel::PlaybackPass(video, 0));

    test::PictureFolder pics;
    const COLORREF red = RGB(216, 24, 32);
    const std::wstring picture = pics.Bitmap(L"v6.bmp", 96, 64, 24, red);
    wchar_t previous[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(pics.Path().c_str());
    EXPECT_TRUE(rel::ChooserPass(picture, red, true));
    SetCurrentDirectoryW(previous);
}

// Pictures of the layering dialog (its owner-drawn list) and the model sheet drawn by version 6,
// for `make screens`.
TEST(CommonControls6, Pictures)
{
    test::HostDir host;
    host.CopyShippedTable("terrain");
    const float range[2] = {120.0f, 2450.0f};
    HeightColorInfo record = {};
    strcpy(record.szName, "terrain");
    record.nLayers = 256;
    ui::Script s;
    s.Step("picture, Cancel", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaptionHeightColor, L"#32770");
        c.Flush();
        ui::SaveScreenshotIfRequested(d, L"heightcolor_comctl6");
        c.Click(d, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, s.Run([&] { return _SetHeightColorDlg(range, &record); }));

    rel::ModelHost modelHost;
    HMODELSHEET sheet = nullptr;
    ASSERT_EQ(1, _CreateModelDialog(modelHost.Object(), &sheet));
    ui::Script m;
    m.Step("picture, Cancel", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaptionModelSheet, L"#32770");
        c.RunOnUi([&] { RedrawWindow(d, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW); });
        c.Flush();
        ui::SaveScreenshotIfRequested(d, L"model_light_page_comctl6");
        c.Click(d, IDCANCEL);
        PostMessageW(d, WM_NULL, 0, 0);
    });
    EXPECT_EQ(1, m.Run([&] { return _ShowModelDialog(sheet); }));
    _DeleteModelDialog(&sheet);
}

}  // namespace
