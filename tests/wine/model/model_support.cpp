#include "model_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>

namespace modeltest {

ModelValues ReadValues(HMODELSHEET s)
{
    ModelValues v;
    MODELCOLOR* colors[] = {&v.lightAmbient, &v.lightDiffuse, &v.lightSpecular, &v.lineColor, &v.backColor,
                            &v.matAmbient,   &v.matDiffuse,   &v.matSpecular,   &v.matEmission, &v.fogColor};
    for (MODELCOLOR* c : colors)
        *c = {-21555, -21555, -21555};  // 0xABCD: a sentinel the getter must overwrite
    v.shininess = v.matMode = -21555;
    v.fogDensity = -777.0f;
    EXPECT_EQ(1, _GetLight_Ambient_(s, &v.lightAmbient));
    EXPECT_EQ(1, _GetLight_Diffuse_(s, &v.lightDiffuse));
    EXPECT_EQ(1, _GetLight_Specular_(s, &v.lightSpecular));
    EXPECT_EQ(1, _GetLineColor_(s, &v.lineColor));
    EXPECT_EQ(1, _GetBackColor_(s, &v.backColor));
    EXPECT_EQ(1, _GetMaterial_Ambient_(s, &v.matAmbient));
    EXPECT_EQ(1, _GetMaterial_Diffuse_(s, &v.matDiffuse));
    EXPECT_EQ(1, _GetMaterial_Specular_(s, &v.matSpecular));
    EXPECT_EQ(1, _GetMaterial_Emission_(s, &v.matEmission));
    EXPECT_EQ(1, _GetMaterial_Shininess_(s, &v.shininess));
    EXPECT_EQ(1, _GetMatMode_(s, &v.matMode));
    EXPECT_EQ(1, _GetFogColor_(s, &v.fogColor));
    EXPECT_EQ(1, _GetFogDensity_(s, &v.fogDensity));
    return v;
}

void WriteValues(HMODELSHEET s, const ModelValues& v)
{
    EXPECT_EQ(1, _SetLight_Ambient_(s, &v.lightAmbient));
    EXPECT_EQ(1, _SetLight_Diffuse_(s, &v.lightDiffuse));
    EXPECT_EQ(1, _SetLight_Specular_(s, &v.lightSpecular));
    EXPECT_EQ(1, _SetLineColor_(s, &v.lineColor));
    EXPECT_EQ(1, _SetBackColor_(s, &v.backColor));
    EXPECT_EQ(1, _SetMaterial_Ambient_(s, &v.matAmbient));
    EXPECT_EQ(1, _SetMaterial_Diffuse_(s, &v.matDiffuse));
    EXPECT_EQ(1, _SetMaterial_Specular_(s, &v.matSpecular));
    EXPECT_EQ(1, _SetMaterial_Emission_(s, &v.matEmission));
    EXPECT_EQ(1, _SetMaterial_Shininess_(s, v.shininess));
    EXPECT_EQ(1, _SetMatMode_(s, v.matMode));
    EXPECT_EQ(1, _SetFogColor_(s, &v.fogColor));
    EXPECT_EQ(1, _SetFogDensity_(s, v.fogDensity));
}

bool SameColor(const MODELCOLOR& a, const MODELCOLOR& b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

std::string Describe(const MODELCOLOR& c)
{
    char buf[64];
    snprintf(buf, sizeof buf, "(%d, %d, %d)", c.r, c.g, c.b);
    return buf;
}

// ---------------------------------------------------------------------------
// HostWindow

HostWindow::HostWindow()
{
    static const wchar_t kClass[] = L"OroscapeModelTestHost";
    WNDCLASSW wc{};
    wc.lpfnWndProc = &HostWindow::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);  // fails harmlessly when already registered
    object_.hWnd = CreateWindowExW(0, kClass, L"地形浏览", WS_OVERLAPPEDWINDOW, 20, 20, 300, 200, nullptr, nullptr,
                                   wc.hInstance, nullptr);
    SetWindowLongPtrW(object_.hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

HostWindow::~HostWindow()
{
    if (object_.hWnd) {
        SetWindowLongPtrW(object_.hWnd, GWLP_USERDATA, 0);
        DestroyWindow(object_.hWnd);
    }
}

std::vector<ApplyRecord> HostWindow::Applies() const
{
    std::lock_guard<std::mutex> l(lock_);
    return applies_;
}

void HostWindow::Clear()
{
    std::lock_guard<std::mutex> l(lock_);
    applies_.clear();
}

LRESULT CALLBACK HostWindow::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    HostWindow* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_MODEL_APPLY && self != nullptr) {
        ApplyRecord record{wp, lp, {}};
        if (self->sheet_ != nullptr)
            record.values = ReadValues(self->sheet_);
        std::lock_guard<std::mutex> l(self->lock_);
        self->applies_.push_back(record);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// ---------------------------------------------------------------------------
// LaterText

namespace {
const UINT kSetTextLater = WM_APP + 17;
}

LaterText::LaterText()
{
    static const wchar_t kClass[] = L"OroscapeModelTestLaterText";
    WNDCLASSW wc{};
    wc.lpfnWndProc = &LaterText::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);
    helper_ = CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(helper_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

LaterText::~LaterText()
{
    DestroyWindow(helper_);
}

void LaterText::SetLater(HWND edit, const std::wstring& text)
{
    size_t index;
    {
        std::lock_guard<std::mutex> l(lock_);
        texts_.push_back(text);
        index = texts_.size() - 1;
    }
    PostMessageW(helper_, kSetTextLater, reinterpret_cast<WPARAM>(edit), static_cast<LPARAM>(index));
}

LRESULT CALLBACK LaterText::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    LaterText* self = reinterpret_cast<LaterText*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == kSetTextLater && self != nullptr) {
        std::wstring text;
        {
            std::lock_guard<std::mutex> l(self->lock_);
            text = self->texts_[static_cast<size_t>(lp)];
        }
        SetWindowTextW(reinterpret_cast<HWND>(wp), text.c_str());
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// ---------------------------------------------------------------------------
// The sheet

HWND WaitSheet(ui::Ctx& c)
{
    return c.WaitWindow(kSheetCaption, L"#32770");
}

std::vector<std::wstring> TabTexts(ui::Ctx& c, HWND sheet)
{
    HWND tabs = c.Item(sheet, kTabControl);
    std::vector<std::wstring> texts;
    c.RunOnUi([&] {
        int n = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            wchar_t buf[64] = {};
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = buf;
            item.cchTextMax = 64;
            SendMessageW(tabs, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
            texts.push_back(buf);
        }
    });
    return texts;
}

void SelectPage(ui::Ctx& c, HWND sheet, int index)
{
    // Posted: a page that does not let go shows a prompt in a modal loop.
    if (!PostMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0))
        c.Fail("posting PSM_SETCURSEL failed");
    c.Flush();
}

int CurrentTab(ui::Ctx& c, HWND sheet)
{
    HWND tabs = c.Item(sheet, kTabControl);
    int index = -2;
    c.RunOnUi([&] { index = static_cast<int>(SendMessageW(tabs, TCM_GETCURSEL, 0, 0)); });
    return index;
}

HWND CurrentPage(ui::Ctx& c, HWND sheet)
{
    HWND page = nullptr;
    c.RunOnUi([&] { page = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); });
    return page;
}

uint32_t SwatchPixel(ui::Ctx& c, HWND swatch)
{
    ui::Image img = c.Capture(swatch, true);
    return img.At(img.width / 2, img.height / 2);
}

uint32_t PixelOf(const MODELCOLOR& color)
{
    return ui::Rgb(static_cast<unsigned>(color.r) & 255u, static_cast<unsigned>(color.g) & 255u,
                   static_cast<unsigned>(color.b) & 255u);
}

std::wstring DismissPrompt(ui::Ctx& c)
{
    HWND box = c.WaitWindow(kPromptCaption, L"#32770");
    return c.DismissMessageBox(box);
}

bool NoPrompt(ui::Ctx& c)
{
    c.Flush();
    return c.FindTop(kPromptCaption, L"#32770") == nullptr;
}

bool Enabled(HWND h)
{
    return IsWindow(h) && IsWindowEnabled(h);
}

void CloseSheet(ui::Ctx& c, HWND sheet, int button)
{
    c.Click(sheet, button);
    PostMessageW(sheet, WM_NULL, 0, 0);
}

void ClickSpin(ui::Ctx& c, HWND spin, bool up)
{
    RECT rc{};
    GetClientRect(spin, &rc);
    c.MouseClick(spin, POINT{rc.right / 2, up ? rc.bottom / 4 : rc.bottom * 3 / 4});
}

}  // namespace modeltest
