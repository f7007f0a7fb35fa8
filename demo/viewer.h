// terrainview's main window: the terrain, its menus and the calls into Oroscape.dll.
//   TerrainViewer.
//
// Threads: everything here runs on the user-interface thread. The library's dialogs run their
// modal loops inside the menu commands; the model sheet calls back with WM_MODEL_APPLY while
// it is shown.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "demo/glscene.h"
#include "demo/viewcheck.h"
#include "include/oroscape.h"
#include "terrain/ascgrid.h"
#include "terrain/demformats.h"
#include "terrain/terrain.h"

// Private messages of the main window (WM_APP range: WM_USER numbers belong to the library).
const UINT WM_VIEWER_START = WM_APP + 1;      // runs the tour or the benchmark once the window is up

// The host's record as the renderer's layers: its first 1 to 256 layers, colours in 8 bits.
std::vector<ColorLayer> TerrainLayersOf(const HeightColorInfo& record);

namespace tour {
class Probe;
}

class TerrainViewer {
public:
    struct Options {
        std::wstring gridPath;   // empty: the sample beside the program
        std::wstring tourDir;    // --tour OUTDIR
        std::wstring figuresFile;  // --figures FILE (with --bench)
        bool tour = false;
        bool bench = false;
        bool crackCheck = false;
    };

    TerrainViewer();
    ~TerrainViewer();
    TerrainViewer(const TerrainViewer&) = delete;
    TerrainViewer& operator=(const TerrainViewer&) = delete;

    // Makes the window, the OpenGL context and the model sheet, opens the grid. False (after
    // telling the user) when the program cannot go on.
    bool Create(HINSTANCE instance, const Options& options, int showCommand);
    // The message loop; returns the exit code.
    int Run();

    // ---- commands (menu, tour, benchmark) ----
    // Opens an elevation model (ESRI ASCII grid with an optional .prj beside it, or an SRTM
    // .hgt tile); a malformed one is reported and changes nothing.
    bool OpenGrid(const std::wstring& path);
    // Vertical exaggeration of the view (1: true proportions); false for a factor outside
    // 0.01 .. 1000.
    bool SetExaggeration(float factor);
    float Exaggeration() const { return exaggeration_; }
    // Takes the grid's coordinates as degrees (true) or as metres on a plane.
    void SetGeographic(bool geographic);
    bool Geographic() const { return geographic_; }
    // Back to the host's start-up layers (sea level on a layer boundary) for the current grid
    // and each grid opened after, until the user confirms layers of their own.
    void UseStartLayers();
    // _SetHeightColorDlg on the current layering; recolours on OK. Returns the dialog result.
    int EditHeightColors();
    // _ShowModelDialog; false when there is no model sheet.
    bool EditModelParameters();
    // _SelectTextureFile, then drapes the chosen bitmap. Returns the export's result.
    int ChooseTextureFile();
    // _SetTexParamDlg on the multi-band image, then drapes the chosen bands. Returns the
    // export's result.
    int ChooseTextureParameters();
    // Records a camera orbit into an AVI file and plays it with _PlayAVIWnd. Returns the
    // export's result, or 0 when nothing could be recorded.
    int RecordAndPlay();

    // ---- colour ramps of the GIS tools (rampmenu.cpp) ----
    // 导入色带: reads a ramp file (path empty: asks with the file box) and lays its breaks over
    // the grid's range as custom layers, recolouring at once; then offers to keep its colours,
    // sampled over this range, as a colour table. False when nothing was imported.
    bool ImportRamp(const std::wstring& path = std::wstring());
    // 导出色带: writes the current layers as classes in the format of the save box's filter
    // (GDAL, GRASS, CPT, QGIS). False when nothing was written.
    bool ExportRamp();
    // The folder of the shipped text ramps: ramps\ beside the program, else ..\ramps (dist/).
    std::wstring ShippedRampDir() const;
    // The host's colour-table folder (<host directory>\HeightLut); empty when the host has none.
    static std::string TableFolder();

    // ---- for the tour and the benchmark (what they read inside: tour::Probe) ----
    HWND Window() const { return hwnd_; }
    void ResetView();
    // The graticule over the surface, drawn in the model sheet's line colour.
    void SetGridLines(bool on);
    // Renders and shows a frame at once; returns the milliseconds it took (glFinish included).
    double RenderNow();
    // Reports to the user: a message box, or the tour's log when the tour runs.
    void Warn(const std::wstring& text);
    void SetLogger(void (*log)(const std::wstring&)) { log_ = log; }
    // What runs once the window is up in tour or benchmark mode; its result is the exit code.
    void SetStartAction(std::function<int(TerrainViewer&)> action) { startAction_ = std::move(action); }

private:
    friend class tour::Probe;

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
    void OnCommand(int id);
    void OnModelApply(unsigned mask);
    void ReadModelValues(unsigned mask);
    void LoadLookIntoSheet();
    void InitLayersFromTable(const char* name);
    void InitStartLayers();
    // Builds the mesh of grid_ at the current scale and hands it to the renderer.
    bool RebuildMesh();
    // Reads an elevation model without touching the current one. error: why not.
    bool ReadElevationModel(const std::wstring& path, AscGrid* grid, bool* geographic, std::wstring* error);
    void CheckViewMenu();
    void Recolour();
    void UpdateStatus();
    void Layout();
    // The view's rectangle in OpenGL window coordinates (bottom-left origin).
    void ViewRect(int* x, int* y, int* w, int* h) const;
    bool LoadBitmapTexture(const std::wstring& path, std::wstring* error);
    bool ChooseImageFile();
    // Runs a library call that shows a modal window, with the main window disabled as an
    // owner is during a modal dialog.
    template <class F>
    auto Modal(F&& call) -> decltype(call());

    HINSTANCE instance_ = nullptr;
    HWND hwnd_ = nullptr;
    HWND status_ = nullptr;
    HACCEL accel_ = nullptr;
    Options options_;
    std::wstring programDir_;
    std::wstring gridPath_;
    std::wstring imagePath_;       // the multi-band image for the texture parameters
    std::wstring recordingPath_;
    std::wstring textureText_;     // status bar: what is draped
    std::wstring applyText_;       // status bar: last WM_MODEL_APPLY

    AscGrid grid_;
    TerrainMesh mesh_;
    TerrainLod lod_;               // the mesh's levels of detail
    GlScene scene_;
    SceneLook look_;
    OrbitCamera camera_;
    HeightColorInfo layering_;     // the record the layering dialog edits
    std::vector<ColorLayer> layers_;
    bool startLayers_ = true;      // the layers are the host's own start-up layers
    bool geographic_ = false;      // grid_'s coordinates are degrees
    float exaggeration_ = 1.0f;
    GroundScale ground_;

    OROSCAPE_HOSTWND hostWnd_ = {};  // laid out as the host framework's CWnd
    HMODELSHEET sheet_ = nullptr;
    bool gridLines_ = false;
    bool dragging_ = false;
    POINT dragFrom_ = {0, 0};
    bool inModal_ = false;
    double lastApplyMs_ = 0.0;
    unsigned lastApplyMask_ = 0;
    int applyCount_ = 0;
    void (*log_)(const std::wstring&) = nullptr;
    std::function<int(TerrainViewer&)> startAction_;
    int exitCode_ = 0;
};
