// The viewer's OpenGL 1.x renderer.
#include "demo/glscene.h"

#include <GL/glu.h>

#include <algorithm>
#include <cstring>

// Tokens of the extensions the texture formats need (glext.h values).
#ifndef GL_BGR_EXT
#define GL_BGR_EXT 0x80E0
#endif
#ifndef GL_BGRA_EXT
#define GL_BGRA_EXT 0x80E1
#endif
#ifndef GL_COMPRESSED_RGB_ARB
#define GL_COMPRESSED_RGB_ARB 0x84ED
#define GL_COMPRESSED_RGBA_ARB 0x84EE
#define GL_TEXTURE_COMPRESSED_ARB 0x86A1
#endif
#ifndef GL_COMPRESSED_RGB_S3TC_DXT1_EXT
#define GL_COMPRESSED_RGB_S3TC_DXT1_EXT 0x83F0
#define GL_COMPRESSED_RGBA_S3TC_DXT1_EXT 0x83F1
#define GL_COMPRESSED_RGBA_S3TC_DXT3_EXT 0x83F2
#define GL_COMPRESSED_RGBA_S3TC_DXT5_EXT 0x83F3
#endif

// OpenGL 1.5 buffer objects, through wglGetProcAddress (opengl32.dll exports only 1.1).
#ifndef GL_ARRAY_BUFFER
#define GL_ARRAY_BUFFER 0x8892
#define GL_ELEMENT_ARRAY_BUFFER 0x8893
#define GL_STATIC_DRAW 0x88E4
#endif
#ifndef GL_STREAM_DRAW
#define GL_STREAM_DRAW 0x88E0
#endif

namespace {

typedef ptrdiff_t GlSizeiPtr;
typedef void(APIENTRY* GenBuffersFn)(GLsizei, GLuint*);
typedef void(APIENTRY* DeleteBuffersFn)(GLsizei, const GLuint*);
typedef void(APIENTRY* BindBufferFn)(GLenum, GLuint);
typedef void(APIENTRY* BufferDataFn)(GLenum, GlSizeiPtr, const void*, GLenum);
GenBuffersFn glGenBuffersP = nullptr;
DeleteBuffersFn glDeleteBuffersP = nullptr;
BindBufferFn glBindBufferP = nullptr;
BufferDataFn glBufferDataP = nullptr;

// How each texture format code is stored in OpenGL: the internal format and the extension it
// needs (null: core OpenGL 1.1). The two DirectX layouts take their nearest OpenGL relatives.
struct GlFormat {
    int code;
    GLenum internal;
    const char* extension;
    const wchar_t* name;
};
const GlFormat kGlFormats[] = {
    {TEXFMT_RGB8, GL_RGB8, nullptr, L"RGB8"},
    {TEXFMT_R5G6B5, GL_RGB5, nullptr, L"R5G6B5"},
    {TEXFMT_A1_RGB5, GL_RGB5_A1, nullptr, L"A1_RGB5"},
    {TEXFMT_RGB5_A1, GL_RGB5_A1, "GL_EXT_packed_pixels", L"RGB5_A1"},
    {TEXFMT_RGBA8, GL_RGBA8, nullptr, L"RGBA8"},
    {TEXFMT_BGRA8, GL_RGBA8, nullptr, L"BGRA8"},
    {TEXFMT_RGB_ARB, GL_COMPRESSED_RGB_ARB, "GL_ARB_texture_compression", L"RGB_ARB"},
    {TEXFMT_RGBA_ARB, GL_COMPRESSED_RGBA_ARB, "GL_ARB_texture_compression", L"RGBA_ARB"},
    {TEXFMT_RGB_S3TC_DXT1, GL_COMPRESSED_RGB_S3TC_DXT1_EXT, "GL_EXT_texture_compression_s3tc", L"RGB_S3TC_DXT1"},
    {TEXFMT_RGBA_S3TC_DXT1, GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, "GL_EXT_texture_compression_s3tc", L"RGBA_S3TC_DXT1"},
    {TEXFMT_RGBA_S3TC_DXT3, GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, "GL_EXT_texture_compression_s3tc", L"RGBA_S3TC_DXT3"},
    {TEXFMT_RGBA_S3TC_DXT5, GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, "GL_EXT_texture_compression_s3tc", L"RGBA_S3TC_DXT5"},
};

const wchar_t* InternalFormatName(GLint f)
{
    switch (f) {
    case GL_RGB8: return L"GL_RGB8";
    case GL_RGB5: return L"GL_RGB5";
    case GL_RGB5_A1: return L"GL_RGB5_A1";
    case GL_RGBA8: return L"GL_RGBA8";
    case GL_RGB: return L"GL_RGB";
    case GL_RGBA: return L"GL_RGBA";
    case GL_COMPRESSED_RGB_ARB: return L"GL_COMPRESSED_RGB";
    case GL_COMPRESSED_RGBA_ARB: return L"GL_COMPRESSED_RGBA";
    case GL_COMPRESSED_RGB_S3TC_DXT1_EXT: return L"DXT1 (RGB)";
    case GL_COMPRESSED_RGBA_S3TC_DXT1_EXT: return L"DXT1 (RGBA)";
    case GL_COMPRESSED_RGBA_S3TC_DXT3_EXT: return L"DXT3";
    case GL_COMPRESSED_RGBA_S3TC_DXT5_EXT: return L"DXT5";
    default: return L"?";
    }
}

// A colour of the model sheet as OpenGL takes it: each component clamped to 0 .. 255.
void ToGl(const MODELCOLOR& c, GLfloat out[4])
{
    auto unit = [](short v) { return static_cast<GLfloat>(std::min<short>(255, std::max<short>(0, v))) / 255.0f; };
    out[0] = unit(c.r);
    out[1] = unit(c.g);
    out[2] = unit(c.b);
    out[3] = 1.0f;
}

GLenum ColorMaterialFace(short mode)
{
    switch (mode) {
    case MATMODE_AMBIENT: return GL_AMBIENT;
    case MATMODE_DIFFUSE: return GL_DIFFUSE;
    case MATMODE_SPECULAR: return GL_SPECULAR;
    case MATMODE_EMISSION: return GL_EMISSION;
    case MATMODE_AMBIENT_AND_DIFFUSE: return GL_AMBIENT_AND_DIFFUSE;
    default: return 0;   // none: the material alone colours the surface
    }
}

// The view's projection.
const float kFieldOfView = 38.0f, kNear = 0.05f, kFar = 40.0f;

}  // namespace

