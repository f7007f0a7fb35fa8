// The tour's texture steps: 设置 → 选择纹理文件 (the sample picture, with its preview) and
// 设置 → 纹理参数设置 (near-infrared false colour from the multi-band image).
#include "demo/tour/steps.h"

#include <commctrl.h>

#include <memory>

#include "demo/wintext.h"
#include "res/captions.h"

namespace tour {

void Tour::TextureFile()
{
    TourLog(L"[选择纹理文件] sample_texture.bmp");
    const View before = TakeView(viewer);
    const ModalRun run = RunModal(viewer, dir, [](Driver& d) {
        HWND dlg = d.OpenDialog(kCaptionTextureFile, 600);
        if (!dlg)
            return;
        // Select the picture in the file list, as a click does: the preview follows.
        HWND list = d.Descendant(dlg, WC_LISTVIEWW);
        int item = -1;
        for (const wchar_t* name : {L"sample_texture.bmp", L"sample_texture"}) {
            auto text = std::make_unique<std::wstring>(name);
            auto find = std::make_unique<LVFINDINFOW>(LVFINDINFOW{LVFI_STRING, text->c_str(), 0, {0, 0}, 0});
            const LRESULT r = d.c.Send(list, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(find.get()),
                                       "finding the picture in the file list", [&] {
                                           text.release();
                                           find.release();
                                       });
            if (r >= 0) {
                item = static_cast<int>(r);
                break;
            }
        }
        if (item < 0)
            d.Fail(L"文件列表中没有 sample_texture.bmp");
        auto state = std::make_unique<LVITEMW>();
        state->stateMask = state->state = LVIS_SELECTED | LVIS_FOCUSED;
        d.c.Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(state.get()),
                 "selecting the picture", [&] { state.release(); });
        d.c.Settle(dlg, 800);
        d.Shot(dlg, L"tour_15_texture_file");
        d.c.Click(d.c.Item(dlg, IDOK));
    }, [&] { return viewer.ChooseTextureFile(); });
    if (!Ran(run, L"_SelectTextureFile"))
        return;
    View after;
    if (ViewAfter(run, L"_SelectTextureFile", 1, L"没有选中纹理文件", L"tour_16_viewer_texture", &after))
        CheckChanged(before, after, L"纹理", L"纹理没有显示在地形上");
}

void Tour::TextureParameters()
{
    TourLog(L"[纹理参数设置] 近红外假彩色 (波段 4,3,2)");
    const View before = TakeView(viewer);
    const ModalRun run = RunModal(viewer, dir, [](Driver& d) {
        HWND dlg = d.OpenDialog(kCaptionTexParam);
        if (!dlg)
            return;
        const struct { int id; int band; } picks[] = {{14046, 3}, {14047, 2}, {14048, 1}};
        for (const auto& p : picks)
            d.c.SelectCombo(d.c.Item(dlg, p.id), p.band);
        HWND formats = d.c.Item(dlg, 14061);
        int format = d.ComboFind(formats, L"RGB_S3TC_DXT1");
        if (format == CB_ERR)
            format = d.ComboFind(formats, L"RGB8");
        if (format == CB_ERR)
            d.Fail(L"格式列表中没有 RGB_S3TC_DXT1 或 RGB8");
        d.c.SelectCombo(formats, format);
        d.c.Settle(dlg);
        d.Shot(dlg, L"tour_17_texture_params");
        d.c.Click(d.c.Item(dlg, IDOK));
    }, [&] { return viewer.ChooseTextureParameters(); });
    if (!Ran(run, L"_SetTexParamDlg"))
        return;
    View after;
    if (ViewAfter(run, L"_SetTexParamDlg", 1, L"纹理参数设置没有以确认结束", L"tour_18_viewer_false_colour", &after))
        CheckChanged(before, after, L"假彩色纹理", L"所选波段没有显示在地形上");
}

}  // namespace tour
