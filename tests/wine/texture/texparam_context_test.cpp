// The OpenGL context behind the format list of _SetTexParamDlg. The library's
// calls to OpenGL, WGL and the window functions around them are watched through
// its import table: the order of the calls, the pixel format asked for, the
// hidden window, what is released, a host's context left alone, and every step
// of the context's making failed on purpose.
#include <gtest/gtest.h>

#include <windows.h>
#include <GL/gl.h>

#include <string>
#include <vector>

#include "texparam_imports.h"
#include "texparam_support.h"

namespace {

using namespace texparam;

const wchar_t kContextWndClass[] = L"OroscapeTexParamGL";

HMODULE Library() { return GetModuleHandleW(L"Oroscape.dll"); }

// ---------------------------------------------------------------------------
// The trace

struct Trace {
    bool recording = false;
    std::vector<std::string> calls;
    std::string failing;                  // the call to fail, by name; empty: none
    bool overrideExtensions = false;      // glGetString answers `extensions` instead of the driver
    const char* extensions = nullptr;
    std::vector<HDC> screenDcs;
    HGLRC own = nullptr;
    PIXELFORMATDESCRIPTOR pfd = {};
    int choices = 0;
    CREATESTRUCTW window = {};
    std::wstring windowClass;
    HINSTANCE classInstance = nullptr;
    UINT classStyle = 0;
    int dcs = 0, dcsReleased = 0, windows = 0, windowsDestroyed = 0;
    int contexts = 0, contextsDeleted = 0, classes = 0, classesUnregistered = 0;
};
Trace g;

void Log(const std::string& call)
{
    if (g.recording)
        g.calls.push_back(call);
}

bool Failing(const char* name) { return g.recording && g.failing == name; }

const char* Kind(HDC dc)
{
    for (HDC s : g.screenDcs)
        if (s == dc)
            return "screen";
    return "window";
}

HDC(WINAPI* realGetDC)(HWND);
int(WINAPI* realReleaseDC)(HWND, HDC);
HWND(WINAPI* realCreateWindowExW)(DWORD, LPCWSTR, LPCWSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE, LPVOID);
BOOL(WINAPI* realDestroyWindow)(HWND);
ATOM(WINAPI* realRegisterClassExW)(const WNDCLASSEXW*);
BOOL(WINAPI* realUnregisterClassW)(LPCWSTR, HINSTANCE);
int(WINAPI* realChoosePixelFormat)(HDC, const PIXELFORMATDESCRIPTOR*);
BOOL(WINAPI* realSetPixelFormat)(HDC, int, const PIXELFORMATDESCRIPTOR*);
HGLRC(WINAPI* realWglCreateContext)(HDC);
BOOL(WINAPI* realWglMakeCurrent)(HDC, HGLRC);
BOOL(WINAPI* realWglDeleteContext)(HGLRC);
HGLRC(WINAPI* realWglGetCurrentContext)();
const GLubyte*(APIENTRY* realGlGetString)(GLenum);

HDC WINAPI HookGetDC(HWND wnd)
{
    const std::string where = wnd ? "window" : "screen";
    if (Failing("GetDC")) {
        Log("GetDC(" + where + ")=null");
        return nullptr;
    }
    HDC dc = realGetDC(wnd);
    if (g.recording && dc) {
        if (!wnd)
            g.screenDcs.push_back(dc);
        ++g.dcs;
    }
    Log("GetDC(" + where + ")");
    return dc;
}

int WINAPI HookReleaseDC(HWND wnd, HDC dc)
{
    Log(std::string("ReleaseDC(") + (wnd ? "window" : "screen") + ")");
    int r = realReleaseDC(wnd, dc);
    if (g.recording && r)
        ++g.dcsReleased;
    return r;
}

HWND WINAPI HookCreateWindowExW(DWORD exStyle, LPCWSTR cls, LPCWSTR name, DWORD style, int x, int y, int cx, int cy,
                                HWND parent, HMENU menu, HINSTANCE inst, LPVOID param)
{
    Log("CreateWindowExW");
    HWND w = realCreateWindowExW(exStyle, cls, name, style, x, y, cx, cy, parent, menu, inst, param);
    if (g.recording) {
        g.window.dwExStyle = exStyle;
        g.window.style = static_cast<LONG>(style);
        g.window.x = x;
        g.window.y = y;
        g.window.cx = cx;
        g.window.cy = cy;
        g.window.hwndParent = parent;
        g.windowClass = IS_INTRESOURCE(cls) ? L"#atom" : cls;
        if (w)
            ++g.windows;
    }
    return w;
}

BOOL WINAPI HookDestroyWindow(HWND w)
{
    Log("DestroyWindow");
    BOOL r = realDestroyWindow(w);
    if (g.recording && r)
        ++g.windowsDestroyed;
    return r;
}

ATOM WINAPI HookRegisterClassExW(const WNDCLASSEXW* wc)
{
    Log("RegisterClassExW");
    ATOM a = realRegisterClassExW(wc);
    if (g.recording) {
        g.classInstance = wc->hInstance;
        g.classStyle = wc->style;
        if (a)
            ++g.classes;
    }
    return a;
}

BOOL WINAPI HookUnregisterClassW(LPCWSTR cls, HINSTANCE inst)
{
    Log("UnregisterClassW");
    BOOL r = realUnregisterClassW(cls, inst);
    if (g.recording && r)
        ++g.classesUnregistered;
    return r;
}

int WINAPI HookChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* pfd)
{
    Log(std::string("ChoosePixelFormat(") + Kind(dc) + ")");
    if (g.recording && pfd) {
        g.pfd = *pfd;
        ++g.choices;
    }
    if (Failing("ChoosePixelFormat"))
        return 0;
    return realChoosePixelFormat(dc, pfd);
}

