// What the model sheet's tests share: a host window that records WM_MODEL_APPLY
// and reads the values inside its handler, a snapshot of all values through the
// Get accessors, text set on the UI thread without waiting (for edits that
// bring up a prompt), and the sheet's tabs, pages, swatches and prompts.
//   ModelValues / ReadValues / WriteValues, HostWindow, LaterText, SheetTest, sheet helpers
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "include/oroscape.h"
#include "support/capture.h"
#include "uidriver_gtest.h"
#include "res/captions.h"

namespace modeltest {

const wchar_t* const kSheetCaption = kCaptionModelSheet;
// The data-exchange prompts come in a box captioned with the library's name.
const wchar_t kPromptCaption[] = L"Oroscape";
const wchar_t kPromptColorRange[] = L"请输入一个介于 0 和 255 之间的整数。";
const wchar_t kPromptShininessRange[] = L"请输入一个介于 0 和 128 之间的整数。";
const wchar_t kPromptInteger[] = L"请输入一个整数。";

const int kTabControl = 0x3020;
const int kApplyButton = 0x3021;

// All thirteen values of a sheet, in the accessors' terms.
struct ModelValues {
    MODELCOLOR lightAmbient, lightDiffuse, lightSpecular, lineColor, backColor;
    MODELCOLOR matAmbient, matDiffuse, matSpecular, matEmission;
    short shininess;
    short matMode;
    MODELCOLOR fogColor;
    float fogDensity;
};

// Reads every value; every accessor must answer 1.
ModelValues ReadValues(HMODELSHEET sheet);
void WriteValues(HMODELSHEET sheet, const ModelValues& v);
bool SameColor(const MODELCOLOR& a, const MODELCOLOR& b);
std::string Describe(const MODELCOLOR& c);

// One WM_MODEL_APPLY as the host saw it, with the values read inside the handler.
struct ApplyRecord {
    WPARAM wParam;
    LPARAM lParam;
    ModelValues values;
};

// A host's main window (hidden) with the window object the library is given.
// Lives on the test's thread.
class HostWindow {
public:
    HostWindow();
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    OROSCAPE_HOSTWND* Object() { return &object_; }
    HWND Handle() const { return object_.hWnd; }
    // The sheet whose values the handler reads.
    void Watch(HMODELSHEET sheet) { sheet_ = sheet; }
    std::vector<ApplyRecord> Applies() const;
    void Clear();

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    OROSCAPE_HOSTWND object_{};
    HMODELSHEET sheet_ = nullptr;
    mutable std::mutex lock_;
    std::vector<ApplyRecord> applies_;
};

// Sets an edit's text on the UI thread without waiting for it (the change may
// bring up a modal prompt). Made on the UI thread; SetLater runs on the driver's.
class LaterText {
public:
    LaterText();
    ~LaterText();
    LaterText(const LaterText&) = delete;
    LaterText& operator=(const LaterText&) = delete;
    void SetLater(HWND edit, const std::wstring& text);

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    HWND helper_ = nullptr;
    std::mutex lock_;
    std::vector<std::wstring> texts_;
};

// A sheet of the DLL's made for a hidden host window that watches it, deleted at the end; Show runs
// it with a script and expects the script to have succeeded. ValuesNow reads every value on the UI
// thread while the sheet is open.
class SheetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(1, _CreateModelDialog(host.Object(), &sheet));
        host.Watch(sheet);
    }
    void TearDown() override { _DeleteModelDialog(&sheet); }

    short Show(ui::Script& s)
    {
        short result = s.Run([&] { return _ShowModelDialog(sheet); });
        EXPECT_TRUE(s.Succeeded());
        return result;
    }
    ModelValues ValuesNow(ui::Ctx& c)
    {
        ModelValues v;
        c.RunOnUi([&] { v = ReadValues(sheet); });
        return v;
    }

    HostWindow host;
    LaterText later;
    HMODELSHEET sheet = nullptr;
};

// ---- the sheet as a user sees it (driver thread) ----
HWND WaitSheet(ui::Ctx& c);
std::vector<std::wstring> TabTexts(ui::Ctx& c, HWND sheet);
// Selects a page as a click on its tab would (the current page must let go).
void SelectPage(ui::Ctx& c, HWND sheet, int index);
int CurrentTab(ui::Ctx& c, HWND sheet);
// The page window now shown.
HWND CurrentPage(ui::Ctx& c, HWND sheet);
// The colour at the centre of a swatch as painted now (0x00RRGGBB).
uint32_t SwatchPixel(ui::Ctx& c, HWND swatch);
uint32_t PixelOf(const MODELCOLOR& color);  // low byte of each component
// Waits for a data-exchange prompt, presses OK and returns its text.
std::wstring DismissPrompt(ui::Ctx& c);
// True when no prompt is open now.
bool NoPrompt(ui::Ctx& c);
bool Enabled(HWND h);
// Clicks OK or Cancel of the sheet. The platform's sheet loop notices that it
// has ended only when it next takes a message from its queue; a click sent
// with BM_CLICK (unlike the mouse) leaves none there, so one is posted.
void CloseSheet(ui::Ctx& c, HWND sheet, int button);
// Clicks the upper (up) or lower (down) arrow of a spin with the mouse.
void ClickSpin(ui::Ctx& c, HWND spin, bool up);

}  // namespace modeltest