bool GlScene::Create(HWND hwnd, std::wstring* error)
{
    Destroy();
    hwnd_ = hwnd;
    dc_ = GetDC(hwnd);
    PIXELFORMATDESCRIPTOR pfd = {};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
    pfd.cDepthBits = 24;
    pfd.iLayerType = PFD_MAIN_PLANE;
    const int format = dc_ ? ChoosePixelFormat(dc_, &pfd) : 0;
    if (format == 0 || !SetPixelFormat(dc_, format, &pfd)) {
        *error = L"ChoosePixelFormat/SetPixelFormat";
        Destroy();
        return false;
    }
    rc_ = wglCreateContext(dc_);
    if (!rc_ || !wglMakeCurrent(dc_, rc_)) {
        *error = L"wglCreateContext/wglMakeCurrent";
        Destroy();
        return false;
    }
    return true;
}

bool GlScene::LoadBufferFunctions()
{
    if (bufferFunctions_ < 0) {
        glGenBuffersP = reinterpret_cast<GenBuffersFn>(reinterpret_cast<void*>(wglGetProcAddress("glGenBuffers")));
        glDeleteBuffersP = reinterpret_cast<DeleteBuffersFn>(reinterpret_cast<void*>(wglGetProcAddress("glDeleteBuffers")));
        glBindBufferP = reinterpret_cast<BindBufferFn>(reinterpret_cast<void*>(wglGetProcAddress("glBindBuffer")));
        glBufferDataP = reinterpret_cast<BufferDataFn>(reinterpret_cast<void*>(wglGetProcAddress("glBufferData")));
        bufferFunctions_ = glGenBuffersP && glDeleteBuffersP && glBindBufferP && glBufferDataP ? 1 : 0;
    }
    return bufferFunctions_ == 1;
}

void GlScene::DeleteBuffers()
{
    if (rc_ && buffers_[0])
        glDeleteBuffersP(kBufferCount, buffers_);
    std::memset(buffers_, 0, sizeof buffers_);
}

