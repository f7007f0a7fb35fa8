// The module state around the guarded exports, as a host built on the same framework sees it (the
// per-thread slot is shared by every module of the process): a host that switched to a state of its
// own gets it back after every guarded export on every path - OK, Cancel, a dialog that cannot
// start, a null argument, a guarded export called from inside another's dialog - while inside each
// dialog the library's own state is current. A second UI thread of the host, with a state of its
// own, runs dialogs at the same time as the first, and short-lived threads leave nothing behind.
#include <gtest/gtest.h>

#include <windows.h>
#include <process.h>

#include <string.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "afx/afxstate.h"
#include "include/oroscape.h"
#include "levels.h"
#include "passes.h"
#include "res/resource.h"
#include "test_hostdir.h"
#include "texparam_imports.h"
#include "uidriver_gtest.h"
#include "res/captions.h"

namespace {

HMODULE Library() { return GetModuleHandleW(L"Oroscape.dll"); }

// The state current on this thread whenever one of its windows is activated (inside a modal loop
// of the library, that is the library's): recorded by a CBT hook of the thread.
thread_local std::vector<AFX_MODULE_STATE*>* t_seen = nullptr;

LRESULT CALLBACK RecordState(int code, WPARAM wp, LPARAM lp)
{
    if (code == HCBT_ACTIVATE && t_seen != nullptr)
        t_seen->push_back(AfxGetThreadModuleState());
    return CallNextHookEx(nullptr, code, wp, lp);
}

class StateProbe {
public:
    StateProbe() : hook_(SetWindowsHookExW(WH_CBT, RecordState, nullptr, GetCurrentThreadId())) { t_seen = &seen_; }
    ~StateProbe()
    {
        t_seen = nullptr;
        UnhookWindowsHookEx(hook_);
    }
    bool Installed() const { return hook_ != nullptr; }
    // Every state seen since the last call is the library's: its resources are Oroscape.dll's.
    ::testing::AssertionResult AllLibrarys(const AFX_MODULE_STATE* host)
    {
        std::vector<AFX_MODULE_STATE*> seen;
        seen.swap(seen_);
        if (seen.empty())
            return ::testing::AssertionFailure() << "no window of the export was activated";
        for (AFX_MODULE_STATE* s : seen) {
            if (s == nullptr || s == host || s->m_hCurrentResourceHandle != Library())
                return ::testing::AssertionFailure() << "a dialog ran under another module state";
        }
        return ::testing::AssertionSuccess();
    }
    void Forget() { seen_.clear(); }

private:
    HHOOK hook_;
    std::vector<AFX_MODULE_STATE*> seen_;
};

// A host's own module state, made current on the calling thread for the life of the object.
class HostState {
public:
    HostState() : state_{GetModuleHandleW(nullptr), GetModuleHandleW(nullptr)}, previous_(AfxSetModuleState(&state_)) {}
    ~HostState() { AfxSetModuleState(previous_); }
    AFX_MODULE_STATE* Get() { return &state_; }
    bool Current() const { return AfxGetThreadModuleState() == &state_; }

private:
    AFX_MODULE_STATE state_;
    AFX_MODULE_STATE* previous_;
};

int(WINAPI* realChoosePixelFormat)(HDC, const PIXELFORMATDESCRIPTOR*);
int WINAPI NoPixelFormat(HDC, const PIXELFORMATDESCRIPTOR*) { return 0; }

class ModuleState : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.WriteTable("terrain.lut", test::TableBytes("terrain", 256));
        image = rel::WriteEnviImage(host.Path(), "scene");
        video = host.Path() + "\\scene.avi";
        ASSERT_TRUE(rel::WriteAvi(video, 32, 24, 4));
        pics.reset(new test::PictureFolder);
        picture = pics->Bitmap(L"p.bmp", 40, 30, 24, RGB(200, 30, 30));
        GetCurrentDirectoryW(MAX_PATH, previousDir);
        SetCurrentDirectoryW(pics->Path().c_str());
    }
    void TearDown() override { SetCurrentDirectoryW(previousDir); }

    test::HostDir host;
    std::unique_ptr<test::PictureFolder> pics;
    std::wstring picture;
    std::string image, video;
    wchar_t previousDir[MAX_PATH] = L"";
    const float range[2] = {0.0f, 600.0f};
};

