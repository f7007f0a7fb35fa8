// terrainview's main window.
#include "demo/viewer.h"

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "demo/recorder.h"
#include "demo/terrainview_res.h"
#include "demo/wintext.h"
#include "support/capture.h"
#include "terrain/enviraster.h"

namespace {

const wchar_t kWindowClass[] = L"OroscapeTerrainView";
const wchar_t kAppTitle[] = L"三维地形浏览";
const char kStartTable[] = "terrain";
// Files of the sample scene, beside the program.
const wchar_t kSampleGrid[] = L"sample.asc";
const wchar_t kSampleImage[] = L"sample_scene.img";
// Largest grid file read (the grid itself is limited by the parser).
const ULONGLONG kMaxGridFileBytes = 1024ull << 20;
// Most vertices the drawn surface holds on a side: larger grids are drawn from every
// n-th sample (a 1201 x 1201 SRTM tile from every second, a 3601 x 3601 one from every fourth).
const int kMaxMeshSide = 1025;
// Level of detail: the largest height error a part of the surface may show, in pixels, and the
// most triangles a frame takes (the bound is raised as far as needed to keep within it).
const float kDetailPixels = 2.0f;
const size_t kTriangleBudget = 32000;
// The recorded orbit: frames, rate and picture size.
const int kOrbitFrames = 48;
const int kOrbitFps = 12;
const int kOrbitWidth = 320, kOrbitHeight = 240;

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

// The library takes ANSI paths. A path with characters the code page cannot show is tried in
// its short (8.3) form; false when neither works.
bool ToAnsiPath(const std::wstring& path, std::string* out)
{
    if (ToAnsi(path, out) && out->size() < MAX_PATH)
        return true;
    wchar_t shortPath[MAX_PATH];
    const DWORD n = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
    return n > 0 && n < MAX_PATH && ToAnsi(shortPath, out) && out->size() < MAX_PATH;
}

std::wstring FromAnsi(const char* text)
{
    const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 0)
        return std::wstring();
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &w[0], n);
    w.resize(static_cast<size_t>(n - 1));
    return w;
}

// What went wrong with a grid, in the program's words.
std::wstring DescribeGridError(const AscError& e)
{
    const std::wstring key(e.key.begin(), e.key.end());   // keywords are ASCII
    switch (e.status) {
    case AscStatus::Empty: return L"文件中没有 ESRI ASCII 栅格的文件头。";
    case AscStatus::UnknownKey: return Format(L"第 %d 行: 无法识别的关键字 \"%ls\"。", e.line, key.c_str());
    case AscStatus::DuplicateKey: return Format(L"第 %d 行: 关键字 %ls 重复给出。", e.line, key.c_str());
    case AscStatus::MissingKey: return Format(L"文件头缺少关键字 %ls。", key.c_str());
    case AscStatus::BadHeaderValue: return Format(L"第 %d 行: 关键字 %ls 的值无效。", e.line, key.c_str());
    case AscStatus::TooSmall: return Format(L"第 %d 行: %ls 至少为 %d。", e.line, key.c_str(), kAscMinSide);
    case AscStatus::TooLarge:
        return Format(L"第 %d 行: 栅格过大 (每边最多 %d, 总共最多 %lld 个单元)。", e.line, kAscMaxSide, kAscMaxCells);
    case AscStatus::BadNumber: return Format(L"第 %d 行: 高程值不是有效的数字。", e.line);
    case AscStatus::ShortData:
        return Format(L"高程值不足: 文件头要求 %lld 个, 文件中只有 %lld 个。", e.expected, e.found);
    case AscStatus::ExtraData: return Format(L"第 %d 行: 高程值多于文件头给出的 %lld 个。", e.line, e.expected);
    case AscStatus::NoValidCells: return L"所有单元都是无数据值 (NODATA)。";
    case AscStatus::Ok: break;
    }
    return L"格式错误。";
}


