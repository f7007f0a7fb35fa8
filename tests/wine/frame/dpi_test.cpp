// The dialogs at the screen's resolution. CTest runs this program once per resolution: at 96
// dots per inch in the test prefix, at 144 and 192 in prefixes made with that LogPixels
// (scripts/wineprefix.sh DPI); OROSCAPE_TEST_DPI names the resolution the run is for. Wine
// treats every window as aware of the resolution, so this is what a user of Wine sees.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "chooser_support.h"
#include "heightcolor/layercolumns.h"
#include "include/oroscape.h"
#include "passes.h"
#include "res/resource.h"
#include "test_hostdir.h"
#include "uidriver_gtest.h"
#include "res/captions.h"

namespace {

int ExpectedDpi()
{
    const char* v = std::getenv("OROSCAPE_TEST_DPI");
    return v != nullptr && *v != '\0' ? std::atoi(v) : 96;
}

int S(int pixels) { return ScaleToDpi(pixels, ExpectedDpi()); }

BOOL CALLBACK CollectWindow(HWND child, LPARAM lp)
{
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(child);
    return TRUE;
}

// The room a control gives its text and the format it draws it with; false for a control that
// shows no text of its own (pictures, frames, empty statics, other classes).
bool TextRoom(HWND w, RECT* room, UINT* format)
{
    const std::wstring cls = ui::ClassName(w);
    const LONG style = GetWindowLongW(w, GWL_STYLE);
    GetClientRect(w, room);
    *format = DT_CALCRECT;
    if (cls == L"Static") {
        const LONG type = style & SS_TYPEMASK;
        if (type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE)
            *format |= DT_SINGLELINE;
        else if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT)
            *format |= DT_WORDBREAK;
        else
            return false;  // icons, bitmaps, etched lines
        return true;
    }
    if (cls != L"Button")
        return false;
    const LONG type = style & BS_TYPEMASK;
    *format |= DT_SINGLELINE;
    if (type == BS_GROUPBOX) {
        // The caption sits in the top line, between the frame's corners.
        const int corner = GetSystemMetrics(SM_CXEDGE) * 2;
        InflateRect(room, -corner, 0);
        return true;
    }
    if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON ||
        type == BS_3STATE || type == BS_AUTO3STATE) {
        // The glyph (12 pixels at 96 dots per inch, and one) and half a digit's width before the text.
        HDC dc = GetDC(w);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(w, WM_GETFONT, 0, 0)));
        INT digit = 0;
        GetCharWidth32W(dc, L'0', L'0', &digit);
        SelectObject(dc, old);
        ReleaseDC(w, dc);
        room->left += 12 * ExpectedDpi() / 96 + 1 + digit / 2;
        return true;
    }
    // Push buttons: inside their three-dimensional edge.
    InflateRect(room, -GetSystemMetrics(SM_CXEDGE), -GetSystemMetrics(SM_CYEDGE));
    return true;
}

// Every visible static and button of w (and of its descendants) whose text, drawn with the
// control's own font, reaches past the room the control gives it.
std::vector<std::string> ClippedTexts(HWND w)
{
    std::vector<std::string> found;
    std::vector<HWND> all{w};  // w itself, when it is a control
    EnumChildWindows(w, &CollectWindow, reinterpret_cast<LPARAM>(&all));
    for (HWND child : all) {
        const std::wstring text = ui::Caption(child);
        RECT room;
        UINT format = 0;
        if (!IsWindowVisible(child) || text.empty() || !TextRoom(child, &room, &format))
            continue;
        HDC dc = GetDC(child);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)));
        RECT need = {0, 0, room.right - room.left, 0};
        DrawTextW(dc, text.c_str(), -1, &need, format);
        // A font made for the resolution grows in both directions: one that keeps its width
        // (the stock system font) squeezes the glyphs.
        TEXTMETRICW tm = {};
        GetTextMetricsW(dc, &tm);
        if (tm.tmAveCharWidth * 5 < tm.tmHeight * 2)
            found.push_back(ui::Narrow(L"\"" + text + L"\" in a squeezed font, " + std::to_wstring(tm.tmAveCharWidth) +
                                       L" wide and " + std::to_wstring(tm.tmHeight) + L" high"));
        SelectObject(dc, old);
        ReleaseDC(child, dc);
        const int width = need.right - need.left, height = need.bottom - need.top;
        const int roomWidth = room.right - room.left, roomHeight = room.bottom - room.top;
        if (width > roomWidth || height > roomHeight)
            found.push_back(ui::Narrow(L"\"" + text + L"\" needs " + std::to_wstring(width) + L" x " +
                                       std::to_wstring(height) + L", has " + std::to_wstring(roomWidth) + L" x " +
                                       std::to_wstring(roomHeight)));
    }
    return found;
}

