// The tour's model-sheet step (设置 → 模型参数设置: light, material, fog, each applied to the
// view), the view's own controls, and the start-up sky the later steps go back to.
#include "demo/tour/steps.h"

#include <prsht.h>

#include <cmath>

#include "demo/terrainview_res.h"
#include "demo/wintext.h"
#include "res/captions.h"

namespace tour {

void Tour::ModelSheet()
{
    TourLog(L"[模型参数设置] 光源、材质、雾");
    if (!probe.HasModelSheet()) {
        TourLog(L"  _CreateModelDialog 没有给出模型参数表: 尚未完成, 跳过。");
        ++notDone;
        return;
    }
    const int appliesBefore = probe.ApplyCount();
    const ModalRun run = RunModal(viewer, dir, [](Driver& d) {
        HWND sheet = d.OpenDialog(kCaptionModelSheet);
        if (!sheet)
            return;
        // Light page: a warm sun and a deeper sky.
        const struct { int id; const wchar_t* text; } light[] = {
            {1004, L"255"}, {1005, L"236"}, {1006, L"200"}, {1013, L"92"}, {1014, L"138"}, {1015, L"198"}};
        for (const auto& f : light)
            d.c.SetText(d.c.Item(sheet, f.id), f.text);
        d.Shot(sheet, L"tour_08_model_light");
        HWND apply = d.c.Item(sheet, 0x3021);
        const std::string applyBack = Utf8(L"应用按钮恢复为不可用");
        d.c.Click(apply);
        d.c.WaitFor([&] { return !IsWindowEnabled(apply); }, applyBack);
        d.ViewShot(L"tour_09_viewer_light_applied");
        // Material page: a brighter specular highlight.
        d.c.Send(sheet, PSM_SETCURSEL, 1, 0, "turning to the material page");
        d.c.Settle(sheet);
        const struct { int id; const wchar_t* text; } material[] = {
            {2007, L"210"}, {2008, L"210"}, {2009, L"200"}, {2013, L"40"}};
        for (const auto& f : material)
            d.c.SetText(d.c.Item(sheet, f.id), f.text);
        d.Shot(sheet, L"tour_10_model_material");
        // Fog page: a light haze over the valley.
        d.c.Send(sheet, PSM_SETCURSEL, 2, 0, "turning to the fog page");
        d.c.Settle(sheet);
        const struct { int id; const wchar_t* text; } fog[] = {
            {3001, L"214"}, {3002, L"222"}, {3003, L"236"}, {3004, L"0.22"}};
        for (const auto& f : fog)
            d.c.SetText(d.c.Item(sheet, f.id), f.text);
        d.c.Click(d.c.Item(sheet, 2035));   // "环境光和漫反射光"
        d.c.Settle(sheet);
        d.Shot(sheet, L"tour_11_model_fog");
        d.c.Click(apply);
        d.c.WaitFor([&] { return !IsWindowEnabled(apply); }, applyBack);
        d.ViewShot(L"tour_12_viewer_fog_applied");
        d.c.Click(d.c.Item(sheet, IDOK));
    }, [&] { return viewer.EditModelParameters() ? 1 : 0; });
    if (!Ran(run, L"_ShowModelDialog"))
        return;
    const SceneLook& look = probe.Look();
    TourLog(Format(L"  WM_MODEL_APPLY %d 次, 最后一次 0x%04X, 重绘 %.1f 毫秒", probe.ApplyCount() - appliesBefore,
                   probe.LastApplyMask(), probe.LastApplyMs()));
    TourLog(Format(L"  漫反射光 (%d,%d,%d) 背景色 (%d,%d,%d) 镜面指数 %d 材质模式 %d 雾 (%d,%d,%d) 浓度 %.2f",
                   look.lightDiffuse.r, look.lightDiffuse.g, look.lightDiffuse.b, look.backColor.r,
                   look.backColor.g, look.backColor.b, look.shininess, look.matMode, look.fogColor.r,
                   look.fogColor.g, look.fogColor.b, look.fogDensity));
    if (probe.ApplyCount() - appliesBefore < 2)
        Failure(L"应用按钮没有两次通知宿主");
    const unsigned wanted = MCF_MAT_SPECULAR | MCF_MAT_SHININESS | MCF_FOG_COLOR | MCF_FOG_DENSITY;
    if ((probe.LastApplyMask() & wanted) != wanted)
        Failure(Format(L"第二次应用的变化位 0x%04X 缺少 0x%04X", probe.LastApplyMask(), wanted));
    // The sky of the view is the background colour the sheet applied.
    View view = TakeView(viewer);
    const uint8_t* sky = &view.shaded[(static_cast<size_t>(view.h - 2) * view.w + 2) * 4];
    const bool skyOk = sky[0] == 92 && sky[1] == 138 && sky[2] == 198;
    TourLog(Format(L"  核对背景色: 视图左上角 (%d,%d,%d) -> %ls", sky[0], sky[1], sky[2], skyOk ? L"通过" : L"未通过"));
    if (!skyOk || look.fogDensity < 0.2f || look.fogDensity > 0.24f)
        Failure(L"视图没有使用模型参数表的新值");
    Picture(L"tour_13_viewer_model");
}


// The view's own controls, through the messages the mouse and the menu send.
void Tour::ViewControls()
{
    TourLog(L"[视图] 滚轮拉近, 拖动旋转, 显示网格线");
    HWND w = viewer.Window();
    const OrbitCamera before = probe.Camera();
    SendMessageW(w, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(480, 360));
    SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 300));
    SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(330, 310));
    SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(360, 320));
    SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(360, 320));
    SendMessageW(w, WM_COMMAND, MAKEWPARAM(IDM_WIRE, 0), 0);
    Pump(200);
    const OrbitCamera& after = probe.Camera();
    const bool ok = after.distance < before.distance && std::fabs(after.yaw - before.yaw - 24.0f) < 0.01f &&
                    std::fabs(after.pitch - before.pitch - 6.0f) < 0.01f;
    TourLog(Format(L"  视角: 方位 %.1f -> %.1f, 俯仰 %.1f -> %.1f, 距离 %.2f -> %.2f -> %ls", before.yaw, after.yaw,
                   before.pitch, after.pitch, before.distance, after.distance, ok ? L"通过" : L"未通过"));
    if (!ok)
        Failure(L"鼠标没有按预期转动或拉近视角");
    Picture(L"tour_14_viewer_grid");
    SendMessageW(w, WM_COMMAND, MAKEWPARAM(IDM_WIRE, 0), 0);
}

// The sky and the air as at start-up (the model sheet's step left a blue sky and haze),
// handed to the host as the sheet's Apply does.
void Tour::StartupSky()
{
    if (!probe.HasModelSheet())
        return;
    const SceneLook start;
    _SetBackColor_(probe.ModelSheet(), &start.backColor);
    _SetFogDensity_(probe.ModelSheet(), start.fogDensity);
    SendMessageW(viewer.Window(), WM_MODEL_APPLY, MCF_BACK_COLOR | MCF_FOG_DENSITY, 0);
}


}  // namespace tour