// The typed vertical exaggeration; lParam: float* in and out. OK only with a factor in
// 0.01 .. 1000.
INT_PTR CALLBACK ExaggerationProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dlg, DWLP_USER, lp);
        SetDlgItemTextW(dlg, IDC_FACTOR, Format(L"%g", static_cast<double>(*reinterpret_cast<float*>(lp))).c_str());
        SendDlgItemMessageW(dlg, IDC_FACTOR, EM_SETSEL, 0, -1);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) {
            wchar_t text[64] = L"";
            GetDlgItemTextW(dlg, IDC_FACTOR, text, 64);
            wchar_t* end = nullptr;
            const double v = wcstod(text, &end);
            while (end && (*end == L' ' || *end == L'\t'))
                ++end;
            if (end == text || (end && *end) || !(v >= 0.01 && v <= 1000.0)) {
                MessageBoxW(dlg, L"请输入 0.01 到 1000 之间的数。", kAppTitle, MB_OK | MB_ICONWARNING);
                SetFocus(GetDlgItem(dlg, IDC_FACTOR));
                SendDlgItemMessageW(dlg, IDC_FACTOR, EM_SETSEL, 0, -1);
                return TRUE;
            }
            *reinterpret_cast<float*>(GetWindowLongPtrW(dlg, DWLP_USER)) = static_cast<float>(v);
            EndDialog(dlg, IDOK);
            return TRUE;
        }
        if (LOWORD(wp) == IDCANCEL) {
            EndDialog(dlg, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

TerrainViewer::TerrainViewer()
{
    std::memset(&layering_, 0, sizeof layering_);
}

TerrainViewer::~TerrainViewer()
{
    if (sheet_)
        _DeleteModelDialog(&sheet_);
    scene_.Destroy();
}

bool TerrainViewer::Create(HINSTANCE instance, const Options& options, int showCommand)
{
    instance_ = instance;
    options_ = options;
    wchar_t exe[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    programDir_ = n > 0 && n < MAX_PATH ? std::wstring(exe, n) : std::wstring(L".");
    programDir_ = programDir_.substr(0, programDir_.find_last_of(L"\\/"));
    imagePath_ = programDir_ + L"\\" + kSampleImage;
    wchar_t temp[MAX_PATH];
    const DWORD t = GetTempPathW(MAX_PATH, temp);
    recordingPath_ = (t > 0 && t < MAX_PATH ? std::wstring(temp) : programDir_ + L"\\") + L"terrainview_orbit.avi";

    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_OWNDC | CS_DBLCLKS;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszMenuName = MAKEINTRESOURCEW(IDR_MAINMENU);
    wc.lpszClassName = kWindowClass;
    // Without a window there is nobody to tell but the log (the scripted runs print it).
    auto refuse = [this](const wchar_t* what) {
        if (log_)
            log_(Format(L"无法%ls (错误 %lu)", what, GetLastError()));
        return false;
    };
    if (!RegisterClassExW(&wc))
        return refuse(L"注册主窗口类");
    hwnd_ = CreateWindowExW(0, kWindowClass, kAppTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 24, 16, 960, 720,
                            nullptr, nullptr, instance, this);
    if (!hwnd_)
        return refuse(L"创建主窗口");
    status_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, hwnd_,
                              nullptr, instance, nullptr);
    accel_ = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCEL));

    std::wstring error;
    if (!scene_.Create(hwnd_, &error)) {
        MessageBoxW(hwnd_, (L"无法创建 OpenGL 绘图环境: " + error).c_str(), kAppTitle, MB_ICONERROR);
        return false;
    }
    scene_.SetMesh(&mesh_, &lod_);
    scene_.SetDetail(kDetailPixels, kTriangleBudget);
    scene_.SetLook(look_);

    // The model sheet lives as long as the window; the library keeps hostWnd_'s address.
    hostWnd_.hWnd = hwnd_;
    if (!_CreateModelDialog(&hostWnd_, &sheet_))
        sheet_ = nullptr;
    if (sheet_)
        LoadLookIntoSheet();

    ShowWindow(hwnd_, options.tour || options.bench || options.crackCheck ? SW_SHOWNORMAL : showCommand);
    UpdateWindow(hwnd_);
    Layout();
    // The grid named on the command line; the sample when there is none or it cannot be used.
    const std::wstring sample = programDir_ + L"\\" + kSampleGrid;
    if (!OpenGrid(options.gridPath.empty() ? sample : options.gridPath) && !options.gridPath.empty()) {
        // The tour and the benchmark measure what they were given, or nothing.
        if (options.tour || options.bench || options.crackCheck)
            return false;
        OpenGrid(sample);
    }
    UpdateStatus();
    if (options.tour || options.bench || options.crackCheck)
        PostMessageW(hwnd_, WM_VIEWER_START, 0, 0);
    return true;
}

