// terrainview's colour-ramp menus: 设置 → 导入色带... and 设置 → 导出色带...
// A ramp of the GIS tools (GDAL colour text, GRASS rules, GMT palette, QGIS export, ArcGIS .clr)
// becomes the host's layers over the grid's range (ramps::LayersFromRamp); the layers go out as
// classes through the ramp writers; an imported ramp may be kept as a colour table.
#include <windows.h>

#include <commdlg.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "demo/smalldialogs.h"
#include "demo/terrainview_res.h"
#include "demo/viewer.h"
#include "demo/wintext.h"
#include "heightcolor/colortable.h"
#include "ramps/ramp.h"

// hubcore60.dll, the host's base library (by ordinal 226): its information record holds the
// host directory from byte 128, where the library looks for HeightLut.
extern "C" __declspec(dllimport) void* WINAPI GetHostBaseInfo(int reserved);

namespace {

const wchar_t kAppTitle[] = L"三维地形浏览";
const ULONGLONG kMaxRampFileBytes = ramps::kMaxRampBytes;

bool LeadByte(unsigned char b) { return IsDBCSLeadByte(b) != 0; }

// Writes the whole file or none of it.
bool WriteFileBytes(const wchar_t* path, const void* data, size_t size)
{
    HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = WriteFile(f, data, static_cast<DWORD>(size), &written, nullptr) && written == size;
    CloseHandle(f);
    if (!ok)
        DeleteFileW(path);
    return ok;
}

std::wstring Warnings(const ramps::Report& report)
{
    std::wstring text;
    for (const std::string& w : report.warnings)
        text += L"\n- " + Wide(w);
    return text;
}

// The save box's filters, in the order of nFilterIndex (1-based), and what each writes.
struct ExportFilter {
    ramps::Format format;
    const wchar_t* extension;
};
const ExportFilter kExportFilters[] = {
    {ramps::Format::Gdal, L".txt"},
    {ramps::Format::Grass, L".txt"},
    {ramps::Format::Cpt, L".cpt"},
    {ramps::Format::Qgis, L".txt"},
};
const wchar_t kExportFilterText[] =
    L"GDAL 颜色文本 (gdaldem color-relief) (*.txt)\0*.txt\0"
    L"GRASS 颜色规则 (r.colors) (*.txt;*.rules)\0*.txt;*.rules\0"
    L"GMT 调色板 (*.cpt)\0*.cpt\0"
    L"QGIS 颜色表导出 (*.txt)\0*.txt\0";

}  // namespace

std::string TerrainViewer::TableFolder()
{
    const char* info = static_cast<const char*>(GetHostBaseInfo(0));
    if (info == nullptr)
        return std::string();
    const char* dir = info + 128;
    size_t n = 0;
    while (n < MAX_PATH && dir[n] != '\0')
        ++n;
    if (n == 0 || n == MAX_PATH)
        return std::string();
    return std::string(dir, n);
}

std::wstring TerrainViewer::ShippedRampDir() const
{
    for (const wchar_t* sub : {L"\\ramps", L"\\..\\ramps"}) {
        const std::wstring dir = programDir_ + sub;
        const DWORD a = GetFileAttributesW(dir.c_str());
        if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) {
            wchar_t full[MAX_PATH];
            const DWORD n = GetFullPathNameW(dir.c_str(), MAX_PATH, full, nullptr);
            return n > 0 && n < MAX_PATH ? std::wstring(full) : dir;
        }
    }
    return programDir_;
}

