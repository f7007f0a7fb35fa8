// The parts of the layering dialog, run inside a program that holds the library's code and
// resources: the colour layer list (painting, framing, the cell-edit message) hosted by a small
// dialog on the layering template, the name and threshold dialogs, and data exchange. The
// code-page cases also run under code page 1252.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <stdlib.h>

#include <string>
#include <utility>
#include <vector>

#include "afx/afxdd.h"
#include "frame/strings.h"
#include "layer_list_host.h"
#include "heightcolor/inputdlgs.h"
#include "heightcolor/layers.h"
#include "res/resource.h"
#include "support/capture.h"
#include "uidriver_gtest.h"
#include "res/captions.h"

namespace {

const uint32_t kWhite = ui::Rgb(255, 255, 255);
const uint32_t kBlack = ui::Rgb(0, 0, 0);

// Colour of row r in the host dialog: row 0 pure red (text 255), row 1 black (text 0), row 7
// pure green, the others shades of blue.
COLORREF RowColor(int r)
{
    switch (r) {
    case 0: return RGB(255, 0, 0);
    case 1: return RGB(0, 0, 0);
    case 7: return RGB(0, 255, 0);
    default: return RGB(0, 40 + 10 * r, 200);
    }
}

// The hosted list with rows 0 to rows - 1 (limits 100 apart, colours RowColor), noting the
// cell-edit messages and the presses of the template's default buttons.
std::vector<HostedLayer> Rows(int rows)
{
    std::vector<HostedLayer> layers;
    for (int r = 0; r < rows; ++r) {
        wchar_t lower[32], upper[32];
        swprintf(lower, 32, L"%.3f", 100.0 * r);
        swprintf(upper, 32, L"%.3f", 100.0 * (r + 1));
        layers.push_back({std::to_wstring(r), lower, upper, RowColor(r)});
    }
    return layers;
}

class CListHostDlg : public CLayerListHostDlg {
public:
    explicit CListHostDlg(int rows) : CLayerListHostDlg(Rows(rows)) {}

    std::vector<std::pair<WPARAM, LPARAM>> m_edits;  // WM_EDIT_LAYER_CELL as received
    int m_defaults = 0;  // presses of 保存 or 应用, the template's default buttons

protected:
    LRESULT OnEditLayerCell(WPARAM wParam, LPARAM lParam)
    {
        m_edits.push_back({wParam, lParam});
        return 0;
    }
    void OnDefaultButton() { ++m_defaults; }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CListHostDlg, CLayerListHostDlg)
    ON_MESSAGE(WM_EDIT_LAYER_CELL, OnEditLayerCell)
    ON_BN_CLICKED(IDC_APPLY, OnDefaultButton)
    ON_BN_CLICKED(IDC_SAVE, OnDefaultButton)
END_MESSAGE_MAP()

// Geometry of the list as the list itself sees it, read on the UI thread.
struct ListGeometry {
    HWND list = nullptr;
    RECT client{};
    RECT columns[4]{};
    std::vector<RECT> rows;

