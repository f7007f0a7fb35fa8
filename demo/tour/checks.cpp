// The tour's checks on the view, and the tail every step shares: the result, the picture, the check.
#include "demo/tour/steps.h"

#include <algorithm>
#include <cmath>

#include "demo/viewcheck.h"
#include "demo/wintext.h"

namespace tour {

View TakeView(TerrainViewer& viewer)
{
    View v;
    Probe probe(viewer);
    probe.RenderOffscreen(RenderMode::Flat, &v.flat, &v.w, &v.h);
    probe.RenderOffscreen(RenderMode::Shaded, &v.shaded, &v.w, &v.h);
    viewer.RenderNow();
    return v;
}

bool CheckLayering(TerrainViewer& viewer, const View& before, const View& after, const wchar_t* what)
{
    const PaletteMatch m = MatchPalette(after.flat.data(), after.w, after.h, kFlatBackground, Probe(viewer).LayerPalette(), 2);
    size_t covered = 0;
    const size_t changed = before.w == after.w && before.h == after.h
                               ? CountChangedPixels(before.flat.data(), after.flat.data(), after.w, after.h,
                                                    kFlatBackground, 8, &covered)
                               : 0;
    const double changedShare = covered ? static_cast<double>(changed) / covered : 0.0;
    const bool ok = m.covered > 1000 && m.Fraction() >= 0.98 && changedShare >= 0.10;
    TourLog(Format(L"  核对%ls: 地形像素 %zu, 属于新分层颜色 %.1f%%, 与之前不同 %.1f%% -> %ls", what, m.covered,
                   100.0 * m.Fraction(), 100.0 * changedShare, ok ? L"通过" : L"未通过"));
    return ok;
}

// RGBA, bottom row first.
double ChangedShare(const View& before, const View& after)
{
    if (before.w != after.w || before.h != after.h || before.shaded.empty())
        return 0.0;
    size_t changed = 0;
    const size_t n = static_cast<size_t>(after.w) * after.h;
    for (size_t i = 0; i < n; ++i)
        for (int k = 0; k < 3; ++k)
            if (std::abs(before.shaded[i * 4 + k] - after.shaded[i * 4 + k]) > 8) {
                ++changed;
                break;
            }
    return static_cast<double>(changed) / n;
}

float ReliefInFrame(const TerrainMesh& mesh)
{
    float lo = 0.0f, hi = 0.0f;
    const size_t n = static_cast<size_t>(mesh.cols) * mesh.rows;
    for (size_t v = 0; v < n; ++v) {
        const float y = mesh.positions[v * 3 + 1];
        lo = v == 0 ? y : std::min(lo, y);
        hi = v == 0 ? y : std::max(hi, y);
    }
    return hi - lo;
}

void Tour::Picture(const wchar_t* name)
{
    if (probe.SaveWindowPicture(Path(name)))
        TourLog(Format(L"  图片 %ls.png", name));
    else
        Failure(std::wstring(L"无法保存图片 ") + name);
}

void Tour::Failure(const std::wstring& what)
{
    TourLog(L"  失败: " + what);
    ++failures;
}

bool Tour::Ran(const ModalRun& run, const wchar_t* exportName)
{
    if (!run.sawWindow) {
        TourLog(Format(L"  %ls 返回 %d, 没有出现对话框: 尚未完成, 跳过。", exportName, run.result));
        ++notDone;
        return false;
    }
    if (run.scriptFailed)
        ++failures;
    return true;
}

bool Tour::ViewAfter(const ModalRun& run, const wchar_t* exportName, int wanted, const wchar_t* otherwise,
                     const wchar_t* picture, View* after)
{
    TourLog(Format(L"  %ls 返回 %d", exportName, run.result));
    if (run.result != wanted) {
        Failure(otherwise);
        return false;
    }
    *after = TakeView(viewer);
    Picture(picture);
    return true;
}

void Tour::CheckChanged(const View& before, const View& after, const wchar_t* what, const wchar_t* otherwise)
{
    const double changed = ChangedShare(before, after);
    TourLog(Format(L"  核对%ls: 视图像素变化 %.1f%% -> %ls", what, 100.0 * changed, changed > 0.2 ? L"通过" : L"未通过"));
    if (changed <= 0.2)
        Failure(otherwise);
}

}  // namespace tour