TEST_F(ModuleState, RestoredOnEveryPathOfEveryGuardedExport)
{
    HostState mine;
    StateProbe probe;
    ASSERT_TRUE(probe.Installed());

    for (bool ok : {true, false}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        rel::ChooserPass(picture, RGB(200, 30, 30), ok);
        EXPECT_TRUE(mine.Current()) << "_SelectTextureFile";
        EXPECT_TRUE(probe.AllLibrarys(mine.Get())) << "_SelectTextureFile";

        rel::TexParamPass(image, ok);
        EXPECT_TRUE(mine.Current()) << "_SetTexParamDlg";
        EXPECT_TRUE(probe.AllLibrarys(mine.Get())) << "_SetTexParamDlg";

        rel::PlaybackPass(video, ok ? 0 : 1);
        EXPECT_TRUE(mine.Current()) << "_PlayAVIWnd";
        EXPECT_TRUE(probe.AllLibrarys(mine.Get())) << "_PlayAVIWnd";

        rel::HeightColorPass(range, ok);
        EXPECT_TRUE(mine.Current()) << "_SetHeightColorDlg";
        EXPECT_TRUE(probe.AllLibrarys(mine.Get())) << "_SetHeightColorDlg";
    }

    rel::ModelHost hostWindow;
    HMODELSHEET sheet = nullptr;
    ASSERT_EQ(1, _CreateModelDialog(hostWindow.Object(), &sheet));
    EXPECT_TRUE(mine.Current()) << "_CreateModelDialog";
    for (int pass = 0; pass < 2; ++pass) {
        rel::ModelPass(sheet, hostWindow, pass);
        EXPECT_TRUE(mine.Current()) << "_ShowModelDialog";
        EXPECT_TRUE(probe.AllLibrarys(mine.Get())) << "_ShowModelDialog";
    }
    EXPECT_EQ(1, _DeleteModelDialog(&sheet));
    EXPECT_TRUE(mine.Current()) << "_DeleteModelDialog";
    EXPECT_EQ(1, _DeleteModelDialog(&sheet));
    EXPECT_TRUE(mine.Current()) << "_DeleteModelDialog of a null sheet";

    // Paths on which no dialog shows.
    probe.Forget();
    auto missing = std::make_unique<HeightColorInfo>();
    memset(missing.get(), 0, sizeof *missing);
    strcpy(missing->szName, "missing");
    missing->nLayers = 256;
    ui::Script none;
    EXPECT_EQ(-1, none.Run([&] { return _SetHeightColorDlg(range, missing.get()); }));
    EXPECT_TRUE(mine.Current()) << "_SetHeightColorDlg that cannot start";
    EXPECT_EQ(-1, _SetHeightColorDlg(nullptr, missing.get()));
    EXPECT_TRUE(mine.Current()) << "_SetHeightColorDlg without a range";
    EXPECT_EQ(-1, _PlayAVIWnd(nullptr));
    EXPECT_TRUE(mine.Current()) << "_PlayAVIWnd(NULL)";
    {
        texparam::ImportHook pixel(Library(), "gdi32.dll", "ChoosePixelFormat", reinterpret_cast<void*>(&NoPixelFormat),
                                   reinterpret_cast<void**>(&realChoosePixelFormat));
        ASSERT_TRUE(pixel.Installed());
        char format = 0x5A;
        int r = -7, g = -7, b = -7;
        ui::Script noGl;
        EXPECT_EQ(0, noGl.Run([&] { return _SetTexParamDlg(image.c_str(), &format, &r, &g, &b); }));
        EXPECT_TRUE(mine.Current()) << "_SetTexParamDlg without OpenGL";
    }
}

TEST_F(ModuleState, NullStateStaysNull)
{
    AFX_MODULE_STATE* previous = AfxSetModuleState(nullptr);
    rel::TexParamPass(image, true);
    EXPECT_EQ(nullptr, AfxGetThreadModuleState());
    rel::HeightColorPass(range, false);
    EXPECT_EQ(nullptr, AfxGetThreadModuleState());
    LayerColor colors[256];
    short count = 0;
    EXPECT_EQ(1, _ReadColorTable("terrain", colors, &count));
    EXPECT_EQ(nullptr, AfxGetThreadModuleState());
    AfxSetModuleState(previous);
}