void GlScene::SetMesh(const TerrainMesh* mesh, const TerrainLod* lod)
{
    mesh_ = mesh;
    lod_ = mesh && lod && !lod->chunks.empty() ? lod : nullptr;
    selection_ = LodSelection();
    if (!rc_ || !LoadBufferFunctions())
        return;
    DeleteBuffers();
    if (!mesh)
        return;
    glGenBuffersP(kBufferCount, buffers_);
    auto upload = [](GLenum target, GLuint buffer, const void* data, size_t bytes) {
        glBindBufferP(target, buffer);
        glBufferDataP(target, static_cast<GlSizeiPtr>(bytes), bytes ? data : nullptr, GL_STATIC_DRAW);
    };
    upload(GL_ARRAY_BUFFER, buffers_[kPositions], mesh->positions.data(), mesh->positions.size() * sizeof(float));
    upload(GL_ARRAY_BUFFER, buffers_[kNormals], mesh->normals.data(), mesh->normals.size() * sizeof(float));
    upload(GL_ARRAY_BUFFER, buffers_[kTexcoords], mesh->texcoords.data(), mesh->texcoords.size() * sizeof(float));
    upload(GL_ARRAY_BUFFER, buffers_[kColours], colours_.data(), colours_.size());
    upload(GL_ELEMENT_ARRAY_BUFFER, buffers_[kTriangles], mesh->indices.data(), mesh->indices.size() * sizeof(uint32_t));
    upload(GL_ELEMENT_ARRAY_BUFFER, buffers_[kLines], mesh->gridLines.data(), mesh->gridLines.size() * sizeof(uint32_t));
    glBindBufferP(GL_ARRAY_BUFFER, 0);
    glBindBufferP(GL_ELEMENT_ARRAY_BUFFER, 0);
    if (glGetError() == GL_OUT_OF_MEMORY)
        DeleteBuffers();   // drawn from client memory instead
}

void GlScene::SetColours(std::vector<uint8_t> rgb)
{
    colours_ = std::move(rgb);
    if (rc_ && buffers_[0]) {
        glBindBufferP(GL_ARRAY_BUFFER, buffers_[kColours]);
        glBufferDataP(GL_ARRAY_BUFFER, static_cast<GlSizeiPtr>(colours_.size()), colours_.empty() ? nullptr : colours_.data(),
                      GL_STATIC_DRAW);
        glBindBufferP(GL_ARRAY_BUFFER, 0);
    }
}

void GlScene::Destroy()
{
    if (rc_) {
        DeleteBuffers();
        if (texture_)
            glDeleteTextures(1, &texture_);
        texture_ = 0;
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(rc_);
        rc_ = nullptr;
    }
    if (dc_)
        ReleaseDC(hwnd_, dc_);
    dc_ = nullptr;
    hwnd_ = nullptr;
}

std::string GlScene::Renderer() const
{
    const char* r = rc_ ? reinterpret_cast<const char*>(glGetString(GL_RENDERER)) : nullptr;
    return r ? r : "";
}

bool GlScene::HasExtension(const char* name) const
{
    const char* all = rc_ ? reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)) : nullptr;
    const size_t n = name ? std::strlen(name) : 0;
    if (!all || n == 0)
        return false;
    for (const char* p = std::strstr(all, name); p; p = std::strstr(p + 1, name))
        if ((p == all || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0'))
            return true;
    return false;
}

bool GlScene::SetTexture(const std::vector<uint8_t>& rgb, int width, int height, int formatCode,
                         std::wstring* description)
{
    if (!rc_ || width <= 0 || height <= 0 || rgb.size() < static_cast<size_t>(width) * height * 3)
        return false;
    const GlFormat* format = &kGlFormats[0];
    for (const GlFormat& f : kGlFormats)
        if (f.code == formatCode)
            format = &f;
    std::wstring note;
    if (format->extension && !HasExtension(format->extension)) {
        note = std::wstring(L" (驱动不支持 ") + format->name + L")";
        format = &kGlFormats[0];
    }

    if (!texture_)
        glGenTextures(1, &texture_);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    // BGRA8 is the DirectX byte order: hand the pixels over in that order.
    const std::vector<uint8_t>* pixels = &rgb;
    std::vector<uint8_t> bgr;
    GLenum source = GL_RGB;
    if (formatCode == TEXFMT_BGRA8 && HasExtension("GL_EXT_bgra")) {
        bgr.resize(static_cast<size_t>(width) * height * 3);
        for (size_t i = 0; i < bgr.size(); i += 3) {
            bgr[i] = rgb[i + 2];
            bgr[i + 1] = rgb[i + 1];
            bgr[i + 2] = rgb[i];
        }
        pixels = &bgr;
        source = GL_BGR_EXT;
    }
    // gluBuild2DMipmaps scales a picture of any size to powers of two the driver takes.
    const GLint failed = gluBuild2DMipmaps(GL_TEXTURE_2D, static_cast<GLint>(format->internal), width, height,
                                           source, GL_UNSIGNED_BYTE, pixels->data());
    if (failed) {
        ClearTexture();
        return false;
    }
    GLint held = 0, w = 0, h = 0, compressed = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &held);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    if (HasExtension("GL_ARB_texture_compression"))
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_COMPRESSED_ARB, &compressed);
    while (glGetError() != GL_NO_ERROR) {
    }
    wchar_t text[160];
    swprintf(text, 160, L"%ls %dx%d %ls%ls%ls", format->name, w, h, InternalFormatName(held),
             compressed ? L" 压缩" : L"", note.c_str());
    *description = text;
    return true;
}

