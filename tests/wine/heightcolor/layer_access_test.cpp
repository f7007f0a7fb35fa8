// The colour layer list as a screen reader meets it: its rows and cells with their names,
// roles, values and states, what the list answers for numbers that name nothing, and the focus
// events (with what a reader then says) while the keyboard walks the list. The program holds
// the library's code; these cases also run under code page 1252.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <stdlib.h>

#include <memory>
#include <string>
#include <vector>

#include "acc_reader.h"
#include "afx/afxacc.h"
#include "layer_list_host.h"
#include "res/captions.h"
#include "res/resource.h"
#include "uidriver_gtest.h"

namespace {

const std::vector<HostedLayer> kLayers = {
    {L"1", L"-50.000", L"120.000", RGB(0, 0, 139)},
    {L"2", L"120.000", L"240.000", RGB(0, 100, 0)},
    {L"3", L"240.000", L"1450.500", RGB(255, 250, 245)},
};
const int kRows = 3;

std::string Hex(long v)
{
    char buf[16];
    snprintf(buf, sizeof buf, "0x%lx", static_cast<unsigned long>(v));
    return buf;
}

void ExpectCodePage()
{
    if (const char* expected = getenv("OROSCAPE_EXPECT_ACP")) {
        EXPECT_EQ(GetACP(), static_cast<UINT>(atoi(expected)));
    }
}

POINT CellCentre(CLayerListHostDlg& dlg, int row, int column)
{
    RECT rc{};
    dlg.m_list.GetItemRect(row, &rc, LVIR_BOUNDS);
    return POINT{(dlg.m_list.m_rcColumn[column].left + dlg.m_list.m_rcColumn[column].right) / 2,
                 (rc.top + rc.bottom) / 2};
}

const long kSelectable = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;

}  // namespace