TEST_F(ModuleState, ReaderAndAccessorsNeverTouchIt)
{
    HostState mine;
    LayerColor colors[256];
    short count = 0;
    EXPECT_EQ(1, _ReadColorTable("terrain", colors, &count));
    EXPECT_EQ(0, _ReadColorTable("missing", colors, &count));
    EXPECT_TRUE(mine.Current());
    rel::ModelHost hostWindow;
    HMODELSHEET sheet = nullptr;
    ASSERT_EQ(1, _CreateModelDialog(hostWindow.Object(), &sheet));
    // An accessor that switched states would have to put the host's back: one that forgot shows
    // here, as would one that switched without need (the slot would be written twice).
    AFX_MODULE_STATE* before = AfxGetThreadModuleState();
    MODELCOLOR c = {1, 2, 3};
    short v = 0;
    float f = 0.f;
    EXPECT_EQ(1, _SetLight_Ambient_(sheet, &c));
    EXPECT_EQ(1, _GetMaterial_Emission_(sheet, &c));
    EXPECT_EQ(1, _SetMaterial_Shininess_(sheet, 12));
    EXPECT_EQ(1, _GetMatMode_(sheet, &v));
    EXPECT_EQ(1, _SetFogDensity_(sheet, 0.5f));
    EXPECT_EQ(1, _GetFogDensity_(sheet, &f));
    EXPECT_EQ(before, AfxGetThreadModuleState());
    EXPECT_EQ(0.5f, f);
    _DeleteModelDialog(&sheet);
    EXPECT_TRUE(mine.Current());
}

// ---------------------------------------------------------------------------
// A guarded export called from inside another one's dialog: the host's Apply handler opens the
// texture parameter dialog while the model sheet runs. The inner call restores the outer call's
// state (the library's), the outer one the host's.

struct NestedHost {
    OROSCAPE_HOSTWND object{};
    std::string image;
    AFX_MODULE_STATE* beforeInner = nullptr;
    AFX_MODULE_STATE* afterInner = nullptr;
    short innerResult = -7;

    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
    {
        auto* self = reinterpret_cast<NestedHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (msg == WM_MODEL_APPLY && self != nullptr) {
            char format = 0;
            int r = 0, g = 0, b = 0;
            self->beforeInner = AfxGetThreadModuleState();
            self->innerResult = _SetTexParamDlg(self->image.c_str(), &format, &r, &g, &b);
            self->afterInner = AfxGetThreadModuleState();
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
};

TEST_F(ModuleState, GuardedExportInsideAnotherOnesDialog)
{
    HostState mine;
    NestedHost nested;
    nested.image = image;
    WNDCLASSW wc{};
    wc.lpfnWndProc = &NestedHost::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"OroscapeNestedHost";
    RegisterClassW(&wc);
    nested.object.hWnd = CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                         wc.hInstance, nullptr);
    SetWindowLongPtrW(nested.object.hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&nested));
    HMODELSHEET sheet = nullptr;
    ASSERT_EQ(1, _CreateModelDialog(&nested.object, &sheet));

    ui::Script s;
    s.Step("edit and Apply: the host opens the texture dialog", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaptionModelSheet, L"#32770");
        c.SetText(c.Item(d, IDC_LIGHT_DIFFUSE_B), L"9");
        c.Click(d, 0x3021);
        HWND t = c.WaitWindow(kCaptionTexParam, L"#32770");
        c.Click(t, IDOK);
        c.WaitGone(t);
        c.Click(d, IDOK);
        PostMessageW(d, WM_NULL, 0, 0);
        c.WaitGone(d);
    });
    EXPECT_EQ(1, s.Run([&] { return _ShowModelDialog(sheet); }));
    EXPECT_TRUE(s.Succeeded());
    EXPECT_EQ(1, nested.innerResult);
    ASSERT_NE(nullptr, nested.beforeInner);
    EXPECT_NE(mine.Get(), nested.beforeInner) << "the sheet's Apply ran under the host's state";
    EXPECT_EQ(nested.beforeInner, nested.afterInner) << "the inner export did not put the outer state back";
    EXPECT_TRUE(mine.Current());
    _DeleteModelDialog(&sheet);
    DestroyWindow(nested.object.hWnd);
    UnregisterClassW(wc.lpszClassName, wc.hInstance);
}