BOOL WINAPI HookSetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR* pfd)
{
    BOOL r = Failing("SetPixelFormat") ? FALSE : realSetPixelFormat(dc, format, pfd);
    Log(std::string("SetPixelFormat(") + Kind(dc) + ")=" + (r ? "1" : "0"));
    return r;
}

HGLRC WINAPI HookWglCreateContext(HDC dc)
{
    Log(std::string("wglCreateContext(") + Kind(dc) + ")");
    if (Failing("wglCreateContext"))
        return nullptr;
    HGLRC rc = realWglCreateContext(dc);
    if (g.recording && rc) {
        g.own = rc;
        ++g.contexts;
    }
    return rc;
}

BOOL WINAPI HookWglMakeCurrent(HDC dc, HGLRC rc)
{
    if (dc == nullptr && rc == nullptr) {
        Log("wglMakeCurrent(null)");
        return realWglMakeCurrent(dc, rc);
    }
    Log(std::string("wglMakeCurrent(") + Kind(dc) + ")");
    if (Failing("wglMakeCurrent"))
        return FALSE;
    return realWglMakeCurrent(dc, rc);
}

BOOL WINAPI HookWglDeleteContext(HGLRC rc)
{
    Log(std::string("wglDeleteContext(") + (rc == g.own ? "own" : "other") + ")");
    BOOL r = realWglDeleteContext(rc);
    if (g.recording && r)
        ++g.contextsDeleted;
    return r;
}

HGLRC WINAPI HookWglGetCurrentContext()
{
    HGLRC rc = realWglGetCurrentContext();
    Log(std::string("wglGetCurrentContext=") + (rc == nullptr ? "null" : rc == g.own ? "own" : "other"));
    return rc;
}

const GLubyte* APIENTRY HookGlGetString(GLenum name)
{
    Log(name == GL_EXTENSIONS ? "glGetString(GL_EXTENSIONS)" : "glGetString(other)");
    if (g.recording && g.overrideExtensions && name == GL_EXTENSIONS)
        return reinterpret_cast<const GLubyte*>(g.extensions);
    return realGlGetString(name);
}