TEST(AccessLayerList, RowsAndCellsHaveNamesRolesValuesAndStates)
{
    ExpectCodePage();
    CLayerListHostDlg dlg(kLayers);
    ui::Script s;
    s.Step("read the list as a reader does", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaptionHeightColor);
        HWND list = c.Item(d, IDC_LAYER_LIST);
        // Row 1 focused and selected, the cursor on its upper limit.
        c.MouseClick(list, CellCentre(dlg, 1, 2));
        c.RunOnUi([&] {
            IAccessible* acc = test::AccOfWindow(list);
            ASSERT_NE(acc, nullptr) << "no object for the list's client area";
            const test::AccPart self = test::AccReadPart(acc, CHILDID_SELF);
            EXPECT_EQ(self.name, L"分层列表");
            EXPECT_EQ(self.role, ROLE_SYSTEM_TABLE);
            EXPECT_EQ(self.state, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED);

            // The rows, as AccessibleChildren walks them: objects with four cells each.
            struct RowCase {
                const wchar_t* name;
                long state;
            };
            const RowCase rows[kRows] = {
                {L"第 1 层，-50.000 至 120.000，深蓝", kSelectable},
                {L"第 2 层，120.000 至 240.000，深绿",
                 kSelectable | STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED},
                {L"第 3 层，240.000 至 1450.500，白", kSelectable},
            };
            std::vector<test::AccChild> children = test::AccChildren(acc);
            ASSERT_EQ(children.size(), static_cast<size_t>(kRows));
            for (int r = 0; r < kRows; ++r) {
                ASSERT_NE(children[r].object, nullptr) << "row " << r << " is no object";
                const test::AccPart row = test::AccReadPart(children[r].object, CHILDID_SELF);
                EXPECT_EQ(row.hr, S_OK) << "row " << r;
                EXPECT_EQ(row.name, rows[r].name) << "row " << r;
                EXPECT_EQ(row.value, L"") << "row " << r;
                EXPECT_EQ(row.role, ROLE_SYSTEM_ROW) << "row " << r;
                EXPECT_EQ(row.state, rows[r].state) << "row " << r << ": " << Hex(row.state);
                // The same row by its number on the list's object.
                EXPECT_EQ(test::AccReadPart(acc, r + 1).name, rows[r].name);
            }

            // The cells of row 1: in its own object (1 to 4) and by their numbers on the list's.
            struct CellCase {
                const wchar_t* name;
                const wchar_t* value;
                long state;
            };
            const CellCase cells[4] = {
                {L"第 2 层 层号：2", L"2", STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_READONLY},
                {L"第 2 层 下限：120.000", L"120.000", STATE_SYSTEM_FOCUSABLE},
                {L"第 2 层 上限：240.000", L"240.000", STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED},
                {L"第 2 层 颜色：深绿", L"红 0，绿 100，蓝 0", STATE_SYSTEM_FOCUSABLE},
            };
            LONG cellCount = -1;
            EXPECT_EQ(children[1].object->get_accChildCount(&cellCount), S_OK);
            EXPECT_EQ(cellCount, 4);
            for (int col = 0; col < 4; ++col) {
                const long id = kLayerCellIdBase + 1 * kLayerColumnsMax + col;
                for (const test::AccPart& cell : {test::AccReadPart(children[1].object, col + 1),
                                                  test::AccReadPart(acc, id)}) {
                    EXPECT_EQ(cell.hr, S_OK) << "column " << col;
                    EXPECT_EQ(cell.name, cells[col].name) << "column " << col;
                    EXPECT_EQ(cell.value, cells[col].value) << "column " << col;
                    EXPECT_EQ(cell.role, ROLE_SYSTEM_CELL) << "column " << col;
                    EXPECT_EQ(cell.state, cells[col].state) << "column " << col << ": " << Hex(cell.state);
                }
            }
            // The colour cells of the other rows: their names and values.
            EXPECT_EQ(test::AccReadPart(acc, kLayerCellIdBase + 3).name, L"第 1 层 颜色：深蓝");
            EXPECT_EQ(test::AccReadPart(acc, kLayerCellIdBase + 3).value, L"红 0，绿 0，蓝 139");
            EXPECT_EQ(test::AccReadPart(children[2].object, 4).value, L"红 255，绿 250，蓝 245");

            // The focus is the cursor's cell.
            VARIANT focus;
            V_VT(&focus) = VT_EMPTY;
            EXPECT_EQ(acc->get_accFocus(&focus), S_OK);
            EXPECT_EQ(V_VT(&focus), VT_I4);
            EXPECT_EQ(V_I4(&focus), kLayerCellIdBase + 1 * kLayerColumnsMax + 2);

            // Numbers that name nothing are refused, never answered with another part's text.
            for (long bad : {static_cast<long>(kRows + 1), -7L, kLayerCellIdBase + kRows * kLayerColumnsMax,
                             kLayerCellIdBase - 1, 0x7FFFFFFFL}) {
                EXPECT_EQ(test::AccReadPart(acc, bad).hr, E_INVALIDARG) << "child " << Hex(bad);
                EXPECT_EQ(test::AccReadPart(acc, bad).name, L"") << "child " << Hex(bad);
            }
            EXPECT_EQ(test::AccReadPart(children[0].object, 5).hr, E_INVALIDARG);
            test::AccRelease(children);
            acc->Release();
        });
        c.PressEsc(list);
        c.WaitGone(d);
    });
    EXPECT_EQ(s.Run([&] { return dlg.DoModal(); }), IDCANCEL);
}

