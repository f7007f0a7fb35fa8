// The benchmark (--bench) and the crack check (--crack-check) of terrainview: frame rates, the
// time from WM_MODEL_APPLY to the frame, large tiles; no background through the surface.
#include "demo/tour.h"

#include <windows.h>

#include <GL/glu.h>
#include <psapi.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "demo/commandline.h"
#include "demo/tour/probe.h"
#include "demo/viewer.h"
#include "demo/wintext.h"

namespace {

// ---- large tiles for the benchmark and the crack check -----------------------------------------

// Writes an SRTM tile of side x side samples into a new folder of the temporary folder (so no
// file of the user's is ever replaced): ridges and valleys from about -1700 m to 2300 m, so the
// sea comes in. Returns its path, empty on failure; RemoveTestTile deletes tile and folder.
std::wstring WriteTestTile(const wchar_t* name, int side)
{
    const std::wstring dir = MakeScratchFolder();
    if (dir.empty())
        return std::wstring();
    const std::wstring path = dir + L"\\" + name;
    std::vector<uint8_t> bytes(static_cast<size_t>(side) * side * 2);
    const double k = 1200.0 / (side - 1);   // the same land at either resolution
    for (int r = 0; r < side; ++r)
        for (int c = 0; c < side; ++c) {
            const double x = c * k, y = r * k;
            const double h = 1500.0 * std::sin(x * 0.006) * std::cos(y * 0.008) + 500.0 * std::sin(x * 0.045 + y * 0.03) +
                             180.0 * std::cos(x * 0.21 - y * 0.17) + 300.0;
            const uint16_t v = static_cast<uint16_t>(static_cast<int16_t>(std::lround(h)));
            const size_t i = (static_cast<size_t>(r) * side + c) * 2;
            bytes[i] = static_cast<uint8_t>(v >> 8);
            bytes[i + 1] = static_cast<uint8_t>(v & 0xFF);
        }
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        RemoveDirectoryW(dir.c_str());
        return std::wstring();
    }
    DWORD written = 0;
    const bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(f);
    if (!ok) {
        DeleteFileW(path.c_str());
        RemoveDirectoryW(dir.c_str());
        return std::wstring();
    }
    return path;
}

void RemoveTestTile(const std::wstring& path)
{
    if (path.empty())
        return;
    DeleteFileW(path.c_str());
    RemoveDirectoryW(path.substr(0, path.find_last_of(L'\\')).c_str());
}

// The crack check's levels: the finest and the coarsest in turn, like the squares of a board.
int CheckerboardLevels(int chunkCol, int chunkRow, int levels)
{
    return (chunkCol + chunkRow) % 2 ? levels - 1 : 0;
}

