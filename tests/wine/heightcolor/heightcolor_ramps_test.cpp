// _SetHeightColorDlg and the colour ramps of the GIS tools, through the real DLL and the
// dialog's own modal loop: a ramp of each format on the clipboard pasted with real keys while
// the list or a button has the focus, files dropped through a real WM_DROPFILES, the layers
// copied and read back, and every refusal leaving the record byte for byte as it was. The
// program runs under code page 936 and again under 1252.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <stdlib.h>
#include <string.h>

#include <fstream>
#include <functional>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "heightcolor/layers.h"
#include "include/oroscape.h"
#include "ramps/ramp.h"
#include "res/captions.h"
#include "res/resource.h"
#include "test_hostdir.h"
#include "uidriver_gtest.h"

namespace {

const float kRange[2] = {120.0f, 2400.0f};

std::string Slurp(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

std::string ShippedSrtm() { return Slurp(std::string(OROSCAPE_SHIPPED_RAMPS) + "/srtm.txt"); }

std::wstring Wide(const std::string& utf8)
{
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &w[0], n);
    return w;
}

// The record a host passes, with guard bytes behind it.
struct GuardedRecord {
    HeightColorInfo info;
    unsigned char after[256];
    GuardedRecord()
    {
        memset(&info, 0, sizeof info);
        strcpy(info.szName, "terrain");
        info.nLayers = 256;
        memset(after, 0xA5, sizeof after);
    }
    bool GuardIntact() const
    {
        for (unsigned char b : after)
            if (b != 0xA5)
                return false;
        return true;
    }
    std::string Bytes() const { return std::string(reinterpret_cast<const char*>(&info), sizeof info); }
};

// The clipboard, set and read by the test (on the UI thread, inside a step's RunOnUi).
bool PutClipboard(UINT format, const void* data, size_t bytes)
{
    if (!OpenClipboard(nullptr))
        return false;
    EmptyClipboard();
    bool ok = true;
    if (data != nullptr) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
        void* to = block != nullptr ? GlobalLock(block) : nullptr;
        ok = to != nullptr;
        if (ok) {
            memcpy(to, data, bytes);
            GlobalUnlock(block);
            ok = SetClipboardData(format, block) != nullptr;
        }
    }
    CloseClipboard();
    return ok;
}
bool PutClipboardText(const std::wstring& text)
{
    return PutClipboard(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}
std::string ReadClipboard(UINT format)
{
    std::string out;
    if (!OpenClipboard(nullptr))
        return out;
    if (HANDLE h = GetClipboardData(format)) {
        const char* p = static_cast<const char*>(GlobalLock(h));
        const size_t size = GlobalSize(h);
        if (p != nullptr) {
            if (format == CF_UNICODETEXT) {
                const wchar_t* w = reinterpret_cast<const wchar_t*>(p);
                const size_t n = wcsnlen(w, size / sizeof(wchar_t));
                const int len = WideCharToMultiByte(CP_UTF8, 0, w, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
                out.assign(static_cast<size_t>(len > 0 ? len : 0), '\0');
                if (len > 0)
                    WideCharToMultiByte(CP_UTF8, 0, w, static_cast<int>(n), &out[0], len, nullptr, nullptr);
            } else {
                out.assign(p, strnlen(p, size));
            }
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    return out;
}

// An HDROP as the shell builds it: DROPFILES, then the wide paths, each ended, the list ended.
HGLOBAL BuildDrop(const std::wstring& path)
{
    const size_t bytes = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->pt = POINT{40, 40};
    drop->fNC = FALSE;
    drop->fWide = TRUE;
    memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), path.c_str(), path.size() * sizeof(wchar_t));
    GlobalUnlock(block);
    return block;
}

// What the layers of a ramp text over kRange must be: read in the format named (not detected).
std::vector<ColorLayer> Expected(ramps::Format format, const std::string& text)
{
    ramps::Ramp ramp;
    ramps::Report report;
    std::string utf8;
    std::vector<ColorLayer> layers;
    EXPECT_TRUE(ramps::DecodeText(text, &utf8, &report));
    EXPECT_TRUE(ramps::ReadRamp(format, utf8, false, &ramp, &report)) << report.error;
    EXPECT_TRUE(ramps::LayersFromRamp(ramp, kRange[0], kRange[1], &layers, &report)) << report.error;
    return layers;
}

// The record holds exactly these layers, as the host reads them.
void ExpectRecordHolds(const GuardedRecord& rec, const std::vector<ColorLayer>& want)
{
    ASSERT_EQ(rec.info.nLayers, static_cast<short>(want.size()));
    EXPECT_EQ(rec.info.szName[0], '\0') << "custom layers carry no table name";
    const std::vector<ColorLayer> got = LayersOfRecord(rec.info.fLimit, rec.info.wColor, rec.info.nLayers);
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got[i].lower, want[i].lower) << "layer " << i;
        EXPECT_EQ(got[i].upper, want[i].upper) << "layer " << i;
        EXPECT_EQ(got[i].color, want[i].color) << "layer " << i;
        EXPECT_EQ(rec.info.wColor[i].r & 0xFF, 0) << "layer " << i << ": colours are intensities times 256";
    }
    EXPECT_TRUE(rec.GuardIntact());
}