    RECT Cell(int row, int column) const
    {
        return RECT{columns[column].left, rows[row].top, columns[column].right, rows[row].bottom};
    }
    POINT Centre(int row, int column) const
    {
        RECT c = Cell(row, column);
        return POINT{(c.left + c.right) / 2, (c.top + c.bottom) / 2};
    }
};

ListGeometry ReadGeometry(ui::Ctx& c, CListHostDlg& dlg)
{
    ListGeometry g;
    c.RunOnUi([&] {
        g.list = dlg.m_list.m_hWnd;
        ::GetClientRect(g.list, &g.client);
        for (int i = 0; i < 4; ++i)
            g.columns[i] = dlg.m_list.m_rcColumn[i];
        for (int r = 0; r < dlg.m_list.GetItemCount(); ++r) {
            RECT rc{};
            dlg.m_list.GetItemRect(r, &rc, LVIR_BOUNDS);
            g.rows.push_back(rc);
        }
    });
    return g;
}

// Whether every pixel on the border of cell is black.
bool Framed(const ui::Image& img, const RECT& cell)
{
    for (int x = cell.left; x < cell.right; ++x)
        if (img.At(x, cell.top) != kBlack || img.At(x, cell.bottom - 1) != kBlack)
            return false;
    for (int y = cell.top; y < cell.bottom; ++y)
        if (img.At(cell.left, y) != kBlack || img.At(cell.right - 1, y) != kBlack)
            return false;
    return true;
}

// Cells of the rows that fit the client area whose border is wholly black.
std::vector<std::pair<int, int>> FramedCells(const ui::Image& img, const ListGeometry& g)
{
    std::vector<std::pair<int, int>> framed;
    for (size_t r = 0; r < g.rows.size(); ++r) {
        if (g.rows[r].bottom > g.client.bottom || g.rows[r].top < 0)
            continue;
        for (int col = 0; col < 4; ++col)
            if (Framed(img, g.Cell(static_cast<int>(r), col)))
                framed.push_back({static_cast<int>(r), col});
    }
    return framed;
}

// Pixels of a cell dark enough to be text.
int DarkPixels(const ui::Image& img, const RECT& cell)
{
    int dark = 0;
    for (int y = cell.top + 1; y < cell.bottom - 1; ++y)
        for (int x = cell.left + 1; x < cell.right - 1; ++x)
            dark += ui::Red(img.At(x, y)) < 128 ? 1 : 0;
    return dark;
}

std::string Describe(const std::vector<std::pair<int, int>>& cells)
{
    std::string s;
    for (auto& cell : cells)
        s += "(" + std::to_string(cell.first) + "," + std::to_string(cell.second) + ") ";
    return s.empty() ? "none" : s;
}

// Waits out the double-click time, so that the next click is a click of its own.
void PauseBetweenClicks(ui::Ctx& c) { c.Sleep(GetDoubleClickTime() + 100); }

using Edits = std::vector<std::pair<WPARAM, LPARAM>>;

Edits TakeEdits(ui::Ctx& c, CListHostDlg& dlg)
{
    Edits edits;
    c.RunOnUi([&] {
        edits = dlg.m_edits;
        dlg.m_edits.clear();
    });
    return edits;
}

TEST(LayerList, ColumnsFitTheListAndSwatchesPaintInsetOnWhite)
{
    CListHostDlg dlg(8);
    ui::Script s;
    s.Step("paint and read the pixels", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaptionHeightColor);
        ListGeometry g = ReadGeometry(c, dlg);
        ASSERT_EQ(g.rows.size(), 8u);
        // Whatever the font, the colour column lies inside the list, from the left edge on, with
        // the proportions 4 : 5 : 5 : 4 and no horizontal scrolling.
        EXPECT_EQ(g.columns[0].left, 0);
        for (int i = 1; i < 4; ++i)
            EXPECT_EQ(g.columns[i].left, g.columns[i - 1].right) << i;
        EXPECT_LE(g.columns[3].right, g.client.right);
        EXPECT_GT(g.columns[3].right - g.columns[3].left, 8);
        const int w0 = g.columns[0].right - g.columns[0].left;
        const int w1 = g.columns[1].right - g.columns[1].left;
        EXPECT_NEAR(w0 * 5.0 / 4.0, w1, 1.5);
        EXPECT_FALSE(GetWindowLongPtrW(g.list, GWL_STYLE) & WS_HSCROLL);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(ListView_GetColumnWidth(g.list, i), g.columns[i].right - g.columns[i].left) << i;

        c.UpdateNow(d);
        ui::SaveScreenshotIfRequested(d, L"layer_list");
        ui::Image img = c.Capture(g.list, true, ui::Source::WindowDc);
        ASSERT_FALSE(img.empty());
        // Row 0, text 255: pure red inside, exactly 2 pixels of white on every side.
        RECT cell = g.Cell(0, 3);
        for (int y = cell.top; y < cell.bottom; ++y) {
            for (int x = cell.left; x < cell.right; ++x) {
                const bool inside = x >= cell.left + 2 && x < cell.right - 2 && y >= cell.top + 2 &&
                                    y < cell.bottom - 2;
                ASSERT_EQ(img.At(x, y), inside ? ui::Rgb(255, 0, 0) : kWhite)
                    << "pixel " << x << "," << y << " of the cell " << cell.left << ","
                    << cell.top << "-" << cell.right << "," << cell.bottom;
            }
        }
        // Row 1, text 0: black.
        cell = g.Cell(1, 3);
        EXPECT_EQ(img.At(cell.left + 2, cell.top + 2), kBlack);
        EXPECT_EQ(img.At(cell.right - 3, cell.bottom - 3), kBlack);
        EXPECT_EQ(img.At(cell.left + 1, cell.top + 2), kWhite);
        // White background below the rows and right of the columns; no selection highlight.
        EXPECT_EQ(img.At(g.client.right - 2, g.client.bottom - 2), kWhite);
        EXPECT_EQ(img.At(g.columns[0].left + 1, g.rows[2].bottom - 2), kWhite);
        // The layer numbers are written in the number column.
        EXPECT_GT(DarkPixels(img, g.Cell(2, 0)), 3) << "no text in the layer number cell";
        EXPECT_TRUE(FramedCells(img, g).empty()) << Describe(FramedCells(img, g));
        c.Click(d, IDCANCEL);
    });
    EXPECT_EQ(s.Run([&] { return dlg.DoModal(); }), IDCANCEL);
}

