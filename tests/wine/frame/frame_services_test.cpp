// The library's string and warning services, run inside a program that holds
// the library's code and resources (the program stands in for the library's
// module). Also run under a Western code page: the text must survive it.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>

#include "afx/afxstate.h"
#include "frame/strings.h"
#include "res/resource.h"
#include "uidriver_gtest.h"
#include "res/captions.h"

namespace {

TEST(Strings, LoadResStringGivesTheResourceTextInAnyCodePage)
{
    CString text(L"sentinel");
    EXPECT_TRUE(LoadResString(IDS_WARNING_CAPTION, text));
    EXPECT_STREQ(text, kCaptionWarning);
    EXPECT_TRUE(LoadResString(IDS_PREVIEW_LABEL, text));
    EXPECT_STREQ(text, L"\n\n图片预览");
    EXPECT_FALSE(LoadResString(4999, text));
    EXPECT_TRUE(text.IsEmpty());
}

TEST(Strings, FormatResStringFormatsOrLeavesTheTextAlone)
{
    CString text(L"sentinel");
    EXPECT_EQ(FormatResString(text, IDS_BAND_FORMAT, 3L), 1);
    EXPECT_STREQ(text, L"波段 3");
    EXPECT_EQ(FormatResString(text, 4999, 3L), 0);
    EXPECT_STREQ(text, L"波段 3");
}

TEST(Strings, ServicesRestoreTheCallersModuleState)
{
    AFX_MODULE_STATE mine{nullptr, nullptr};
    AFX_MODULE_STATE* previous = AfxSetModuleState(&mine);
    CString text;
    EXPECT_TRUE(LoadResString(IDS_MODEL_SHEET_CAPTION, text));
    EXPECT_STREQ(text, kCaptionModelSheet);
    EXPECT_EQ(AfxGetThreadModuleState(), &mine);
    FormatResString(text, IDS_BAND_FORMAT, 1L);
    EXPECT_EQ(AfxGetThreadModuleState(), &mine);
    AfxSetModuleState(previous);
}

// Runs ShowWarning(id) while a script watches for a box for `watchMs`; returns
// the box's caption and text ("" when none came up).
struct BoxSeen {
    bool shown = false;
    std::wstring caption, text;
    LONG_PTR style = 0;
};

BoxSeen WatchWarning(UINT id, DWORD watchMs)
{
    BoxSeen seen;
    std::atomic<bool> returned{false};
    ui::Script s;
    s.Step("look for the warning box", [&](ui::Ctx& c) {
        DWORD start = GetTickCount();
        while (!returned.load() && GetTickCount() - start < watchMs) {
            HWND box = c.FindTop(nullptr, L"#32770");
            if (box != nullptr) {
                seen.shown = true;
                seen.caption = ui::Caption(box);
                seen.style = GetWindowLongPtrW(box, GWL_STYLE);
                seen.text = c.DismissMessageBox(box, IDOK);
                return;
            }
            c.Sleep(20);
        }
    });
    s.Run([&] {
        ShowWarning(id);
        returned = true;
        return 0;
    });
    return seen;
}

TEST(Warning, ShowsTheStringWithTheSystemCaption)
{
    BoxSeen seen = WatchWarning(IDS_NEED_COLORS, 5000);
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.caption, kCaptionWarning);
    EXPECT_EQ(seen.text, L"请输入指定颜色!");
}

// Counts the windows the thread creates, and stops each from coming up.
int g_windowsCreated = 0;
LRESULT CALLBACK CountCreation(int code, WPARAM wp, LPARAM lp)
{
    if (code == HCBT_CREATEWND) {
        ++g_windowsCreated;
        return 1;  // refuse: nothing to dismiss, nothing to hang on
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

TEST(Warning, MissingStringShowsNoBoxAtAll)
{
    HHOOK hook = SetWindowsHookExW(WH_CBT, CountCreation, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    g_windowsCreated = 0;
    ShowWarning(4999);
    int missing = g_windowsCreated;
    ShowWarning(IDS_NEED_COLORS);  // the hook itself must see a real box
    int present = g_windowsCreated - missing;
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(missing, 0);
    EXPECT_GT(present, 0);
}

}  // namespace
