// What the tour and the benchmark look at inside the viewer, beyond what its menu and commands
// do: the model sheet and the camera they drive directly, the mesh, scene and layering they
// measure, the pictures they render for their checks, the last WM_MODEL_APPLY. The viewer keeps
// all of it private; this class, its friend, is the one way in. User-interface thread.
//   tour::Probe
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "demo/viewer.h"

namespace tour {

class Probe {
public:
    explicit Probe(TerrainViewer& viewer) : v_(viewer) {}

    // The model sheet the viewer made (null when it could not be made).
    HMODELSHEET ModelSheet() const { return v_.sheet_; }
    bool HasModelSheet() const { return v_.sheet_ != nullptr; }
    OrbitCamera& Camera() { return v_.camera_; }
    const SceneLook& Look() const { return v_.look_; }
    GlScene& Scene() { return v_.scene_; }
    const TerrainMesh& Mesh() const { return v_.mesh_; }
    const TerrainLod& Lod() const { return v_.lod_; }
    const GroundScale& Ground() const { return v_.ground_; }
    const HeightColorInfo& Layering() const { return v_.layering_; }
    // Milliseconds from the arrival of the last WM_MODEL_APPLY to its frame on screen, its mask,
    // and how many have come.
    double LastApplyMs() const { return v_.lastApplyMs_; }
    unsigned LastApplyMask() const { return v_.lastApplyMask_; }
    int ApplyCount() const { return v_.applyCount_; }
    // The view's rectangle in OpenGL window coordinates (bottom-left origin).
    void ViewRect(int* x, int* y, int* w, int* h) const { v_.ViewRect(x, y, w, h); }

    // Renders the view anew (mode Flat or Shaded) into the back buffer and reads it (RGBA,
    // bottom row first), without showing it.
    void RenderOffscreen(RenderMode mode, std::vector<uint8_t>* rgba, int* w, int* h);
    // The distinct colours of the current layers.
    std::vector<Rgb8> LayerPalette() const;
    // Writes a PNG of the whole main window with the terrain rendered anew.
    bool SaveWindowPicture(const std::wstring& path);

private:
    TerrainViewer& v_;
};

}  // namespace tour