TEST(LayerList, ClicksFrameOneCellAtATime)
{
    // Four rows: the list needs no scroll bar, so a strip right of the columns stays clickable.
    CListHostDlg dlg(4);
    ui::Script s;
    s.Step("frame cells with the mouse", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaptionHeightColor);
        ListGeometry g = ReadGeometry(c, dlg);
        ASSERT_EQ(g.rows.size(), 4u);

        c.MouseClick(g.list, g.Centre(2, 3));
        ui::Image img = c.Capture(g.list, true, ui::Source::WindowDc);
        EXPECT_EQ(FramedCells(img, g), (std::vector<std::pair<int, int>>{{2, 3}}))
            << Describe(FramedCells(img, g));
        EXPECT_EQ(c.ListSelection(g.list), 2);

        PauseBetweenClicks(c);
        c.MouseClick(g.list, g.Centre(1, 0));
        img = c.Capture(g.list, true, ui::Source::WindowDc);
        EXPECT_EQ(FramedCells(img, g), (std::vector<std::pair<int, int>>{{1, 0}}))
            << Describe(FramedCells(img, g));
        // The swatch of the old cell is whole again: its 2-pixel white margin is back.
        RECT old = g.Cell(2, 3);
        EXPECT_EQ(img.At(old.left, (old.top + old.bottom) / 2), kWhite);
        // The selected row of the focused list keeps its plain dark text.
        EXPECT_EQ(c.ListSelection(g.list), 1);
        EXPECT_GT(DarkPixels(img, g.Cell(1, 1)), 3) << "the selected row's text is not readable";

        // A click right of the last column selects the row but moves no frame.
        ASSERT_LT(g.columns[3].right + 2, g.client.right) << "no room right of the columns";
        PauseBetweenClicks(c);
        const int rowMid = (g.rows[3].top + g.rows[3].bottom) / 2;
        c.MouseClick(g.list, POINT{g.columns[3].right + 2, rowMid});
        int item = -1, column = -1;
        c.RunOnUi([&] {
            item = dlg.m_list.m_nSelItem;
            column = dlg.m_list.m_nSelColumn;
        });
        EXPECT_EQ(item, 1);
        EXPECT_EQ(column, 0);

        // A full repaint draws the frame again on its row and nowhere else.
        c.RunOnUi([&] { RedrawWindow(g.list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); });
        img = c.Capture(g.list, true, ui::Source::WindowDc);
        EXPECT_EQ(FramedCells(img, g), (std::vector<std::pair<int, int>>{{1, 0}}))
            << Describe(FramedCells(img, g));
        EXPECT_TRUE(TakeEdits(c, dlg).empty());
        c.Click(d, IDCANCEL);
    });
    s.Run([&] { return dlg.DoModal(); });
}

