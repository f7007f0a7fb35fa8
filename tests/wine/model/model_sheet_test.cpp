// The model sheet shown through the real DLL, driven as a user drives it: its
// tabs, the Apply notification and its mask, what OK and Cancel leave behind,
// and an Apply that a field refuses.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "model_support.h"
#include "res/resource.h"

namespace {

using namespace modeltest;

class ModelSheet : public SheetTest {};

TEST_F(ModelSheet, TabsInOrderLightPageFirstOkSendsNothing)
{
    std::vector<std::wstring> tabs;
    int tab = -2;
    HWND page = nullptr, lightField = nullptr, owner = nullptr;
    bool applyAtStart = true, wizardButtons = true;
    ui::Script s;
    s.Step("look at the sheet, then OK", [&](ui::Ctx& c) {
        HWND d = WaitSheet(c);
        tabs = TabTexts(c, d);
        tab = CurrentTab(c, d);
        page = CurrentPage(c, d);
        lightField = GetParent(c.Item(d, IDC_LIGHT_AMBIENT_R));
        applyAtStart = Enabled(c.Item(d, kApplyButton));
        wizardButtons = c.FindItem(d, 0x3023) || c.FindItem(d, 0x3024) || c.FindItem(d, 0x3025);
        owner = GetWindow(d, GW_OWNER);
        CloseSheet(c, d, IDOK);
    });
    EXPECT_EQ(1, Show(s));
    EXPECT_EQ((std::vector<std::wstring>{L"光源", L"材质", L"雾"}), tabs);
    EXPECT_EQ(0, tab);
    EXPECT_NE(nullptr, page);
    EXPECT_EQ(page, lightField) << "the light page is the one shown";
    EXPECT_FALSE(applyAtStart);
    EXPECT_FALSE(wizardButtons) << "an ordinary sheet has no wizard buttons to re-lay out";
    EXPECT_EQ(host.Handle(), owner);
    EXPECT_TRUE(host.Applies().empty());
}

// A sheet as Windows makes it carries hidden Back, Next and Finish buttons (Wine's has none):
// the test adds them, 80 wide and 10 apart, before the sheet handles WM_INITDIALOG. Once the
// platform has built and sized the sheet, it narrows by Finish's width and the three buttons,
// three quarters as wide, line up from its right edge; at idle nothing has undone it.
LRESULT CALLBACK AddWizardButtons(int code, WPARAM wp, LPARAM lp)
{
    const CWPSTRUCT* m = reinterpret_cast<const CWPSTRUCT*>(lp);
    if (code == HC_ACTION && m->message == WM_INITDIALOG && !(GetWindowLongPtrW(m->hwnd, GWL_STYLE) & WS_CHILD)) {
        for (int i = 0; i < 3; ++i)
            CreateWindowExW(0, L"BUTTON", L"", WS_CHILD, 20 + 90 * i, 5, 80, 22, m->hwnd,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(0x3023 + i)), nullptr, nullptr);
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

TEST_F(ModelSheet, WizardButtonsAreReLaidOutOnceTheSheetIsBuilt)
{
    RECT plain = {}, sheet = {}, buttons[3] = {};
    auto measure = [&](RECT* outer, RECT* wizard) {
        ui::Script s;
        s.Step("measure at idle, then OK", [&](ui::Ctx& c) {
            HWND d = WaitSheet(c);
            c.Flush();
            GetWindowRect(d, outer);
            for (int i = 0; wizard != nullptr && i < 3; ++i) {
                GetWindowRect(c.Item(d, 0x3023 + i), &wizard[i]);
                MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&wizard[i]), 2);
            }
            CloseSheet(c, d, IDOK);
        });
        EXPECT_EQ(1, Show(s));
    };
    measure(&plain, nullptr);
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, AddWizardButtons, nullptr, GetCurrentThreadId());
    ASSERT_NE(nullptr, hook);
    measure(&sheet, buttons);
    UnhookWindowsHookEx(hook);

    // gap 10, Finish 80 wide: the sheet loses 80, the buttons are 60 wide, Finish starts at
    // new width - 2 * gap - 60 and each of the others 70 further left, on Finish's row.
    const int width = (plain.right - plain.left) - 80;
    EXPECT_EQ(width, sheet.right - sheet.left);
    EXPECT_EQ(plain.bottom - plain.top, sheet.bottom - sheet.top);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(width - 80 - 70 * (2 - i), buttons[i].left);
        EXPECT_EQ(60, buttons[i].right - buttons[i].left);
        EXPECT_EQ(5, buttons[i].top);
        EXPECT_EQ(22, buttons[i].bottom - buttons[i].top);
    }
}

