// _SetHeightColorDlg through the real DLL, driven like a user: table and custom mode, the spin,
// limit and colour edits through the threshold and system colour dialogs, blending, saving
// tables, OK and Cancel, and the record as the host sees it afterwards. Each test has a host
// directory of its own with its colour tables.
#include <gtest/gtest.h>

#include <windows.h>
#include <colordlg.h>
#include <commctrl.h>

#include <string.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "afx/afxstate.h"
#include "include/oroscape.h"
#include "res/resource.h"
#include "test_hostdir.h"
#include "uidriver_gtest.h"
#include "res/captions.h"

namespace {

const wchar_t* const kTitle = kCaptionHeightColor;
const unsigned char kGuardByte = 0xA5;

// The host's record with guard bytes behind it: nothing may be written past the record.
struct GuardedRecord {
    HeightColorInfo info;
    unsigned char after[512];

    GuardedRecord(const char* name, short nLayers)
    {
        memset(&info, 0, sizeof info);
        strncpy(info.szName, name, sizeof info.szName - 1);
        for (int i = 0; i < OROSCAPE_MAX_LAYERS; ++i) {
            info.fLimit[i][0] = -1000.0f - i;
            info.fLimit[i][1] = -500.0f - i;
            info.wColor[i].r = static_cast<unsigned short>((i % 7) * 0x2000);
            info.wColor[i].g = static_cast<unsigned short>((i % 5) * 0x3000);
            info.wColor[i].b = static_cast<unsigned short>(0x8000);
        }
        info.nLayers = nLayers;
        memset(after, kGuardByte, sizeof after);
    }
    bool GuardIntact() const
    {
        for (unsigned char b : after)
            if (b != kGuardByte)
                return false;
        return true;
    }
};

// Entry i of the tables the tests write (test::TableBytes), as a screen colour.
COLORREF TableColor(int i) { return RGB(i * 10 % 256, i * 20 % 256, i * 30 % 256); }

std::wstring ColorText(COLORREF c) { return std::to_wstring(static_cast<unsigned long>(c)); }
std::wstring Fixed3(double v)
{
    wchar_t buf[64];
    swprintf(buf, 64, L"%.3f", v);
    return buf;
}
COLORREF ScreenColor(const LayerColor& c) { return RGB(c.r >> 8, c.g >> 8, c.b >> 8); }

HWND WaitLayering(ui::Ctx& c) { return c.WaitWindow(kTitle, L"#32770"); }

std::vector<std::wstring> Row(ui::Ctx& c, HWND list, int row)
{
    std::vector<std::wstring> texts;
    for (int col = 0; col < 4; ++col)
        texts.push_back(c.ListText(list, row, col));
    return texts;
}

// The centre of a cell: the rows from the list, the columns side by side from x = 0 with the
// widths the dialog gave them.
POINT CellCentre(ui::Ctx& c, HWND list, int row, int column)
{
    POINT p{};
    c.RunOnUi([&] {
        ListView_EnsureVisible(list, row, FALSE);
        RECT rc{};
        ListView_GetItemRect(list, row, &rc, LVIR_BOUNDS);
        int left = 0;
        for (int i = 0; i < column; ++i)
            left += ListView_GetColumnWidth(list, i);
        p.x = left + ListView_GetColumnWidth(list, column) / 2;
        p.y = (rc.top + rc.bottom) / 2;
    });
    return p;
}

void DoubleClickCell(ui::Ctx& c, HWND list, int row, int column)
{
    // A fresh double-click, not the second half of the one before.
    c.Sleep(GetDoubleClickTime() + 100);
    c.MouseDoubleClick(list, CellCentre(c, list, row, column));
}

// Double-clicks the colour cell of row and picks the colour in the system colour dialog, which
// must open fully with the layer's colour.
void PickColour(ui::Ctx& c, HWND dlg, HWND list, int row, COLORREF colour)
{
    const std::wstring before = c.ListText(list, row, 3);
    DoubleClickCell(c, list, row, 3);
    HWND cd = c.WaitModal(L"#32770", dlg);
    ASSERT_NE(cd, dlg) << "no colour dialog came up";
    const COLORREF initial = static_cast<COLORREF>(std::stoul(before));
    EXPECT_TRUE(IsWindowVisible(c.Item(cd, COLOR_RED))) << "the colour dialog is not fully open";
    EXPECT_EQ(c.Text(cd, COLOR_RED), std::to_wstring(GetRValue(initial)));
    EXPECT_EQ(c.Text(cd, COLOR_GREEN), std::to_wstring(GetGValue(initial)));
    EXPECT_EQ(c.Text(cd, COLOR_BLUE), std::to_wstring(GetBValue(initial)));
    c.SetText(c.Item(cd, COLOR_RED), std::to_wstring(GetRValue(colour)));
    c.SetText(c.Item(cd, COLOR_GREEN), std::to_wstring(GetGValue(colour)));
    c.SetText(c.Item(cd, COLOR_BLUE), std::to_wstring(GetBValue(colour)));
    c.Click(cd, IDOK);
    c.WaitGone(cd);
    // The dialog writes the row once the colour dialog has returned.
    c.WaitFor([&] { return c.ListText(list, row, 3) == ColorText(colour); }, "the row showing the picked colour");
}

// Whether a window with this caption comes up within a short while.
bool Appears(ui::Ctx& c, const wchar_t* caption)
{
    for (int i = 0; i < 10; ++i) {
        if (c.FindTop(caption, L"#32770") != nullptr)
            return true;
        c.Sleep(60);
    }
    return false;
}

// The library's warning box (caption string 4023).
HWND WaitWarning(ui::Ctx& c) { return c.WaitWindow(kCaptionWarning, L"#32770"); }

bool Enabled(ui::Ctx& c, HWND dlg, int id) { return IsWindowEnabled(c.Item(dlg, id)) != FALSE; }

// Clicks an arrow of the layer-count spin: the upper half goes up, the lower half down.
void Spin(ui::Ctx& c, HWND dlg, bool up)
{
    HWND spin = c.Item(dlg, IDC_LAYER_SPIN);
    RECT rc{};
    GetClientRect(spin, &rc);
    c.Sleep(GetDoubleClickTime() + 100);
    c.MouseClick(spin, POINT{rc.right / 2, up ? rc.bottom / 4 : rc.bottom * 3 / 4});
}

void SetSpinPos(ui::Ctx& c, HWND dlg, int pos)
{
    HWND spin = c.Item(dlg, IDC_LAYER_SPIN);
    c.RunOnUi([&] { SendMessageW(spin, UDM_SETPOS, 0, MAKELPARAM(pos, 0)); });
}

class HeightColorDlg : public ::testing::Test {
protected:
    HeightColorDlg()
    {
        host.WriteTable("terrain.lut", test::TableBytes("terrain", 256));
        host.WriteTable("ocean.lut", test::TableBytes("ocean", 16));
    }