// Under Wine no template control is smaller than its text at 96, 144 or 192 dots per inch
// (code pages 936 and 1252 alike), so every text that does not fit is a fault.
void CheckTexts(ui::Ctx& c, HWND w, const std::string& which)
{
    c.UpdateNow(w);
    for (const std::string& clip : ClippedTexts(w))
        ADD_FAILURE() << which << " at " << ExpectedDpi() << " dpi: " << clip;
}

// ---------------------------------------------------------------------------------------------

TEST(Dpi, TheScreenHasTheResolutionOfTheRun)
{
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(ExpectedDpi(), GetDeviceCaps(screen, LOGPIXELSY)) << "the prefix's LogPixels";
    ReleaseDC(nullptr, screen);
}

TEST(Dpi, LayeringDialogDrawsItsListIconAndTextsAtTheResolution)
{
    test::HostDir host;
    host.WriteTable("terrain.lut", test::TableBytes("terrain", 256));
    const float range[2] = {0.0f, 600.0f};
    HeightColorInfo record = {};
    record.nLayers = 6;  // custom layers, the record's own limits and colours
    // A terrain's colours, low to high (16 bits a channel).
    static const COLORREF kColours[6] = {RGB(32, 110, 60),  RGB(90, 160, 70),  RGB(200, 200, 110),
                                         RGB(190, 150, 90), RGB(140, 100, 70), RGB(245, 245, 245)};
    for (int i = 0; i < 6; ++i) {
        record.fLimit[i][0] = 100.0f * i;
        record.fLimit[i][1] = 100.0f * (i + 1);
        record.wColor[i] = LayerColor{static_cast<unsigned short>(GetRValue(kColours[i]) * 257),
                                      static_cast<unsigned short>(GetGValue(kColours[i]) * 257),
                                      static_cast<unsigned short>(GetBValue(kColours[i]) * 257)};
    }

    ui::Script s;
    s.Step("list, icon and texts", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaptionHeightColor, L"#32770");
        HWND list = c.Item(d, IDC_LAYER_LIST);
        CheckTexts(c, d, "高程分层设色设置");

        // Bitmap 4003 at the resolution's scale: the image list's images, and so the rows.
        HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
        ASSERT_NE(nullptr, images);
        int cx = 0, cy = 0;
        ImageList_GetIconSize(images, &cx, &cy);
        EXPECT_EQ(S(16), cx);
        EXPECT_EQ(S(16), cy);
        RECT row = {LVIR_BOUNDS, 0, 0, 0};
        ASSERT_TRUE(SendMessageW(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row)));
        const int rowHeight = row.bottom - row.top;
        TEXTMETRICW tm = {};
        HDC listDc = GetDC(list);
        HGDIOBJ old = SelectObject(listDc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
        GetTextMetricsW(listDc, &tm);
        SelectObject(listDc, old);
        ReleaseDC(list, listDc);
        EXPECT_GE(rowHeight, S(16));
        EXPECT_GE(rowHeight, tm.tmHeight) << "a limit's text is cut at the row's bottom";

        // The columns fit the list's client width at every resolution.
        int edges[5] = {0};
        for (int i = 0; i < 4; ++i)
            edges[i + 1] = edges[i] + static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, i, 0));
        RECT client;
        GetClientRect(list, &client);
        EXPECT_LE(edges[4], client.right);

        // The swatch of layer 1: its colour from the inset on, white between it and the cell.
        const int inset = S(2);
        const COLORREF colour = kColours[1];
        EXPECT_EQ(std::to_wstring(colour), c.ListText(list, 1, 3));
        ui::Image img = c.Capture(list, true, ui::Source::WindowDc);
        ASSERT_FALSE(img.empty());
        const int mid = (row.top + row.bottom) / 2;
        EXPECT_EQ(ui::FromColorref(colour), img.At(edges[3] + inset, mid));
        EXPECT_EQ(ui::Rgb(255, 255, 255), img.At(edges[3] + inset - 1, mid));
        EXPECT_EQ(ui::FromColorref(colour), img.At(edges[4] - inset - 1, row.top + inset));
        EXPECT_EQ(ui::Rgb(255, 255, 255), img.At(edges[4] - inset, row.top + inset));
        EXPECT_EQ(ui::Rgb(255, 255, 255), img.At(edges[4] - inset - 1, row.top + inset - 1));

        // A click on the lower limit of layer 1 frames the cell with lines of the scaled width.
        const LPARAM at = MAKELPARAM(edges[1] + (edges[2] - edges[1]) / 2, mid);
        PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(list, WM_LBUTTONUP, 0, at);
        c.Flush();
        // The keyboard cursor (dotted, just inside the frame) shows only while the list has the focus.
        c.RunOnUi([&] {
            SetFocus(GetDlgItem(d, IDCANCEL));
            RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        });
        img = c.Capture(list, true, ui::Source::WindowDc);
        const int frame = S(1);
        for (int x = 0; x < frame; ++x)
            EXPECT_EQ(ui::Rgb(0, 0, 0), img.At(edges[1] + x, mid)) << "frame line " << x;
        EXPECT_EQ(ui::Rgb(255, 255, 255), img.At(edges[1] + frame, mid)) << "inside the frame";
        EXPECT_EQ(ui::Rgb(0, 0, 0), img.At(edges[2] - frame, mid)) << "right line";
        EXPECT_EQ(ui::Rgb(0, 0, 0), img.At(edges[1] + frame + 1, row.top + frame - 1)) << "top line";
        EXPECT_EQ(ui::Rgb(255, 255, 255), img.At(edges[1] + frame + 1, row.top + frame)) << "under the top line";

        // Icon 4019: the image nearest to the resolution's size, at its own size.
        const int sizes[] = {32, 48};
        const int iconSize = NearestIconSize(sizes, 2, 32, ExpectedDpi());
        HWND iconStatic = nullptr;
        for (HWND w = GetWindow(d, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT))
            if (ui::ClassName(w) == L"Static" && (GetWindowLongW(w, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
                iconStatic = w;
        ASSERT_NE(nullptr, iconStatic);
        HICON icon = reinterpret_cast<HICON>(SendMessageW(iconStatic, STM_GETICON, 0, 0));
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bm = {};
        GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
        if (info.hbmColor != nullptr)
            DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        EXPECT_EQ(iconSize, bm.bmWidth);
        RECT iconRect;
        GetClientRect(iconStatic, &iconRect);
        EXPECT_EQ(iconSize, iconRect.right);

        if (ExpectedDpi() == 144)
            ui::SaveScreenshotIfRequested(d, L"dpi150_heightcolor");

        // The nested dialogs.
        c.Click(d, IDC_SAVE);
        HWND n = c.WaitWindow(kCaptionSaveTable, L"#32770");
        CheckTexts(c, n, "保存自定义色表");
        c.Click(n, IDCANCEL);
        c.WaitGone(n);
        c.Click(d, IDC_ALLOW_LIMIT_EDIT);
        PostMessageW(d, WM_EDIT_LAYER_CELL, 2, 1);
        HWND t = c.WaitWindow(kCaptionThreshold, L"#32770");
        CheckTexts(c, t, "编辑阈值");
        c.Click(t, IDCANCEL);
        c.WaitGone(t);
        c.Click(d, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, s.Run([&] { return _SetHeightColorDlg(range, &record); }));
    EXPECT_TRUE(s.Succeeded());
}

TEST(Dpi, ModelPagesKeepTheirSwatchMarginAndTexts)
{
    rel::ModelHost modelHost;
    HMODELSHEET sheet = nullptr;
    ASSERT_EQ(1, _CreateModelDialog(modelHost.Object(), &sheet));
    // A daylight scene: the first swatch of each page shows the first of these.
    const MODELCOLOR ambient{70, 80, 100}, diffuse{235, 225, 200}, specular{255, 255, 255}, line{60, 60, 60},
        back{110, 160, 220}, material{120, 150, 90}, fog{200, 205, 215};
    _SetLight_Ambient_(sheet, &ambient);
    _SetLight_Diffuse_(sheet, &diffuse);
    _SetLight_Specular_(sheet, &specular);
    _SetLineColor_(sheet, &line);
    _SetBackColor_(sheet, &back);
    _SetMaterial_Ambient_(sheet, &material);
    _SetMaterial_Diffuse_(sheet, &diffuse);
    _SetMaterial_Specular_(sheet, &specular);
    _SetMaterial_Emission_(sheet, &line);
    _SetFogColor_(sheet, &fog);
    static const int kSwatches[3] = {IDC_LIGHT_AMBIENT_SAMPLE, IDC_MAT_AMBIENT_SAMPLE, IDC_FOG_COLOR_SAMPLE};
    const MODELCOLOR shown[3] = {ambient, material, fog};
    ui::Script s;
    s.Step("each page", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaptionModelSheet, L"#32770");
        for (int page = 0; page < 3; ++page) {
            c.RunOnUi([&] { SendMessageW(d, PSM_SETCURSEL, page, 0); });
            HWND pageWnd = reinterpret_cast<HWND>(SendMessageW(d, PSM_GETCURRENTPAGEHWND, 0, 0));
            ASSERT_NE(nullptr, pageWnd);
            CheckTexts(c, pageWnd, "模型参数设置 page " + std::to_string(page));
            HWND swatch = c.Item(pageWnd, kSwatches[page]);
            c.UpdateNow(d);
            const ui::Image img = c.Capture(swatch, true, ui::Source::WindowDc);
            ASSERT_FALSE(img.empty());
            const int margin = MulDiv(1, ExpectedDpi(), 96);
            const int y = img.height / 2;
            const uint32_t colour = ui::Rgb(shown[page].r, shown[page].g, shown[page].b);
            EXPECT_EQ(colour, img.At(img.width / 2, y)) << "page " << page;
            EXPECT_EQ(colour, img.At(margin, y)) << "page " << page;
            EXPECT_NE(colour, img.At(margin - 1, y)) << "page " << page;
            EXPECT_EQ(colour, img.At(img.width - margin - 1, y)) << "page " << page;
            EXPECT_NE(colour, img.At(img.width - margin, y)) << "page " << page;
            if (page == 0 && ExpectedDpi() == 144)
                ui::SaveScreenshotIfRequested(d, L"dpi150_model_light");
        }
        c.Click(d, IDCANCEL);
        PostMessageW(d, WM_NULL, 0, 0);
    });
    s.Run([&] { return static_cast<int>(_ShowModelDialog(sheet)); });
    EXPECT_TRUE(s.Succeeded());
    _DeleteModelDialog(&sheet);
}