// Diffuse blue on the light page and the fog density: one Apply carries both
// bits, and the host's handler reads what the fields show. The sheet then
// cannot be cancelled, and Apply waits for the next edit.
TEST_F(ModelSheet, ApplySendsTheMaskAndTheHandlerSeesTheFields)
{
    bool applyAfterEdit = false, cancelAfterApply = true, applyAfterApply = true, applyAfterNextEdit = false;
    ui::Script s;
    s.Step("edit two pages, Apply, edit again, OK", [&](ui::Ctx& c) {
        HWND d = WaitSheet(c);
        c.SetText(c.Item(d, IDC_LIGHT_DIFFUSE_B), L"77");
        applyAfterEdit = Enabled(c.Item(d, kApplyButton));
        SelectPage(c, d, 2);
        c.SetText(c.Item(d, IDC_FOG_DENSITY), L"0.25");
        c.Click(d, kApplyButton);
        cancelAfterApply = Enabled(c.Item(d, IDCANCEL));
        applyAfterApply = Enabled(c.Item(d, kApplyButton));
        c.SetText(c.Item(d, IDC_FOG_COLOR_R), L"5");
        applyAfterNextEdit = Enabled(c.Item(d, kApplyButton));
        CloseSheet(c, d, IDOK);
    });
    EXPECT_EQ(1, Show(s));
    EXPECT_TRUE(applyAfterEdit);
    EXPECT_FALSE(cancelAfterApply);
    EXPECT_FALSE(applyAfterApply);
    EXPECT_TRUE(applyAfterNextEdit);

    const std::vector<ApplyRecord> applies = host.Applies();
    ASSERT_EQ(1u, applies.size()) << "one Apply, none for OK";
    EXPECT_EQ(0x0802u, applies[0].wParam);
    EXPECT_EQ(0, applies[0].lParam);
    EXPECT_TRUE(SameColor(MODELCOLOR{0, 0, 77}, applies[0].values.lightDiffuse))
        << Describe(applies[0].values.lightDiffuse);
    EXPECT_EQ(0.25f, applies[0].values.fogDensity);
    EXPECT_TRUE(SameColor(MODELCOLOR{0, 0, 0}, applies[0].values.fogColor));
    // The fog colour edited after Apply is kept; its bit waits for the next Apply.
    EXPECT_EQ(5, ReadValues(sheet).fogColor.r);
}

TEST_F(ModelSheet, MatModeAloneAndShininessAloneBothSend0x0200)
{
    ui::Script radio;
    radio.Step("click 镜面光 on the fog page, Apply, OK", [&](ui::Ctx& c) {
        HWND d = WaitSheet(c);
        SelectPage(c, d, 2);
        c.Click(d, IDC_MATMODE_SPECULAR);
        c.Click(d, kApplyButton);
        CloseSheet(c, d, IDOK);
    });
    EXPECT_EQ(1, Show(radio));
    ui::Script shininess;
    shininess.Step("type a specular exponent, Apply, OK", [&](ui::Ctx& c) {
        HWND d = WaitSheet(c);
        SelectPage(c, d, 1);
        c.SetText(c.Item(d, IDC_MAT_SHININESS), L"64");
        c.Click(d, kApplyButton);
        CloseSheet(c, d, IDOK);
    });
    EXPECT_EQ(1, Show(shininess));

    const std::vector<ApplyRecord> applies = host.Applies();
    ASSERT_EQ(2u, applies.size());
    EXPECT_EQ(0x0200u, applies[0].wParam);
    EXPECT_EQ(2, applies[0].values.matMode);
    EXPECT_EQ(0x0200u, applies[1].wParam);
    EXPECT_EQ(64, applies[1].values.shininess);
}

