// The tour's ramp steps: 设置 → 导入色带 (a shipped ramp through the file box onto the terrain,
// its colours kept as a table; the layering dialog on the imported layers), 设置 → 导出色带
// (the layers out as a GMT palette through the save box's filter, read back), and GRASS's srtm
// ramp pasted into the layering dialog with Ctrl+V.
#include "demo/tour/steps.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>

#include "demo/fileboxmemory.h"
#include "demo/terrainview_res.h"
#include "demo/wintext.h"
#include "ramps/ramp.h"
#include "res/captions.h"

namespace tour {

// 导入色带 and 导出色带: a shipped ramp through the file box onto the terrain, its colours kept
// as a table, the layering dialog on the imported layers, the layers out as a GMT palette.
void Tour::RampImportExport()
{
    const FileBoxMemory memory;   // the file boxes' folder memory left as it was
    TourLog(L"[导入色带] dist/ramps/srtm.txt 铺到地形的高程范围, 另存为色表");
    SendMessageW(viewer.Window(), WM_COMMAND, MAKEWPARAM(IDM_CLEAR_TEXTURE, 0), 0);   // layers unobscured
    StartupSky();   // and not paled by the model step's haze
    const std::wstring ramp = viewer.ShippedRampDir() + L"\\srtm.txt";
    const wchar_t* kTable = L"tour_srtm_sample";
    const std::string tablePath = TerrainViewer::TableFolder() + "\\HeightLut\\tour_srtm_sample.lut";
    DeleteFileA(tablePath.c_str());
    const View before = TakeView(viewer);
    // The name box of a file box: the edit inside cmb13 (1148).
    auto typeName = [](Driver& d, HWND box, const std::wstring& name) {
        d.c.SetText(d.Descendant(d.c.Item(box, 1148), L"Edit"), name);
    };
    bool warnedRange = false;
    const ModalRun run = RunModal(viewer, dir, [&](Driver& d) {
        HWND box = d.OpenDialog(L"导入色带", 500);
        if (!box)
            return;
        typeName(d, box, ramp);
        d.c.Click(d.c.Item(box, IDOK));
        d.c.WaitGone(box);
        // The offer to keep the colours as a table says for which range it holds.
        HWND ask = d.WaitNewDialog({});
        d.c.Settle(ask);
        for (HWND c = GetWindow(ask, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            warnedRange = warnedRange || ui::Caption(c).find(L"只在高程范围") != std::wstring::npos;
        d.c.Click(d.c.Item(ask, IDYES));
        d.c.WaitGone(ask);
        HWND name = d.OpenDialog(L"另存为色表");
        if (!name)
            return;
        d.c.SetText(d.c.Item(name, IDC_TABLE_NAME), kTable);
        d.c.Click(d.c.Item(name, IDOK));
    }, [&] { return viewer.ImportRamp() ? 1 : 0; });
    if (!Ran(run, L"导入色带"))
        return;
    const HeightColorInfo& rec = probe.Layering();
    TourLog(Format(L"  导入 %d 层, %.1f - %.1f, %ls", rec.nLayers, rec.fLimit[0][0],
                   rec.fLimit[rec.nLayers > 0 ? rec.nLayers - 1 : 0][1],
                   rec.szName[0] ? L"色表分层" : L"自定义分层 (色表名为空)"));
    if (run.result != 1 || rec.nLayers < 2 || rec.szName[0] != '\0')
        return Failure(L"色带没有作为自定义分层导入");
    if (!warnedRange)
        Failure(L"另存为色表的提问没有说明色表只在此高程范围重现画面");
    const View after = TakeView(viewer);
    Picture(L"tour_20_ramp_import");
    if (!CheckLayering(viewer, before, after, L"导入的色带"))
        Failure(L"地形没有使用导入的分层颜色");

    // The table, spread evenly over this range as the layering dialog spreads it, gives
    // every layer's middle nearly the colour the imported layers give it.
    LayerColor table[OROSCAPE_MAX_LAYERS];
    short count = 0;
    char name[64] = "tour_srtm_sample";
    if (_ReadColorTable(name, table, &count) != 1 || count != OROSCAPE_MAX_LAYERS) {
        Failure(L"色表 tour_srtm_sample 没有保存为 256 层");
    } else {
        const float lo = probe.Mesh().lowest, hi = probe.Mesh().highest;
        const std::vector<ColorLayer> layers = TerrainLayersOf(rec);
        int largest = 0;
        for (int i = 0; i < count; ++i) {
            const float mid = lo + (hi - lo) * (i + 0.5f) / count;
            const Rgb8 l = layers[LayerFor(layers.data(), static_cast<int>(layers.size()), mid)].color;
            const Rgb8 t = ToRgb8(table[i]);
            largest = std::max({largest, std::abs(t.r - l.r), std::abs(t.g - l.g), std::abs(t.b - l.b)});
        }
        TourLog(Format(L"  核对色表 %ls: 256 层铺在 %.1f - %.1f 上, 与导入分层最大色差 %d -> %ls", kTable, lo, hi,
                       largest, largest <= 8 ? L"通过" : L"未通过"));
        if (largest > 8)
            Failure(L"色表没有重现导入的画面");
    }
    DeleteFileA(tablePath.c_str());   // the build's HeightLut is shipped: leave nothing of the tour's there

    // The layering dialog opens on exactly the imported layers.
    TourLog(L"[导入色带] 高程分层设色对话框中的导入分层");
    const int imported = rec.nLayers;
    const ModalRun layersRun = RunModal(viewer, dir, [imported](Driver& d) {
        HWND dlg = d.OpenDialog(kCaptionHeightColor, 500);
        if (!dlg)
            return;
        const int rows = d.c.ListCount(d.c.Item(dlg, 4006));
        if (rows != imported)
            d.Fail(Format(L"分层列表有 %d 行, 导入的是 %d 层", rows, imported));
        d.Shot(dlg, L"tour_21_ramp_layers");
        d.c.Click(d.c.Item(dlg, IDCANCEL));
    }, [&] { return viewer.EditHeightColors(); });
    if (Ran(layersRun, L"_SetHeightColorDlg") && probe.Layering().nLayers != imported)
        Failure(L"取消后分层没有保持导入的分层");

    // Out as a GMT palette, through the save box's filter, and read back.
    TourLog(L"[导出色带] 分层导出为 GMT 调色板");
    wchar_t temp[MAX_PATH] = L"";
    const DWORD t = GetTempPathW(MAX_PATH, temp);
    const std::wstring cpt = (t > 0 && t < MAX_PATH ? std::wstring(temp) : dir + L"\\") + L"tour_ramp_layers.cpt";
    DeleteFileW(cpt.c_str());
    const ModalRun out = RunModal(viewer, dir, [&](Driver& d) {
        HWND box = d.OpenDialog(L"导出色带", 500);
        if (!box)
            return;
        // cmb1, the file type: GMT 调色板. A choice made with the mouse ends with
        // CBN_SELENDOK as well, which is what the file box takes the type from.
        HWND type = d.c.Item(box, 1136);
        d.c.SelectCombo(type, 2);
        d.c.Send(box, WM_COMMAND, MAKEWPARAM(1136, CBN_SELENDOK), reinterpret_cast<LPARAM>(type), "choosing the type");
        typeName(d, box, cpt);
        d.c.Click(d.c.Item(box, IDOK));
    }, [&] { return viewer.ExportRamp() ? 1 : 0; });
    if (!Ran(out, L"导出色带"))
        return;
    std::string bytes;
    HANDLE f = CreateFileW(cpt.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
        char buf[65536];
        DWORD got = 0;
        while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0)
            bytes.append(buf, got);
        CloseHandle(f);
    }
    DeleteFileW(cpt.c_str());
    ramps::Ramp back;
    ramps::Report report;
    std::string text;
    if (out.result != 1 || !ramps::DecodeText(bytes, &text, &report) ||
        !ramps::ReadRamp(ramps::Format::Cpt, text, false, &back, &report))
        return Failure(L"导出的 GMT 调色板无法读回: " + std::wstring(report.error.begin(), report.error.end()));
    const HeightColorInfo& now = probe.Layering();
    int wrong = 0;
    for (int i = 0; i < now.nLayers; ++i) {
        ramps::Rgba c;
        const double mid = (static_cast<double>(now.fLimit[i][0]) + now.fLimit[i][1]) / 2;
        const Rgb8 want = ToRgb8(now.wColor[i]);
        if (!ramps::ColorAt(back, mid, &c) || c.r != want.r || c.g != want.g || c.b != want.b)
            ++wrong;
    }
    TourLog(Format(L"  读回 tour_ramp_layers.cpt: %zu 个断点, %d 层中 %d 层颜色不同 -> %ls", back.stops.size(),
                   now.nLayers, wrong, wrong == 0 ? L"通过" : L"未通过"));
    if (wrong != 0)
        Failure(L"导出的调色板与分层颜色不符");
}


namespace {

std::string ReadBytes(const std::wstring& path)
{
    std::string bytes;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return bytes;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0 && bytes.size() < ramps::kMaxRampBytes)
        bytes.append(buf, got);
    CloseHandle(f);
    return bytes;
}

bool PutClipboardText(HWND owner, const std::wstring& text)
{
    if (!OpenClipboard(owner))
        return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    void* to = block != nullptr ? GlobalLock(block) : nullptr;
    bool ok = false;
    if (to != nullptr) {
        memcpy(to, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(block);
        ok = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    }
    if (!ok && block != nullptr)
        GlobalFree(block);
    CloseClipboard();
    return ok;
}

}  // namespace

// 粘贴色带: GRASS's srtm colour rules (GRASS's own file when GRASS is installed, else the copy
// the program ships) on the clipboard as a user copies them from a text editor, pasted into the
// layering dialog with Ctrl+V while the layer list has the focus, over the coast's range.
void Tour::RampPaste()
{
    std::wstring source = L"Z:\\usr\\lib\\grass82\\etc\\colors\\srtm";
    std::string bytes = ReadBytes(source);
    if (bytes.empty()) {
        source = viewer.ShippedRampDir() + L"\\srtm.txt";
        bytes = ReadBytes(source);
    }
    TourLog(L"[粘贴色带] GRASS 的 srtm 色带 (" + source + L") 复制到剪贴板, 在高程分层设色对话框中按 Ctrl+V");
    std::string utf8;
    ramps::Report report;
    const float lo = probe.Mesh().lowest, hi = probe.Mesh().highest;
    ramps::Format format = ramps::Format::Unknown;
    ramps::Ramp ramp;
    std::vector<ColorLayer> want;
    if (!ramps::ImportLayers("", bytes, lo, hi, &format, &ramp, &want, &report) ||
        !ramps::DecodeText(bytes, &utf8, &report))
        return Failure(L"srtm 色带无法读取: " + Wide(report.error));
    if (!PutClipboardText(viewer.Window(), Wide(utf8)))
        return Failure(L"无法把色带放到剪贴板上");
    const View before = TakeView(viewer);
    std::wstring note;
    const ModalRun run = RunModal(viewer, dir, [&](Driver& d) {
        HWND dlg = d.OpenDialog(kCaptionHeightColor);
        if (!dlg)
            return;
        HWND list = d.c.Item(dlg, 4006);
        d.c.Chord(list, {VK_CONTROL, 'V'});
        // What the layers cannot hold of the ramp (its no-data colour) is said in the warning box.
        HWND box = d.c.WaitWindow(kCaptionWarning, L"#32770");
        d.c.Settle(box);
        note = d.c.DismissMessageBox(box);
        d.c.WaitGone(box);
        const int n = static_cast<int>(want.size());
        d.c.WaitFor([&] { return d.c.Checked(d.c.Item(dlg, 4010)) && d.c.ListCount(list) == n; },
                    "the pasted ramp's layers in the list");
        d.c.Settle(dlg, 500);
        d.Shot(dlg, L"tour_24_ramp_pasted");
        d.c.Click(d.c.Item(dlg, IDOK));
    }, [&] { return viewer.EditHeightColors(); });
    if (!Ran(run, L"_SetHeightColorDlg"))
        return;
    TourLog(L"  提示: " + note);
    View after;
    if (!ViewAfter(run, L"_SetHeightColorDlg", IDOK, L"对话框没有以确定结束", L"tour_25_viewer_ramp_pasted", &after))
        return;
    const HeightColorInfo& rec = probe.Layering();
    const std::vector<ColorLayer> got = TerrainLayersOf(rec);
    int differ = got.size() == want.size() ? 0 : static_cast<int>(want.size());
    for (size_t i = 0; differ == 0 && i < want.size(); ++i)
        differ += got[i].lower != want[i].lower || got[i].upper != want[i].upper || got[i].color != want[i].color;
    TourLog(Format(L"  粘贴为 %d 层 (%ls 格式), %.1f - %.1f, 与 ramps::LayersFromRamp 相差 %d 层 -> %ls",
                   rec.nLayers, Wide(ramps::FormatName(format)).c_str(), lo, hi, differ,
                   differ == 0 && rec.szName[0] == '\0' ? L"通过" : L"未通过"));
    if (differ != 0 || rec.szName[0] != '\0')
        Failure(L"粘贴的色带没有成为自定义分层");
    if (!CheckLayering(viewer, before, after, L"粘贴的色带"))
        Failure(L"地形没有使用粘贴的分层颜色");
}

}  // namespace tour