TEST(LayerList, DoubleClicksAskTheParentToEditLimitsAndColours)
{
    CListHostDlg dlg(8);
    ui::Script s;
    s.Step("double-click cells with the mouse", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaptionHeightColor);
        ListGeometry g = ReadGeometry(c, dlg);
        ASSERT_EQ(g.rows.size(), 8u);
        ASSERT_LE(g.rows[7].bottom, g.client.bottom) << "row 7 is not in view";

        c.MouseDoubleClick(g.list, g.Centre(3, 0));
        EXPECT_TRUE(TakeEdits(c, dlg).empty()) << "the layer number is not editable";

        PauseBetweenClicks(c);
        c.MouseDoubleClick(g.list, g.Centre(7, 3));
        EXPECT_EQ(TakeEdits(c, dlg), (Edits{{7, 3}}));

        PauseBetweenClicks(c);
        c.MouseDoubleClick(g.list, g.Centre(2, 1));
        PauseBetweenClicks(c);
        c.MouseDoubleClick(g.list, g.Centre(5, 2));
        EXPECT_EQ(TakeEdits(c, dlg), (Edits{{2, 1}, {5, 2}}));
        c.Click(d, IDCANCEL);
    });
    s.Run([&] { return dlg.DoModal(); });
}

TEST(LayerList, WithSeveralRowsSelectedTheFirstSelectedRowCounts)
{
    CListHostDlg dlg(8);
    ui::Script s;
    s.Step("click and double-click beside a selection", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaptionHeightColor);
        ListGeometry g = ReadGeometry(c, dlg);
        c.MouseClick(g.list, g.Centre(3, 1));  // frames (3, 1), selects row 3
        int item = -1, column = -1;
        auto frame = [&] {
            c.RunOnUi([&] {
                item = dlg.m_list.m_nSelItem;
                column = dlg.m_list.m_nSelColumn;
            });
        };
        frame();
        ASSERT_EQ(item, 3);

        // A control-click adds row 7 to the selection; row 3 stays the first selected row, and
        // the point is not in it: the frame stays.
        c.RunOnUi([&] {
            POINT p = g.Centre(7, 2);
            SendMessageW(g.list, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(p.x, p.y));
            SendMessageW(g.list, WM_LBUTTONUP, MK_CONTROL, MAKELPARAM(p.x, p.y));
        });
        EXPECT_EQ(ListView_GetSelectedCount(g.list), 2u);
        frame();
        EXPECT_EQ(item, 3);
        EXPECT_EQ(column, 1);
        ui::Image img = c.Capture(g.list, true, ui::Source::WindowDc);
        EXPECT_EQ(FramedCells(img, g), (std::vector<std::pair<int, int>>{{3, 1}}))
            << Describe(FramedCells(img, g));

        // Double-clicks: on row 7 nothing, on the first selected row the edit.
        c.RunOnUi([&] {
            POINT p = g.Centre(7, 3);
            SendMessageW(g.list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y));
            p = g.Centre(3, 3);
            SendMessageW(g.list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        });
        EXPECT_EQ(ListView_GetSelectedCount(g.list), 2u);
        EXPECT_EQ(TakeEdits(c, dlg), (Edits{{3, 3}}));
        c.Click(d, IDCANCEL);
    });
    s.Run([&] { return dlg.DoModal(); });
}

