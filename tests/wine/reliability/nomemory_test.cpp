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

void* __cdecl ScarceMalloc(size_t size)
{
    if (g_noMemory || (g_failAt > 0 && --g_failAt == 0))
        return nullptr;
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
        {"model sheet: the material page opened", kCaptionModelSheet,
         [](ui::Ctx&, HWND d) { PostMessageW(d, PSM_SETCURSEL, 1, 0); },
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
