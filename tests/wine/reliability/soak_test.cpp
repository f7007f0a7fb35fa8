// Soak: every export used again and again in one process, through the real DLL and the UI driver, with
// the process's GDI objects, windows, menus, kernel handles and private bytes counted after each cycle.
// After the first cycles (the system's caches fill) the levels must stay where they are.
//
// OROSCAPE_SOAK_CYCLES sets the cycles of each export (default 20, the short run of the test suite;
// `make soak` runs 300). OK and Cancel alternate; the model sheet is created once and shown every
// cycle with an Apply; the chooser previews a bitmap every cycle.
#include <gtest/gtest.h>

#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>

#include <math.h>
#include <stdlib.h>

#include <algorithm>
#include <string>

#include "chooser_support.h"
#include "include/oroscape.h"
#include "levels.h"
#include "passes.h"
#include "test_hostdir.h"
#include "uidriver_gtest.h"

namespace {

int Cycles()
{
    const char* v = getenv("OROSCAPE_SOAK_CYCLES");
    const int n = v ? atoi(v) : 0;
    return n > 0 ? n : 20;
}

// The level is taken after a tenth of the cycles: at least 3, at most 30.
int Warmup(int cycles) { return std::min(30, std::max(3, cycles / 10)); }

// Kernel handles that the platform's own open dialog keeps per Open, measured with a plain
// GetOpenFileNameW that has nothing of the library in it (in the current folder, which holds
// `file`). Wine 8's comdlg32 leaves one registry key (ComDlg32\LastVisitedMRU) open after every
// Open; the chooser's soak allows for that much and no more.
double PlatformHandlesPerOpen(const std::wstring& file)
{
    auto open = [&] {
        wchar_t path[MAX_PATH] = L"";
        OPENFILENAMEW ofn = {};
        ofn.lStructSize = sizeof ofn;
        ofn.lpstrFile = path;
        ofn.nMaxFile = MAX_PATH;
        ofn.lpstrFilter = L"Bitmap\0*.bmp\0";
        ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
        ui::Script s;
        s.Step("type the name and open", [&](ui::Ctx& c) {
            HWND d = c.WaitWindow(nullptr, L"#32770");
            HWND name = nullptr;
            c.WaitFor([&] { return (name = ui::Ctx::FindItem(d, cmb13)) != nullptr; }, "the name box");
            c.SetText(name, file);
            c.Click(d, IDOK);
        });
        return s.Run([&] { return GetOpenFileNameW(&ofn); }) != FALSE && s.Succeeded();
    };
    if (!open() || !open())  // the first ones load the shell's parts
        return -1;
    const long before = rel::MeasureLevels().handles;
    for (int i = 0; i < 4; ++i)
        if (!open())
            return -1;
    return (rel::MeasureLevels().handles - before) / 4.0;
}

class Soak : public ::testing::Test {
protected:
    void SetUp() override { start_ = GetTickCount(); }
    double Seconds() const { return (GetTickCount() - start_) / 1000.0; }

    // Runs `pass` Cycles() times, sampling after each; stops at the first pass that fails.
    template <class F>
    void Repeat(const char* name, F pass, rel::Margins margins = rel::Margins())
    {
        const int cycles = Cycles();
        rel::FillDcCache();
        rel::LevelTrack track(name, Warmup(cycles), margins);
        for (int i = 0; i < cycles; ++i) {
            const bool ran = pass(i);
            track.Sample();
            if (!ran || HasFailure()) {
                ADD_FAILURE() << name << ": cycle " << i + 1 << " failed; stopping";
                break;
            }
        }
        track.Report(Seconds());
    }

    test::HostDir host;
    DWORD start_ = 0;
};

TEST_F(Soak, ReadColorTable)
{
    host.CopyShippedTable("terrain");
    Repeat("_ReadColorTable", [&](int) {
        LayerColor colors[256];
        short count = 0;
        for (int k = 0; k < 20; ++k) {
            if (_ReadColorTable("terrain", colors, &count) != 1 || count != 256)
                return false;
            if (_ReadColorTable("missing", colors, &count) != 0 || count != 256)
                return false;
        }
        return true;
    });
}

TEST_F(Soak, SelectTextureFile)
{
    test::PictureFolder pics;
    const COLORREF red = RGB(216, 24, 32);
    const std::wstring picture = pics.Bitmap(L"soak.bmp", 96, 64, 24, red);
    wchar_t previous[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(pics.Path().c_str());  // the open dialog starts in the current folder
    const double platform = PlatformHandlesPerOpen(L"soak.bmp");
    ASSERT_GE(platform, 0.0) << "the plain open dialog could not be driven";
    const int opens = (Cycles() - Warmup(Cycles()) + 1) / 2;  // OK on even cycles
    rel::Margins margins;
    margins.handles += static_cast<long>(ceil(platform * opens));
    printf("platform: a plain GetOpenFileNameW keeps %.2f handles per Open; allowed for %d Opens\n", platform, opens);
    Repeat("_SelectTextureFile", [&](int i) { return rel::ChooserPass(picture, red, i % 2 == 0); }, margins);
    SetCurrentDirectoryW(previous);
}

TEST_F(Soak, SetTexParamDlg)
{
    const std::string image = rel::WriteEnviImage(host.Path(), "scene");
    Repeat("_SetTexParamDlg", [&](int i) { return rel::TexParamPass(image, i % 2 == 0); });
}

TEST_F(Soak, PlayAVIWnd)
{
    const std::string video = host.Path() + "\\scene.avi";
    ASSERT_TRUE(rel::WriteAvi(video, 64, 48, 10));
    Repeat("_PlayAVIWnd", [&](int i) { return rel::PlaybackPass(video, i); });
}

TEST_F(Soak, SetHeightColorDlg)
{
    host.WriteTable("terrain.lut", test::TableBytes("terrain", 256));
    host.WriteTable("ocean.lut", test::TableBytes("ocean", 16));
    const float range[2] = {0.0f, 600.0f};
    Repeat("_SetHeightColorDlg", [&](int i) { return rel::HeightColorPass(range, i % 2 == 0); });
}

TEST_F(Soak, ModelSheetShownAgainAndAgain)
{
    rel::ModelHost hostWindow;
    HMODELSHEET sheet = nullptr;
    ASSERT_EQ(1, _CreateModelDialog(hostWindow.Object(), &sheet));
    ASSERT_NE(nullptr, sheet);
    Repeat("_ShowModelDialog", [&](int i) { return rel::ModelPass(sheet, hostWindow, i); });
    EXPECT_EQ(1, _DeleteModelDialog(&sheet));
    EXPECT_EQ(nullptr, sheet);
}

TEST_F(Soak, ModelSheetCreatedAndDeleted)
{
    rel::ModelHost hostWindow;
    Repeat("_CreateModelDialog/_DeleteModelDialog", [&](int) {
        for (int k = 0; k < 20; ++k) {
            HMODELSHEET sheet = nullptr;
            if (_CreateModelDialog(hostWindow.Object(), &sheet) != 1 || sheet == nullptr)
                return false;
            MODELCOLOR c = {1, 2, 3};
            _SetFogColor_(sheet, &c);
            _DeleteModelDialog(&sheet);
            if (sheet != nullptr)
                return false;
        }
        return true;
    });
}

}  // namespace
