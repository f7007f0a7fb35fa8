// The tour's elevation steps: a coast across sea level (written by the tour) opened as a user
// opens one, at true scale, then at five times its height from the view menu.
#include "demo/tour/steps.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "demo/commandline.h"
#include "demo/terrainview_res.h"
#include "demo/viewcheck.h"
#include "demo/wintext.h"

namespace tour {

namespace {


// Writes coast.asc and coast.prj (a plane in metres) into a new folder of the temporary folder: 12 by
// 9 km in 50 m cells, a sea floor down to about -320 m in the west, the coast winding north to
// south, hills up to about 1,000 m in the east. Returns the grid's path, empty on failure.
std::wstring WriteCoastGrid()
{
    const std::wstring dir = MakeScratchFolder();
    if (dir.empty())
        return std::wstring();
    const int cols = 241, rows = 181;
    const double cell = 50.0;
    std::string text = "ncols 241\nnrows 181\nxllcorner 500000\nyllcorner 4400000\ncellsize 50\nNODATA_value -9999\n";
    char value[32];
    for (int r = 0; r < rows; ++r) {
        const double y = (rows - 1 - r) * cell / 1000.0;   // km north of the southern edge
        const double coast = 4.8 + 1.0 * std::sin(y * 0.9) + 0.5 * std::sin(y * 2.3);
        for (int c = 0; c < cols; ++c) {
            const double x = c * cell / 1000.0;
            const double d = x - coast;   // km east of the shore line
            const double h = d < 0.0 ? -320.0 * (1.0 - std::exp(d / 1.6))
                                     : 950.0 * (1.0 - std::exp(-d / 2.8)) +
                                           140.0 * std::sin(x * 1.4 + 0.5) * std::cos(y * 1.2) * (1.0 - std::exp(-d / 0.8));
            std::snprintf(value, sizeof value, c + 1 < cols ? "%.1f " : "%.1f\n", h);
            text += value;
        }
    }
    const char prj[] = "PROJCS[\"WGS 84 / UTM zone 50N\",GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\",6378137,"
                       "298.257223563]],PRIMEM[\"Greenwich\",0],UNIT[\"degree\",0.0174532925199433]],PROJECTION["
                       "\"Transverse_Mercator\"],PARAMETER[\"central_meridian\",117],PARAMETER[\"scale_factor\",0.9996],"
                       "PARAMETER[\"false_easting\",500000],UNIT[\"metre\",1]]\n";
    auto write = [](const std::wstring& path, const char* data, size_t size) {
        HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f == INVALID_HANDLE_VALUE)
            return false;
        DWORD written = 0;
        const bool ok = WriteFile(f, data, static_cast<DWORD>(size), &written, nullptr) && written == size;
        CloseHandle(f);
        return ok;
    };
    const std::wstring grid = dir + L"\\coast.asc";
    if (!write(grid, text.data(), text.size()) || !write(dir + L"\\coast.prj", prj, sizeof prj - 1)) {
        DeleteFileW(grid.c_str());
        DeleteFileW((dir + L"\\coast.prj").c_str());
        RemoveDirectoryW(dir.c_str());
        return std::wstring();
    }
    return grid;
}


}  // namespace