// Dark pixels on the left and right sides of the ring just inside a cell, where the keyboard
// cursor's dotted rectangle lies (text is centred, swatches keep 2 pixels of white).
int CursorDots(const ui::Image& img, const RECT& cell)
{
    int dark = 0;
    for (int y = cell.top + 1; y < cell.bottom - 1; ++y) {
        dark += ui::Red(img.At(cell.left + 1, y)) < 128 ? 1 : 0;
        dark += ui::Red(img.At(cell.right - 2, y)) < 128 ? 1 : 0;
    }
    return dark;
}

TEST(LayerList, KeysMoveTheRowAndTheCellCursorAndEditLikeADoubleClick)
{
    CListHostDlg dlg(8);
    ui::Script s;
    s.Step("keys in the focused list", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaptionHeightColor);
        ListGeometry g = ReadGeometry(c, dlg);
        ASSERT_EQ(g.rows.size(), 8u);
        ASSERT_LE(g.rows[7].bottom, g.client.bottom) << "row 7 is not in view";
        // The template's default buttons, 保存 and 应用, start disabled.
        c.RunOnUi([&] {
            EnableWindow(GetDlgItem(d, IDC_APPLY), TRUE);
            EnableWindow(GetDlgItem(d, IDC_SAVE), TRUE);
        });
        // A click frames (2, 3), focuses the list and its row 2; the cursor is on the colour.
        c.MouseClick(g.list, g.Centre(2, 3));
        ASSERT_EQ(GetFocus(), nullptr) << "the driver thread has no focus of its own";

        struct KeyStep {
            UINT key;
            int row, column;  // the focused row and the cursor's column afterwards
            Edits edits;      // WM_EDIT_LAYER_CELL sent to the parent
        };
        const KeyStep steps[] = {
            {VK_RETURN, 2, 3, {{2, 3}}}, {VK_LEFT, 2, 2, {}},     {VK_F2, 2, 2, {{2, 2}}},
            {VK_LEFT, 2, 1, {}},         {VK_LEFT, 2, 0, {}},     {VK_LEFT, 2, 0, {}},
            {VK_SPACE, 2, 0, {}},  // the layer number is not editable
            {VK_RETURN, 2, 0, {}},       {VK_DOWN, 3, 0, {}},     {VK_RIGHT, 3, 1, {}},
            {VK_RETURN, 3, 1, {{3, 1}}}, {VK_END, 7, 1, {}},      {VK_RIGHT, 7, 2, {}},
            {VK_RIGHT, 7, 3, {}},        {VK_RIGHT, 7, 3, {}},    {VK_SPACE, 7, 3, {{7, 3}}},
            {VK_HOME, 0, 3, {}},         {VK_F2, 0, 3, {{0, 3}}}, {VK_NEXT, 7, 3, {}},
            {VK_UP, 6, 3, {}},           {VK_PRIOR, 0, 3, {}},    {VK_DOWN, 1, 3, {}},
            {VK_RETURN, 1, 3, {{1, 3}}},
        };
        int n = 0;
        for (const KeyStep& k : steps) {
            c.Key(g.list, k.key);
            int focused = -2, selected = -2, column = -2, framedRow = -2, framedColumn = -2;
            bool listFocused = false;
            int applies = -1;
            c.RunOnUi([&] {
                applies = dlg.m_defaults;
                focused = ListView_GetNextItem(g.list, -1, LVNI_FOCUSED);
                selected = ListView_GetNextItem(g.list, -1, LVNI_SELECTED);
                column = dlg.m_list.m_cursor.column;
                framedRow = dlg.m_list.m_nSelItem;
                framedColumn = dlg.m_list.m_nSelColumn;
                listFocused = GetFocus() == g.list;
            });
            const std::string at = "step " + std::to_string(n++) + ", key 0x" + std::to_string(k.key);
            ASSERT_TRUE(IsWindowVisible(d)) << at << ": the dialog ended";
            EXPECT_EQ(applies, 0) << at << ": the default button was pressed";
            EXPECT_TRUE(listFocused) << at;
            EXPECT_EQ(focused, k.row) << at;
            EXPECT_EQ(selected, k.row) << at << ": the selection does not follow";
            EXPECT_EQ(column, k.column) << at;
            EXPECT_EQ(TakeEdits(c, dlg), k.edits) << at;
            EXPECT_EQ(framedRow, 2) << at << ": keys move the click's frame";
            EXPECT_EQ(framedColumn, 3) << at << ": keys move the click's frame";
        }

        // On screen: the click's frame where it was, the dotted cursor on (1, 3) and nowhere else.
        c.UpdateNow(d);
        ui::Image img = c.Capture(g.list, true, ui::Source::WindowDc);
        ASSERT_FALSE(img.empty());
        EXPECT_EQ(FramedCells(img, g), (std::vector<std::pair<int, int>>{{2, 3}})) << Describe(FramedCells(img, g));
        const int side = g.rows[1].bottom - g.rows[1].top - 2;
        for (int r = 0; r < 8; ++r)
            for (int col = 0; col < 4; ++col) {
                const int dots = CursorDots(img, g.Cell(r, col));
                if (r == 1 && col == 3) {
                    EXPECT_GE(dots, side - 2) << "no dotted cursor on (1, 3)";
                    EXPECT_LE(dots, side + 2) << "the cursor on (1, 3) is not dotted";
                } else {
                    EXPECT_EQ(dots, 0) << "a cursor on (" << r << ", " << col << ")";
                }
            }

        // With another control focused, Enter presses the default button as ever.
        HWND box = c.Item(d, IDC_CUSTOM_LAYERS);
        c.RunOnUi([&] { SendMessageW(d, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(box), TRUE); });
        c.PressEnter(box);
        int applies = -1;
        c.RunOnUi([&] { applies = dlg.m_defaults; });
        EXPECT_EQ(applies, 1) << "Enter on a check box did not press the default button";
        EXPECT_TRUE(TakeEdits(c, dlg).empty());
        c.PressEsc(box);
        c.WaitGone(d);
    });
    EXPECT_EQ(s.Run([&] { return dlg.DoModal(); }), IDCANCEL);
}

