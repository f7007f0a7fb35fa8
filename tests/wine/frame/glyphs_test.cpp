// The library's Chinese text on a Western system (code page 1252): every static, check box, radio
// button, push button and tab of every dialog draws its text with a face that has a glyph for each
// character - not only reads back right. Run under en_US.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "chooser_support.h"
#include "include/oroscape.h"
#include "passes.h"
#include "res/resource.h"
#include "test_hostdir.h"
#include "uidriver_gtest.h"
#include "res/captions.h"

namespace {

std::wstring ClassOf(HWND w)
{
    wchar_t name[64] = L"";
    GetClassNameW(w, name, 64);
    return name;
}

// The characters of text that font draws as the missing glyph.
std::wstring Missing(HFONT font, const std::wstring& text)
{
    std::wstring missing;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font != nullptr ? font : GetStockObject(SYSTEM_FONT));
    std::vector<WORD> glyphs(text.size());
    GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
    for (size_t i = 0; i < text.size(); ++i) {
        if (glyphs[i] == 0xFFFF && text[i] > L' ')
            missing += text[i];
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    return missing;
}

BOOL CALLBACK CollectWindow(HWND child, LPARAM lp)
{
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(child);
    return TRUE;
}

// Every control of window w (and its descendants) whose text some glyph of its font lacks.
std::vector<std::string> Unreadable(HWND w)
{
    std::vector<std::string> found;
    std::vector<HWND> all;
    EnumChildWindows(w, &CollectWindow, reinterpret_cast<LPARAM>(&all));
    for (HWND child : all) {
        if (!IsWindowVisible(child))
            continue;
        const std::wstring cls = ClassOf(child);
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
        std::vector<std::wstring> texts;
        const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
        const bool picture = cls == L"Static" && ((style & SS_TYPEMASK) == SS_ICON || (style & SS_TYPEMASK) == SS_BITMAP);
        if ((cls == L"Static" && !picture) || cls == L"Button") {
            texts.push_back(ui::Caption(child));
        } else if (cls == WC_TABCONTROLW) {
            const int n = static_cast<int>(SendMessageW(child, TCM_GETITEMCOUNT, 0, 0));
            for (int i = 0; i < n; ++i) {
                wchar_t buf[64] = L"";
                TCITEMW item = {};
                item.mask = TCIF_TEXT;
                item.pszText = buf;
                item.cchTextMax = 64;
                SendMessageW(child, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
                texts.push_back(buf);
            }
        }
        for (const std::wstring& text : texts) {
            const std::wstring missing = Missing(font, text);
            if (!missing.empty())
                found.push_back(ui::Narrow(cls + L" " + std::to_wstring(GetDlgCtrlID(child)) + L" \"" + text +
                                           L"\" lacks \"" + missing + L"\""));
        }
    }
    return found;
}

void ExpectReadable(ui::Ctx& c, HWND w, const char* which)
{
    c.RunOnUi([&] { RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW); });
    c.Flush();
    for (const std::string& fault : Unreadable(w))
        ADD_FAILURE() << which << ": " << fault;
}

TEST(Glyphs, EveryDialogDrawsItsChineseTextWithGlyphs)
{
    ASSERT_NE(936u, GetACP()) << "runs under a Western code page";
    test::HostDir host;
    host.WriteTable("terrain.lut", test::TableBytes("terrain", 256));
    const float range[2] = {0.0f, 600.0f};
    HeightColorInfo record = {};
    record.nLayers = 6;  // no table name: custom layers, so Save and the limits are there
    rel::ModelHost modelHost;
    HMODELSHEET sheet = nullptr;
    ASSERT_EQ(1, _CreateModelDialog(modelHost.Object(), &sheet));
    const std::string image = rel::WriteEnviImage(host.Path(), "bands");
    test::PictureFolder pictures;
    pictures.Bitmap(L"p.bmp", 40, 30, 24, RGB(200, 30, 30));
    wchar_t previousDir[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, previousDir);
    SetCurrentDirectoryW(pictures.Path().c_str());
    char path[MAX_PATH] = "";
    char format = 0;
    int bands[3] = {};

    const struct {
        const char* name;
        std::function<int()> call;
        std::function<void(ui::Ctx&)> look;
    } cases[] = {
        {"layering, its name and threshold dialogs", [&] { return _SetHeightColorDlg(range, &record); },
         [](ui::Ctx& c) {
             HWND d = c.WaitWindow(kCaptionHeightColor, L"#32770");
             ExpectReadable(c, d, "高程分层设色设置");
             ui::SaveScreenshotIfRequested(d, L"heightcolor_en_US");
             c.Click(d, IDC_SAVE);
             HWND n = c.WaitWindow(kCaptionSaveTable, L"#32770");
             ExpectReadable(c, n, "保存自定义色表");
             c.Click(n, IDCANCEL);
             c.WaitGone(n);
             c.Click(d, IDC_ALLOW_LIMIT_EDIT);
             PostMessageW(d, WM_EDIT_LAYER_CELL, 2, 1);
             HWND t = c.WaitWindow(kCaptionThreshold, L"#32770");
             ExpectReadable(c, t, "编辑阈值");
             c.Click(t, IDCANCEL);
             c.WaitGone(t);
             c.Click(d, IDCANCEL);
         }},
        {"model sheet, each page", [&] { return static_cast<int>(_ShowModelDialog(sheet)); },
         [](ui::Ctx& c) {
             HWND d = c.WaitWindow(kCaptionModelSheet, L"#32770");
             for (int page = 0; page < 3; ++page) {
                 c.RunOnUi([&] { SendMessageW(d, PSM_SETCURSEL, page, 0); });
                 ExpectReadable(c, d, ("模型参数设置, page " + std::to_string(page)).c_str());
                 if (page == 0)
                     ui::SaveScreenshotIfRequested(d, L"model_light_page_en_US");
             }
             c.Click(d, IDCANCEL);
             PostMessageW(d, WM_NULL, 0, 0);
         }},
        {"texture parameters", [&] { return static_cast<int>(_SetTexParamDlg(image.c_str(), &format, &bands[0], &bands[1], &bands[2])); },
         [](ui::Ctx& c) {
             HWND d = c.WaitWindow(kCaptionTexParam, L"#32770");
             ExpectReadable(c, d, "纹理参数设置");
             c.Click(d, IDCANCEL);
         }},
        {"texture chooser and its preview pane", [&] { return static_cast<int>(_SelectTextureFile(path)); },
         [](ui::Ctx& c) {
             HWND d = c.WaitModal(L"#32770");
             ExpectReadable(c, d, "请选择纹理数据");
             c.Click(d, IDCANCEL);
         }},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        ui::Script s;
        s.Step(k.name, k.look);
        s.Run(k.call);
        EXPECT_TRUE(s.Succeeded());
    }
    SetCurrentDirectoryW(previousDir);
    _DeleteModelDialog(&sheet);
}

}  // namespace