HWND WaitLayering(ui::Ctx& c) { return c.WaitWindow(kCaptionHeightColor, L"#32770"); }

// Real keys: under Wine a modifier pressed just as the window takes the focus can be lost (the
// key state is synchronised with the X server's when the focus arrives), and the dialog then sees
// a plain V. A shortcut whose effect does not show within a second is pressed again, three times
// at most; what the test checks afterwards is the same.
void Shortcut(ui::Ctx& c, HWND target, std::initializer_list<UINT> keys, const std::function<bool()>& took)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        c.Chord(target, keys);
        for (int i = 0; i < 20; ++i) {
            if (took())
                return;
            c.Sleep(50);
        }
    }
}

bool WarningShown(ui::Ctx& c) { return c.FindTop(kCaptionWarning, L"#32770") != nullptr; }

// The dialog's state after a ramp became its layers: custom mode, continuous tone off, the count
// in the edit and the spin, the list refilled with the layers' limits and colours.
void ExpectShowsLayers(ui::Ctx& c, HWND d, const std::vector<ColorLayer>& want)
{
    HWND list = c.Item(d, IDC_LAYER_LIST);
    const int n = static_cast<int>(want.size());
    c.WaitFor([&] { return c.Checked(c.Item(d, IDC_CUSTOM_LAYERS)) && c.ListCount(list) == n; },
              "custom mode and the list refilled with the ramp's layers");
    EXPECT_TRUE(c.Checked(c.Item(d, IDC_CUSTOM_LAYERS)));
    EXPECT_FALSE(c.Checked(c.Item(d, IDC_CONTINUOUS)));
    EXPECT_FALSE(IsWindowEnabled(c.Item(d, IDC_APPLY)));
    EXPECT_TRUE(IsWindowEnabled(c.Item(d, IDC_LAYER_COUNT)));
    EXPECT_FALSE(IsWindowEnabled(c.Item(d, IDC_TABLES)));
    EXPECT_EQ(c.Text(d, IDC_LAYER_COUNT), std::to_wstring(n));
    EXPECT_EQ(LOWORD(c.Send(c.Item(d, IDC_LAYER_SPIN), UDM_GETPOS, 0, 0, "spin position")), n);
    for (int row : {0, n / 2, n - 1}) {
        wchar_t limits[2][32];
        swprintf(limits[0], 32, L"%.3f", static_cast<double>(want[row].lower));
        swprintf(limits[1], 32, L"%.3f", static_cast<double>(want[row].upper));
        EXPECT_EQ(c.ListText(list, row, 1), limits[0]) << row;
        EXPECT_EQ(c.ListText(list, row, 2), limits[1]) << row;
        const Rgb8 k = want[row].color;
        EXPECT_EQ(c.ListText(list, row, 3), std::to_wstring(k.r + k.g * 256ul + k.b * 65536ul)) << row;
    }
}

// The warning box's text, dismissed.
std::wstring TakeWarning(ui::Ctx& c)
{
    HWND box = c.WaitWindow(kCaptionWarning, L"#32770");
    const std::wstring text = c.DismissMessageBox(box);
    c.WaitGone(box);
    return text;
}

