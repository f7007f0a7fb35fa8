// The library as a host sees it: the colour-table reader and the module state around every
// guarded export. (Its export and import tables are read from the shipped files natively:
// tests/native/pe.)
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "afx/afxstate.h"
#include "include/oroscape.h"
#include "test_hostdir.h"

namespace {

class ReadColorTable : public ::testing::Test {
protected:
    test::HostDir host;
    LayerColor colors[300];
    short count = -7;

    void SetUp() override
    {
        for (LayerColor& c : colors)
            c = {0xDEAD, 0xBEEF, 0xF00D};
    }
    void ExpectGreyRamp(short result)
    {
        EXPECT_EQ(result, 0);
        EXPECT_EQ(count, 256);
        for (int i = 0; i < 256; ++i) {
            ASSERT_EQ(colors[i].r, i);
            ASSERT_EQ(colors[i].g, i);
            ASSERT_EQ(colors[i].b, i);
        }
        EXPECT_EQ(colors[256].r, 0xDEAD) << "written past the caller's 256 entries";
    }
};

TEST_F(ReadColorTable, FailuresGiveTheGreyRamp)
{
    ExpectGreyRamp(_ReadColorTable(nullptr, colors, &count));
    SetUp();
    count = -7;
    ExpectGreyRamp(_ReadColorTable("missing", colors, &count));
    SetUp();
    count = -7;
    // A name that would leave the folder is refused even when the file exists.
    host.WriteTable("..\\outside.lut", test::TableBytes("outside", 3), false);
    ExpectGreyRamp(_ReadColorTable("..\\outside", colors, &count));
}

TEST_F(ReadColorTable, NoHostDirectoryGivesTheGreyRamp)
{
    host.WriteTable("plain.lut", test::TableBytes("plain", 4));
    SetEnvironmentVariableA("OROSCAPE_HOST_DIR", "");  // set but empty: the host has none
    ExpectGreyRamp(_ReadColorTable("plain", colors, &count));
}

TEST_F(ReadColorTable, ReadsCountAndEntriesLeavingTheRest)
{
    host.WriteTable("hills.lut", test::TableBytes("hills", 6));
    EXPECT_EQ(_ReadColorTable("hills", colors, &count), 1);
    EXPECT_EQ(count, 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(colors[i].r, (i * 10) << 8);
        EXPECT_EQ(colors[i].g, (i * 20) << 8);
        EXPECT_EQ(colors[i].b, (i * 30) << 8);
    }
    EXPECT_EQ(colors[6].r, 0xDEAD);
}

TEST_F(ReadColorTable, WrongMagicStillReads)
{
    std::vector<unsigned char> bytes = test::TableBytes("odd", 2);
    memcpy(bytes.data(), "NOTALUT!", 8);
    host.WriteTable("odd.lut", bytes);
    EXPECT_EQ(_ReadColorTable("odd", colors, &count), 1);
    EXPECT_EQ(count, 2);
}

TEST_F(ReadColorTable, OversizedCountNeverWritesPast256)
{
    std::vector<unsigned char> bytes = test::TableBytes("big", 280);  // header says 280, 280 entries follow
    host.WriteTable("big.lut", bytes);
    EXPECT_EQ(_ReadColorTable("big", colors, &count), 1);
    EXPECT_EQ(count, 256);
    EXPECT_EQ(colors[255].r, (255 * 10 % 256) << 8);
    EXPECT_EQ(colors[256].r, 0xDEAD);
}

TEST_F(ReadColorTable, ShippedTerrainTableRunsFromGreenToSnow)
{
    host.CopyShippedTable("terrain");
    EXPECT_EQ(_ReadColorTable("terrain", colors, &count), 1);
    ASSERT_EQ(count, 256);
    EXPECT_GT(colors[0].g, colors[0].r);
    EXPECT_GT(colors[0].g, colors[0].b);
    EXPECT_GE(colors[255].r >> 8, 240);
    EXPECT_GE(colors[255].g >> 8, 240);
    EXPECT_GE(colors[255].b >> 8, 240);
    EXPECT_EQ(colors[0].r & 0xFF, 0) << "components carry the intensity in the high byte";
}

// ---------------------------------------------------------------------------
// Module state: a host that switched its own state gets it back after every
// guarded export, whatever the outcome; inside the dialog the library's own
// state is current.

class ModuleState : public ::testing::Test {
protected:
    AFX_MODULE_STATE hostState{GetModuleHandleW(nullptr), GetModuleHandleW(nullptr)};
    AFX_MODULE_STATE* previous = nullptr;
    test::HostDir host;

    void SetUp() override { previous = AfxSetModuleState(&hostState); }
    void TearDown() override { AfxSetModuleState(previous); }

