// terrainview's main window: creation, the grid and its layers, the view.
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
#include "demo/smalldialogs.h"
#include "demo/viewer_parts.h"

using namespace viewer;

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