// ---- the name dialog -------------------------------------------------------------------------

TEST(NameDialog, EmptyNameKeepsItOpenSilentlyAndTheNameStaysForTheNextRun)
{
    CSaveColorTableDlg dlg;
    ui::Script s;
    s.Step("OK on an empty name, then blanks", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaptionSaveTable, L"#32770");
        HWND edit = c.Item(d, IDC_TABLE_NAME);
        EXPECT_EQ(c.Text(edit), L"");
        EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 127);
        c.UpdateNow(d);
        ui::SaveScreenshotIfRequested(d, L"save_colortable_dlg");
        c.Click(d, IDOK);
        c.Sleep(300);
        EXPECT_TRUE(IsWindowVisible(d));
        EXPECT_EQ(c.WaitModal(), d) << "a box came up over the name dialog";
        c.SetText(edit, L"   ");
        c.Click(d, IDOK);
        c.WaitGone(d);
    });
    EXPECT_EQ(s.Run([&] { return dlg.DoModal(); }), IDOK);
    EXPECT_STREQ(dlg.m_strName, L"   ");

    ui::Script again;
    again.Step("the name typed before is shown", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaptionSaveTable, L"#32770");
        EXPECT_EQ(c.Text(d, IDC_TABLE_NAME), L"   ");
        c.SetText(c.Item(d, IDC_TABLE_NAME), L"丘陵");
        c.PressEnter(c.Item(d, IDC_TABLE_NAME));
        c.WaitGone(d);
    });
    EXPECT_EQ(again.Run([&] { return dlg.DoModal(); }), IDOK);
    EXPECT_STREQ(dlg.m_strName, L"丘陵");
}