    int Run(ui::Script& s, const float range[2], GuardedRecord& rec)
    {
        return s.Run([&] { return _SetHeightColorDlg(range, &rec.info); });
    }

    // Runs the dialog over range with rec as a script of one step: body on the dialog and its layer
    // list, then a click on the button close and the dialog's end. What the export returned.
    int RunOneStep(const float range[2], GuardedRecord& rec, const char* step, int close,
                   const std::function<void(ui::Ctx&, HWND, HWND)>& body)
    {
        ui::Script s;
        s.Step(step, [&](ui::Ctx& c) {
            HWND d = WaitLayering(c);
            body(c, d, c.Item(d, IDC_LAYER_LIST));
            c.Click(d, close);
            c.WaitGone(d);
        });
        return Run(s, range, rec);
    }

    test::HostDir host;
};

TEST_F(HeightColorDlg, TableModeSpreadsTheNamedTableOverTheRange)
{
    const float range[2] = {100.0f, 1380.0f};
    auto rec = std::make_unique<GuardedRecord>("terrain", 256);
    AFX_MODULE_STATE mine{nullptr, nullptr};
    AFX_MODULE_STATE* outer = AfxSetModuleState(&mine);

    const int result = RunOneStep(
        range, *rec, "table mode on terrain", IDOK, [&](ui::Ctx& c, HWND d, HWND list) {
        HWND combo = c.Item(d, IDC_TABLES);
        EXPECT_EQ(c.ComboCount(combo), 2);
        ASSERT_GE(c.ComboSel(combo), 0);
        EXPECT_EQ(c.ComboText(combo, c.ComboSel(combo)), L"terrain");
        ASSERT_EQ(c.ListCount(list), 256);
        EXPECT_EQ(Row(c, list, 0), (std::vector<std::wstring>{L"0", L"100.000", L"105.000",
                                                                ColorText(TableColor(0))}));
        EXPECT_EQ(Row(c, list, 17), (std::vector<std::wstring>{L"17", L"185.000", L"190.000",
                                                                 ColorText(TableColor(17))}));
        EXPECT_EQ(Row(c, list, 255), (std::vector<std::wstring>{L"255", L"1375.000", L"1380.000",
                                                                  ColorText(TableColor(255))}));
        EXPECT_FALSE(c.Checked(c.Item(d, IDC_CUSTOM_LAYERS)));
        EXPECT_FALSE(c.Checked(c.Item(d, IDC_CONTINUOUS)));
        EXPECT_EQ(c.Text(d, IDC_LAYER_COUNT), L"256");
        EXPECT_TRUE(Enabled(c, d, IDC_TABLES));
        for (int id : {IDC_CONTINUOUS, IDC_ALLOW_LIMIT_EDIT, IDC_LAYER_COUNT, IDC_LAYER_SPIN, IDC_SAVE,
                       IDC_APPLY})
            EXPECT_FALSE(Enabled(c, d, id)) << id;
        // The icon of the library's resources stands in its static.
        HWND icon = FindWindowExW(d, nullptr, L"Static", nullptr);
        bool hasIcon = false;
        for (; icon != nullptr; icon = FindWindowExW(d, icon, L"Static", nullptr))
            if ((GetWindowLongPtrW(icon, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
                hasIcon = SendMessageW(icon, STM_GETICON, 0, 0) != 0;
        EXPECT_TRUE(hasIcon);
        // Double-clicking a limit does nothing in table mode.
        DoubleClickCell(c, list, 2, 1);
        EXPECT_FALSE(Appears(c, kCaptionThreshold));
        c.UpdateNow(d);
        ui::SaveScreenshotIfRequested(d, L"heightcolor_table_mode");
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(AfxGetThreadModuleState(), &mine) << "the caller's module state was not restored";
    AfxSetModuleState(outer);

    EXPECT_EQ(rec->info.nLayers, 256);
    EXPECT_STREQ(rec->info.szName, "terrain");
    for (int i = 0; i < 256; ++i) {
        ASSERT_FLOAT_EQ(rec->info.fLimit[i][0], 100.0f + 5.0f * i) << i;
        ASSERT_FLOAT_EQ(rec->info.fLimit[i][1], 105.0f + 5.0f * i) << i;
        ASSERT_EQ(ScreenColor(rec->info.wColor[i]), TableColor(i)) << i;
    }
    EXPECT_TRUE(rec->GuardIntact());
}

TEST_F(HeightColorDlg, OneCharacterNameShowsTheRecordsOwnLayers)
{
    const float range[2] = {0.0f, 600.0f};
    auto rec = std::make_unique<GuardedRecord>("x", 10);
    const HeightColorInfo before = rec->info;
    const int result = RunOneStep(
        range, *rec, "the record's ten layers in custom mode", IDCANCEL, [&](ui::Ctx& c, HWND d, HWND list) {
        ASSERT_EQ(c.ListCount(list), 10);
        for (int i : {0, 3, 9})
            EXPECT_EQ(Row(c, list, i),
                      (std::vector<std::wstring>{std::to_wstring(i), Fixed3(before.fLimit[i][0]),
                                                 Fixed3(before.fLimit[i][1]),
                                                 ColorText(ScreenColor(before.wColor[i]))}));
        EXPECT_TRUE(c.Checked(c.Item(d, IDC_CUSTOM_LAYERS)));
        EXPECT_FALSE(c.Checked(c.Item(d, IDC_CONTINUOUS)));
        EXPECT_FALSE(Enabled(c, d, IDC_APPLY));
        EXPECT_FALSE(Enabled(c, d, IDC_TABLES));
        EXPECT_TRUE(Enabled(c, d, IDC_SAVE));
        EXPECT_EQ(c.Text(d, IDC_LAYER_COUNT), L"10");
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(memcmp(&rec->info, &before, sizeof before), 0);
}

TEST_F(HeightColorDlg, CustomModeStartsWithSixGreenLayersAndCancelKeepsNameAndCount)
{
    const float range[2] = {0.0f, 600.0f};
    auto rec = std::make_unique<GuardedRecord>("terrain", 256);
    const int result = RunOneStep(
        range, *rec, "tick custom layering", IDCANCEL, [&](ui::Ctx& c, HWND d, HWND list) {
        c.Click(d, IDC_CUSTOM_LAYERS);
        ASSERT_EQ(c.ListCount(list), 6);
        const wchar_t* colours[] = {L"0", L"10752", L"21504", L"32256", L"43008", L"53760"};
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(Row(c, list, i), (std::vector<std::wstring>{std::to_wstring(i), Fixed3(100.0 * i),
                                                                    Fixed3(100.0 * (i + 1)), colours[i]}));
        EXPECT_TRUE(c.Checked(c.Item(d, IDC_CUSTOM_LAYERS)));
        EXPECT_TRUE(c.Checked(c.Item(d, IDC_CONTINUOUS)));
        EXPECT_EQ(c.Text(d, IDC_LAYER_COUNT), L"6");
        for (int id : {IDC_APPLY, IDC_SAVE, IDC_CONTINUOUS, IDC_ALLOW_LIMIT_EDIT, IDC_LAYER_COUNT,
                       IDC_LAYER_SPIN})
            EXPECT_TRUE(Enabled(c, d, id)) << id;
        EXPECT_FALSE(Enabled(c, d, IDC_TABLES));
    });
    EXPECT_EQ(result, IDCANCEL);
    // The edits are in the record already; the name and the count are not.
    EXPECT_STREQ(rec->info.szName, "terrain");
    EXPECT_EQ(rec->info.nLayers, 256);
    EXPECT_FLOAT_EQ(rec->info.fLimit[5][1], 600.0f);
    EXPECT_EQ(rec->info.wColor[5].g, 210 * 256);
    EXPECT_EQ(rec->info.wColor[5].r, 0);
}

TEST_F(HeightColorDlg, SpinOnOneChangesNothingAndOnSevenGivesSevenLayers)
{
    const float range[2] = {0.0f, 700.0f};
    auto rec = std::make_unique<GuardedRecord>("terrain", 256);
    const int result = RunOneStep(
        range, *rec, "spin the layer count", IDOK, [&](ui::Ctx& c, HWND d, HWND list) {
        c.Click(d, IDC_CUSTOM_LAYERS);
        ASSERT_EQ(c.ListCount(list), 6);
        const std::vector<std::wstring> row5 = Row(c, list, 5);

        SetSpinPos(c, d, 2);
        Spin(c, d, false);
        EXPECT_EQ(c.Text(d, IDC_LAYER_COUNT), L"1");
        EXPECT_EQ(c.ListCount(list), 6);
        EXPECT_EQ(Row(c, list, 5), row5);

        SetSpinPos(c, d, 6);
        Spin(c, d, true);
        EXPECT_EQ(c.Text(d, IDC_LAYER_COUNT), L"7");
        ASSERT_EQ(c.ListCount(list), 7);
        for (int i = 0; i < 7; ++i)
            EXPECT_EQ(Row(c, list, i),
                      (std::vector<std::wstring>{std::to_wstring(i), Fixed3(100.0 * i), Fixed3(100.0 * (i + 1)),
                                                 ColorText(RGB(0, 36 * i, 0))}));
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(rec->info.nLayers, 7);
    EXPECT_STREQ(rec->info.szName, "");
    EXPECT_EQ(rec->info.wColor[6].g, 6 * 36 * 256);
}

TEST_F(HeightColorDlg, LimitsAreEditedOnlyWhenBothBoxesAllowIt)
{
    const float range[2] = {0.0f, 600.0f};
    auto rec = std::make_unique<GuardedRecord>("", 6);
    const int result = RunOneStep(range, *rec, "edit a limit", IDCANCEL, [&](ui::Ctx& c, HWND d, HWND list) {
        // Custom mode from the start, but limits not allowed.
        DoubleClickCell(c, list, 2, 1);
        EXPECT_FALSE(Appears(c, kCaptionThreshold));

        c.Click(d, IDC_ALLOW_LIMIT_EDIT);
        DoubleClickCell(c, list, 2, 1);
        HWND t = c.WaitWindow(kCaptionThreshold, L"#32770");
        EXPECT_EQ(c.Text(t, IDC_THRESHOLD_VALUE), L"-1002");
        c.SetText(c.Item(t, IDC_THRESHOLD_VALUE), L"-5.25");
        c.Click(t, IDOK);
        c.WaitGone(t);
        EXPECT_EQ(c.ListText(list, 2, 1), L"-5.250");

        DoubleClickCell(c, list, 4, 2);
        t = c.WaitWindow(kCaptionThreshold, L"#32770");
        EXPECT_EQ(c.Text(t, IDC_THRESHOLD_VALUE), L"-504");
        c.Click(t, IDCANCEL);
        c.WaitGone(t);
        EXPECT_EQ(c.ListText(list, 4, 2), L"-504.000");
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(rec->info.fLimit[2][0], -5.25f);
    EXPECT_EQ(rec->info.fLimit[4][1], -504.0f);
    EXPECT_EQ(rec->info.nLayers, 6);
}

TEST_F(HeightColorDlg, ColourPickedInTableModeIsKeptWithTheTableNameAndCount)
{
    const float range[2] = {0.0f, 256.0f};
    auto rec = std::make_unique<GuardedRecord>("terrain", 256);
    const int result = RunOneStep(
        range, *rec, "pick red for layer 3", IDOK, [&](ui::Ctx& c, HWND d, HWND list) {
        PickColour(c, d, list, 3, RGB(255, 0, 0));
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(rec->info.wColor[3].r, 255 * 256);
    EXPECT_EQ(rec->info.wColor[3].g, 0);
    EXPECT_EQ(rec->info.wColor[3].b, 0);
    EXPECT_EQ(ScreenColor(rec->info.wColor[4]), TableColor(4));
    EXPECT_STREQ(rec->info.szName, "terrain");
    EXPECT_EQ(rec->info.nLayers, 256);
}

TEST_F(HeightColorDlg, ApplyBlendsBetweenPickedColoursThenWantsNewOnes)
{
    const float range[2] = {0.0f, 600.0f};
    auto rec = std::make_unique<GuardedRecord>("terrain", 256);
    const int result = RunOneStep(
        range, *rec, "pick black and green, apply twice", IDOK, [&](ui::Ctx& c, HWND d, HWND list) {
        c.Click(d, IDC_CUSTOM_LAYERS);
        PickColour(c, d, list, 0, RGB(0, 0, 0));
        PickColour(c, d, list, 5, RGB(0, 255, 0));
        c.Click(d, IDC_APPLY);
        const int greens[] = {0, 51, 102, 153, 204, 255};
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(c.ListText(list, i, 3), ColorText(RGB(0, greens[i], 0))) << i;
        c.UpdateNow(d);
        ui::SaveScreenshotIfRequested(d, L"heightcolor_custom_blend");

        c.Click(d, IDC_APPLY);
        HWND box = WaitWarning(c);
        EXPECT_EQ(c.DismissMessageBox(box), L"请输入指定颜色!");
        c.WaitGone(box);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(rec->info.nLayers, 6);
    EXPECT_STREQ(rec->info.szName, "");
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(rec->info.wColor[i].g, 51 * i * 256) << i;
}

TEST_F(HeightColorDlg, SaveWritesANewTableAndRefusesListedOrImpossibleNames)
{
    const float range[2] = {0.0f, 600.0f};
    auto rec = std::make_unique<GuardedRecord>("", 6);
    std::vector<std::wstring> entries;
    const int result = RunOneStep(
        range, *rec, "save under several names", IDOK, [&](ui::Ctx& c, HWND d, HWND list) {
        HWND combo = c.Item(d, IDC_TABLES);
        ASSERT_EQ(c.ComboCount(combo), 2);

        // A name differing from a listed one only in case: warned, then asked again.
        c.Click(d, IDC_SAVE);
        HWND n = c.WaitWindow(kCaptionSaveTable, L"#32770");
        c.SetText(c.Item(n, IDC_TABLE_NAME), L"TERRAIN");
        c.Click(n, IDOK);
        HWND box = WaitWarning(c);
        EXPECT_EQ(c.DismissMessageBox(box), L"文件名已存在!");
        c.WaitGone(box);
        n = c.WaitWindow(kCaptionSaveTable, L"#32770");
        EXPECT_EQ(c.Text(n, IDC_TABLE_NAME), L"TERRAIN");
        c.SetText(c.Item(n, IDC_TABLE_NAME), L"hills");
        c.Click(n, IDOK);
        c.WaitGone(n);
        // The dialog saves and lists the table once the name dialog has returned.
        c.WaitFor([&] { return c.ComboCount(combo) == 3; }, "the new table listed");
        EXPECT_EQ(c.ComboText(combo, 2), L"hills");

        // Ordinary file names once ".lut" follows: a trailing blank or dot, blanks alone, and
        // characters whose trail byte under code page 936 is 0x5C or 0x7C (乗 81 5C, 億 83 7C).
        for (const std::wstring& good : {std::wstring(L"乗 "), std::wstring(L"億."), std::wstring(L"   ")}) {
            const int before = c.ComboCount(combo);
            c.Click(d, IDC_SAVE);
            n = c.WaitWindow(kCaptionSaveTable, L"#32770");
            c.SetText(c.Item(n, IDC_TABLE_NAME), good);
            c.Click(n, IDOK);
            c.WaitGone(n);
            c.WaitFor([&] { return c.ComboCount(combo) == before + 1; }, "the new table listed");
            EXPECT_EQ(c.ComboText(combo, before), good);
        }

        // Names that cannot be a table file in the folder: refused, nothing written.
        const std::wstring longName(124 - host.Path().size(), L'z');
        for (const std::wstring& bad : {std::wstring(L"..\\escape"), std::wstring(L"c:evil"),
                                        std::wstring(L"con"), std::wstring(L"a?b"), longName}) {
            c.Click(d, IDC_SAVE);
            n = c.WaitWindow(kCaptionSaveTable, L"#32770");
            c.SetText(c.Item(n, IDC_TABLE_NAME), bad);
            c.Click(n, IDOK);
            box = WaitWarning(c);
            EXPECT_EQ(c.DismissMessageBox(box), L"保存色表失败!") << ui::Narrow(bad);
            c.WaitGone(box);
        }
        EXPECT_EQ(c.ComboCount(combo), 6);
        for (int i = 0; i < c.ComboCount(combo); ++i)
            entries.push_back(c.ComboText(combo, i));
    });
    EXPECT_EQ(result, IDOK);

    const std::vector<unsigned char> file = test::HostDir::ReadFile(host.LutPath("hills"));
    ASSERT_EQ(file.size(), 432u);
    EXPECT_EQ(memcmp(file.data(), "COLORLUT", 8), 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(file.data()) + 8, "hills");
    EXPECT_STREQ(reinterpret_cast<const char*>(file.data()) + 136, "USER_DEFINE");
    EXPECT_EQ(std::vector<unsigned char>(file.begin() + 392, file.begin() + 396),
              (std::vector<unsigned char>{6, 0, 0, 0}));
    EXPECT_EQ(memcmp(file.data() + 396, rec->info.wColor, 36), 0);

    // The host reads them back by the names it knows them by (code page 936).
    LayerColor back[256];
    short count = 0;
    for (const char* name : {"\x81\x5C ", "\x83\x7C.", "   "}) {
        EXPECT_EQ(_ReadColorTable(name, back, &count), 1) << name;
        EXPECT_EQ(count, 6) << name;
    }

    // Only the saved and the two shipped tables are in the folder, and nothing appeared beside it.
    std::vector<std::string> found;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((host.Path() + "\\*").c_str(), &fd);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    do {
        found.push_back(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    h = FindFirstFileA((host.Path() + "\\HeightLut\\*").c_str(), &fd);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    do {
        found.push_back(std::string("HeightLut\\") + fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{".", "..", "HeightLut", "HeightLut\\   .lut", "HeightLut\\.",
                                               "HeightLut\\..", "HeightLut\\hills.lut", "HeightLut\\ocean.lut",
                                               "HeightLut\\terrain.lut", "HeightLut\\\x81\x5C .lut",
                                               "HeightLut\\\x83\x7C..lut"}));
}

TEST_F(HeightColorDlg, UnreadableNamedTableEndsTheDialogWithTheGreyRamp)
{
    const float range[2] = {0.0f, 600.0f};
    auto rec = std::make_unique<GuardedRecord>("missing", 256);
    const HeightColorInfo before = rec->info;
    ui::Script s;  // no step: should a window open, the script closes it and the test fails
    EXPECT_EQ(Run(s, range, *rec), -1);
    EXPECT_EQ(s.StepsDone(), 0u);
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(rec->info.wColor[i].r, i) << i;
        ASSERT_EQ(rec->info.wColor[i].g, i) << i;
        ASSERT_EQ(rec->info.wColor[i].b, i) << i;
    }
    EXPECT_STREQ(rec->info.szName, "missing");
    EXPECT_EQ(rec->info.nLayers, 256);
    EXPECT_EQ(memcmp(rec->info.fLimit, before.fLimit, sizeof before.fLimit), 0);
}

// ---- the keyboard --------------------------------------------------------------------------------

// Moves the focus as the dialog's Tab does.
void FocusControl(ui::Ctx& c, HWND dlg, HWND control)
{
    c.RunOnUi([&] { SendMessageW(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE); });
}

int FocusedRow(ui::Ctx& c, HWND list)
{
    int row = -2;
    c.RunOnUi([&] { row = ListView_GetNextItem(list, -1, LVNI_FOCUSED); });
    return row;
}

bool HasFocus(ui::Ctx& c, HWND control)
{
    bool focused = false;
    c.RunOnUi([&] { focused = GetFocus() == control; });
    return focused;
}

// The system colour dialog opened over dlg, showing colour.
HWND WaitColourDialog(ui::Ctx& c, HWND dlg, COLORREF colour)
{
    HWND cd = c.WaitModal(L"#32770", dlg);
    if (cd == dlg || ui::Ctx::FindItem(cd, COLOR_RED) == nullptr)
        c.Fail("no colour dialog came up");
    EXPECT_EQ(c.Text(cd, COLOR_RED), std::to_wstring(GetRValue(colour)));
    EXPECT_EQ(c.Text(cd, COLOR_GREEN), std::to_wstring(GetGValue(colour)));
    EXPECT_EQ(c.Text(cd, COLOR_BLUE), std::to_wstring(GetBValue(colour)));
    return cd;
}

TEST_F(HeightColorDlg, KeysEditColoursAndLimitsThroughTheNestedDialogs)
{
    const float range[2] = {0.0f, 600.0f};
    auto rec = std::make_unique<GuardedRecord>("terrain", 256);
    ui::Script s;
    s.Step("edit layer 2 without the mouse", [&](ui::Ctx& c) {
        HWND d = WaitLayering(c);
        HWND list = c.Item(d, IDC_LAYER_LIST);
        // Six custom layers; 保存 is the default button and enabled now.
        c.Click(d, IDC_CUSTOM_LAYERS);
        ASSERT_EQ(c.ListCount(list), 6);
        FocusControl(c, d, list);
        c.Key(list, VK_HOME);
        c.Key(list, VK_DOWN);
        c.Key(list, VK_DOWN);
        ASSERT_EQ(FocusedRow(c, list), 2);
        EXPECT_EQ(c.ListSelection(list), 2);

        // Enter on the colour column: the colour dialog, and the colour typed there lands in
        // the row once it is closed with Enter.
        c.Key(list, VK_RETURN);
        HWND cd = WaitColourDialog(c, d, RGB(0, 84, 0));
        c.SetText(c.Item(cd, COLOR_RED), L"10");
        c.SetText(c.Item(cd, COLOR_GREEN), L"20");
        c.SetText(c.Item(cd, COLOR_BLUE), L"30");
        c.PressEnter(c.Item(cd, COLOR_BLUE));
        c.WaitGone(cd);
        c.WaitFor([&] { return c.ListText(list, 2, 3) == ColorText(RGB(10, 20, 30)); },
                  "row 2 showing the colour typed");
        // The layering dialog gets the focus back when it is activated again, which under Wine
        // can follow the row's refill.
        c.WaitFor([&] { return HasFocus(c, list); }, "the focus back on the list");

        // The upper limit while limits may not be edited: neither the threshold dialog nor
        // the default button's name dialog.
        c.Key(list, VK_LEFT);
        for (UINT key : {VK_F2, VK_RETURN, VK_SPACE}) {
            c.Key(list, key);
            EXPECT_FALSE(Appears(c, kCaptionThreshold)) << key;
            EXPECT_FALSE(Appears(c, kCaptionSaveTable)) << key << ": Enter pressed the default button";
        }

        c.Click(d, IDC_ALLOW_LIMIT_EDIT);
        FocusControl(c, d, list);
        c.Key(list, VK_SPACE);
        HWND t = c.WaitWindow(kCaptionThreshold, L"#32770");
        EXPECT_EQ(c.Text(t, IDC_THRESHOLD_VALUE), L"300");
        c.SetText(c.Item(t, IDC_THRESHOLD_VALUE), L"-7.5");
        c.PressEnter(c.Item(t, IDC_THRESHOLD_VALUE));
        c.WaitGone(t);
        c.WaitFor([&] { return c.ListText(list, 2, 2) == L"-7.500"; }, "row 2 showing the limit typed");
        // The layering dialog gets the focus back when it is activated again, which under Wine
        // can follow the row's refill.
        c.WaitFor([&] { return HasFocus(c, list); }, "the focus back on the list");
        // Esc leaves the threshold dialog with the limit as it was.
        c.Key(list, VK_RETURN);
        t = c.WaitWindow(kCaptionThreshold, L"#32770");
        EXPECT_EQ(c.Text(t, IDC_THRESHOLD_VALUE), L"-7.5");
        c.PressEsc(c.Item(t, IDC_THRESHOLD_VALUE));
        c.WaitGone(t);
        EXPECT_EQ(c.ListText(list, 2, 2), L"-7.500");

        // From the layer count box Enter presses the default button (保存) as ever.
        HWND count = c.Item(d, IDC_LAYER_COUNT);
        FocusControl(c, d, count);
        c.PressEnter(count);
        HWND n = c.WaitWindow(kCaptionSaveTable, L"#32770");
        c.PressEsc(c.Item(n, IDC_TABLE_NAME));
        c.WaitGone(n);
        c.PressEsc(count);
        c.WaitGone(d);
    });
    EXPECT_EQ(Run(s, range, *rec), IDCANCEL);
    EXPECT_EQ(rec->info.fLimit[2][1], -7.5f);
    EXPECT_EQ(ScreenColor(rec->info.wColor[2]), RGB(10, 20, 30));
    EXPECT_EQ(ScreenColor(rec->info.wColor[3]), RGB(0, 126, 0));
}

TEST_F(HeightColorDlg, TheKeyboardCursorSurvivesRefills)
{
    const float range[2] = {0.0f, 600.0f};
    auto rec = std::make_unique<GuardedRecord>("", 6);
    ui::Script s;
    s.Step("refill under the cursor", [&](ui::Ctx& c) {
        HWND d = WaitLayering(c);
        HWND list = c.Item(d, IDC_LAYER_LIST);
        c.Click(d, IDC_ALLOW_LIMIT_EDIT);
        FocusControl(c, d, list);
        c.Key(list, VK_END);
        c.Key(list, VK_LEFT);
        c.Key(list, VK_LEFT);
        ASSERT_EQ(FocusedRow(c, list), 5);

        // Fewer layers: the last row, the same column (the lower limit).
        SetSpinPos(c, d, 5);
        Spin(c, d, false);
        ASSERT_EQ(c.ListCount(list), 4);
        EXPECT_EQ(FocusedRow(c, list), 3);
        EXPECT_EQ(c.ListSelection(list), 3);
        FocusControl(c, d, list);
        c.Key(list, VK_RETURN);
        HWND t = c.WaitWindow(kCaptionThreshold, L"#32770");
        EXPECT_EQ(c.Text(t, IDC_THRESHOLD_VALUE), L"450");
        c.PressEsc(c.Item(t, IDC_THRESHOLD_VALUE));
        c.WaitGone(t);

        // A new table of 256 layers: the same row; limits are not editable there.
        c.Click(d, IDC_CUSTOM_LAYERS);
        ASSERT_EQ(c.ListCount(list), 256);
        EXPECT_EQ(FocusedRow(c, list), 3);
        FocusControl(c, d, list);
        c.Key(list, VK_RETURN);
        EXPECT_FALSE(Appears(c, kCaptionThreshold));
        c.Key(list, VK_RIGHT);
        c.Key(list, VK_RIGHT);
        c.Key(list, VK_RETURN);
        HWND cd = WaitColourDialog(c, d, TableColor(3));
        c.PressEsc(c.Item(cd, COLOR_RED));
        c.WaitGone(cd);

        // From the last of 256 back to six custom layers: the last of six.
        c.Key(list, VK_END);
        ASSERT_EQ(FocusedRow(c, list), 255);
        c.Click(d, IDC_CUSTOM_LAYERS);
        ASSERT_EQ(c.ListCount(list), 6);
        EXPECT_EQ(FocusedRow(c, list), 5);
        FocusControl(c, d, list);
        c.Key(list, VK_F2);
        cd = WaitColourDialog(c, d, RGB(0, 210, 0));
        c.PressEsc(c.Item(cd, COLOR_RED));
        c.WaitGone(cd);
        c.PressEsc(list);
        c.WaitGone(d);
    });
    EXPECT_EQ(Run(s, range, *rec), IDCANCEL);
}

// ---- what the dialog does with tables, counts and folders it cannot use -------------------------

TEST_F(HeightColorDlg, UnreadableTablePickedInTheComboLeavesTheRecordAlone)
{
    host.WriteTable("broken.lut", test::TableBytes("broken", 0));
    const float range[2] = {0.0f, 256.0f};
    auto rec = std::make_unique<GuardedRecord>("terrain", 256);
    const int result = RunOneStep(
        range, *rec, "pick the broken table, then ocean", IDOK, [&](ui::Ctx& c, HWND d, HWND list) {
        HWND combo = c.Item(d, IDC_TABLES);
        c.SelectComboText(combo, L"broken");
        EXPECT_EQ(c.ComboText(combo, c.ComboSel(combo)), L"terrain");
        EXPECT_EQ(c.Text(d, IDC_LAYER_COUNT), L"256");
        ASSERT_EQ(c.ListCount(list), 256);
        EXPECT_EQ(c.ListText(list, 9, 3), ColorText(TableColor(9)));

        c.SelectComboText(combo, L"ocean");
        EXPECT_EQ(c.ListCount(list), 16);
        EXPECT_EQ(c.Text(d, IDC_LAYER_COUNT), L"16");
        EXPECT_EQ(Row(c, list, 15), (std::vector<std::wstring>{L"15", L"240.000", L"256.000",
                                                                 ColorText(TableColor(15))}));
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_STREQ(rec->info.szName, "ocean");
    EXPECT_EQ(rec->info.nLayers, 16);
    EXPECT_EQ(ScreenColor(rec->info.wColor[15]), TableColor(15));
    // Past the table's 16 entries the colours of terrain are still there, not grey.
    EXPECT_EQ(ScreenColor(rec->info.wColor[200]), TableColor(200));
}

TEST_F(HeightColorDlg, LeavingCustomModeWithoutTheDefaultTableKeepsTheCustomLayers)
{
    DeleteFileA(host.LutPath("terrain").c_str());
    const float range[2] = {0.0f, 600.0f};
    auto rec = std::make_unique<GuardedRecord>("", 6);
    const HeightColorInfo before = rec->info;
    const int result = RunOneStep(
        range, *rec, "untick custom layering", IDOK, [&](ui::Ctx& c, HWND d, HWND list) {
        const std::vector<std::wstring> row4 = Row(c, list, 4);
        c.Click(d, IDC_CUSTOM_LAYERS);
        EXPECT_FALSE(c.Checked(c.Item(d, IDC_CUSTOM_LAYERS)));
        EXPECT_EQ(c.ListCount(list), 6);
        EXPECT_EQ(Row(c, list, 4), row4);
        EXPECT_EQ(c.Text(d, IDC_LAYER_COUNT), L"6");
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(rec->info.nLayers, 6);
    EXPECT_STREQ(rec->info.szName, "");
    EXPECT_EQ(memcmp(rec->info.wColor, before.wColor, sizeof before.wColor), 0);
}

TEST_F(HeightColorDlg, MarksFollowTheLayerCountWhileContinuousToneIsOn)
{
    // Custom mode entered from a table of four layers: continuous tone goes on while the count
    // is still 4, then the count becomes 6 and, through the spin, 7.
    host.WriteTable("tiny.lut", test::TableBytes("tiny", 4));
    const float range[2] = {0.0f, 700.0f};
    auto rec = std::make_unique<GuardedRecord>("tiny", 256);
    const int result = RunOneStep(
        range, *rec, "custom layers from a small table, spin to 7, pick the ends", IDCANCEL,
        [&](ui::Ctx& c, HWND d, HWND list) {
        ASSERT_EQ(c.ListCount(list), 4);
        c.Click(d, IDC_CUSTOM_LAYERS);
        ASSERT_EQ(c.ListCount(list), 6);
        SetSpinPos(c, d, 6);
        Spin(c, d, true);
        ASSERT_EQ(c.ListCount(list), 7);
        PickColour(c, d, list, 0, RGB(255, 0, 0));
        PickColour(c, d, list, 6, RGB(0, 0, 255));
        c.Click(d, IDC_APPLY);
        EXPECT_EQ(c.FindTop(kCaptionWarning, L"#32770"), nullptr) << "the mark of layer 6 was lost";
        // Red falls and blue rises by (255 * 256) / 6 = 10880 per layer.
        for (int i = 1; i < 6; ++i) {
            const int red = (65280 - 10880 * i) >> 8, blue = (10880 * i) >> 8;
            EXPECT_EQ(c.ListText(list, i, 3), ColorText(RGB(red, 0, blue))) << i;
        }
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(rec->info.nLayers, 256);
    EXPECT_EQ(rec->info.wColor[3].b, 10880 * 3);
    EXPECT_TRUE(rec->GuardIntact());
}

TEST_F(HeightColorDlg, CountsOutsideOneTo256NeverReachPastTheRecord)
{
    const float range[2] = {0.0f, 600.0f};
    auto big = std::make_unique<GuardedRecord>("", 300);
    ui::Script s;
    s.Step("300 layers asked for", [&](ui::Ctx& c) {
        HWND d = WaitLayering(c);
        EXPECT_EQ(c.ListCount(c.Item(d, IDC_LAYER_LIST)), 256);
        EXPECT_FALSE(c.Checked(c.Item(d, IDC_CUSTOM_LAYERS)));
        EXPECT_EQ(c.Text(d, IDC_LAYER_COUNT), L"256");
        c.Click(d, IDOK);
        c.WaitGone(d);
    });
    EXPECT_EQ(Run(s, range, *big), IDOK);
    EXPECT_EQ(big->info.nLayers, 256);
    EXPECT_TRUE(big->GuardIntact());

    auto negative = std::make_unique<GuardedRecord>("", -5);
    ui::Script t;
    t.Step("-5 layers", [&](ui::Ctx& c) {
        HWND d = WaitLayering(c);
        EXPECT_TRUE(c.Checked(c.Item(d, IDC_CUSTOM_LAYERS)));
        EXPECT_EQ(c.ListCount(c.Item(d, IDC_LAYER_LIST)), 1);
        c.Click(d, IDCANCEL);
        c.WaitGone(d);
    });
    EXPECT_EQ(Run(t, range, *negative), IDCANCEL);
    EXPECT_EQ(negative->info.nLayers, -5);
    EXPECT_TRUE(negative->GuardIntact());
}

TEST_F(HeightColorDlg, WithoutHostDirectoryTheListStillWorks)
{
    SetEnvironmentVariableA("OROSCAPE_HOST_DIR", "");
    const float range[2] = {0.0f, 600.0f};
    auto rec = std::make_unique<GuardedRecord>("terrain", 256);
    const int result = RunOneStep(
        range, *rec, "empty start, then custom layers", IDCANCEL, [&](ui::Ctx& c, HWND d, HWND list) {
        EXPECT_EQ(c.ComboCount(c.Item(d, IDC_TABLES)), 0);
        EXPECT_EQ(c.ListCount(list), 0);
        c.Click(d, IDC_CUSTOM_LAYERS);
        ASSERT_EQ(c.ListCount(list), 6);
        RECT client{};
        GetClientRect(list, &client);
        int total = 0;
        c.RunOnUi([&] {
            for (int i = 0; i < 4; ++i) {
                const int w = ListView_GetColumnWidth(list, i);
                EXPECT_GT(w, 10) << i;
                total += w;
            }
        });
        EXPECT_LE(total, client.right);
        EXPECT_EQ(c.ListText(list, 5, 3), L"53760");
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST(HeightColorExport, NullArgumentsDoNotStartTheDialog)
{
    const float range[2] = {0.0f, 1.0f};
    auto rec = std::make_unique<GuardedRecord>("", 6);
    ui::Script s, t;
    EXPECT_EQ(s.Run([&] { return _SetHeightColorDlg(nullptr, &rec->info); }), -1);
    EXPECT_EQ(t.Run([&] { return _SetHeightColorDlg(range, nullptr); }), -1);
    EXPECT_EQ(rec->info.nLayers, 6);
}

}  // namespace