// An elevation model across sea level, as a user opens one: start-up layers, no texture.
void Tour::DemSeaLevel()
{
    TourLog(L"[高程数据] 海岸: 海底与陆地, 真实比例");
    HWND w = viewer.Window();
    SendMessageW(w, WM_COMMAND, MAKEWPARAM(IDM_CLEAR_TEXTURE, 0), 0);
    SendMessageW(w, WM_COMMAND, MAKEWPARAM(IDM_START_LAYERS, 0), 0);
    StartupSky();
    coastPath = WriteCoastGrid();
    if (coastPath.empty())
        return Failure(L"无法写入海岸高程数据");
    if (!viewer.OpenGrid(coastPath))
        return Failure(L"无法打开 " + coastPath);
    Pump(200);
    const TerrainMesh& mesh = probe.Mesh();
    const GroundScale& ground = probe.Ground();
    // True scale: 12 x 9 km on the ground, the relief in the same units as the ground.
    const float relief = ReliefInFrame(mesh);
    const float expected = (mesh.highest - mesh.lowest) / 12000.0f * 2.0f;
    const bool scaleOk = viewer.Exaggeration() == 1.0f && !viewer.Geographic() &&
                         std::fabs(ground.widthKm - 12.0) < 0.01 && std::fabs(ground.heightKm - 9.0) < 0.01 &&
                         std::fabs(relief - expected) < expected * 0.01f;
    TourLog(Format(L"  %.1f x %.1f 千米 (平面), 高程 %.1f - %.1f 米, 垂直 x%g, 起伏 %.4f (应为 %.4f) -> %ls", ground.widthKm,
                   ground.heightKm, mesh.lowest, mesh.highest, static_cast<double>(viewer.Exaggeration()), relief,
                   expected, scaleOk ? L"通过" : L"未通过"));
    if (!scaleOk)
        Failure(L"海岸没有以真实比例显示");
    // Sea level is a layer boundary; the layers below it are blue, those above land colours.
    const HeightColorInfo& layering = probe.Layering();
    std::vector<Rgb8> water, land;
    bool boundary = false, blue = true;
    for (int i = 0; i < layering.nLayers; ++i) {
        const Rgb8 c = ToRgb8(layering.wColor[i]);
        if (layering.fLimit[i][1] <= 0.0f) {
            water.push_back(c);
            blue = blue && c.b > c.r && c.b > c.g;
        } else {
            land.push_back(c);
        }
        boundary = boundary || (layering.fLimit[i][1] == 0.0f && i + 1 < layering.nLayers && layering.fLimit[i + 1][0] == 0.0f);
    }
    // What the view shows: the sea in water colours, the land in land colours.
    std::vector<uint8_t> flat;
    int fw = 0, fh = 0;
    probe.RenderOffscreen(RenderMode::Flat, &flat, &fw, &fh);
    viewer.RenderNow();
    const PaletteMatch sea = MatchPalette(flat.data(), fw, fh, kFlatBackground, water, 2);
    const PaletteMatch dry = MatchPalette(flat.data(), fw, fh, kFlatBackground, land, 2);
    const double seaShare = sea.covered ? static_cast<double>(sea.matched) / sea.covered : 0.0;
    const double landShare = dry.covered ? static_cast<double>(dry.matched) / dry.covered : 0.0;
    const bool coastOk = boundary && blue && !water.empty() && !land.empty() && sea.covered > 10000 &&
                         seaShare >= 0.2 && landShare >= 0.2 && seaShare + landShare >= 0.98;
    TourLog(Format(L"  分层: 水下 %zu 层 (蓝色 %ls), 陆地 %zu 层, 0 米为分层界线 %ls; 视图: 海 %.1f%%, 陆地 %.1f%% -> %ls",
                   water.size(), blue ? L"是" : L"否", land.size(), boundary ? L"是" : L"否", 100.0 * seaShare,
                   100.0 * landShare, coastOk ? L"通过" : L"未通过"));
    if (!coastOk)
        Failure(L"海平面上下没有分别以水体和陆地颜色显示");
    Picture(L"tour_22_dem_sealevel");
    reliefAtTrueScale = relief;
    coastView = TakeView(viewer);
}

// The same coast at five times its height, from the view menu.
void Tour::DemExaggerated()
{
    TourLog(L"[高程数据] 海岸: 垂直夸张 x5");
    if (!(reliefAtTrueScale > 0.0f)) {
        RemoveCoast();
        return Failure(L"海岸高程数据没有打开");
    }
    SendMessageW(viewer.Window(), WM_COMMAND, MAKEWPARAM(IDM_EXAGGERATE_5, 0), 0);
    Pump(200);
    const float relief = ReliefInFrame(probe.Mesh());
    const View after = TakeView(viewer);
    const double changed = ChangedShare(coastView, after);
    const bool ok = viewer.Exaggeration() == 5.0f && std::fabs(relief - 5.0f * reliefAtTrueScale) < relief * 0.01f &&
                    changed > 0.1;
    TourLog(Format(L"  垂直 x%g, 起伏 %.4f (真实比例 %.4f 的 %.2f 倍), 视图像素变化 %.1f%% -> %ls",
                   static_cast<double>(viewer.Exaggeration()), relief, reliefAtTrueScale, relief / reliefAtTrueScale,
                   100.0 * changed, ok ? L"通过" : L"未通过"));
    if (!ok)
        Failure(L"垂直夸张 x5 没有显示在视图上");
    Picture(L"tour_23_dem_exaggerated");
    RemoveCoast();
}

// The coast's files and their folder, once the steps are done with them.
void Tour::RemoveCoast()
{
    if (coastPath.empty())
        return;
    DeleteFileW(coastPath.c_str());
    DeleteFileW((coastPath.substr(0, coastPath.size() - 4) + L".prj").c_str());
    RemoveDirectoryW(coastPath.substr(0, coastPath.find_last_of(L'\\')).c_str());
    coastPath.clear();
}

}  // namespace tour