void GlScene::ClearTexture()
{
    if (rc_ && texture_)
        glDeleteTextures(1, &texture_);
    texture_ = 0;
}

void GlScene::Render(const OrbitCamera& camera, int x, int y, int w, int h, RenderMode mode) const
{
    if (!rc_ || w <= 0 || h <= 0)
        return;
    const bool flat = mode == RenderMode::Flat;
    glViewport(x, y, w, h);
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, y, w, h);
    GLfloat back[4];
    ToGl(look_.backColor, back);
    if (flat)
        glClearColor(kFlatBackground.r / 255.0f, kFlatBackground.g / 255.0f, kFlatBackground.b / 255.0f, 1.0f);
    else
        glClearColor(back[0], back[1], back[2], 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (!mesh_ || mesh_->indices.empty()) {
        glDisable(GL_SCISSOR_TEST);
        return;
    }

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(kFieldOfView, static_cast<double>(w) / h, kNear, kFar);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    float eye[3];
    camera.Eye(eye);
    gluLookAt(eye[0], eye[1], eye[2], 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);

    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glShadeModel(flat ? GL_FLAT : GL_SMOOTH);
    const bool haveColours = colours_.size() == mesh_->positions.size();

    if (flat) {
        glDisable(GL_LIGHTING);
        glDisable(GL_FOG);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_COLOR_MATERIAL);
    } else {
        // Sun from the north-west, fixed in the scene.
        const GLfloat sun[4] = {-0.55f, 0.8f, -0.45f, 0.0f};
        GLfloat c[4];
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        glLightfv(GL_LIGHT0, GL_POSITION, sun);
        ToGl(look_.lightAmbient, c);
        glLightfv(GL_LIGHT0, GL_AMBIENT, c);
        ToGl(look_.lightDiffuse, c);
        glLightfv(GL_LIGHT0, GL_DIFFUSE, c);
        ToGl(look_.lightSpecular, c);
        glLightfv(GL_LIGHT0, GL_SPECULAR, c);
        const GLfloat noGlobal[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, noGlobal);

        glDisable(GL_COLOR_MATERIAL);
        ToGl(look_.matAmbient, c);
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, c);
        ToGl(look_.matDiffuse, c);
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, c);
        ToGl(look_.matSpecular, c);
        glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, c);
        ToGl(look_.matEmission, c);
        glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, c);
        glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS,
                    static_cast<GLfloat>(std::min<short>(128, std::max<short>(0, look_.shininess))));
        const GLenum face = ColorMaterialFace(look_.matMode);
        if (face) {
            glColorMaterial(GL_FRONT_AND_BACK, face);
            glEnable(GL_COLOR_MATERIAL);
        }

        const float density = look_.fogDensity;
        if (density > 0.0f) {   // also false for NaN
            ToGl(look_.fogColor, c);
            glEnable(GL_FOG);
            glFogi(GL_FOG_MODE, GL_EXP);
            glFogf(GL_FOG_DENSITY, std::min(1.0f, density));
            glFogfv(GL_FOG_COLOR, c);
        } else {
            glDisable(GL_FOG);
        }

        if (texture_) {
            glEnable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, texture_);
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        } else {
            glDisable(GL_TEXTURE_2D);
        }
    }

    // A draped texture replaces the layer colours: the surface is white under it.
    const bool useColours = haveColours && (flat || !texture_);
    if (!useColours)
        glColor3f(1.0f, 1.0f, 1.0f);
    const bool lines = gridLines_ && !flat && !mesh_->gridLines.empty();
    if (lines) {
        glEnable(GL_POLYGON_OFFSET_FILL);
        glPolygonOffset(1.0f, 1.0f);
    }
    // The levels of detail for this view, unless the graticule needs the whole mesh under it.
    const std::vector<uint32_t>* indices = nullptr;
    selection_ = LodSelection();
    if (lod_ && !perVertex_ && !lines && (detailPixels_ > 0.0f || levelPattern_)) {
        if (levelPattern_) {
            SelectLodPattern(*lod_, levelPattern_, &selection_);
        } else {
            const float target[3] = {0.0f, 0.0f, 0.0f};
            const LodView view = MakeLodView(eye, target, kFieldOfView, w, h, kNear, kFar);
            SelectLodLevels(*lod_, view, detailPixels_, triangleBudget_, &selection_);
        }
        AssembleLodIndices(*lod_, selection_, &frameIndices_);
        selection_.triangles = frameIndices_.size() / 3;
        indices = &frameIndices_;
    }
    DrawSurface(!flat, useColours, texture_ && !flat, indices);
    glDisable(GL_POLYGON_OFFSET_FILL);

    if (lines) {
        GLfloat c[4];
        ToGl(look_.lineColor, c);
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glColor3fv(c);
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(3, GL_FLOAT, 0, Source(kPositions, mesh_->positions.data()));
        glDrawElements(GL_LINES, static_cast<GLsizei>(mesh_->gridLines.size()), GL_UNSIGNED_INT,
                       Source(kLines, mesh_->gridLines.data()));
        UnbindBuffers();
        glDisableClientState(GL_VERTEX_ARRAY);
    }
    glDisable(GL_SCISSOR_TEST);
}