// Puts every hook in place for its lifetime and records what the library calls meanwhile.
class Watch {
public:
    Watch()
    {
        g = Trace();
        Add("user32.dll", "GetDC", &HookGetDC, &realGetDC);
        Add("user32.dll", "ReleaseDC", &HookReleaseDC, &realReleaseDC);
        Add("user32.dll", "CreateWindowExW", &HookCreateWindowExW, &realCreateWindowExW);
        Add("user32.dll", "DestroyWindow", &HookDestroyWindow, &realDestroyWindow);
        Add("user32.dll", "RegisterClassExW", &HookRegisterClassExW, &realRegisterClassExW);
        Add("user32.dll", "UnregisterClassW", &HookUnregisterClassW, &realUnregisterClassW);
        Add("gdi32.dll", "ChoosePixelFormat", &HookChoosePixelFormat, &realChoosePixelFormat);
        Add("gdi32.dll", "SetPixelFormat", &HookSetPixelFormat, &realSetPixelFormat);
        Add("opengl32.dll", "wglCreateContext", &HookWglCreateContext, &realWglCreateContext);
        Add("opengl32.dll", "wglMakeCurrent", &HookWglMakeCurrent, &realWglMakeCurrent);
        Add("opengl32.dll", "wglDeleteContext", &HookWglDeleteContext, &realWglDeleteContext);
        Add("opengl32.dll", "wglGetCurrentContext", &HookWglGetCurrentContext, &realWglGetCurrentContext);
        Add("opengl32.dll", "glGetString", &HookGlGetString, &realGlGetString);
        g.recording = true;
    }
    ~Watch()
    {
        g.recording = false;
        for (texparam::ImportHook* h : hooks_)
            delete h;
    }
    bool AllInstalled() const { return missing_.empty(); }
    const std::string& Missing() const { return missing_; }
    // Stops recording (the test's own checks come next).
    void Stop() { g.recording = false; }

private:
    template <class F>
    void Add(const char* dll, const char* name, F replacement, F* original)
    {
        auto* h = new texparam::ImportHook(Library(), dll, name, reinterpret_cast<void*>(replacement),
                                           reinterpret_cast<void**>(original));
        if (!h->Installed())
            missing_ += std::string(" ") + name;
        hooks_.push_back(h);
    }
    std::vector<texparam::ImportHook*> hooks_;
    std::string missing_;
};

std::vector<std::string> Repeat(const std::string& call, int times) { return std::vector<std::string>(times, call); }

std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

// Seven formats need an extension (4, 7 to 12): the string is asked for once for each.
const int kExtensionQueries = 7;

// Whether a dialog was started and whether it was ever shown, on the calling thread.
struct DialogWatch {
    static DialogWatch* current;
    HHOOK hook = nullptr;
    int initialised = 0;
    int shown = 0;
    DialogWatch()
    {
        current = this;
        hook = SetWindowsHookExW(WH_CALLWNDPROC, &Proc, nullptr, GetCurrentThreadId());
    }
    ~DialogWatch()
    {
        if (hook)
            UnhookWindowsHookEx(hook);
        current = nullptr;
    }
    static LRESULT CALLBACK Proc(int code, WPARAM wp, LPARAM lp)
    {
        auto* m = reinterpret_cast<CWPSTRUCT*>(lp);
        if (code == HC_ACTION && current != nullptr && ui::Caption(m->hwnd) == kCaption) {
            if (m->message == WM_INITDIALOG)
                ++current->initialised;
            if (m->message == WM_SHOWWINDOW && m->wParam)
                ++current->shown;
        }
        return CallNextHookEx(nullptr, code, wp, lp);
    }
};
DialogWatch* DialogWatch::current = nullptr;

bool ContextClassRegistered()
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    return GetClassInfoExW(Library(), kContextWndClass, &wc) != FALSE;
}

// ---------------------------------------------------------------------------