// Renders the current terrain from straight above in flat colours and counts background pixels
// inside its footprint (the polygon its outline projects to, two pixels in from the edge): a
// crack between parts of the surface shows the background through. inside: pixels looked at.
size_t BackgroundInsideFootprint(TerrainViewer& viewer, size_t* inside, LodSelection* levels = nullptr)
{
    tour::Probe probe(viewer);
    OrbitCamera& camera = probe.Camera();
    const OrbitCamera saved = camera;
    camera.yaw = 0.0f;
    camera.pitch = OrbitCamera::kMaxPitch;
    camera.distance = 3.6f;
    std::vector<uint8_t> rgba;
    int w = 0, h = 0;
    probe.RenderOffscreen(RenderMode::Flat, &rgba, &w, &h);
    GLdouble model[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    camera = saved;
    // The footprint: the polygon the mesh's outline projects to, filled row by row, keeping
    // two pixels clear of its edge.
    // The outline is the one drawn: at each rim chunk's level when levels of detail were used.
    const TerrainMesh& mesh = probe.Mesh();
    const LodSelection& drawn = probe.Scene().LastSelection();
    if (levels)
        *levels = drawn;
    std::vector<uint32_t> outline;
    if (!drawn.level.empty()) {
        outline = LodRim(probe.Lod(), mesh, drawn);
    } else {
        for (int c = 0; c < mesh.cols; ++c)
            outline.push_back(static_cast<uint32_t>(c));
        for (int r = 1; r < mesh.rows; ++r)
            outline.push_back(static_cast<uint32_t>(r * mesh.cols + mesh.cols - 1));
        for (int c = mesh.cols - 2; c >= 0; --c)
            outline.push_back(static_cast<uint32_t>((mesh.rows - 1) * mesh.cols + c));
        for (int r = mesh.rows - 2; r > 0; --r)
            outline.push_back(static_cast<uint32_t>(r * mesh.cols));
    }
    std::vector<double> px, py;
    for (uint32_t v : outline) {
        GLdouble wx, wy, wz;
        gluProject(mesh.positions[v * 3], mesh.positions[v * 3 + 1], mesh.positions[v * 3 + 2], model, projection,
                   viewport, &wx, &wy, &wz);
        px.push_back(wx - viewport[0]);
        py.push_back(wy - viewport[1]);
    }
    const double margin = 2.0;
    size_t background = 0;
    *inside = 0;
    std::vector<double> crossings;
    for (int y = 0; y < h; ++y) {
        crossings.clear();
        // Rows near a vertex of the outline are left out, and so is the margin above and below.
        const double cy = y + 0.5;
        bool nearEdge = false;
        for (size_t i = 0, n = px.size(); i < n; ++i) {
            const size_t j = (i + 1) % n;
            if ((py[i] <= cy) != (py[j] <= cy))
                crossings.push_back(px[i] + (cy - py[i]) / (py[j] - py[i]) * (px[j] - px[i]));
            const double lo = std::min(py[i], py[j]), hi = std::max(py[i], py[j]);
            if (hi - lo < 1e-9 && std::fabs(cy - lo) < margin)
                nearEdge = true;
        }
        if (nearEdge || crossings.size() < 2)
            continue;
        std::sort(crossings.begin(), crossings.end());
        for (size_t k = 0; k + 1 < crossings.size(); k += 2) {
            for (int x = std::max(0, static_cast<int>(std::ceil(crossings[k] + margin)));
                 x < std::min(w, static_cast<int>(std::floor(crossings[k + 1] - margin))); ++x) {
                const uint8_t* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
                ++*inside;
                if (p[0] == kFlatBackground.r && p[1] == kFlatBackground.g && p[2] == kFlatBackground.b)
                    ++background;
            }
        }
    }
    viewer.RenderNow();
    return background;
}

}  // namespace