// ---------------------------------------------------------------------------
// Threads

struct Worker {
    std::string image, video;
    float range[2] = {0.0f, 600.0f};
    int rounds = 3;
    std::atomic<int> done{0};
    bool stateKept = true;
    bool sawOnlyLibrarys = true;
    bool passesRan = true;
    bool startedWithoutState = false;

    static unsigned __stdcall Main(void* arg)
    {
        auto* w = static_cast<Worker*>(arg);
        w->startedWithoutState = AfxGetThreadModuleState() == nullptr;
        HostState mine;
        StateProbe probe;
        for (int i = 0; i < w->rounds; ++i) {
            w->passesRan &= rel::TexParamPass(w->image, i % 2 == 0);
            w->stateKept &= mine.Current();
            w->passesRan &= rel::HeightColorPass(w->range, i % 2 == 1);
            w->stateKept &= mine.Current();
            w->passesRan &= rel::PlaybackPass(w->video, i);
            w->stateKept &= mine.Current();
            w->sawOnlyLibrarys &= static_cast<bool>(probe.AllLibrarys(mine.Get()));
            ++w->done;
        }
        return 0;
    }
};

// The host's second UI thread runs dialogs while the first runs others: each thread keeps its own
// state, and the library's is current inside each dialog.
TEST_F(ModuleState, TwoUiThreadsAtOnceEachWithItsOwnState)
{
    HostState mine;
    StateProbe probe;
    Worker w;
    w.image = image;
    w.video = video;
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &Worker::Main, &w, 0, nullptr));
    ASSERT_NE(nullptr, thread);
    int mainPasses = 0;
    while (w.done.load() < w.rounds && mainPasses < 40) {
        rel::TexParamPass(image, mainPasses % 2 == 0);
        EXPECT_TRUE(mine.Current()) << "the other thread's calls changed this thread's state";
        rel::HeightColorPass(range, mainPasses % 2 == 1);
        EXPECT_TRUE(mine.Current());
        ++mainPasses;
    }
    // Answers what the other thread's windows send here while it finishes.
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, 60000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
        rel::PumpMessages(10);
    CloseHandle(thread);
    EXPECT_TRUE(probe.AllLibrarys(mine.Get()));
    EXPECT_TRUE(w.startedWithoutState) << "a new thread inherited a module state";
    EXPECT_EQ(w.rounds, w.done.load());
    EXPECT_TRUE(w.passesRan);
    EXPECT_TRUE(w.stateKept) << "the second thread lost its own state";
    EXPECT_TRUE(w.sawOnlyLibrarys);
    EXPECT_GT(mainPasses, 0);
    printf("second thread: %d rounds while this thread ran %d\n", w.done.load(), mainPasses);
}

// Threads that each use the library once and end: what the library keeps per thread goes with the
// thread (its temporary window objects go at thread detach).
unsigned __stdcall UseOnce(void* arg)
{
    auto* w = static_cast<Worker*>(arg);
    HostState mine;
    w->passesRan &= rel::TexParamPass(w->image, true);
    w->passesRan &= rel::PlaybackPass(w->video, 1);
    w->stateKept &= mine.Current();
    return 0;
}

TEST_F(ModuleState, ShortLivedThreadsLeaveNothingBehind)
{
    Worker w;
    w.image = image;
    w.video = video;
    auto run = [&](int n) {
        for (int i = 0; i < n; ++i) {
            HANDLE t = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &UseOnce, &w, 0, nullptr));
            ASSERT_NE(nullptr, t);
            EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(t, 60000));
            CloseHandle(t);
        }
    };
    run(3);  // the first threads load what the dialogs need
    rel::FillDcCache();
    const rel::Levels before = rel::MeasureLevels();
    run(10);
    const rel::Levels after = rel::MeasureLevels();
    EXPECT_TRUE(w.passesRan);
    EXPECT_TRUE(w.stateKept);
    EXPECT_EQ(before.windows, after.windows);
    EXPECT_LE(after.gdi, before.gdi + 8);
    EXPECT_LE(after.handles, before.handles + 4) << "threads left handles behind";
    // Memory only roughly: the OpenGL driver (llvmpipe) grows its pools over the first few dozen
    // threads that make a context (measured: about 350 KiB a thread at first, none after 60).
    EXPECT_LE(after.privateBytes, before.privateBytes + 8 * 1024 * 1024);
    printf("ten threads: gdi %ld -> %ld, handles %ld -> %ld, private %lld -> %lld KiB\n", before.gdi, after.gdi,
           before.handles, after.handles, before.privateBytes / 1024, after.privateBytes / 1024);
}

