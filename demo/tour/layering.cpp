// The tour's layering steps (设置 → 高程分层设色): another colour table, then six custom layers
// with colours picked in the colour dialog and blended.
#include "demo/tour/steps.h"

#include <commctrl.h>

#include "demo/wintext.h"
#include "res/captions.h"

namespace tour {

void Tour::HeightColorTable()
{
    TourLog(L"[高程分层设色] 换用色表 arid");
    const View before = TakeView(viewer);
    const ModalRun run = RunModal(viewer, dir, [](Driver& d) {
        HWND dlg = d.OpenDialog(kCaptionHeightColor);
        if (!dlg)
            return;
        d.Shot(dlg, L"tour_02_heightcolor_terrain");
        HWND combo = d.c.Item(dlg, 4007);
        const int arid = d.ComboFind(combo, L"arid");
        if (arid == CB_ERR)
            d.Fail(L"色表列表中没有 arid");
        d.c.SelectCombo(combo, arid);
        d.c.Settle(dlg, 500);
        d.Shot(dlg, L"tour_03_heightcolor_arid");
        d.c.Click(d.c.Item(dlg, IDOK));
    }, [&] { return viewer.EditHeightColors(); });
    if (!Ran(run, L"_SetHeightColorDlg"))
        return;
    View after;
    if (!ViewAfter(run, L"_SetHeightColorDlg", IDOK, L"对话框没有以确定结束", L"tour_04_viewer_arid", &after))
        return;
    if (!CheckLayering(viewer, before, after, L"色表 arid"))
        Failure(L"地形没有使用新的分层颜色");
}

void Tour::HeightColorCustom()
{
    TourLog(L"[高程分层设色] 自定义 6 层, 首尾取色后连续色调渐变");
    const View before = TakeView(viewer);
    const ModalRun run = RunModal(viewer, dir, [](Driver& d) {
        HWND dlg = d.OpenDialog(kCaptionHeightColor);
        if (!dlg)
            return;
        // "自定义分层": a record of fewer than 256 layers opens in custom mode already, and
        // entering custom mode anew is what spreads six fresh layers.
        HWND custom = d.c.Item(dlg, 4010);
        if (d.c.CheckState(custom) == BST_CHECKED) {
            d.c.Click(custom);
            d.c.Settle(dlg, 400);
        }
        d.c.Click(custom);
        d.c.Settle(dlg, 400);
        HWND list = d.c.Item(dlg, 4006);
        const int rows = d.c.ListCount(list);
        if (rows != 6)
            d.Fail(Format(L"自定义分层应有 6 行, 实际 %d 行", rows));
        // Colours for the lowest and the highest layer through the colour dialog.
        const struct { int row; const wchar_t* r; const wchar_t* g; const wchar_t* b; const wchar_t* shot; } picks[] = {
            {0, L"28", L"84", L"52", L"tour_05_color_dialog"},
            {5, L"250", L"246", L"236", nullptr},
        };
        for (const auto& pick : picks) {
            d.DoubleClickCell(list, pick.row, 3);
            HWND colour = d.WaitNewDialog({dlg});
            d.c.Settle(colour);
            d.c.SetText(d.c.Item(colour, 706), pick.r);
            d.c.SetText(d.c.Item(colour, 707), pick.g);
            d.c.SetText(d.c.Item(colour, 708), pick.b);
            if (pick.shot) {
                d.c.Settle(colour, 300);
                d.Shot(colour, pick.shot);
            }
            d.c.Click(d.c.Item(colour, IDOK));
            d.c.WaitGone(colour);
            d.c.Settle(dlg);
        }
        d.c.Click(d.c.Item(dlg, 4002));   // "应用": blend between the picked layers
        d.c.Settle(dlg, 500);
        d.Shot(dlg, L"tour_06_heightcolor_custom");
        d.c.Click(d.c.Item(dlg, IDOK));
    }, [&] { return viewer.EditHeightColors(); });
    if (!Ran(run, L"_SetHeightColorDlg"))
        return;
    View after;
    if (!ViewAfter(run, L"_SetHeightColorDlg", IDOK, L"对话框没有以确定结束", L"tour_07_viewer_custom", &after))
        return;
    const std::vector<Rgb8> palette = probe.LayerPalette();
    std::wstring colours;
    for (const Rgb8& c : palette)
        colours += Format(L" (%d,%d,%d)", c.r, c.g, c.b);
    TourLog(L"  分层颜色:" + colours);
    if (palette.size() != 6 || palette.front().g != 84 || palette.back().r != 250)
        Failure(L"分层颜色不是所选的首尾颜色及其渐变");
    if (!CheckLayering(viewer, before, after, L"自定义分层"))
        Failure(L"地形没有使用新的分层颜色");
}

}  // namespace tour