bool TerrainViewer::ImportRamp(const std::wstring& chosen)
{
    if (grid_.z.empty() || inModal_)
        return false;
    std::wstring path = chosen;
    if (path.empty()) {
        wchar_t file[MAX_PATH] = L"";
        const std::wstring folder = ShippedRampDir();
        OPENFILENAMEW ofn = {};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = hwnd_;
        ofn.lpstrFilter = L"色带 (*.txt;*.cpt;*.clr;*.rules)\0*.txt;*.cpt;*.clr;*.rules\0所有文件 (*.*)\0*.*\0";
        ofn.lpstrFile = file;
        ofn.nMaxFile = MAX_PATH;
        ofn.lpstrInitialDir = folder.c_str();
        ofn.lpstrTitle = L"导入色带";
        ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
        inModal_ = true;
        const BOOL picked = GetOpenFileNameW(&ofn);
        inModal_ = false;
        if (!picked)
            return false;
        path = file;
    }

    // The ramp, as lutconv reads it (text decoded, format told by extension or content), laid over
    // the grid's range by the rule the layering dialog's paste and drop follow too.
    std::vector<char> file;
    std::wstring why;
    if (!ReadWholeFile(path, kMaxRampFileBytes, &file, &why)) {
        Warn(Format(L"无法读取色带文件 %ls: %ls。", path.c_str(), why.c_str()));
        return false;
    }
    const std::string bytes(file.begin(), file.end());
    const double lo = mesh_.lowest, hi = mesh_.highest;
    ramps::Format format = ramps::Format::Unknown;
    ramps::Ramp ramp;
    ramps::Report report;
    std::vector<ColorLayer> layers;
    if (!ramps::ImportLayers(Utf8(path), bytes, lo, hi, &format, &ramp, &layers, &report)) {
        if (report.fault == ramps::Fault::Lut) {
            Warn(Format(L"%ls 是色表文件, 不是色带: 色表请在 高程分层设色 对话框中选用。", FileTitle(path).c_str()));
        } else if (report.fault == ramps::Fault::NoRange || report.fault == ramps::Fault::Outside) {
            Warn(Format(L"色带 %ls 不能用于当前地形:\n%ls\n\n分层保持不变。", FileTitle(path).c_str(),
                        Wide(report.error).c_str()));
        } else {
            const std::wstring where = report.line > 0 ? Format(L"第 %d 行: ", report.line) : std::wstring();
            Warn(Format(L"色带文件 %ls 无法读取 (%ls 格式):\n%ls%ls", FileTitle(path).c_str(),
                        Wide(ramps::FormatName(format)).c_str(), where.c_str(), Wide(report.error).c_str()));
        }
        return false;
    }
    const int n = static_cast<int>(layers.size());
    if (n < 1 || n > OROSCAPE_MAX_LAYERS)
        return false;   // LayersFromRamp gives 1 to 256
    layering_.nLayers = static_cast<short>(LayersToRecord(layers, layering_.fLimit, layering_.wColor));
    layering_.szName[0] = '\0';   // custom layers: the layering dialog opens on exactly these
    startLayers_ = false;
    Recolour();
    RenderNow();
    applyText_ = Format(L"导入色带 %ls: %d 层", FileTitle(path).c_str(), n);
    UpdateStatus();
    const std::wstring notes = report.warnings.empty() ? std::wstring() : L"\n\n注意:" + Warnings(report);

    // Keep its colours as a table? Only colours are kept: sampled evenly over this range. What
    // the layers could not hold is told in the same box.
    const std::string folder = TableFolder();
    if (folder.empty()) {
        if (!notes.empty())
            Warn(Format(L"色带 %ls 已导入为 %d 层。", FileTitle(path).c_str(), n) + notes);
        return true;
    }
    const std::wstring question = Format(
        L"色带 %ls 已按当前地形的高程范围 %.1f - %.1f 导入为 %d 层。\n\n要另存为色表吗?\n\n色表只保存颜色: "
        L"在此范围内均匀采样 256 层。高程分层设色会把色表均匀铺在任何地形的高程范围上, 所以它只在高程范围同为 "
        L"%.1f - %.1f 的地形上重现这一画面。",
        FileTitle(path).c_str(), lo, hi, n, lo, hi) + notes;
    inModal_ = true;
    const int answer = MessageBoxW(hwnd_, question.c_str(), kAppTitle, MB_YESNO | MB_ICONQUESTION);
    inModal_ = false;
    if (answer != IDYES)
        return true;
    TableNameBox box;
    box.note = Format(L"色表保存到 %ls\\%ls。它在高程范围 %.1f - %.1f 上重现当前画面。", Wide(folder).c_str(),
                      Wide(kLutFolder).c_str(), lo, hi);
    box.name = Stem(path) + L"_" + Stem(gridPath_);
    box.folder = folder;
    inModal_ = true;
    const INT_PTR ok = DialogBoxParamW(instance_, MAKEINTRESOURCEW(IDD_TABLE_NAME), hwnd_, TableNameProc,
                                       reinterpret_cast<LPARAM>(&box));
    inModal_ = false;
    if (ok != IDOK)
        return true;
    LutColor colors[kLutMaxEntries];
    double largest = 0, where = 0;
    ramps::Report sampled;
    unsigned char data[kLutMaxFileBytes];
    char tablePath[kLutPathCap];
    size_t size = 0;
    if (ramps::SampleTable(ramp, kLutMaxEntries, true, lo, hi, colors, &largest, &where, &sampled))
        size = EncodeLut(data, sizeof data, box.ansi.c_str(), kLutUserKind, colors, kLutMaxEntries, LeadByte);
    const std::string lutFolder = folder + "\\" + kLutFolder;
    CreateDirectoryA(lutFolder.c_str(), nullptr);
    std::wstring widePath;
    if (size > 0 && ComposeTablePath(folder.c_str(), box.ansi.c_str(), tablePath, sizeof tablePath, LeadByte)) {
        const int wn = MultiByteToWideChar(CP_ACP, 0, tablePath, -1, nullptr, 0);
        widePath.assign(static_cast<size_t>(wn > 0 ? wn : 1), L'\0');
        if (wn > 0)
            MultiByteToWideChar(CP_ACP, 0, tablePath, -1, &widePath[0], wn);
        widePath.resize(widePath.size() - 1);
    }
    if (widePath.empty() || !WriteFileBytes(widePath.c_str(), data, size)) {
        Warn(Format(L"色表 %ls 未能保存%ls。", box.name.c_str(),
                    sampled.error.empty() ? L"" : (L": " + Wide(sampled.error)).c_str()));
        return true;
    }
    applyText_ = Format(L"色表 %ls 已保存 (256 层, 与色带最大色差 %.1f/255)", box.name.c_str(), largest);
    UpdateStatus();
    return true;
}