int RunBenchmark(TerrainViewer& viewer, const std::wstring& figuresFile)
{
    tour::Probe probe(viewer);
    Pump(500);
    std::string report;
    auto line = [&](const char* format, ...) {
        char text[512];
        va_list args;
        va_start(args, format);
        vsnprintf(text, sizeof text, format, args);
        va_end(args);
        report += text;
        report += '\n';
        std::fputs(text, stdout);
        std::fputs("\n", stdout);
        std::fflush(stdout);
    };
    int x, y, w, h;
    probe.ViewRect(&x, &y, &w, &h);
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    std::string gpu = renderer ? renderer : "?";
    gpu = gpu.substr(0, gpu.find(' '));

    // Frame rate over one camera orbit. The processor time of the process (the renderer's
    // threads included) says what a frame costs when other work shares the machine.
    auto cpuMs = [] {
        FILETIME created, exited, kernel, user;
        GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
        auto ms = [](const FILETIME& f) { return (static_cast<double>(f.dwHighDateTime) * 4294967296.0 + f.dwLowDateTime) / 1e4; };
        return ms(kernel) + ms(user);
    };
    // One camera orbit of frames; the median frame time and its spread.
    // Triangles: the median a frame drew (the whole mesh when no levels were chosen).
    struct Orbit {
        double median, slowest, cpu;
        size_t triangles;
        float bound;   // the median error bound the levels kept, in pixels
    };
    auto orbit = [&](int frames) {
        std::vector<double> times;
        std::vector<size_t> triangles;
        std::vector<float> bounds;
        viewer.RenderNow();   // warm-up
        const double cpuStart = cpuMs();
        for (int i = 0; i < frames; ++i) {
            probe.Camera().yaw += 360.0f / frames;
            probe.Camera().Clamp();
            times.push_back(viewer.RenderNow());
            const LodSelection& drawn = probe.Scene().LastSelection();
            triangles.push_back(drawn.level.empty() ? probe.Mesh().indices.size() / 3 : drawn.triangles);
            bounds.push_back(drawn.errorPixels);
        }
        Orbit o;
        o.cpu = (cpuMs() - cpuStart) / frames;
        std::sort(times.begin(), times.end());
        std::sort(triangles.begin(), triangles.end());
        o.median = times[times.size() / 2];
        o.slowest = times.back();
        o.triangles = triangles[triangles.size() / 2];
        std::sort(bounds.begin(), bounds.end());
        o.bound = bounds[bounds.size() / 2];
        return o;
    };
    const TerrainMesh& mesh = probe.Mesh();
    // The plain way first: every vertex a call of its own, the full mesh of the grid.
    probe.Scene().SetPerVertex(true);
    const Orbit plain = orbit(60);
    probe.Scene().SetPerVertex(false);
    line("terrainview_fps_per_vertex_baseline: median %.1f frames/s (frame %.1f ms, slowest %.1f ms, processor %.1f ms "
         "a frame; 60-frame orbit, %dx%d mesh drawn one glVertex call at a time, %dx%d view, %s)",
         1000.0 / plain.median, plain.median, plain.slowest, plain.cpu, mesh.cols, mesh.rows, w, h, gpu.c_str());
    // The whole mesh from buffer objects, then the levels of detail the viewer draws.
    const float detail = probe.Scene().DetailPixels();
    const size_t budget = probe.Scene().TriangleBudget();
    probe.Scene().SetDetail(0.0f, 0);
    const Orbit whole = orbit(60);
    probe.Scene().SetDetail(detail, budget);
    const char* from = probe.Scene().Buffered() ? "buffer objects" : "vertex arrays";
    line("terrainview_fps_whole_mesh: median %.1f frames/s (frame %.1f ms, slowest %.1f ms, processor %.1f ms a frame; "
         "60-frame orbit, all %zu triangles of the %dx%d grid from %s, %dx%d view, %s) ratio %.2f of the per-vertex "
         "baseline's time",
         1000.0 / whole.median, whole.median, whole.slowest, whole.cpu, whole.triangles, mesh.cols, mesh.rows, from, w, h,
         gpu.c_str(), whole.median / plain.median);
    const Orbit sample = orbit(240);
    line("terrainview_fps: median %.1f frames/s (frame %.1f ms, slowest %.1f ms, processor %.1f ms a frame; "
         "240-frame orbit of the %dx%d grid from %s, levels of detail: median %zu triangles a frame, error bound "
         "%.1f px (asked %.1f px, budget %zu); %dx%d view, %s) ratio %.2f of the per-vertex baseline's time",
         1000.0 / sample.median, sample.median, sample.slowest, sample.cpu, mesh.cols, mesh.rows, from, sample.triangles,
         static_cast<double>(sample.bound), static_cast<double>(detail), budget, w, h, gpu.c_str(),
         sample.median / plain.median);

    // WM_MODEL_APPLY to the re-rendered frame: the host's handler reads the changed values
    // through the accessors and draws, as it does for the sheet's Apply button.
    const bool sheet = probe.HasModelSheet();
    std::vector<double> applies;
    for (int i = 0; i < 40; ++i) {
        if (sheet) {
            const MODELCOLOR diffuse = {static_cast<short>(150 + i * 2), 200, 180};
            const MODELCOLOR back = {static_cast<short>(100 + i), 140, 200};
            _SetLight_Diffuse_(probe.ModelSheet(), &diffuse);
            _SetBackColor_(probe.ModelSheet(), &back);
        }
        SendMessageW(viewer.Window(), WM_MODEL_APPLY, MCF_LIGHT_DIFFUSE | MCF_BACK_COLOR, 0);
        applies.push_back(probe.LastApplyMs());
    }
    std::sort(applies.begin(), applies.end());
    line("terrainview_apply_to_frame: median %.1f ms (fastest %.1f, slowest %.1f over %zu WM_MODEL_APPLY%s)",
         applies[applies.size() / 2], applies.front(), applies.back(), applies.size(),
         sheet ? "" : "; no model sheet, accessors skipped");

    // SRTM tiles made for the occasion: opening (read, parse, mesh, colours, upload), frame
    // rate, private bytes, and no background through the surface seen from above.
    int status = 0;
    auto privateBytes = [] {
        PROCESS_MEMORY_COUNTERS_EX counters = {};
        counters.cb = sizeof counters;
        GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
        // Wine may leave PrivateUsage empty; the page-file figure is the same count there.
        return static_cast<double>(std::max(counters.PrivateUsage, counters.PagefileUsage)) / (1024.0 * 1024.0);
    };
    const struct { const wchar_t* name; int side; } tiles[] = {{L"N46E008.hgt", kHgtSide3}, {L"N46E009.hgt", kHgtSide1}};
    for (const auto& tile : tiles) {
        const std::wstring path = WriteTestTile(tile.name, tile.side);
        LARGE_INTEGER t0, t1, f;
        QueryPerformanceFrequency(&f);
        QueryPerformanceCounter(&t0);
        const bool opened = !path.empty() && viewer.OpenGrid(path);
        viewer.RenderNow();
        QueryPerformanceCounter(&t1);
        RemoveTestTile(path);
        if (!opened) {
            line("terrainview_open_%d: failed", tile.side);
            status = 1;
            continue;
        }
        const double openMs = static_cast<double>(t1.QuadPart - t0.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
        const double privateMb = privateBytes();
        line("terrainview_open_%d: median %.0f ms (one run: read, parse, mesh of %dx%d, colours, upload, first frame; "
             "private bytes %.0f MB afterwards)", tile.side, openMs, mesh.cols, mesh.rows, privateMb);
        const Orbit o = orbit(120);
        size_t inside = 0;
        const size_t holes = BackgroundInsideFootprint(viewer, &inside);
        line("terrainview_fps_%d: median %.1f frames/s (frame %.1f ms, slowest %.1f ms, processor %.1f ms a frame; "
             "120-frame orbit, drawn from every %d%s sample (%dx%d mesh, %zu triangles) with levels of detail: median "
             "%zu triangles a frame, error bound %.1f px; true scale, start-up layers; from above %zu background pixels "
             "among %zu inside the footprint)",
             tile.side, 1000.0 / o.median, o.median, o.slowest, o.cpu, mesh.step,
             mesh.step == 1 ? "st" : mesh.step == 2 ? "nd" : mesh.step == 3 ? "rd" : "th", mesh.cols, mesh.rows,
             mesh.indices.size() / 3, o.triangles, static_cast<double>(o.bound), holes, inside);
        if (holes != 0 || inside < 10000)
            status = 1;
    }

    if (!figuresFile.empty()) {
        const std::wstring refused = WriteFiguresFile(figuresFile, report);
        if (refused.empty()) {
            TourLog(L"terrainview: figures written to " + figuresFile);
        } else {
            TourLog(L"terrainview: " + refused);
            status = 1;
        }
    }
    return status;
}

int RunCrackCheck(TerrainViewer& viewer, bool ownGrid)
{
    tour::Probe probe(viewer);
    Pump(300);
    if (!ownGrid) {
        const std::wstring path = WriteTestTile(L"N46E008.hgt", kHgtSide3);
        const bool opened = !path.empty() && viewer.OpenGrid(path);
        RemoveTestTile(path);
        if (!opened) {
            TourLog(L"裂缝检查: 无法打开测试瓦片");
            return 1;
        }
    }
    // Each factor twice: levels by distance as the viewer draws them, then a checkerboard of the
    // finest and the coarsest level, so that every seam joins chunks of different levels.
    int failures = 0;
    for (float factor : {1.0f, 10.0f}) {
        viewer.SetExaggeration(factor);
        for (bool checkerboard : {false, true}) {
            probe.Scene().SetLevelPattern(checkerboard ? CheckerboardLevels : nullptr);
            size_t inside = 0;
            LodSelection drawn;
            const size_t holes = BackgroundInsideFootprint(viewer, &inside, &drawn);
            probe.Scene().SetLevelPattern(nullptr);
            std::wstring levels;
            for (int k = 0; k < probe.Lod().levels; ++k)
                levels += Format(L" %d", static_cast<int>(std::count(drawn.level.begin(), drawn.level.end(), k)));
            const bool ok = holes == 0 && inside >= 10000 && !drawn.level.empty();
            TourLog(Format(L"裂缝检查 %dx%d 网格 (每 %d 个采样取 1), 垂直 x%g, %ls: 各级地块数%ls, 三角形 %zu; 地形范围内 %zu "
                           L"个像素, 其中背景色 %zu 个 -> %ls",
                           probe.Mesh().cols, probe.Mesh().rows, probe.Mesh().step, static_cast<double>(factor),
                           checkerboard ? L"最细与最粗相间" : L"按距离分级", levels.c_str(), drawn.triangles, inside,
                           holes, ok ? L"通过" : L"未通过"));
            failures += ok ? 0 : 1;
        }
    }
    return failures == 0 ? 0 : 1;
}