void GlScene::DrawSurface(bool normals, bool colours, bool texcoords, const std::vector<uint32_t>* indices) const
{
    if (perVertex_)
        return DrawSurfacePerVertex(normals, colours, texcoords);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, Source(kPositions, mesh_->positions.data()));
    if (normals) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, 0, Source(kNormals, mesh_->normals.data()));
    }
    if (colours) {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(3, GL_UNSIGNED_BYTE, 0, Source(kColours, colours_.data()));
    }
    if (texcoords) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, 0, Source(kTexcoords, mesh_->texcoords.data()));
    }
    if (indices) {
        // This frame's levels: handed over anew each frame, drawn with one call.
        const void* offset = Source(kFrame, indices->data());
        if (buffers_[0])
            glBufferDataP(GL_ELEMENT_ARRAY_BUFFER, static_cast<GlSizeiPtr>(indices->size() * sizeof(uint32_t)),
                          indices->empty() ? nullptr : indices->data(), GL_STREAM_DRAW);
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indices->size()), GL_UNSIGNED_INT, offset);
    } else {
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(mesh_->indices.size()), GL_UNSIGNED_INT,
                       Source(kTriangles, mesh_->indices.data()));
    }
    UnbindBuffers();
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

const void* GlScene::Source(int buffer, const void* memory) const
{
    if (!buffers_[0])
        return memory;
    const bool indices = buffer == kTriangles || buffer == kLines || buffer == kFrame;
    glBindBufferP(indices ? GL_ELEMENT_ARRAY_BUFFER : GL_ARRAY_BUFFER, buffers_[buffer]);
    return nullptr;
}

void GlScene::UnbindBuffers() const
{
    if (!buffers_[0])
        return;
    glBindBufferP(GL_ARRAY_BUFFER, 0);
    glBindBufferP(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void GlScene::DrawSurfacePerVertex(bool normals, bool colours, bool texcoords) const
{
    const float* p = mesh_->positions.data();
    const float* n = mesh_->normals.data();
    const float* t = mesh_->texcoords.data();
    const uint8_t* c = colours_.data();
    glBegin(GL_TRIANGLES);
    for (uint32_t i : mesh_->indices) {
        if (normals)
            glNormal3fv(n + i * 3);
        if (colours)
            glColor3ubv(c + i * 3);
        if (texcoords)
            glTexCoord2fv(t + i * 2);
        glVertex3fv(p + i * 3);
    }
    glEnd();
}

void GlScene::Present() const
{
    if (dc_)
        SwapBuffers(dc_);
}

void GlScene::Read(int x, int y, int w, int h, bool bgra, std::vector<uint8_t>* pixels) const
{
    pixels->assign(static_cast<size_t>(std::max(w, 0)) * std::max(h, 0) * 4, 0);
    if (!rc_ || pixels->empty())
        return;
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, w, h, bgra ? GL_BGRA_EXT : GL_RGBA, GL_UNSIGNED_BYTE, pixels->data());
}