TEST(Dpi, TextureParametersTexts)
{
    test::HostDir host;
    const std::string image = rel::WriteEnviImage(host.Path(), "bands");
    char format = 0;
    int bands[3] = {};
    ui::Script s;
    s.Step("texts", [](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaptionTexParam, L"#32770");
        CheckTexts(c, d, "纹理参数设置");
        // Each format's description, which the dialog writes into its static.
        HWND formats = c.Item(d, IDC_FORMAT);
        const int n = c.ComboCount(formats);
        EXPECT_GT(n, 0);
        for (int i = 0; i < n; ++i) {
            c.SelectCombo(formats, i);
            EXPECT_FALSE(c.Text(d, IDC_FORMAT_INFO).empty()) << i;
            CheckTexts(c, d, "纹理参数设置, format " + std::to_string(i));
        }
        c.Click(d, IDCANCEL);
    });
    s.Run([&] { return static_cast<int>(_SetTexParamDlg(image.c_str(), &format, &bands[0], &bands[1], &bands[2])); });
    EXPECT_TRUE(s.Succeeded());
}

TEST(Dpi, ChooserPaneAndButtonsFitTheDialog)
{
    test::PictureFolder pictures;
    const std::wstring picture = pictures.Bitmap(L"p.bmp", 40, 30, 24, RGB(200, 30, 30));
    wchar_t previousDir[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, previousDir);
    SetCurrentDirectoryW(pictures.Path().c_str());
    char path[MAX_PATH] = "";
    ui::Script s;
    s.Step("layout", [](ui::Ctx& c) {
        HWND d = c.WaitModal(L"#32770");
        HWND pane = c.Item(d, 0xFFFF);
        CheckTexts(c, pane, "请选择纹理数据");
        RECT client;
        GetClientRect(d, &client);
        auto in = [&](HWND w) {
            RECT r;
            GetWindowRect(w, &r);
            MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&r), 2);
            return r;
        };
        const RECT rp = in(pane), ro = in(c.Item(d, IDOK)), rc = in(c.Item(d, IDCANCEL)), rt = in(c.Item(d, 0x470));
        for (const RECT& r : {rp, ro, rc}) {
            EXPECT_GE(r.left, client.left);
            EXPECT_GE(r.top, client.top);
            EXPECT_LE(r.right, client.right);
            EXPECT_LE(r.bottom, client.bottom);
        }
        RECT overlap;
        EXPECT_FALSE(IntersectRect(&overlap, &rp, &ro)) << "pane over Open";
        EXPECT_FALSE(IntersectRect(&overlap, &rp, &rc)) << "pane over Cancel";
        EXPECT_FALSE(IntersectRect(&overlap, &ro, &rc)) << "Open over Cancel";
        EXPECT_FALSE(IntersectRect(&overlap, &rp, &rt)) << "pane over the type box";
        if (ExpectedDpi() == 144) {   // a picture once the file list is up and everything painted
            c.WaitFor([&] {
                HWND view = ui::Ctx::FindItem(d, 1121);
                return view && FindWindowExW(view, nullptr, L"SysListView32", nullptr);
            }, "the file list");
            c.Flush();
            c.RunOnUi([&] { RedrawWindow(d, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW); });
            c.Flush();
            ui::SaveScreenshotIfRequested(d, L"dpi150_chooser");
        }
        c.Click(d, IDCANCEL);
    });
    EXPECT_EQ(0, s.Run([&] { return static_cast<int>(_SelectTextureFile(path)); }));
    EXPECT_TRUE(s.Succeeded());
    // The picture fills the pane at this resolution too.
    EXPECT_TRUE(rel::ChooserPass(picture, RGB(200, 30, 30), false));
    SetCurrentDirectoryW(previousDir);
}

}  // namespace