std::vector<ColorLayer> SpreadTable(const std::vector<unsigned char>& lut)
{
    LutColor colors[256];
    const int n = DecodeLut(lut.data(), lut.size(), colors);
    float limits[256][2];
    SpreadTableLayers(kRange[0], kRange[1], n, limits);
    std::vector<ColorLayer> layers(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        layers[i] = ColorLayer{limits[i][0], limits[i][1], ToRgb8(colors[i])};
    return layers;
}

class HeightColorRamps : public ::testing::Test {
protected:
    HeightColorRamps()
    {
        host.WriteTable("terrain.lut", test::TableBytes("terrain", 256));
        rec = std::make_unique<GuardedRecord>();
    }
    // One run of the dialog on the terrain table: body on the dialog, then the close button.
    int RunDialog(const char* step, int close, const std::function<void(ui::Ctx&, HWND)>& body)
    {
        ui::Script s;
        s.Step(step, [&](ui::Ctx& c) {
            HWND d = WaitLayering(c);
            c.WaitFor([&] { return c.ListCount(c.Item(d, IDC_LAYER_LIST)) == 256; }, "the terrain table listed");
            body(c, d);
            c.Click(d, close);
            c.WaitGone(d);
        });
        return s.Run([&] { return _SetHeightColorDlg(kRange, &rec->info); });
    }
    test::HostDir host;
    std::unique_ptr<GuardedRecord> rec;
};

const wchar_t kQgis[] =
    L"# QGIS Generated Color Map Export File\r\nINTERPOLATION:DISCRETE\r\n"
    L"500,10,60,10,255,low\r\n1500,120,90,40,255,middle\r\ninf,250,250,250,255,high\r\n";

TEST_F(HeightColorRamps, EachFormatPastedWithTheFocusOnTheListOrAButton)
{
    struct Case {
        const char* what;
        ramps::Format format;
        std::wstring text;
        int focus;                  // control that has the focus when the keys are pressed
        bool shiftInsert;           // Shift+Insert instead of Ctrl+V
        const wchar_t* note;        // what the warning after the paste must say, or null for none
    } cases[] = {
        {"GDAL text, list", ramps::Format::Gdal, L"0 0 80 0\r\n1000 200 180 60\r\n3000 255 255 255\r\n",
         IDC_LAYER_LIST, false, nullptr},
        {"GDAL percent, OK button", ramps::Format::Gdal, L"0% blue\n50% 0 255 0\n100% red\n", IDOK, false, nullptr},
        {"GRASS rules, custom check box", ramps::Format::Grass,
         L"-100 0:0:255\n800 0:160:0\n1800 150:100:50\n2500 white\ndefault 9:9:9\n", IDC_CUSTOM_LAYERS, false,
         nullptr},
        {"GMT palette, list, Shift+Insert", ramps::Format::Cpt,
         L"# COLOR_MODEL = RGB\n0 20/80/20 1000 20/80/20\n1000 200/180/90 2000 255/255/255\nB black\nF white\n",
         IDC_LAYER_LIST, true, nullptr},
        {"QGIS export, Cancel button", ramps::Format::Qgis, kQgis, IDCANCEL, false, nullptr},
        {"ArcGIS colour map lines read as GDAL text, list", ramps::Format::Gdal,
         L"200 10 20 30\n900 40 50 60\n1700 70 80 90\n", IDC_LAYER_LIST, false, nullptr},
        {"GRASS srtm as shipped, OK button", ramps::Format::Gdal, Wide(ShippedSrtm()), IDOK, true, L"无数据颜色"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        rec = std::make_unique<GuardedRecord>();
        std::string utf8;
        {
            const int n = WideCharToMultiByte(CP_UTF8, 0, k.text.c_str(), -1, nullptr, 0, nullptr, nullptr);
            utf8.assign(static_cast<size_t>(n - 1), '\0');
            WideCharToMultiByte(CP_UTF8, 0, k.text.c_str(), -1, &utf8[0], n, nullptr, nullptr);
        }
        const std::vector<ColorLayer> want = Expected(k.format, utf8);
        ASSERT_FALSE(want.empty());
        const int result = RunDialog(k.what, IDOK, [&](ui::Ctx& c, HWND d) {
            bool put = false;
            c.RunOnUi([&] { put = PutClipboardText(k.text); });
            ASSERT_TRUE(put);
            auto took = [&] { return WarningShown(c) || c.Checked(c.Item(d, IDC_CUSTOM_LAYERS)); };
            if (k.shiftInsert)
                Shortcut(c, c.Item(d, k.focus), {VK_SHIFT, VK_INSERT}, took);
            else
                Shortcut(c, c.Item(d, k.focus), {VK_CONTROL, 'V'}, took);
            if (k.note != nullptr) {
                const std::wstring said = TakeWarning(c);
                EXPECT_NE(said.find(k.note), std::wstring::npos) << ui::Narrow(said);
            }
            ExpectShowsLayers(c, d, want);
            if (k.format == ramps::Format::Gdal && k.shiftInsert)
                ui::SaveScreenshotIfRequested(d, L"heightcolor_pasted_srtm");
            // A button that had the focus was not pressed by the keys.
            EXPECT_TRUE(IsWindow(d));
        });
        EXPECT_EQ(result, IDOK);
        ExpectRecordHolds(*rec, want);
    }
}

TEST_F(HeightColorRamps, CopiedLayersAreGdalTextThatPastesBackToTheSameRecord)
{
    std::string unicode, ansi, unchanged;
    std::string limitsBefore, colorsBefore;
    const int result = RunDialog("copy, then paste", IDOK, [&](ui::Ctx& c, HWND d) {
        HWND list = c.Item(d, IDC_LAYER_LIST);
        // Ctrl+C on a button copies nothing: the clipboard keeps its text.
        c.RunOnUi([&] { PutClipboardText(L"sentinel"); });
        c.Chord(c.Item(d, IDOK), {VK_CONTROL, 'C'});
        c.RunOnUi([&] { unchanged = ReadClipboard(CF_UNICODETEXT); });
        auto copied = [&] {
            std::string now;
            c.RunOnUi([&] { now = ReadClipboard(CF_UNICODETEXT); });
            return now != "sentinel";
        };
        Shortcut(c, list, {VK_CONTROL, 'C'}, copied);
        c.RunOnUi([&] {
            unicode = ReadClipboard(CF_UNICODETEXT);
            ansi = ReadClipboard(CF_TEXT);
            limitsBefore.assign(reinterpret_cast<const char*>(rec->info.fLimit), sizeof rec->info.fLimit);
            colorsBefore.assign(reinterpret_cast<const char*>(rec->info.wColor), sizeof rec->info.wColor);
        });
        // Ctrl+Insert copies the same; then the text pastes back.
        c.RunOnUi([&] { PutClipboardText(L"sentinel"); });
        Shortcut(c, list, {VK_CONTROL, VK_INSERT}, copied);
        std::string again;
        c.RunOnUi([&] { again = ReadClipboard(CF_UNICODETEXT); });
        EXPECT_EQ(again, unicode);
        Shortcut(c, list, {VK_CONTROL, 'V'}, [&] { return c.Checked(c.Item(d, IDC_CUSTOM_LAYERS)); });
        c.WaitFor([&] { return c.Checked(c.Item(d, IDC_CUSTOM_LAYERS)); }, "custom mode after the paste");
        EXPECT_EQ(c.ListCount(list), 256);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(unchanged, "sentinel");
    ASSERT_FALSE(unicode.empty());
    EXPECT_EQ(ansi, unicode);
    EXPECT_NE(unicode.find("\r\n"), std::string::npos) << "lines end in CR LF";
    // The text is GDAL's, and over the range it is the table's layers, class by class.
    std::string utf8;
    ramps::Report report;
    ASSERT_TRUE(ramps::DecodeText(unicode, &utf8, &report));
    EXPECT_EQ(ramps::DetectFormat("", utf8), ramps::Format::Gdal);
    const std::vector<ColorLayer> table = SpreadTable(test::TableBytes("terrain", 256));
    EXPECT_EQ(Expected(ramps::Format::Gdal, unicode).size(), table.size());
    // Byte for byte the text the gdaldem proof draws (layers_copy_proof), with CR LF.
    std::string proven, crlf;
    ASSERT_TRUE(ramps::LayersAsGdalText(table, kRange[0], kRange[1], &proven, &report));
    for (char ch : proven) {
        if (ch == '\n')
            crlf += '\r';
        crlf += ch;
    }
    EXPECT_EQ(unicode, crlf);
    // Pasted back: the limits and colours are the table's to the bit, now as custom layers.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(rec->info.fLimit), sizeof rec->info.fLimit), limitsBefore);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(rec->info.wColor), sizeof rec->info.wColor), colorsBefore);
    ExpectRecordHolds(*rec, table);
}

TEST_F(HeightColorRamps, DroppedFilesBecomeTheLayers)
{
    const std::string srtm = host.WriteFile("srtm.txt", ShippedSrtm());
    const std::string cpt = host.WriteFile("hills.cpt", "0 0/90/0 1200 0/90/0\n1200 160/120/60 2600 250/250/250\n");
    const std::vector<unsigned char> ocean = test::TableBytes("ocean", 16);
    const std::string lut = host.WriteFile("ocean.lut", std::string(ocean.begin(), ocean.end()));
    struct Case {
        const char* what;
        std::string path;
        std::vector<ColorLayer> want;
        const wchar_t* note;
    } cases[] = {
        {"GRASS srtm as shipped", srtm, Expected(ramps::Format::Gdal, ShippedSrtm()), L"无数据颜色"},
        {"a GMT palette by its extension", cpt, Expected(ramps::Format::Cpt, Slurp(cpt)), nullptr},
        {"a colour table spread evenly", lut, SpreadTable(ocean), nullptr},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        rec = std::make_unique<GuardedRecord>();
        ASSERT_FALSE(k.want.empty());
        const int result = RunDialog(k.what, IDOK, [&](ui::Ctx& c, HWND d) {
            EXPECT_NE(GetWindowLongW(d, GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0) << "DragAcceptFiles";
            HGLOBAL drop = BuildDrop(Wide(k.path));
            ASSERT_TRUE(PostMessageW(d, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0));
            c.Flush();
            if (k.note != nullptr) {
                const std::wstring said = TakeWarning(c);
                EXPECT_NE(said.find(k.note), std::wstring::npos) << ui::Narrow(said);
            }
            ExpectShowsLayers(c, d, k.want);
        });
        EXPECT_EQ(result, IDOK);
        ExpectRecordHolds(*rec, k.want);
    }
}

// A ramp refused: the warning says why (the line and the fault where there is one), and the
// record, the count and the list stay exactly as they were.
TEST_F(HeightColorRamps, RefusalsSayWhyAndLeaveTheRecordByteIdentical)
{
    const std::string big = host.Path() + "\\huge.txt";
    {
        // 50 MB without writing them: the size alone refuses it.
        HANDLE f = CreateFileA(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        LARGE_INTEGER at;
        at.QuadPart = 50ll << 20;
        ASSERT_TRUE(SetFilePointerEx(f, at, nullptr, FILE_BEGIN) && SetEndOfFile(f));
        CloseHandle(f);
    }
    const std::string png = host.WriteFile("picture.txt", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    const std::wstring huge(50u << 20, L'7');
    struct Case {
        const char* what;
        std::function<bool()> source;  // on the UI thread: clipboard set, or false
        std::string dropPath;          // else this file is dropped
        std::vector<const wchar_t*> fragments;
    } cases[] = {
        {"empty clipboard", [] { return PutClipboard(CF_UNICODETEXT, nullptr, 0); }, "",
         {L"剪贴板上没有文本", L"分层保持不变"}},
        {"a GDAL line without blue", [] { return PutClipboardText(L"0 0 0 0\n1000 255 255\n"); }, "",
         {L"gdal", L"第 2 行", L"该行的格式不符合此色带格式"}},
        {"a GRASS colour beyond 255", [] { return PutClipboardText(L"0 0:0:0\n900 0:300:0\n"); }, "",
         {L"grass", L"第 2 行", L"颜色无法识别"}},
        {"a palette of text in Chinese", [] { return PutClipboardText(L"# COLOR_MODEL = RGB\n零 红 一 蓝\n"); }, "",
         {L"cpt", L"第 2 行"}},
        {"wholly above the range", [] { return PutClipboardText(L"5000 0 0 0\n6000 9 9 9\n"); }, "",
         {L"全在地形的高程范围", L"120.000", L"2400.000"}},
        {"control characters", [] { return PutClipboardText(L"0 0 0 0\n\x01\x02\x03\n"); }, "",
         {L"内容不是文本"}},
        {"50 MB of text", [&] { return PutClipboardText(huge); }, "", {L"超过 4 MB"}},
        {"a 50 MB file dropped", nullptr, big, {L"超过 4 MB"}},
        {"a picture dropped", nullptr, png, {L"内容不是文本"}},
        {"a file that is gone", nullptr, host.Path() + "\\missing.txt", {L"无法读取文件 missing.txt"}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        rec = std::make_unique<GuardedRecord>();
        std::string before, after;
        std::wstring said;
        int rows = 0;
        const int result = RunDialog(k.what, IDCANCEL, [&](ui::Ctx& c, HWND d) {
            HWND list = c.Item(d, IDC_LAYER_LIST);
            c.RunOnUi([&] { before = rec->Bytes(); });
            if (k.source) {
                bool put = false;
                c.RunOnUi([&] { put = k.source(); });
                ASSERT_TRUE(put);
                Shortcut(c, list, {VK_CONTROL, 'V'}, [&] { return WarningShown(c); });
            } else {
                ASSERT_TRUE(PostMessageW(d, WM_DROPFILES, reinterpret_cast<WPARAM>(BuildDrop(Wide(k.dropPath))), 0));
            }
            HWND box = c.WaitWindow(kCaptionWarning, L"#32770");
            if (k.source && strstr(k.what, "without blue") != nullptr)
                ui::SaveScreenshotIfRequested(box, L"heightcolor_ramp_refused");
            said = c.DismissMessageBox(box);
            c.WaitGone(box);
            c.RunOnUi([&] { after = rec->Bytes(); });
            rows = c.ListCount(list);
            EXPECT_FALSE(c.Checked(c.Item(d, IDC_CUSTOM_LAYERS)));
            EXPECT_EQ(c.Text(d, IDC_LAYER_COUNT), L"256");
        });
        EXPECT_EQ(result, IDCANCEL);
        for (const wchar_t* f : k.fragments)
            EXPECT_NE(said.find(f), std::wstring::npos) << ui::Narrow(said) << " lacks " << ui::Narrow(f);
        EXPECT_EQ(after, before) << "the record changed";
        EXPECT_EQ(rows, 256);
        EXPECT_EQ(rec->Bytes(), before) << "the record changed by the end";
        EXPECT_TRUE(rec->GuardIntact());
    }
}

// What the layers cannot hold is said; an edit keeps its own paste.
TEST_F(HeightColorRamps, NotesForWhatIsLostAndEditsKeepTheirOwnPaste)
{
    std::wstring said, edit;
    int rows = 0;
    const int result = RunDialog("notes, then an edit's paste", IDOK, [&](ui::Ctx& c, HWND d) {
        c.RunOnUi([&] { PutClipboardText(L"nv 0 0 0\n0 10 20 30 128\n3000 200 200 200\n"); });
        Shortcut(c, c.Item(d, IDC_LAYER_LIST), {VK_CONTROL, 'V'}, [&] { return WarningShown(c); });
        said = TakeWarning(c);
        HWND count = c.Item(d, IDC_LAYER_COUNT);
        rows = c.ListCount(c.Item(d, IDC_LAYER_LIST));
        c.RunOnUi([&] {
            PutClipboardText(L"12");
            SendMessageW(count, EM_SETSEL, 0, -1);
        });
        Shortcut(c, count, {VK_CONTROL, 'V'}, [&] { return c.Text(count) == L"12"; });
        edit = c.Text(count);
        EXPECT_EQ(c.ListCount(c.Item(d, IDC_LAYER_LIST)), rows) << "the edit's paste reached the dialog";
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_NE(said.find(L"透明度"), std::wstring::npos) << ui::Narrow(said);
    EXPECT_NE(said.find(L"无数据颜色"), std::wstring::npos) << ui::Narrow(said);
    EXPECT_EQ(edit, L"12");
    EXPECT_GT(rows, 1);
    EXPECT_EQ(rec->info.nLayers, 12) << "OK takes the count the edit holds";
}

TEST(HeightColorRampsCodePage, RunsUnderTheCodePageAskedFor)
{
    const char* expected = getenv("OROSCAPE_EXPECT_ACP");
    EXPECT_EQ(GetACP(), expected != nullptr ? static_cast<UINT>(atoi(expected)) : 936u);
}

}  // namespace