// Bits are cleared only by Apply: an edit in a showing closed with OK travels
// with the next Apply of a later showing. Cancel restores nothing.
TEST_F(ModelSheet, BitsWaitForTheNextApplyAcrossShowings)
{
    ui::Script first;
    first.Step("edit diffuse blue, OK", [&](ui::Ctx& c) {
        HWND d = WaitSheet(c);
        c.SetText(c.Item(d, IDC_LIGHT_DIFFUSE_B), L"9");
        CloseSheet(c, d, IDOK);
    });
    EXPECT_EQ(1, Show(first));
    EXPECT_TRUE(host.Applies().empty());

    ui::Script second;
    second.Step("edit the fog density, Apply, OK", [&](ui::Ctx& c) {
        HWND d = WaitSheet(c);
        SelectPage(c, d, 2);
        c.SetText(c.Item(d, IDC_FOG_DENSITY), L"0.5");
        c.Click(d, kApplyButton);
        CloseSheet(c, d, IDOK);
    });
    EXPECT_EQ(1, Show(second));
    std::vector<ApplyRecord> applies = host.Applies();
    ASSERT_EQ(1u, applies.size());
    EXPECT_EQ(0x0802u, applies[0].wParam);
    EXPECT_EQ(9, applies[0].values.lightDiffuse.b);

    ui::Script third;
    third.Step("edit the light ambient red, Cancel", [&](ui::Ctx& c) {
        HWND d = WaitSheet(c);
        c.SetText(c.Item(d, IDC_LIGHT_AMBIENT_R), L"42");
        CloseSheet(c, d, IDCANCEL);
    });
    EXPECT_EQ(1, Show(third));
    EXPECT_EQ(1u, host.Applies().size());
    EXPECT_EQ(42, ReadValues(sheet).lightAmbient.r);
}

// A field that fails validation keeps its page: the tab does not change, and
// Apply neither tells the host nor gives up Cancel. Once the field is right,
// Apply sends the bit the edit set.
TEST_F(ModelSheet, AnInvalidFieldHoldsThePageAndApply)
{
    std::wstring typed, leaving, applying;
    int tab = -2;
    HWND page = nullptr, lightPage = nullptr;
    bool cancelAfterRefusal = false;
    size_t appliesAfterRefusal = 99;
    ui::Script s;
    s.Step("type 300, try to leave, try to Apply, correct it, Apply", [&](ui::Ctx& c) {
        HWND d = WaitSheet(c);
        lightPage = CurrentPage(c, d);
        HWND red = c.Item(d, IDC_LIGHT_AMBIENT_R);
        later.SetLater(red, L"300");
        typed = DismissPrompt(c);
        SelectPage(c, d, 1);
        leaving = DismissPrompt(c);
        tab = CurrentTab(c, d);
        page = CurrentPage(c, d);
        c.Click(d, kApplyButton);
        applying = DismissPrompt(c);
        cancelAfterRefusal = Enabled(c.Item(d, IDCANCEL));
        appliesAfterRefusal = host.Applies().size();
        c.SetText(red, L"30");
        if (!NoPrompt(c))
            c.Fail("correcting the field brought up a prompt");
        c.Click(d, kApplyButton);
        if (!NoPrompt(c))
            c.Fail("Apply with valid fields brought up a prompt");
        CloseSheet(c, d, IDOK);
    });
    EXPECT_EQ(1, Show(s));
    EXPECT_EQ(kPromptColorRange, typed);
    EXPECT_EQ(kPromptColorRange, leaving);
    EXPECT_EQ(kPromptColorRange, applying);
    EXPECT_EQ(0, tab);
    EXPECT_EQ(lightPage, page);
    EXPECT_TRUE(cancelAfterRefusal);
    EXPECT_EQ(0u, appliesAfterRefusal);
    const std::vector<ApplyRecord> applies = host.Applies();
    ASSERT_EQ(1u, applies.size());
    EXPECT_EQ(0x0001u, applies[0].wParam);
    EXPECT_EQ(30, applies[0].values.lightAmbient.r);
}