TEST(TexParamContext, OwnContextIsMadeOnAHiddenWindowNeverTheScreenAndIsReleasedBeforeTheUserWorks)
{
    ASSERT_EQ(wglGetCurrentContext(), nullptr);
    Watch watch;
    ASSERT_TRUE(watch.AllInstalled()) << "not imported:" << watch.Missing();
    DialogWatch dialogs;

    ui::Script s;
    HGLRC currentMeanwhile = reinterpret_cast<HGLRC>(1);
    bool windowLeft = true;
    int formats = 0;
    s.Step("look at the running dialog", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaption, L"#32770");
        formats = c.ComboCount(c.Item(d, IDC_FORMAT));
        c.RunOnUi([&] {
            currentMeanwhile = wglGetCurrentContext();
            windowLeft = FindWindowW(kContextWndClass, nullptr) != nullptr;
        });
        c.Click(d, IDOK);
    });
    Outcome o = RunDialog(nullptr, s);
    watch.Stop();
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(formats, static_cast<int>(FormatsFor(DriverExtensions()).size()));
    EXPECT_EQ(dialogs.initialised, 1);
    EXPECT_GE(dialogs.shown, 1) << "the watch sees a dialog that is shown";
    EXPECT_EQ(currentMeanwhile, nullptr) << "no context is current while the user works";
    EXPECT_FALSE(windowLeft) << "the hidden window is gone before the user works";

    // The context is made on the library's hidden window; the screen's device context, whose
    // pixel format would stay on the desktop window, is never asked.
    const std::vector<std::string> expected =
        Concat({{"wglGetCurrentContext=null", "RegisterClassExW", "CreateWindowExW", "GetDC(window)",
                 "ChoosePixelFormat(window)", "SetPixelFormat(window)=1", "wglCreateContext(window)",
                 "wglMakeCurrent(window)"},
                Repeat("glGetString(GL_EXTENSIONS)", kExtensionQueries),
                {"wglGetCurrentContext=own", "wglMakeCurrent(null)", "wglDeleteContext(own)", "ReleaseDC(window)",
                 "DestroyWindow", "UnregisterClassW"}});
    EXPECT_EQ(g.calls, expected);

    // The pixel format asked for.
    EXPECT_EQ(g.pfd.nSize, 40);
    EXPECT_EQ(g.pfd.nVersion, 1);
    EXPECT_EQ(g.pfd.dwFlags, 0x25u);
    EXPECT_EQ(g.pfd.iPixelType, PFD_TYPE_RGBA);
    EXPECT_EQ(g.pfd.cColorBits, 24);
    EXPECT_EQ(g.pfd.cDepthBits, 32);
    EXPECT_EQ(g.pfd.iLayerType, PFD_MAIN_PLANE);
    EXPECT_EQ(g.pfd.cAlphaBits + g.pfd.cStencilBits + g.pfd.cAccumBits + g.pfd.cAuxBuffers, 0);

    // A 1 x 1 pop-up, never shown, of a class of the library's own instance.
    EXPECT_EQ(g.windowClass, kContextWndClass);
    EXPECT_EQ(static_cast<DWORD>(g.window.style) & (WS_POPUP | WS_VISIBLE | WS_CHILD), DWORD(WS_POPUP));
    EXPECT_EQ(g.window.cx, 1);
    EXPECT_EQ(g.window.cy, 1);
    EXPECT_EQ(g.window.hwndParent, nullptr);
    EXPECT_EQ(g.classInstance, Library());
    EXPECT_TRUE(g.classStyle & CS_OWNDC);
    // Everything obtained went back.
    EXPECT_EQ(g.dcs, g.dcsReleased);
    EXPECT_EQ(g.windows, g.windowsDestroyed);
    EXPECT_EQ(g.contexts, 1);
    EXPECT_EQ(g.contextsDeleted, 1);
    EXPECT_EQ(g.classes, g.classesUnregistered);
    EXPECT_FALSE(ContextClassRegistered());
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
}

TEST(TexParamContext, HostsCurrentContextAnswersAndStaysCurrent)
{
    HostGlContext host;
    ASSERT_TRUE(host.MakeCurrent());
    const std::vector<std::wstring> expected =
        FormatsFor(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)));

    Watch watch;
    ASSERT_TRUE(watch.AllInstalled()) << "not imported:" << watch.Missing();
    ui::Script s;
    HGLRC currentMeanwhile = nullptr;
    std::vector<std::wstring> formats;
    s.Step("look at the running dialog", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaption, L"#32770");
        formats = ComboItems(c, c.Item(d, IDC_FORMAT));
        c.RunOnUi([&] { currentMeanwhile = wglGetCurrentContext(); });
        c.Click(d, IDCANCEL);
    });
    Outcome o = RunDialog(nullptr, s);
    watch.Stop();
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(Join(formats), Join(expected));
    EXPECT_EQ(currentMeanwhile, host.Context());
    EXPECT_EQ(wglGetCurrentContext(), host.Context()) << "the host's context is current after the call";
    EXPECT_EQ(g.calls, Concat({{"wglGetCurrentContext=other"}, Repeat("glGetString(GL_EXTENSIONS)", kExtensionQueries)}))
        << "nothing is made, made current or released";
    EXPECT_EQ(g.contexts, 0);
}