TEST(NameDialog, ANameLongerThanATableNameIsRefusedWithThePrompt)
{
    CSaveColorTableDlg dlg;
    ui::Script s;
    s.Step("a pasted 130-character name", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaptionSaveTable, L"#32770");
        c.SetText(c.Item(d, IDC_TABLE_NAME), std::wstring(130, L'n'));
        c.Click(d, IDOK);
        HWND box = c.WaitModal(L"#32770", d);
        ASSERT_NE(box, d);
        EXPECT_EQ(c.DismissMessageBox(box), L"请输入不多于 127 个字符。");
        EXPECT_TRUE(IsWindowVisible(d));
        c.Click(d, IDCANCEL);
    });
    EXPECT_EQ(s.Run([&] { return dlg.DoModal(); }), IDCANCEL);
}

// ---- the threshold dialog -------------------------------------------------------------------

TEST(ThresholdDialog, ShowsSixSignificantDigitsAndTakesANegativeValue)
{
    CThresholdDlg dlg;
    dlg.m_fValue = 100.0f;
    ui::Script s;
    s.Step("100, then -5.25", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaptionThreshold, L"#32770");
        EXPECT_EQ(c.Text(d, IDC_THRESHOLD_VALUE), L"100");
        c.UpdateNow(d);
        ui::SaveScreenshotIfRequested(d, L"threshold_dlg");
        c.SetText(c.Item(d, IDC_THRESHOLD_VALUE), L"-5.25");
        c.Click(d, IDOK);
        c.WaitGone(d);
    });
    EXPECT_EQ(s.Run([&] { return dlg.DoModal(); }), IDOK);
    EXPECT_EQ(dlg.m_fValue, -5.25f);

    dlg.m_fValue = 1234.5678f;
    ui::Script again;
    again.Step("1234.5678", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaptionThreshold, L"#32770");
        EXPECT_EQ(c.Text(d, IDC_THRESHOLD_VALUE), L"1234.57");
        c.PressEsc(c.Item(d, IDC_THRESHOLD_VALUE));
        c.WaitGone(d);
    });
    EXPECT_EQ(again.Run([&] { return dlg.DoModal(); }), IDCANCEL);
    EXPECT_EQ(dlg.m_fValue, 1234.5678f);
}

TEST(ThresholdDialog, TextThatIsNoNumberBringsThePromptAndKeepsItOpen)
{
    CThresholdDlg dlg;
    dlg.m_fValue = 7.5f;
    ui::Script s;
    s.Step("type words", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaptionThreshold, L"#32770");
        c.SetText(c.Item(d, IDC_THRESHOLD_VALUE), L"12 米");
        c.Click(d, IDOK);
        HWND box = c.WaitModal(L"#32770", d);
        ASSERT_NE(box, d);
        EXPECT_EQ(c.DismissMessageBox(box), L"请输入一个数字。");
        c.WaitGone(box);
        EXPECT_TRUE(IsWindowVisible(d));
        c.Click(d, IDCANCEL);
    });
    EXPECT_EQ(s.Run([&] { return dlg.DoModal(); }), IDCANCEL);
    EXPECT_EQ(dlg.m_fValue, 7.5f);
}

// ---- data exchange ----------------------------------------------------------------------------

// The layering template's count edit as an integer field with a range, and a check box after it.
class CExchangeDlg : public CDialog {
public:
    CExchangeDlg() : CDialog(IDD_HEIGHT_COLOR) {}
    int m_nCount = 5;
    int m_bChecked = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, IDC_LAYER_COUNT, m_nCount);
        DDV_MinMaxInt(pDX, m_nCount, 1, 256);
        DDX_Check(pDX, IDC_CONTINUOUS, m_bChecked);
    }
};