    // Runs call; whatever windows it opens are closed by a thread timer that
    // fires inside the export's modal loop, after noting the module state
    // current there. Returns that state, or null when no window came up.
    static AFX_MODULE_STATE* s_inside;
    static int s_ticks;
    static BOOL CALLBACK CloseOne(HWND hwnd, LPARAM)
    {
        if (IsWindowVisible(hwnd) && IsWindowEnabled(hwnd))
            PostMessageW(hwnd, WM_CLOSE, 0, 0);
        return TRUE;
    }
    static BOOL CALLBACK AnyVisible(HWND hwnd, LPARAM any)
    {
        if (IsWindowVisible(hwnd))
            *reinterpret_cast<bool*>(any) = true;
        return TRUE;
    }
    static void CALLBACK OnTick(HWND, UINT, UINT_PTR id, DWORD)
    {
        if (++s_ticks > 100) {  // bounded: 10 s at most
            KillTimer(nullptr, id);
            return;
        }
        bool any = false;
        EnumThreadWindows(GetCurrentThreadId(), AnyVisible, reinterpret_cast<LPARAM>(&any));
        if (!any)
            return;
        if (s_inside == nullptr)
            s_inside = AfxGetThreadModuleState();
        EnumThreadWindows(GetCurrentThreadId(), CloseOne, 0);
    }
    template <class F>
    AFX_MODULE_STATE* RunClosingWindows(F call)
    {
        s_inside = nullptr;
        s_ticks = 0;
        UINT_PTR timer = SetTimer(nullptr, 0, 100, OnTick);
        call();
        KillTimer(nullptr, timer);
        return s_inside;
    }

    void ExpectRestored(const char* what)
    {
        EXPECT_EQ(AfxGetThreadModuleState(), &hostState) << what << " left another module state current";
    }
    void ExpectLibraryStateInside(AFX_MODULE_STATE* inside, const char* what)
    {
        if (inside != nullptr) {
            EXPECT_NE(inside, &hostState) << what << " ran its dialog under the host's module state";
        }
    }
};

AFX_MODULE_STATE* ModuleState::s_inside = nullptr;
int ModuleState::s_ticks = 0;

TEST_F(ModuleState, RestoredAfterEveryGuardedExport)
{
    host.CopyShippedTable("terrain");

    HeightColorInfo info = {};
    strcpy(info.szName, "terrain");
    info.nLayers = 256;
    float range[2] = {0.f, 1000.f};
    AFX_MODULE_STATE* inside = RunClosingWindows([&] { _SetHeightColorDlg(range, &info); });
    ExpectRestored("_SetHeightColorDlg");
    ExpectLibraryStateInside(inside, "_SetHeightColorDlg");

    char path[MAX_PATH] = "untouched";
    inside = RunClosingWindows([&] { _SelectTextureFile(path); });
    ExpectRestored("_SelectTextureFile");
    ExpectLibraryStateInside(inside, "_SelectTextureFile");

    char format = 77;
    int r = 7, g = 7, b = 7;
    inside = RunClosingWindows([&] { _SetTexParamDlg("Z:\\no\\such\\image.img", &format, &r, &g, &b); });
    ExpectRestored("_SetTexParamDlg");
    ExpectLibraryStateInside(inside, "_SetTexParamDlg");

    std::string notAvi = host.WriteFile("clip.avi", "this is not a video");
    inside = RunClosingWindows([&] { _PlayAVIWnd(notAvi.c_str()); });
    ExpectRestored("_PlayAVIWnd");
    ExpectLibraryStateInside(inside, "_PlayAVIWnd");
    EXPECT_EQ(_PlayAVIWnd(nullptr), -1);
    ExpectRestored("_PlayAVIWnd(NULL)");

    OROSCAPE_HOSTWND hostWnd = {};
    HMODELSHEET sheet = nullptr;
    _CreateModelDialog(&hostWnd, &sheet);
    ExpectRestored("_CreateModelDialog");
    if (sheet != nullptr) {
        inside = RunClosingWindows([&] { _ShowModelDialog(sheet); });
        ExpectRestored("_ShowModelDialog");
        ExpectLibraryStateInside(inside, "_ShowModelDialog");
    }
    EXPECT_EQ(_DeleteModelDialog(&sheet), 1);
    EXPECT_EQ(sheet, nullptr);
    ExpectRestored("_DeleteModelDialog");
}

TEST_F(ModuleState, ReaderLeavesTheHostsStateAlone)
{
    host.CopyShippedTable("terrain");
    LayerColor colors[256];
    short count = 0;
    EXPECT_EQ(_ReadColorTable("terrain", colors, &count), 1);
    ExpectRestored("_ReadColorTable");
    AfxSetModuleState(nullptr);
    EXPECT_EQ(_ReadColorTable("terrain", colors, &count), 1);
    EXPECT_EQ(AfxGetThreadModuleState(), nullptr);
}

}  // namespace