TEST(TexParamContext, ExtensionStringDecidesTheList)
{
    const struct {
        const char* extensions;
        std::vector<std::wstring> formats;
    } cases[] = {
        {nullptr, {L"RGB8", L"RGBA8", L"BGRA8"}},
        {"GL_EXT_packed_pixels_x GL_ARB_texture_compression GL_EXT_texture_compression_s3tc_srgb",
         {L"RGB8", L"RGBA8", L"BGRA8", L"RGB_ARB", L"RGBA_ARB"}},
        {"GL_EXT_texture_compression_s3tc GL_EXT_packed_pixels GL_ARB_texture_compression",
         {L"RGB8", L"RGB5_A1", L"RGBA8", L"BGRA8", L"RGB_ARB", L"RGBA_ARB", L"RGB_S3TC_DXT1", L"RGBA_S3TC_DXT1",
          L"RGBA_S3TC_DXT3", L"RGBA_S3TC_DXT5"}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.extensions ? k.extensions : "(no string)");
        Watch watch;
        ASSERT_TRUE(watch.AllInstalled()) << "not imported:" << watch.Missing();
        g.overrideExtensions = true;
        g.extensions = k.extensions;
        ui::Script s;
        std::vector<std::wstring> formats;
        s.Step("read the format list", [&](ui::Ctx& c) {
            HWND d = c.WaitWindow(kCaption, L"#32770");
            formats = ComboItems(c, c.Item(d, IDC_FORMAT));
            c.Click(d, IDCANCEL);
        });
        RunDialog(nullptr, s);
        watch.Stop();
        EXPECT_EQ(Join(formats), Join(k.formats));
        int queries = 0;
        for (const std::string& call : g.calls)
            queries += call == "glGetString(GL_EXTENSIONS)";
        EXPECT_EQ(queries, kExtensionQueries) << "the string is fetched anew for each format";
    }
}

TEST(TexParamContext, ContextThatCannotBeMadeEndsTheDialogUnseenAndReleasesEverything)
{
    for (const char* failing : {"GetDC", "ChoosePixelFormat", "SetPixelFormat", "wglCreateContext", "wglMakeCurrent"}) {
        SCOPED_TRACE(failing);
        ASSERT_EQ(wglGetCurrentContext(), nullptr);
        Watch watch;
        ASSERT_TRUE(watch.AllInstalled()) << "not imported:" << watch.Missing();
        g.failing = failing;
        DialogWatch dialogs;
        ui::Script s;  // no step: the dialog must end by itself
        Outcome o = RunDialog(nullptr, s);
        watch.Stop();
        EXPECT_EQ(o.result, 0);
        ExpectUntouched(o);
        EXPECT_EQ(dialogs.initialised, 1) << "the dialog started";
        EXPECT_EQ(dialogs.shown, 0) << "and was never shown";
        // The hidden window was tried, and everything went back.
        bool triedWindow = false;
        for (const std::string& call : g.calls)
            triedWindow = triedWindow || call == "CreateWindowExW";
        EXPECT_TRUE(triedWindow);
        EXPECT_EQ(g.dcs, g.dcsReleased);
        EXPECT_EQ(g.windows, g.windowsDestroyed);
        EXPECT_EQ(g.contexts, g.contextsDeleted);
        EXPECT_EQ(g.classes, g.classesUnregistered);
        EXPECT_FALSE(ContextClassRegistered());
        EXPECT_EQ(wglGetCurrentContext(), nullptr);
        EXPECT_EQ(g.calls.back(), "UnregisterClassW") << "the last thing done is the clean-up";
    }
}

TEST(TexParamContext, GuiResourceCountsAreBackWhereTheyWere)
{
    auto counts = [] {
        return std::make_pair(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
                              GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
    };
    if (counts().first == 0)
        GTEST_SKIP() << "GetGuiResources counts nothing on this system (Wine: not implemented); the import "
                        "watch above checks the balance instead";
    auto runOnce = [] {
        ui::Script s;
        s.Step("confirm", [](ui::Ctx& c) { c.Click(c.WaitWindow(kCaption, L"#32770"), IDOK); });
        RunDialog(nullptr, s);
    };
    runOnce();  // first use: the system's own one-time allocations
    const auto before = counts();
    for (int i = 0; i < 3; ++i)
        runOnce();
    EXPECT_EQ(counts(), before);
}

}  // namespace