int TerrainViewer::Run()
{
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (accel_ && TranslateAcceleratorW(hwnd_, accel_, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

// ---- data --------------------------------------------------------------------------------

bool TerrainViewer::ReadElevationModel(const std::wstring& path, AscGrid* grid, bool* geographic,
                                      std::wstring* error)
{
    std::vector<char> data;
    std::wstring why;
    if (!ReadWholeFile(path, kMaxGridFileBytes, &data, &why)) {
        *error = Format(L"无法读取高程数据 %ls: %ls。", path.c_str(), why.c_str());
        return false;
    }
    const std::wstring title = FileTitle(path);
    const size_t dot = title.find_last_of(L'.');
    std::wstring ext = dot == std::wstring::npos ? std::wstring() : title.substr(dot);
    for (wchar_t& c : ext)
        c = static_cast<wchar_t>(towlower(c));
    if (ext == L".hgt") {
        const std::string name(title.begin(), title.end());   // a tile's name is ASCII
        switch (ParseHgt(reinterpret_cast<const uint8_t*>(data.data()), data.size(), name, grid)) {
        case HgtStatus::Ok:
            *geographic = true;
            return true;
        case HgtStatus::BadName:
            *error = Format(L"SRTM 高程数据 %ls: 文件名没有给出西南角 (应形如 N36W085.hgt)。", title.c_str());
            return false;
        case HgtStatus::BadSize:
            *error = Format(L"SRTM 高程数据 %ls: 文件长 %zu 字节, 既不是 1201 x 1201 (%d 字节) 也不是 3601 x 3601 (%d "
                            L"字节) 的瓦片, 文件可能不完整。",
                            title.c_str(), data.size(), kHgtSide3 * kHgtSide3 * 2, kHgtSide1 * kHgtSide1 * 2);
            return false;
        case HgtStatus::NoValidCells:
            *error = Format(L"SRTM 高程数据 %ls: 所有采样点都是空值 (-32768)。", title.c_str());
            return false;
        }
    }
    AscError parseError;
    if (!ParseAscGrid(data.data(), data.size(), grid, &parseError)) {
        *error = Format(L"高程数据 %ls 格式错误:\n%ls", title.c_str(), DescribeGridError(parseError).c_str());
        return false;
    }
    // A .prj beside the grid says what its coordinates are; without one, they are guessed.
    const size_t slash = path.find_last_of(L"\\/");
    const size_t pathDot = path.find_last_of(L'.');
    const std::wstring base = pathDot != std::wstring::npos && (slash == std::wstring::npos || pathDot > slash)
                                  ? path.substr(0, pathDot) : path;
    std::vector<char> prj;
    std::wstring prjPath = base + L".prj";
    if (GetFileAttributesW(prjPath.c_str()) == INVALID_FILE_ATTRIBUTES)
        prjPath = base + L".PRJ";
    if (GetFileAttributesW(prjPath.c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (!ReadWholeFile(prjPath, 1 << 20, &prj, &why)) {
            *error = Format(L"无法读取坐标系文件 %ls: %ls。", FileTitle(prjPath).c_str(), why.c_str());
            return false;
        }
        const PrjKind kind = ClassifyPrj(prj.data(), prj.size());
        if (kind == PrjKind::NotACrs) {
            *error = Format(L"坐标系文件 %ls 不是坐标系描述 (应为 WKT 的 GEOGCS/PROJCS 或 Projection 关键字)。",
                            FileTitle(prjPath).c_str());
            return false;
        }
        *geographic = kind == PrjKind::Geographic;
    } else {
        *geographic = LooksGeographic(*grid);
    }
    return true;
}

bool TerrainViewer::RebuildMesh()
{
    ground_ = GridGroundScale(grid_, geographic_);
    MeshScale scale;
    scale.cellX = ground_.cellX;
    scale.cellY = ground_.cellY;
    scale.exaggeration = exaggeration_;
    scale.maxSide = kMaxMeshSide;
    TerrainMesh mesh;
    TerrainLod lod;
    if (!BuildTerrainMesh(grid_, scale, &mesh) || !BuildTerrainLod(mesh, LodChunkCells(mesh.cols, mesh.rows), &lod))
        return false;
    mesh_ = std::move(mesh);
    lod_ = std::move(lod);
    scene_.SetMesh(&mesh_, &lod_);
    if (!layers_.empty())
        Recolour();   // the same colours, and the levels learn where they step
    return true;
}

bool TerrainViewer::OpenGrid(const std::wstring& path)
{
    AscGrid grid;
    bool geographic = false;
    std::wstring error;
    if (!ReadElevationModel(path, &grid, &geographic, &error)) {
        Warn(error + L"\n\n当前地形保持不变。");
        return false;
    }
    // The new grid must make a surface before the current one is let go.
    std::swap(grid, grid_);
    const bool wasGeographic = geographic_;
    const float wasExaggeration = exaggeration_;
    geographic_ = geographic;
    exaggeration_ = 1.0f;   // true proportions
    if (!RebuildMesh()) {
        std::swap(grid, grid_);
        geographic_ = wasGeographic;
        exaggeration_ = wasExaggeration;
        ground_ = GridGroundScale(grid_, geographic_);
        Warn(Format(L"高程数据 %ls 无法生成地形。\n\n当前地形保持不变。", FileTitle(path).c_str()));
        return false;
    }
    gridPath_ = path;

    // Layering over the new range: the host's start-up layers are made anew, a named table
    // is spread anew, custom layers keep their colours and are spread evenly.
    if (layering_.nLayers == 0 || startLayers_) {
        InitStartLayers();
    } else if (layering_.szName[0] != '\0') {
        InitLayersFromTable(layering_.szName);
    } else {
        SpreadTableLayers(mesh_.lowest, mesh_.highest, layering_.nLayers, layering_.fLimit);
    }
    Recolour();
    ResetView();
    CheckViewMenu();
    SetWindowTextW(hwnd_, (std::wstring(kAppTitle) + L" - " + FileTitle(path)).c_str());
    UpdateStatus();
    InvalidateRect(hwnd_, nullptr, FALSE);
    return true;
}

bool TerrainViewer::SetExaggeration(float factor)
{
    if (!(factor >= 0.01f && factor <= 1000.0f))
        return false;
    const float was = exaggeration_;
    exaggeration_ = factor;
    if (!grid_.z.empty() && !RebuildMesh()) {
        exaggeration_ = was;
        RebuildMesh();
        return false;
    }
    CheckViewMenu();
    UpdateStatus();
    RenderNow();
    return true;
}

void TerrainViewer::SetGeographic(bool geographic)
{
    const bool was = geographic_;
    geographic_ = geographic;
    if (!grid_.z.empty() && !RebuildMesh()) {
        geographic_ = was;
        RebuildMesh();
        Warn(L"按此解释无法生成地形。");
    }
    CheckViewMenu();
    UpdateStatus();
    RenderNow();
}

void TerrainViewer::CheckViewMenu()
{
    HMENU menu = GetMenu(hwnd_);
    if (!menu)
        return;
    const struct { UINT id; float factor; } items[] = {
        {IDM_EXAGGERATE_1, 1.0f}, {IDM_EXAGGERATE_2, 2.0f}, {IDM_EXAGGERATE_5, 5.0f}, {IDM_EXAGGERATE_10, 10.0f}};
    bool preset = false;
    for (const auto& item : items) {
        CheckMenuItem(menu, item.id, exaggeration_ == item.factor ? MF_CHECKED : MF_UNCHECKED);
        preset = preset || exaggeration_ == item.factor;
    }
    CheckMenuItem(menu, IDM_EXAGGERATE_TYPED, preset ? MF_UNCHECKED : MF_CHECKED);
    CheckMenuItem(menu, IDM_GEOGRAPHIC, geographic_ ? MF_CHECKED : MF_UNCHECKED);
}

void TerrainViewer::InitStartLayers()
{
    startLayers_ = true;
    if (!(mesh_.lowest < 0.0f)) {
        InitLayersFromTable(kStartTable);   // dry land: the table over the whole range
        return;
    }
    // Sea level on a layer boundary: water below, the start table's colours above.
    LayerColor colors[OROSCAPE_MAX_LAYERS];
    short count = 0;
    char table[128];
    lstrcpynA(table, kStartTable, sizeof table);
    Rgb8 land[OROSCAPE_MAX_LAYERS];
    int landCount = 0;
    if (_ReadColorTable(table, colors, &count) == 1 && count >= 1) {
        landCount = std::min<int>(count, OROSCAPE_MAX_LAYERS);
        for (int i = 0; i < landCount; ++i)
            land[i] = ToRgb8(colors[i]);
    } else {
        Warn(L"未找到色表 " + FromAnsi(table) + L", 陆地使用灰度分层。");
    }
    Rgb8 rgb[OROSCAPE_MAX_LAYERS];
    SeaLevelLayers(mesh_.lowest, mesh_.highest, OROSCAPE_MAX_LAYERS, land, landCount, layering_.fLimit, rgb);
    for (int i = 0; i < OROSCAPE_MAX_LAYERS; ++i)
        layering_.wColor[i] = FromRgb8<LayerColor>(rgb[i]);
    layering_.nLayers = OROSCAPE_MAX_LAYERS;
    layering_.szName[0] = '\0';   // custom layers: the dialog opens on these
}

void TerrainViewer::UseStartLayers()
{
    startLayers_ = true;
    if (grid_.z.empty())
        return;
    InitStartLayers();
    Recolour();
    UpdateStatus();
    RenderNow();
}

void TerrainViewer::InitLayersFromTable(const char* name)
{
    LayerColor colors[OROSCAPE_MAX_LAYERS];
    short count = 0;
    char table[128];
    lstrcpynA(table, name, sizeof table);
    if (_ReadColorTable(table, colors, &count) == 1 && count >= 1) {
        const int n = std::min<int>(count, OROSCAPE_MAX_LAYERS);
        std::memcpy(layering_.wColor, colors, sizeof(LayerColor) * n);
        layering_.nLayers = static_cast<short>(n);
        lstrcpynA(layering_.szName, table, sizeof layering_.szName);
    } else {
        // No table: a grey ramp of our own, kept as custom layers. (The library's fallback
        // holds the plain index in each component, which reads as black.)
        for (int i = 0; i < OROSCAPE_MAX_LAYERS; ++i) {
            const uint8_t v = static_cast<uint8_t>(i);
            layering_.wColor[i] = FromRgb8<LayerColor>(Rgb8{v, v, v});
        }
        layering_.nLayers = OROSCAPE_MAX_LAYERS;
        layering_.szName[0] = '\0';
        Warn(L"未找到色表 " + FromAnsi(table) + L", 使用灰度分层。");
    }
    SpreadTableLayers(mesh_.lowest, mesh_.highest, layering_.nLayers, layering_.fLimit);
}

std::vector<ColorLayer> TerrainLayersOf(const HeightColorInfo& record)
{
    return LayersOfRecord(record.fLimit, record.wColor, WorkingLayerCount(record.nLayers));
}

void TerrainViewer::Recolour()
{
    layers_ = TerrainLayersOf(layering_);
    const Rgb8 none = {128, 128, 128};
    std::vector<uint8_t> rgb;
    ColourVertices(mesh_.heights, layers_.data(), static_cast<int>(layers_.size()), none, &rgb);
    SetLodColours(&lod_, mesh_, rgb);   // where colours step, the levels keep them in place
    scene_.SetColours(std::move(rgb));
}

std::vector<Rgb8> TerrainViewer::LayerPalette() const
{
    std::vector<Rgb8> palette;
    for (const ColorLayer& l : layers_) {
        if (std::find(palette.begin(), palette.end(), l.color) == palette.end())
            palette.push_back(l.color);
    }
    return palette;
}

// ---- the model sheet -----------------------------------------------------------------------

void TerrainViewer::LoadLookIntoSheet()
{
    _SetLight_Ambient_(sheet_, &look_.lightAmbient);
    _SetLight_Diffuse_(sheet_, &look_.lightDiffuse);
    _SetLight_Specular_(sheet_, &look_.lightSpecular);
    _SetLineColor_(sheet_, &look_.lineColor);
    _SetBackColor_(sheet_, &look_.backColor);
    _SetMaterial_Ambient_(sheet_, &look_.matAmbient);
    _SetMaterial_Diffuse_(sheet_, &look_.matDiffuse);
    _SetMaterial_Specular_(sheet_, &look_.matSpecular);
    _SetMaterial_Emission_(sheet_, &look_.matEmission);
    _SetMaterial_Shininess_(sheet_, look_.shininess);
    _SetMatMode_(sheet_, look_.matMode);
    _SetFogColor_(sheet_, &look_.fogColor);
    _SetFogDensity_(sheet_, look_.fogDensity);
}

void TerrainViewer::ReadModelValues(unsigned mask)
{
    if (!sheet_)
        return;
    if (mask & MCF_LIGHT_AMBIENT) _GetLight_Ambient_(sheet_, &look_.lightAmbient);
    if (mask & MCF_LIGHT_DIFFUSE) _GetLight_Diffuse_(sheet_, &look_.lightDiffuse);
    if (mask & MCF_LIGHT_SPECULAR) _GetLight_Specular_(sheet_, &look_.lightSpecular);
    if (mask & MCF_LINE_COLOR) _GetLineColor_(sheet_, &look_.lineColor);
    if (mask & MCF_BACK_COLOR) _GetBackColor_(sheet_, &look_.backColor);
    if (mask & MCF_MAT_AMBIENT) _GetMaterial_Ambient_(sheet_, &look_.matAmbient);
    if (mask & MCF_MAT_DIFFUSE) _GetMaterial_Diffuse_(sheet_, &look_.matDiffuse);
    if (mask & MCF_MAT_SPECULAR) _GetMaterial_Specular_(sheet_, &look_.matSpecular);
    if (mask & MCF_MAT_EMISSION) _GetMaterial_Emission_(sheet_, &look_.matEmission);
    if (mask & MCF_MAT_SHININESS) {   // the bit also stands for the colour-material mode
        _GetMaterial_Shininess_(sheet_, &look_.shininess);
        _GetMatMode_(sheet_, &look_.matMode);
    }
    if (mask & MCF_FOG_COLOR) _GetFogColor_(sheet_, &look_.fogColor);
    if (mask & MCF_FOG_DENSITY) _GetFogDensity_(sheet_, &look_.fogDensity);
    scene_.SetLook(look_);
}

void TerrainViewer::OnModelApply(unsigned mask)
{
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    ReadModelValues(mask);
    RenderNow();
    QueryPerformanceCounter(&end);
    lastApplyMs_ = Milliseconds(start, end);
    lastApplyMask_ = mask;
    ++applyCount_;
    applyText_ = Format(L"应用 0x%04X, 重绘 %.1f 毫秒", mask, lastApplyMs_);
    UpdateStatus();
}

// ---- commands ------------------------------------------------------------------------------

template <class F>
auto TerrainViewer::Modal(F&& call) -> decltype(call())
{
    inModal_ = true;
    EnableWindow(hwnd_, FALSE);
    auto result = call();
    EnableWindow(hwnd_, TRUE);
    SetForegroundWindow(hwnd_);
    inModal_ = false;
    return result;
}

int TerrainViewer::EditHeightColors()
{
    if (grid_.z.empty())
        return 0;
    const float range[2] = {mesh_.lowest, mesh_.highest};
    // The dialog edits limits and colours in place whatever its end; Cancel here means the
    // record as it was.
    HeightColorInfo before = layering_;
    const int result = Modal([&] { return _SetHeightColorDlg(range, &layering_); });
    if (result == IDOK) {
        startLayers_ = false;   // the user's layers from now on
        layering_.nLayers = static_cast<short>(std::min<int>(OROSCAPE_MAX_LAYERS, std::max<int>(1, layering_.nLayers)));
        layering_.szName[sizeof layering_.szName - 1] = '\0';
        Recolour();
        RenderNow();
    } else {
        layering_ = before;
    }
    UpdateStatus();
    return result;
}

bool TerrainViewer::EditModelParameters()
{
    if (!sheet_) {
        Warn(L"模型参数设置不可用 (模型参数表未能创建)。");
        return false;
    }
    Modal([&] { return _ShowModelDialog(sheet_); });
    // The sheet keeps whatever the user left in it, Apply or not: the view follows.
    ReadModelValues(0xFFFF);
    RenderNow();
    UpdateStatus();
    return true;
}

bool TerrainViewer::LoadBitmapTexture(const std::wstring& path, std::wstring* error)
{
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                                     LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!bitmap) {
        *error = L"不是可读取的位图文件";
        return false;
    }
    BITMAP info = {};
    GetObjectW(bitmap, sizeof info, &info);
    const int w = info.bmWidth, h = std::abs(info.bmHeight);
    bool ok = w > 0 && h > 0 && w <= 8192 && h <= 8192;
    std::vector<uint8_t> rgb;
    if (ok) {
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;   // top-down
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        std::vector<uint8_t> bgra(static_cast<size_t>(w) * h * 4);
        HDC dc = GetDC(nullptr);
        ok = GetDIBits(dc, bitmap, 0, static_cast<UINT>(h), bgra.data(), &bi, DIB_RGB_COLORS) == h;
        ReleaseDC(nullptr, dc);
        rgb.resize(static_cast<size_t>(w) * h * 3);
        for (size_t i = 0, j = 0; ok && i < rgb.size(); i += 3, j += 4) {
            rgb[i] = bgra[j + 2];
            rgb[i + 1] = bgra[j + 1];
            rgb[i + 2] = bgra[j];
        }
    }
    DeleteObject(bitmap);
    std::wstring held;
    if (!ok || !scene_.SetTexture(rgb, w, h, TEXFMT_RGB8, &held)) {
        *error = ok ? L"OpenGL 无法载入此纹理" : L"位图尺寸无效";
        return false;
    }
    textureText_ = FileTitle(path) + L", " + held;
    return true;
}

int TerrainViewer::ChooseTextureFile()
{
    // The chooser opens in the current folder: the one with the sample pictures.
    SetCurrentDirectoryW(programDir_.c_str());
    char path[MAX_PATH + 1] = {};
    const short result = Modal([&] { return _SelectTextureFile(path); });
    if (result == 1) {
        path[MAX_PATH] = '\0';
        std::wstring error;
        const std::wstring wide = FromAnsi(path);
        if (LoadBitmapTexture(wide, &error))
            RenderNow();
        else
            Warn(Format(L"无法使用纹理文件 %ls: %ls。", wide.c_str(), error.c_str()));
    }
    UpdateStatus();
    return result;
}

bool TerrainViewer::ChooseImageFile()
{
    wchar_t file[MAX_PATH];
    lstrcpynW(file, imagePath_.c_str(), MAX_PATH);
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hwnd_;
    ofn.lpstrFilter = L"ENVI 多波段影像 (*.img;*.dat;*.bsq;*.bil;*.bip)\0*.img;*.dat;*.bsq;*.bil;*.bip\0所有文件 (*.*)\0*.*\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = L"打开多波段影像";
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
    if (!GetOpenFileNameW(&ofn))
        return false;
    imagePath_ = file;
    UpdateStatus();
    return true;
}

int TerrainViewer::ChooseTextureParameters()
{
    std::string ansi;
    if (!ToAnsiPath(imagePath_, &ansi)) {
        Warn(Format(L"影像路径 %ls 无法以当前代码页表示。", imagePath_.c_str()));
        return 0;
    }
    char format = TEXFMT_NONE;
    int bands[3] = {-1, -1, -1};
    const short result = Modal([&] { return _SetTexParamDlg(ansi.c_str(), &format, &bands[0], &bands[1], &bands[2]); });
    if (result != 1) {
        UpdateStatus();
        return result;
    }

    // The pixels: the ENVI header beside the image gives their layout.
    std::wstring header = imagePath_;
    const size_t dot = header.find_last_of(L'.');
    const size_t slash = header.find_last_of(L"\\/");
    header = (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash) ? header.substr(0, dot) : header) + L".hdr";
    std::vector<char> headerText, data;
    std::wstring error;
    EnviRaster raster;
    if (!ReadWholeFile(header, 1 << 20, &headerText, &error) &&
        !ReadWholeFile(imagePath_ + L".hdr", 1 << 20, &headerText, &error)) {
        Warn(Format(L"无法读取影像头文件 %ls: %ls。", header.c_str(), error.c_str()));
        return result;
    }
    const EnviRasterStatus status = ParseEnviRaster(headerText.data(), headerText.size(), &raster);
    if (status != EnviRasterStatus::Ok) {
        Warn(status == EnviRasterStatus::UnsupportedType ? L"只支持 8 位 (data type = 1) 的影像。"
                                                         : L"影像头文件格式错误。");
        return result;
    }
    if (!ReadWholeFile(imagePath_, EnviDataBytes(raster) + (1 << 20), &data, &error)) {
        Warn(Format(L"无法读取影像 %ls: %ls。", imagePath_.c_str(), error.c_str()));
        return result;
    }
    // A channel without a chosen band shows the band of its own position, as far as there is one.
    for (int k = 0; k < 3; ++k)
        if (bands[k] < 0 || bands[k] >= raster.bands)
            bands[k] = std::min(k, raster.bands - 1);
    std::vector<uint8_t> rgb;
    std::wstring held;
    if (!ComposeEnviRgb(raster, reinterpret_cast<const uint8_t*>(data.data()), data.size(), bands[0], bands[1],
                        bands[2], &rgb) ||
        !scene_.SetTexture(rgb, raster.samples, raster.lines, static_cast<unsigned char>(format), &held)) {
        Warn(L"影像数据不完整, 无法生成纹理。");
        return result;
    }
    textureText_ = Format(L"%ls 波段 %d,%d,%d, %ls", FileTitle(imagePath_).c_str(), bands[0] + 1, bands[1] + 1,
                          bands[2] + 1, held.c_str());
    RenderNow();
    UpdateStatus();
    return result;
}

int TerrainViewer::RecordAndPlay()
{
    int x, y, w, h;
    ViewRect(&x, &y, &w, &h);
    const int fw = std::min(kOrbitWidth, w), fh = std::min(kOrbitHeight, h);
    if (fw < 64 || fh < 48) {
        Warn(L"窗口太小, 无法录制。");
        return 0;
    }
    AviRecorder recorder;
    if (!recorder.Open(recordingPath_, fw, fh, kOrbitFps)) {
        Warn(Format(L"无法创建视频文件 %ls (错误 0x%08lX)。", recordingPath_.c_str(),
                    static_cast<unsigned long>(recorder.LastError())));
        return 0;
    }
    const OrbitCamera saved = camera_;
    std::vector<uint8_t> frame;
    bool ok = true;
    for (int i = 0; ok && i < kOrbitFrames; ++i) {
        camera_.yaw = saved.yaw + 360.0f * i / kOrbitFrames;
        camera_.Clamp();
        scene_.Render(camera_, x, y, fw, fh, RenderMode::Shaded);
        scene_.ReadBgra(x, y, fw, fh, &frame);
        ok = recorder.AddFrame(frame.data());
        applyText_ = Format(L"正在录制 %d/%d", i + 1, kOrbitFrames);
        UpdateStatus();
        RenderNow();
    }
    ok = recorder.Close() && ok;
    camera_ = saved;
    applyText_.clear();
    RenderNow();
    if (!ok) {
        Warn(Format(L"写入视频文件失败 (错误 0x%08lX)。", static_cast<unsigned long>(recorder.LastError())));
        return 0;
    }
    std::string ansi;
    if (!ToAnsiPath(recordingPath_, &ansi)) {
        Warn(Format(L"视频路径 %ls 无法以当前代码页表示。", recordingPath_.c_str()));
        return 0;
    }
    const int result = Modal([&] { return _PlayAVIWnd(ansi.c_str()); });
    UpdateStatus();
    return result;
}

void TerrainViewer::Warn(const std::wstring& text)
{
    if (options_.tour || options_.bench || options_.crackCheck) {
        if (log_)
            log_(L"提示: " + text);
        return;
    }
    MessageBoxW(hwnd_, text.c_str(), kAppTitle, MB_OK | MB_ICONWARNING);
}

// ---- view ----------------------------------------------------------------------------------

void TerrainViewer::ResetView()
{
    camera_ = OrbitCamera();
}

void TerrainViewer::ViewRect(int* x, int* y, int* w, int* h) const
{
    RECT client = {}, bar = {};
    GetClientRect(hwnd_, &client);
    if (status_)
        GetWindowRect(status_, &bar);
    const int barHeight = bar.bottom - bar.top;
    *x = 0;
    *y = barHeight;
    *w = client.right;
    *h = std::max(0L, client.bottom - barHeight);
}

double TerrainViewer::RenderNow()
{
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    int x, y, w, h;
    ViewRect(&x, &y, &w, &h);
    scene_.SetGridLines(gridLines_);
    scene_.Render(camera_, x, y, w, h, RenderMode::Shaded);
    scene_.Present();
    glFinish();
    QueryPerformanceCounter(&end);
    return Milliseconds(start, end);
}

void TerrainViewer::RenderOffscreen(RenderMode mode, std::vector<uint8_t>* rgba, int* w, int* h)
{
    int x, y;
    ViewRect(&x, &y, w, h);
    scene_.Render(camera_, x, y, *w, *h, mode);
    scene_.ReadRgba(x, y, *w, *h, rgba);
}

bool TerrainViewer::SaveWindowPicture(const std::wstring& path)
{
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ui::Image image = ui::CaptureWindow(hwnd_, ui::Source::WindowDc);
    if (image.empty())
        return false;
    // The terrain as OpenGL draws it, pasted over the client area (a window DC need not hold
    // what the driver presented).
    int x, y, w, h;
    ViewRect(&x, &y, &w, &h);
    std::vector<uint8_t> rgba;
    RenderOffscreen(RenderMode::Shaded, &rgba, &w, &h);
    POINT origin = {0, 0};
    ClientToScreen(hwnd_, &origin);
    RECT frame;
    GetWindowRect(hwnd_, &frame);
    const int ox = origin.x - frame.left, oy = origin.y - frame.top;
    for (int row = 0; row < h; ++row) {
        const int iy = oy + row;
        if (iy < 0 || iy >= image.height)
            continue;
        const uint8_t* src = &rgba[static_cast<size_t>(h - 1 - row) * w * 4];
        for (int col = 0; col < w; ++col) {
            const int ix = ox + col;
            if (ix >= 0 && ix < image.width)
                image.pixels[static_cast<size_t>(iy) * image.width + ix] = ui::Rgb(src[col * 4], src[col * 4 + 1], src[col * 4 + 2]);
        }
    }
    RenderNow();
    return ui::WritePng(path, image);
}

void TerrainViewer::Layout()
{
    if (status_) {
        SendMessageW(status_, WM_SIZE, 0, 0);
        RECT client;
        GetClientRect(hwnd_, &client);
        const int parts[3] = {client.right * 52 / 100, client.right * 84 / 100, -1};
        SendMessageW(status_, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(parts));
    }
}

void TerrainViewer::UpdateStatus()
{
    if (!status_)
        return;
    std::wstring data = L"无数据";
    if (!grid_.z.empty())
        data = Format(L"%ls  %dx%d  %.1f x %.1f 千米 (%ls)  高程 %.1f - %.1f  垂直 x%g", FileTitle(gridPath_).c_str(),
                      grid_.ncols, grid_.nrows, ground_.widthKm, ground_.heightKm, geographic_ ? L"经纬度" : L"平面",
                      mesh_.lowest, mesh_.highest, static_cast<double>(exaggeration_));
    const std::wstring table = layering_.szName[0] ? FromAnsi(layering_.szName) : std::wstring(L"自定义");
    std::wstring layers = Format(L"分层 %d (%ls)", static_cast<int>(layers_.size()), table.c_str());
    if (!textureText_.empty())
        layers += L"  纹理: " + textureText_;
    SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(data.c_str()));
    SendMessageW(status_, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(layers.c_str()));
    SendMessageW(status_, SB_SETTEXTW, 2, reinterpret_cast<LPARAM>(applyText_.c_str()));
}

// ---- window --------------------------------------------------------------------------------

LRESULT CALLBACK TerrainViewer::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    TerrainViewer* self = reinterpret_cast<TerrainViewer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        self = static_cast<TerrainViewer*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    }
    return self ? self->OnMessage(msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT TerrainViewer::OnMessage(UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd_, &ps);
        EndPaint(hwnd_, &ps);
        RenderNow();
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;   // OpenGL paints everything
    case WM_SIZE:
        Layout();
        UpdateStatus();
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
    case WM_LBUTTONDOWN:
        dragging_ = true;
        dragFrom_ = POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        SetCapture(hwnd_);
        return 0;
    case WM_MOUSEMOVE:
        if (dragging_) {
            const POINT p = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            camera_.Drag(p.x - dragFrom_.x, p.y - dragFrom_.y);
            dragFrom_ = p;
            RenderNow();
        }
        return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (dragging_) {
            dragging_ = false;
            if (msg == WM_LBUTTONUP)
                ReleaseCapture();
        }
        return 0;
    case WM_MOUSEWHEEL:
        camera_.Zoom(GET_WHEEL_DELTA_WPARAM(wp));
        RenderNow();
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wp));
        return 0;
    case WM_MODEL_APPLY:
        OnModelApply(static_cast<unsigned>(wp & 0xFFFF));
        return 0;
    case WM_VIEWER_START:
        exitCode_ = startAction_ ? startAction_(*this) : 0;
        DestroyWindow(hwnd_);
        return 0;
    case WM_VIEWER_SNAPSHOT: {
        ViewerSnapshot* s = reinterpret_cast<ViewerSnapshot*>(lp);
        s->written = SaveWindowPicture(s->path);
        return 0;
    }
    case WM_CLOSE:
        if (inModal_)
            return 0;   // a library dialog is still up
        DestroyWindow(hwnd_);
        return 0;
    case WM_DESTROY:
        if (sheet_)
            _DeleteModelDialog(&sheet_);
        scene_.Destroy();   // while the window and its device context still exist
        PostQuitMessage(exitCode_);
        return 0;
    default:
        return DefWindowProcW(hwnd_, msg, wp, lp);
    }
}

