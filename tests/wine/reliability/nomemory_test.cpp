// No exception leaves the library: an allocation that fails inside a dialog (the library's own
// import of malloc answers NULL, so its operator new throws) ends that dialog as one that could
// not go on, the export returns its failure value, the host's module state is back, no window of
// the library stays behind, and the same export works again once memory is back.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "afx/afxstate.h"
#include "include/oroscape.h"
#include "passes.h"
#include "res/resource.h"
#include "test_hostdir.h"
#include "texparam_imports.h"
#include "uidriver_gtest.h"
#include "res/captions.h"

namespace {

std::atomic<bool> g_noMemory{false};
std::atomic<int> g_failAt{0};    // the n-th allocation from now answers NULL (0: none does)
std::atomic<long> g_live{0};     // the library's allocations not yet freed, while hooked
void*(__cdecl* realMalloc)(size_t);
void(__cdecl* realFree)(void*);

std::atomic<int> g_refused{0};  // allocations answered with NULL

void* __cdecl ScarceMalloc(size_t size)
{
    if (g_noMemory || (g_failAt > 0 && --g_failAt == 0)) {
        ++g_refused;
        return nullptr;
    }
    void* p = realMalloc(size);
    if (p)
        ++g_live;
    return p;
}

void __cdecl CountedFree(void* p)
{
    if (p)
        --g_live;
    realFree(p);
}

HMODULE Library() { return GetModuleHandleW(L"Oroscape.dll"); }

struct Case {
    const char* name;
    const wchar_t* caption;
    // What the user does once the dialog is up; the library's handler of it needs memory.
    std::function<void(ui::Ctx&, HWND)> act;
    std::function<int()> call;
    int failure;
    // The same export used normally afterwards: its pass checks the results.
    std::function<bool()> again;
};

// The library's callbacks inside the system's enumerations (the faces of EnumFontFamiliesExW, the
// controls of EnumChildWindows, run under a Western code page when the dialogs get a Chinese font):
// the library's imports of the two functions are stand-ins that pass each call to the real function
// with a trampoline around the library's callback, and memory fails while the callback runs. An
// exception that left the callback would unwind through the trampoline (and, in real use, through
// gdi32's or user32's frames) without passing its return: entries and returns must match.
enum class Starved { Faces, Controls };
Starved g_starved = Starved::Faces;
std::atomic<int> g_entered{0};
std::atomic<int> g_returned{0};
FONTENUMPROCW g_faceCallback = nullptr;
LPARAM g_faceParam = 0;
WNDENUMPROC g_controlCallback = nullptr;
int(WINAPI* realEnumFonts)(HDC, LPLOGFONTW, FONTENUMPROCW, LPARAM, DWORD);
BOOL(WINAPI* realEnumChildren)(HWND, WNDENUMPROC, LPARAM);

template <typename Call>
auto Starving(bool starve, Call call) -> decltype(call())
{
    if (!starve)
        return call();
    ++g_entered;
    g_noMemory = true;
    auto result = call();
    g_noMemory = false;
    ++g_returned;
    return result;
}

int CALLBACK FaceTrampoline(const LOGFONTW* font, const TEXTMETRICW* metrics, DWORD type, LPARAM)
{
    return Starving(g_starved == Starved::Faces, [&] { return g_faceCallback(font, metrics, type, g_faceParam); });
}

int WINAPI EnumFontsStandIn(HDC dc, LPLOGFONTW font, FONTENUMPROCW callback, LPARAM lp, DWORD flags)
{
    g_faceCallback = callback;
    g_faceParam = lp;
    return realEnumFonts(dc, font, &FaceTrampoline, 0, flags);
}

BOOL CALLBACK ControlTrampoline(HWND child, LPARAM lp)
{
    return Starving(g_starved == Starved::Controls, [&] { return g_controlCallback(child, lp); });
}

BOOL WINAPI EnumChildrenStandIn(HWND parent, WNDENUMPROC callback, LPARAM lp)
{
    g_controlCallback = callback;
    return realEnumChildren(parent, &ControlTrampoline, lp);
}

TEST(NoMemory, NothingLeavesTheCallbacksInsideTheSystemsEnumerations)
{
    if (GetACP() == 936)
        GTEST_SKIP() << "under the Chinese code page the dialogs keep their template's font: no enumeration";
    test::HostDir host;
    host.WriteTable("terrain.lut", test::TableBytes("terrain", 256));
    // A copy of the library under another name: a fresh module, whose face is not yet chosen and
    // which has made no font yet (both need memory inside the callbacks).
    wchar_t path[MAX_PATH];
    ASSERT_NE(0u, GetModuleFileNameW(Library(), path, MAX_PATH));
    const std::wstring copy = std::wstring(path) + L".callbacks.dll";
    ASSERT_TRUE(CopyFileW(path, copy.c_str(), FALSE));

    const struct {
        const char* name;
        Starved starved;
    } cases[] = {{"faces of EnumFontFamiliesExW", Starved::Faces}, {"controls of EnumChildWindows", Starved::Controls}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        HMODULE lib = LoadLibraryW(copy.c_str());
        ASSERT_NE(nullptr, lib);
        {
            texparam::ImportHook mallocHook(lib, "msvcrt.dll", "malloc", reinterpret_cast<void*>(&ScarceMalloc),
                                            reinterpret_cast<void**>(&realMalloc));
            texparam::ImportHook fontsHook(lib, "GDI32.dll", "EnumFontFamiliesExW",
                                           reinterpret_cast<void*>(&EnumFontsStandIn),
                                           reinterpret_cast<void**>(&realEnumFonts));
            texparam::ImportHook childrenHook(lib, "USER32.dll", "EnumChildWindows",
                                              reinterpret_cast<void*>(&EnumChildrenStandIn),
                                              reinterpret_cast<void**>(&realEnumChildren));
            ASSERT_TRUE(mallocHook.Installed() && fontsHook.Installed() && childrenHook.Installed());
            auto layering = reinterpret_cast<int(__cdecl*)(const float*, HeightColorInfo*)>(
                reinterpret_cast<void*>(GetProcAddress(lib, MAKEINTRESOURCEA(2))));
            ASSERT_NE(nullptr, layering);
            g_starved = k.starved;
            g_entered = 0;
            g_returned = 0;
            g_refused = 0;
            const float range[2] = {0.0f, 600.0f};
            HeightColorInfo record = {};
            strcpy(record.szName, "terrain");
            record.nLayers = 256;
            ui::Script s;
            s.Step("the dialog comes up, then Cancel", [&](ui::Ctx& c) {
                HWND d = c.WaitWindow(L"高程分层设色设置", L"#32770");
                c.Click(d, IDCANCEL);
                c.WaitGone(d);
            });
            const int result = s.Run([&] { return layering(range, &record); });
            g_noMemory = false;
            EXPECT_TRUE(s.Succeeded());
            EXPECT_EQ(IDCANCEL, result) << "the dialog goes on without the font it could not make";
            EXPECT_GT(g_entered.load(), 0) << "the library's callback never ran";
            EXPECT_GT(g_refused.load(), 0) << "no allocation was refused inside the callback";
            EXPECT_EQ(g_entered.load(), g_returned.load()) << "an exception left the callback";
        }
        FreeLibrary(lib);
    }
    DeleteFileW(copy.c_str());
}

TEST(NoMemory, ADialogThatCannotGoOnEndsAndTheExportReportsIt)
{
    texparam::ImportHook hook(Library(), "msvcrt.dll", "malloc", reinterpret_cast<void*>(&ScarceMalloc),
                              reinterpret_cast<void**>(&realMalloc));
    ASSERT_TRUE(hook.Installed()) << "the library allocates through msvcrt's malloc";

    test::HostDir host;
    host.WriteTable("terrain.lut", test::TableBytes("terrain", 256));
    const float range[2] = {0.0f, 600.0f};
    HeightColorInfo record = {};
    rel::ModelHost modelHost;
    HMODELSHEET sheet = nullptr;
    ASSERT_EQ(1, _CreateModelDialog(modelHost.Object(), &sheet));
    const std::string image = rel::WriteEnviImage(host.Path(), "bands");
    char format = 0;
    int bands[3] = {0, 0, 0};

    const Case cases[] = {
        {"layering: custom layers ticked", kCaptionHeightColor,
         [](ui::Ctx& c, HWND d) { c.Click(d, IDC_CUSTOM_LAYERS); },
         [&] {
             record = {};
             strcpy(record.szName, "terrain");
             record.nLayers = 256;
             return _SetHeightColorDlg(range, &record);
         },
         -1, [&] { return rel::HeightColorPass(range, true); }},
        // Opening a page needs no memory (its fields are written from the stack); the prompt for a
        // field that is no number does.
        {"model sheet: a field that is no number", kCaptionModelSheet,
         [](ui::Ctx& c, HWND d) { c.SetText(c.Item(d, IDC_LIGHT_AMBIENT_R), L"x"); },
         [&] { return static_cast<int>(_ShowModelDialog(sheet)); }, 0,
         [&] { return rel::ModelPass(sheet, modelHost, 0); }},
        {"texture parameters: another format", kCaptionTexParam,
         [](ui::Ctx& c, HWND d) { c.SelectComboText(c.Item(d, IDC_FORMAT), L"RGBA8"); },
         [&] { return static_cast<int>(_SetTexParamDlg(image.c_str(), &format, &bands[0], &bands[1], &bands[2])); },
         0, [&] { return rel::TexParamPass(image, true); }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        AFX_MODULE_STATE* const before = AfxGetThreadModuleState();
        ui::Script s;
        s.Step("run out of memory while the dialog is up", [&](ui::Ctx& c) {
            HWND d = c.WaitWindow(k.caption, L"#32770");
            g_noMemory = true;
            k.act(c, d);
            PostMessageW(d, WM_NULL, 0, 0);  // a property sheet's loop notices its end at its next message
            c.WaitGone(d);
        });
        const int result = s.Run(k.call);
        g_noMemory = false;
        EXPECT_TRUE(s.Succeeded());
        EXPECT_EQ(k.failure, result);
        EXPECT_EQ(before, AfxGetThreadModuleState());
        EXPECT_EQ(nullptr, FindWindowW(L"#32770", k.caption)) << "a window of the dialog stayed";
        EXPECT_TRUE(k.again());
    }

    // Not even the sheet object can be made: nothing is created and the handle reads null.
    HMODELSHEET none = reinterpret_cast<HMODELSHEET>(&record);
    g_noMemory = true;
    const short created = _CreateModelDialog(modelHost.Object(), &none);
    g_noMemory = false;
    EXPECT_EQ(0, created);
    EXPECT_EQ(nullptr, none);
    EXPECT_EQ(1, _DeleteModelDialog(&sheet));
}

// Whichever allocation of the sheet's construction fails, what was made before it is freed.
TEST(NoMemory, ASheetThatCannotBeMadeLeavesNothingAllocated)
{
    texparam::ImportHook mallocHook(Library(), "msvcrt.dll", "malloc", reinterpret_cast<void*>(&ScarceMalloc),
                                    reinterpret_cast<void**>(&realMalloc));
    texparam::ImportHook freeHook(Library(), "msvcrt.dll", "free", reinterpret_cast<void*>(&CountedFree),
                                  reinterpret_cast<void**>(&realFree));
    ASSERT_TRUE(mallocHook.Installed() && freeHook.Installed());
    rel::ModelHost modelHost;
    HMODELSHEET sheet = nullptr;
    ASSERT_EQ(1, _CreateModelDialog(modelHost.Object(), &sheet));   // first use: the thread's state is made
    ASSERT_EQ(1, _DeleteModelDialog(&sheet));
    int failed = 0;
    for (int n = 1; n <= 64; ++n) {
        const long before = g_live;
        g_failAt = n;
        HMODELSHEET made = nullptr;
        const short created = _CreateModelDialog(modelHost.Object(), &made);
        const bool reached = g_failAt == 0;
        g_failAt = 0;
        if (created == 1) {   // every allocation answered (or the one that did not was done without)
            EXPECT_EQ(1, _DeleteModelDialog(&made));
            if (!reached)
                break;
            continue;
        }
        ++failed;
        EXPECT_EQ(nullptr, made);
        EXPECT_EQ(before, g_live.load()) << "allocation " << n << " failed: " << g_live - before << " left allocated";
    }
    EXPECT_GE(failed, 3) << "the sheet and its three pages are allocated";
}

}  // namespace