bool TerrainViewer::ExportRamp()
{
    if (grid_.z.empty() || inModal_)
        return false;
    wchar_t file[MAX_PATH];
    lstrcpynW(file, (Stem(gridPath_) + L"_layers").c_str(), MAX_PATH);
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hwnd_;
    ofn.lpstrFilter = kExportFilterText;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = L"导出色带";
    ofn.lpstrDefExt = L"txt";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER;
    inModal_ = true;
    const BOOL picked = GetSaveFileNameW(&ofn);
    inModal_ = false;
    if (!picked)
        return false;
    const size_t filters = sizeof kExportFilters / sizeof kExportFilters[0];
    const ExportFilter& filter = kExportFilters[ofn.nFilterIndex >= 1 && ofn.nFilterIndex <= filters
                                                    ? ofn.nFilterIndex - 1 : 0];
    std::wstring path = file;
    if (ofn.nFileExtension == 0 || ofn.nFileExtension >= path.size())
        path += filter.extension;   // typed without one

    // The layers as hard-stepped classes, each from its lower to its upper limit.
    const std::vector<ColorLayer> layers = TerrainLayersOf(layering_);
    std::string text;
    ramps::Report report;
    if (!ramps::WriteRamp(filter.format, ramps::RampFromLayers(layers), true, mesh_.lowest, mesh_.highest, &text,
                          &report)) {
        Warn(Format(L"无法以 %ls 格式导出分层: %ls", Wide(ramps::FormatName(filter.format)).c_str(),
                    Wide(report.error).c_str()));
        return false;
    }
    if (!WriteFileBytes(path.c_str(), text.data(), text.size())) {
        Warn(Format(L"无法写入 %ls。", path.c_str()));
        return false;
    }
    applyText_ = Format(L"已导出 %d 层 (%ls) 到 %ls", static_cast<int>(layers.size()), Wide(ramps::FormatName(filter.format)).c_str(),
                        FileTitle(path).c_str());
    UpdateStatus();
    if (!report.warnings.empty())
        Warn(Format(L"分层已导出到 %ls (%ls 格式)。注意:", path.c_str(),
                    Wide(ramps::FormatName(filter.format)).c_str()) + Warnings(report));
    return true;
}