// A host that passed no window object gets no notification, and nothing breaks.
TEST(ModelSheetWithoutHost, ApplySendsNothingAndValuesStillChange)
{
    HMODELSHEET sheet = nullptr;
    ASSERT_EQ(1, _CreateModelDialog(nullptr, &sheet));
    ui::Script s;
    bool cancelAfterApply = true;
    s.Step("edit, Apply, OK", [&](ui::Ctx& c) {
        HWND d = WaitSheet(c);
        c.SetText(c.Item(d, IDC_LINE_COLOR_G), L"200");
        c.Click(d, kApplyButton);
        cancelAfterApply = Enabled(c.Item(d, IDCANCEL));
        CloseSheet(c, d, IDOK);
    });
    EXPECT_EQ(1, s.Run([&] { return _ShowModelDialog(sheet); }));
    EXPECT_TRUE(s.Succeeded());
    EXPECT_FALSE(cancelAfterApply);
    EXPECT_EQ(200, ReadValues(sheet).lineColor.g);
    EXPECT_EQ(1, _DeleteModelDialog(&sheet));
}

// A host hands its framework's window object. The sheet reads the handle in it
// when it is shown and again at each Apply; one that names no window of this
// process is no host: the active window owns the sheet and nothing is sent.
// The framework's own members before the handle are noise to the library.
TEST(ModelSheetHostObject, HandleIsReadWhenShownAndAtEachApply)
{
    HostWindow first, second;
    HWND gone = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    HWND foreign = GetDesktopWindow();
    DWORD foreignProcess = 0;
    GetWindowThreadProcessId(foreign, &foreignProcess);
    struct Case {
        const char* name;
        HWND atShow, atApply;
        HostWindow* owner;     // null: the active window owns the sheet
        HostWindow* receiver;  // null: nobody is told
    };
    const Case cases[] = {
        {"handle changed before Apply", first.Handle(), second.Handle(), &first, &second},
        {"window destroyed", gone, gone, nullptr, nullptr},
        {"zero handle", nullptr, nullptr, nullptr, nullptr},
        {"handle gone stale before Apply", first.Handle(), gone, &first, nullptr},
        {"another process's window", foreign, foreign, nullptr, nullptr},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        if (k.atShow == foreign && foreignProcess == GetCurrentProcessId()) {
            std::printf("skipped: the desktop window belongs to this process here\n");
            continue;
        }
        OROSCAPE_HOSTWND object;
        memset(&object, 0xA5, sizeof object);
        object.hWnd = k.atShow;
        HMODELSHEET sheet = nullptr;
        ASSERT_EQ(1, _CreateModelDialog(&object, &sheet));
        first.Clear();
        second.Clear();
        const HWND active = GetActiveWindow();
        HWND owner = reinterpret_cast<HWND>(-1);
        ui::Script s;
        s.Step("edit, Apply, OK", [&](ui::Ctx& c) {
            HWND d = WaitSheet(c);
            owner = GetWindow(d, GW_OWNER);
            c.SetText(c.Item(d, IDC_LINE_COLOR_G), L"200");
            object.hWnd = k.atApply;
            c.Click(d, kApplyButton);
            CloseSheet(c, d, IDOK);
        });
        EXPECT_EQ(1, s.Run([&] { return _ShowModelDialog(sheet); }));
        EXPECT_TRUE(s.Succeeded());
        EXPECT_EQ(k.owner != nullptr ? k.owner->Handle() : active, owner);
        for (HostWindow* h : {&first, &second})
            EXPECT_EQ(h == k.receiver ? 1u : 0u, h->Applies().size()) << (h == &first ? "first" : "second");
        EXPECT_EQ(1, _DeleteModelDialog(&sheet));
    }
}

}  // namespace