// ---------------------------------------------------------------------------
// The named mapping that holds the shared slot can be made first by another program of the
// session (its name holds only the process id). A record that is not the layer's own for this
// process is not trusted: the library keeps a slot of its own and never switches its state in
// the slot the record names.

const char kSquattedSlotVar[] = "OROSCAPE_SQUATTED_SLOT";
const DWORD kSquattedSlot = 1000;  // an index nobody in the process allocates

// Runs in the child process that AMappingMadeElsewhereIsNotTrusted starts.
TEST(SquattedMapping, LibraryKeepsASlotOfItsOwn)
{
    char text[16] = "";
    if (GetEnvironmentVariableA(kSquattedSlotVar, text, sizeof text) == 0)
        GTEST_SKIP() << "runs in the child process of AMappingMadeElsewhereIsNotTrusted";
    const DWORD squatted = strtoul(text, nullptr, 10);
    test::HostDir host;
    HeightColorInfo record = {};
    record.nLayers = 6;
    const float range[2] = {0.0f, 600.0f};
    void* inside = reinterpret_cast<void*>(1);
    ui::Script s;
    s.Step("read the named slot inside the dialog, Cancel", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaptionHeightColor, L"#32770");
        c.RunOnUi([&] { inside = TlsGetValue(squatted); });
        c.Click(d, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, s.Run([&] { return _SetHeightColorDlg(range, &record); }));
    EXPECT_TRUE(s.Succeeded()) << "the dialog runs on the library's own resources";
    EXPECT_EQ(nullptr, inside) << "the library switched its state in a slot it never allocated";
}

TEST(SquattedMapping, AMappingMadeElsewhereIsNotTrusted)
{
    if (GetEnvironmentVariableA(kSquattedSlotVar, nullptr, 0) != 0)
        GTEST_SKIP() << "the child process";
    struct Record {
        LONG magic, process, slotPlusOne;
    };
    const struct {
        const char* name;
        LONG magic;
        LONG processOffset;  // added to the child's process id
    } cases[] = {
        // A bare slot index where the mark belongs (what a mapping holding only the index says).
        {"a record without the layer's mark", static_cast<LONG>(kSquattedSlot) + 1, 0},
        {"the layer's mark for another process", 0x5846414F, 4},
    };
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        SetEnvironmentVariableA(kSquattedSlotVar, std::to_string(kSquattedSlot).c_str());
        std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_filter=SquattedMapping.LibraryKeepsASlotOfItsOwn";
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        const BOOL started = CreateProcessW(self, &command[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                                            nullptr, &si, &pi);
        SetEnvironmentVariableA(kSquattedSlotVar, nullptr);
        ASSERT_TRUE(started) << GetLastError();
        wchar_t name[64];
        swprintf(name, 64, L"Local\\OroscapeAfxThreadState.%lu", static_cast<unsigned long>(pi.dwProcessId));
        HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Record), name);
        auto* record = mapping ? static_cast<Record*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Record)))
                               : nullptr;
        if (record != nullptr)
            *record = {k.magic, static_cast<LONG>(pi.dwProcessId) + k.processOffset,
                       static_cast<LONG>(kSquattedSlot) + 1};
        ResumeThread(pi.hThread);
        const DWORD waited = WaitForSingleObject(pi.hProcess, 120000);
        DWORD exitCode = 99;
        if (waited != WAIT_OBJECT_0)
            TerminateProcess(pi.hProcess, 98);
        GetExitCodeProcess(pi.hProcess, &exitCode);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        ASSERT_NE(nullptr, record) << "the mapping could not be made first";
        UnmapViewOfFile(record);
        CloseHandle(mapping);
        EXPECT_EQ(WAIT_OBJECT_0, waited);
        EXPECT_EQ(0u, exitCode) << "the child's test failed (its output is above)";
    }
}

}  // namespace
