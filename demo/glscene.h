// The viewer's OpenGL 1.x renderer.
//   SceneLook (lighting, material, fog and colours as the model sheet edits them),
//   GlScene (context on the main window, mesh, colours, texture, drawing, read-back).
#pragma once

#include <windows.h>

#include <GL/gl.h>

#include <string>
#include <vector>

#include "demo/viewcheck.h"
#include "include/oroscape.h"
#include "terrain/terrain.h"
#include "terrain/terrainlod.h"

// The scene's look: the values the model parameter sheet edits, in its own units (colour
// components 0 to 255, shininess 0 to 128, fog density 0 to 1). Out-of-range values from the
// sheet are clamped when they reach OpenGL, never before.
struct SceneLook {
    MODELCOLOR lightAmbient{70, 70, 70};
    MODELCOLOR lightDiffuse{235, 232, 220};
    MODELCOLOR lightSpecular{60, 60, 60};
    MODELCOLOR lineColor{45, 45, 45};
    MODELCOLOR backColor{178, 198, 222};
    MODELCOLOR matAmbient{255, 255, 255};
    MODELCOLOR matDiffuse{255, 255, 255};
    MODELCOLOR matSpecular{30, 30, 30};
    MODELCOLOR matEmission{0, 0, 0};
    short shininess = 24;
    short matMode = MATMODE_AMBIENT_AND_DIFFUSE;
    MODELCOLOR fogColor{205, 214, 228};
    float fogDensity = 0.0f;
};

enum class RenderMode {
    Shaded,   // what the user sees
    Flat,     // layer colours only: no light, fog or texture, one colour per triangle, on
              // kFlatBackground - the tour compares these pixels with the layer table
};

// Background of RenderMode::Flat.
const Rgb8 kFlatBackground = {255, 0, 255};

class GlScene {
public:
    ~GlScene() { Destroy(); }

    // Sets a pixel format on the window and makes a context current on this thread.
    bool Create(HWND hwnd, std::wstring* error);
    void Destroy();
    bool Ready() const { return rc_ != nullptr; }
    std::string Renderer() const;
    // Whether the driver's extension string holds name as a whole word.
    bool HasExtension(const char* name) const;

    // The mesh and its levels of detail are kept by address; call again whenever they change
    // (lod may be null: the mesh is drawn whole). The arrays go into buffer objects when the
    // driver has them (OpenGL 1.5), else they are drawn from client memory.
    void SetMesh(const TerrainMesh* mesh, const TerrainLod* lod);
    // The level of detail: the largest height error a chunk may show, in pixels, and the most
    // triangles a frame may take (the bound is raised to fit; 0: no limit). An error of 0
    // draws the whole mesh. The graticule is drawn over the whole mesh, so is the surface
    // under it.
    void SetDetail(float errorPixels, size_t triangleBudget)
    {
        detailPixels_ = errorPixels;
        triangleBudget_ = triangleBudget;
    }
    float DetailPixels() const { return detailPixels_; }
    size_t TriangleBudget() const { return triangleBudget_; }
    // Levels from a rule of each chunk's column and row instead of the distance (null: by
    // distance); the crack check draws neighbours at different levels with it.
    void SetLevelPattern(int (*levelAt)(int chunkCol, int chunkRow, int levels)) { levelPattern_ = levelAt; }
    // The levels of the last frame drawn with them (empty when the whole mesh was drawn).
    const LodSelection& LastSelection() const { return selection_; }
    // r, g, b per vertex, as ColourVertices gives them.
    void SetColours(std::vector<uint8_t> rgb);
    // Whether the surface is drawn from buffer objects.
    bool Buffered() const { return buffers_[0] != 0; }
    // Draws the surface one vertex at a time (glBegin / glNormal / glColor / glVertex), the
    // plain way the benchmark compares with.
    void SetPerVertex(bool on) { perVertex_ = on; }
    void SetLook(const SceneLook& look) { look_ = look; }
    const SceneLook& Look() const { return look_; }
    void SetGridLines(bool on) { gridLines_ = on; }

    // Drapes a picture (top-down RGB, any size: scaled to a power of two of at most the
    // driver's limit) over the terrain, stored in the pixel format of a texture format code
    // (TEXFMT_*). A compressed or packed format the driver does not offer falls back to
    // 24-bit RGB. description receives what OpenGL actually holds.
    bool SetTexture(const std::vector<uint8_t>& rgb, int width, int height, int formatCode,
                    std::wstring* description);
    void ClearTexture();
    bool Textured() const { return texture_ != 0; }

    // Draws into the back buffer, viewport (x, y, w, h) in window pixels from the bottom left.
    void Render(const OrbitCamera& camera, int x, int y, int w, int h, RenderMode mode) const;
    void Present() const;
    // Back-buffer pixels of a rectangle, bottom row first, 4 bytes a pixel: RGBA, or BGRA as a
    // 32-bit DIB holds them.
    void ReadRgba(int x, int y, int w, int h, std::vector<uint8_t>* pixels) const { Read(x, y, w, h, false, pixels); }
    void ReadBgra(int x, int y, int w, int h, std::vector<uint8_t>* pixels) const { Read(x, y, w, h, true, pixels); }

private:
    void Read(int x, int y, int w, int h, bool bgra, std::vector<uint8_t>* pixels) const;
    // Draws the surface's triangles from the mesh's arrays.
    // indices: the triangles to draw, null for the whole mesh.
    void DrawSurface(bool normals, bool colours, bool texcoords, const std::vector<uint32_t>* indices) const;
    void DrawSurfacePerVertex(bool normals, bool colours, bool texcoords) const;
    // Where an array pointer or glDrawElements reads `buffer` from: its buffer object, bound
    // (the pointer is then an offset into it), or `memory` when the mesh is not in buffers.
    const void* Source(int buffer, const void* memory) const;
    void UnbindBuffers() const;
    bool LoadBufferFunctions();
    void DeleteBuffers();

    HWND hwnd_ = nullptr;
    HDC dc_ = nullptr;
    HGLRC rc_ = nullptr;
    const TerrainMesh* mesh_ = nullptr;
    const TerrainLod* lod_ = nullptr;
    float detailPixels_ = 0.0f;
    size_t triangleBudget_ = 0;
    int (*levelPattern_)(int, int, int) = nullptr;
    mutable LodSelection selection_;
    mutable std::vector<uint32_t> frameIndices_;
    std::vector<uint8_t> colours_;
    SceneLook look_;
    bool gridLines_ = false;
    GLuint texture_ = 0;
    bool perVertex_ = false;
    // Buffer objects: positions, normals, texcoords, colours, triangle indices, line indices,
    // the triangles of the current frame's levels.
    enum { kPositions, kNormals, kTexcoords, kColours, kTriangles, kLines, kFrame, kBufferCount };
    GLuint buffers_[kBufferCount] = {};
    int bufferFunctions_ = -1;   // -1 not looked up, 0 absent, 1 present
};