void TerrainViewer::OnCommand(int id)
{
    if (inModal_)
        return;
    switch (id) {
    case IDM_OPEN_GRID: {
        wchar_t file[MAX_PATH] = L"";
        OPENFILENAMEW ofn = {};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = hwnd_;
        ofn.lpstrFilter = L"高程数据 (*.asc;*.txt;*.hgt)\0*.asc;*.txt;*.hgt\0ESRI ASCII 栅格 (*.asc;*.txt)\0*.asc;*.txt\0"
                          L"SRTM 瓦片 (*.hgt)\0*.hgt\0所有文件 (*.*)\0*.*\0";
        ofn.lpstrFile = file;
        ofn.nMaxFile = MAX_PATH;
        ofn.lpstrTitle = L"打开高程数据";
        ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
        if (GetOpenFileNameW(&ofn))
            OpenGrid(file);
        break;
    }
    case IDM_OPEN_IMAGE:
        ChooseImageFile();
        break;
    case IDM_EXIT:
        PostMessageW(hwnd_, WM_CLOSE, 0, 0);
        break;
    case IDM_WIRE:
        SetGridLines(!gridLines_);
        break;
    case IDM_CLEAR_TEXTURE:
        scene_.ClearTexture();
        textureText_.clear();
        UpdateStatus();
        RenderNow();
        break;
    case IDM_RESET_VIEW:
        ResetView();
        RenderNow();
        break;
    case IDM_START_LAYERS:
        UseStartLayers();
        break;
    case IDM_EXAGGERATE_1: SetExaggeration(1.0f); break;
    case IDM_EXAGGERATE_2: SetExaggeration(2.0f); break;
    case IDM_EXAGGERATE_5: SetExaggeration(5.0f); break;
    case IDM_EXAGGERATE_10: SetExaggeration(10.0f); break;
    case IDM_EXAGGERATE_TYPED: {
        float factor = exaggeration_;
        inModal_ = true;
        const INT_PTR ok = DialogBoxParamW(instance_, MAKEINTRESOURCEW(IDD_EXAGGERATION), hwnd_, ExaggerationProc,
                                           reinterpret_cast<LPARAM>(&factor));
        inModal_ = false;
        if (ok == IDOK)
            SetExaggeration(factor);
        break;
    }
    case IDM_GEOGRAPHIC:
        SetGeographic(!geographic_);
        break;
    case IDM_HEIGHT_COLOR:
        if (EditHeightColors() == -1)
            Warn(L"高程分层设色对话框未能打开。");
        break;
    case IDM_IMPORT_RAMP:
        ImportRamp();
        break;
    case IDM_EXPORT_RAMP:
        ExportRamp();
        break;
    case IDM_MODEL_PARAMS:
        EditModelParameters();
        break;
    case IDM_TEXTURE_FILE:
        ChooseTextureFile();
        break;
    case IDM_TEXTURE_PARAMS:
        ChooseTextureParameters();
        break;
    case IDM_RECORD_PLAY:
        if (RecordAndPlay() == -1)
            Warn(L"场景播放窗口未能打开。");
        break;
    default:
        break;
    }
}

void TerrainViewer::SetGridLines(bool on)
{
    gridLines_ = on;
    CheckMenuItem(GetMenu(hwnd_), IDM_WIRE, gridLines_ ? MF_CHECKED : MF_UNCHECKED);
    RenderNow();
}