TEST(AccessLayerList, KeysThatMoveTheCursorRaiseFocusEventsAReaderFollows)
{
    ExpectCodePage();
    CLayerListHostDlg dlg(kLayers);
    std::unique_ptr<test::FocusEvents> events;
    ui::Script s;
    s.Step("walk the list with the keyboard", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaptionHeightColor);
        HWND list = c.Item(d, IDC_LAYER_LIST);
        c.RunOnUi([&] { events.reset(new test::FocusEvents); });
        ASSERT_TRUE(events->Installed());
        c.MouseClick(list, CellCentre(dlg, 0, 3));
        c.Flush();
        // A real click can be lost on a busy machine: the focus and the cursor's cell (first row,
        // last column) are made sure by messages as well, which move nothing when the click landed.
        c.RunOnUi([&] { SendMessageW(d, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list), TRUE); });
        for (UINT vk : {VK_HOME, VK_RIGHT, VK_RIGHT, VK_RIGHT})
            c.Key(list, vk);
        c.Flush();
        struct Step {
            UINT key;
            std::vector<std::wstring> said;  // the list's focus events, as a reader says them
        };
        const Step steps[] = {
            {VK_LEFT, {L"第 1 层 上限：120.000"}},
            {VK_DOWN, {L"第 2 层 上限：240.000"}},
            {VK_RIGHT, {L"第 2 层 颜色：深绿"}},
            {VK_RIGHT, {}},  // the cursor stays on the last column: nothing new to say
            {VK_END, {L"第 3 层 颜色：白"}},
            {VK_HOME, {L"第 1 层 颜色：深蓝"}},
            {VK_LEFT, {L"第 1 层 上限：120.000"}},
            {VK_LEFT, {L"第 1 层 下限：-50.000"}},
            {VK_LEFT, {L"第 1 层 层号：1"}},
            {VK_LEFT, {}},
            {VK_UP, {}},     // already the first row
            {VK_RETURN, {}},  // asks to edit; the layer number is not editable, nothing moves
        };
        // The list's cell events as a reader says them. Out-of-context events reach the hook when
        // the UI thread's loop next runs, which on a busy machine can be well after the key: wait
        // for as many as expected, and a little while when none is, so that a late or a stray one
        // is not taken for the next step's.
        auto listSaid = [&](size_t want, std::string* all, DWORD grace = 200) {
            std::vector<std::wstring> said;
            const DWORD start = GetTickCount();
            for (;;) {
                std::vector<test::FocusEvent> got;
                c.RunOnUi([&] { got = events->Take(); });
                for (const test::FocusEvent& e : got) {
                    *all += " [" + Hex(reinterpret_cast<LONG_PTR>(e.hwnd)) + " " + Hex(e.object) + " " +
                            Hex(e.child) + "]";
                    if (e.hwnd == list && e.child >= kLayerCellIdBase) {
                        EXPECT_EQ(e.object, OBJID_CLIENT);
                        said.push_back(e.said);
                    }
                }
                const DWORD waited = GetTickCount() - start;
                if ((want > 0 && said.size() >= want) || waited >= (want > 0 ? 5000u : grace))
                    return said;
                Sleep(20);
            }
        };
        {   // what the click and the placing brought: at least one cell, then whatever else follows
            std::string all;
            listSaid(1, &all);
            listSaid(0, &all, 1000);
        }
        int n = 0;
        for (const Step& k : steps) {
            c.Key(list, k.key);
            c.Flush();
            std::string all;
            const std::vector<std::wstring> said = listSaid(k.said.size(), &all);
            EXPECT_EQ(said, k.said) << "step " << n << ", key " << Hex(k.key) << ", events" << all;
            ++n;
        }
        // The focus leaves and comes back: the cursor's cell is said again.
        HWND box = c.Item(d, IDC_CUSTOM_LAYERS);
        c.RunOnUi([&] { SendMessageW(d, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(box), TRUE); });
        c.RunOnUi([&] { SendMessageW(d, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list), TRUE); });
        c.Flush();
        std::string all;
        const std::vector<std::wstring> said = listSaid(1, &all);
        EXPECT_EQ(said, std::vector<std::wstring>{L"第 1 层 层号：1"});
        c.RunOnUi([&] { events.reset(); });
        c.PressEsc(list);
        c.WaitGone(d);
    });
    EXPECT_EQ(s.Run([&] { return dlg.DoModal(); }), IDCANCEL);
}