TEST(DataExchange, FailingFieldPromptsAndStopsTheExchange)
{
    CExchangeDlg dlg;
    int count = 0, checked = 0;
    ui::Script s;
    s.Step("out of range, then no number, then right", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaptionHeightColor);
        HWND edit = c.Item(d, IDC_LAYER_COUNT);
        EXPECT_EQ(c.Text(edit), L"5");
        c.RunOnUi([&] { CheckDlgButton(d, IDC_CONTINUOUS, BST_CHECKED); });

        c.SetText(edit, L"300");
        c.Click(d, IDOK);
        HWND box = c.WaitModal(L"#32770", d);
        ASSERT_NE(box, d);
        EXPECT_EQ(c.DismissMessageBox(box), L"请输入一个介于 1 和 256 之间的整数。");
        c.WaitGone(box);
        c.RunOnUi([&] {
            count = dlg.m_nCount;
            checked = dlg.m_bChecked;
        });
        EXPECT_EQ(count, 300) << "the value is stored before the range is checked";
        EXPECT_EQ(checked, 0) << "the exchange went on past the failing field";
        // The field gets the focus back once the box has gone.
        c.WaitFor([&] {
            GUITHREADINFO gti{};
            gti.cbSize = sizeof gti;
            return GetGUIThreadInfo(c.UiThread(), &gti) && gti.hwndFocus == edit;
        }, "the focus back on the failing field");

        c.SetText(edit, L"abc");
        c.Click(d, IDOK);
        box = c.WaitModal(L"#32770", d);
        ASSERT_NE(box, d);
        EXPECT_EQ(c.DismissMessageBox(box), L"请输入一个整数。");
        c.WaitGone(box);
        c.RunOnUi([&] { count = dlg.m_nCount; });
        EXPECT_EQ(count, 300);

        c.SetText(edit, L"12");
        c.Click(d, IDOK);
        c.WaitGone(d);
    });
    EXPECT_EQ(s.Run([&] { return dlg.DoModal(); }), IDOK);
    EXPECT_EQ(dlg.m_nCount, 12);
    EXPECT_EQ(dlg.m_bChecked, 1);
}

// ---- any code page ----------------------------------------------------------------------------

TEST(CodePage, ChineseTextOfTheResourcesSurvivesTheCodePage)
{
    // The second run of this program asks for code page 1252 and says so.
    if (const char* expected = getenv("OROSCAPE_EXPECT_ACP")) {
        EXPECT_EQ(GetACP(), static_cast<UINT>(atoi(expected)));
    }

    CSaveColorTableDlg dlg;
    std::wstring caption, button, edit;
    ui::Script s;
    s.Step("read the name dialog", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaptionSaveTable, L"#32770");
        caption = ui::Caption(d);
        button = c.Text(d, IDOK);
        c.SetText(c.Item(d, IDC_TABLE_NAME), L"等高线");
        edit = c.Text(d, IDC_TABLE_NAME);
        c.Click(d, IDOK);
        c.WaitGone(d);
    });
    EXPECT_EQ(s.Run([&] { return dlg.DoModal(); }), IDOK);
    EXPECT_EQ(caption, kCaptionSaveTable);
    EXPECT_EQ(button, L"确认");
    EXPECT_EQ(edit, L"等高线");
    EXPECT_STREQ(dlg.m_strName, L"等高线");

    std::wstring boxCaption, boxText;
    ui::Script warn;
    warn.Step("read the warning", [&](ui::Ctx& c) {
        HWND box = c.WaitModal(L"#32770");
        boxCaption = ui::Caption(box);
        boxText = c.DismissMessageBox(box);
    });
    warn.Run([] {
        ShowWarning(IDS_FILE_EXISTS);
        return 0;
    });
    EXPECT_EQ(boxCaption, kCaptionWarning);
    EXPECT_EQ(boxText, L"文件名已存在!");
}

}  // namespace
