// _SetTexParamDlg as a host calls it, under Wine with the real OpenGL driver:
// the format list the driver allows, the descriptions, the band lists of ENVI
// images read through RimBase.dll, and what OK and Cancel hand back; the format table against the
// public header and the DLL's strings.
#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "test_hostdir.h"
#include "texparam_support.h"
#include "texture/texformats.h"

namespace {

using namespace texparam;

// ---------------------------------------------------------------------------
// Images

const char kThreeBandHeader[] =
    "ENVI\r\n"
    "description = {\r\n  test scene}\r\n"
    "samples = 4\r\nlines = 4\r\nbands = 3\r\nheader offset = 0\r\n"
    "file type = ENVI Standard\r\ndata type = 1\r\ninterleave = bsq\r\nbyte order = 0\r\n"
    "default bands = {3, 2, 1}\r\n";

// Writes <dir>\<title>.img (a few bytes standing for pixels) and <dir>\<title>.hdr; returns the image path.
std::string WriteImage(test::HostDir& dir, const std::string& title, const std::string& header)
{
    std::string image = dir.WriteFile(title + ".img", std::string(48, '\x7f'));
    dir.WriteFile(title + ".hdr", header);
    return image;
}

// ---------------------------------------------------------------------------
// The format list and its descriptions

TEST(TexParamFormats, ListIsWhatTheDriverAllowsInOrderWithNothingChosen)
{
    const std::string extensions = DriverExtensions();
    const std::vector<std::wstring> expected = FormatsFor(extensions);
    ASSERT_GT(extensions.size(), 100u) << "the driver gives an extension string: " << extensions;

    ui::Script s;
    std::vector<std::wstring> formats;
    int selection = -2;
    std::wstring info = L"<unread>";
    s.Step("read the format list", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaption, L"#32770");
        formats = ComboItems(c, c.Item(d, IDC_FORMAT));
        selection = c.ComboSel(c.Item(d, IDC_FORMAT));
        info = c.Text(d, IDC_FORMAT_INFO);
        c.Click(d, IDOK);
    });
    Outcome o = RunDialog(nullptr, s);
    EXPECT_EQ(Join(formats), Join(expected));
    EXPECT_EQ(selection, -1);
    EXPECT_EQ(info, L"") << "the template's \"Static\" is replaced by the empty description";
    // Confirmed without a format: code 0, and no image means no bands.
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(o.format, 0);
    EXPECT_EQ(o.red, -1);
    EXPECT_EQ(o.green, -1);
    EXPECT_EQ(o.blue, -1);
}

TEST(TexParamFormats, DescriptionFollowsTheChosenFormatAndOkReturnsItsCode)
{
    const std::vector<std::wstring> available = FormatsFor(DriverExtensions());
    for (const wchar_t* needed : {L"RGB5_A1", L"RGBA_S3TC_DXT3"})
        ASSERT_NE(std::find(available.begin(), available.end(), needed), available.end())
            << "the driver offers " << ui::Narrow(needed);

    test::HostDir dir;
    const std::string image = WriteImage(dir, "scene", kThreeBandHeader);
    ui::Script s;
    std::vector<std::wstring> shown;
    s.Step("choose formats one after the other", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaption, L"#32770");
        HWND formats = c.Item(d, IDC_FORMAT);
        for (const wchar_t* name : {L"RGBA_S3TC_DXT3", L"RGB5_A1", L"RGBA8"}) {
            c.SelectComboText(formats, name);
            c.Flush();
            shown.push_back(c.Text(d, IDC_FORMAT_INFO));
            if (shown.size() == 1)
                c.RunOnUi([&] {
                    UpdateWindow(d);
                    ui::SaveScreenshotIfRequested(d, L"texparam_dialog");
                });
        }
        c.Click(d, IDOK);
    });
    Outcome o = RunDialog(image.c_str(), s);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0], L"32位压缩纹理, 用于OpenGL和DirectX");  // 4036
    EXPECT_EQ(shown[1], L"16位非压缩纹理, 用于OpenGL");          // 4030
    EXPECT_EQ(shown[2], L"32位非压缩纹理, 用于OpenGL");          // 4031
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(o.format, TEXFMT_RGBA8);
    EXPECT_EQ(o.red, 2);
    EXPECT_EQ(o.green, 1);
    EXPECT_EQ(o.blue, 0);
}

// Each format is listed under the name the public header gives its code (TEXFMT_<name>), and its
// description is a string of the DLL's own.
TEST(TexParamFormats, NamesAreThePublicHeadersAndDescriptionsAreStringsOfTheLibrary)
{
#define PUBLIC_FORMAT(name) {TEXFMT_##name, #name}
    const struct {
        int code;
        const char* name;
    } published[] = {
        PUBLIC_FORMAT(RGB8),           PUBLIC_FORMAT(R5G6B5),         PUBLIC_FORMAT(A1_RGB5),
        PUBLIC_FORMAT(RGB5_A1),        PUBLIC_FORMAT(RGBA8),          PUBLIC_FORMAT(BGRA8),
        PUBLIC_FORMAT(RGB_ARB),        PUBLIC_FORMAT(RGBA_ARB),       PUBLIC_FORMAT(RGB_S3TC_DXT1),
        PUBLIC_FORMAT(RGBA_S3TC_DXT1), PUBLIC_FORMAT(RGBA_S3TC_DXT3), PUBLIC_FORMAT(RGBA_S3TC_DXT5),
    };
#undef PUBLIC_FORMAT
    ASSERT_EQ(std::size(published), static_cast<size_t>(kTexFormatCount));
    HMODULE dll = GetModuleHandleW(L"Oroscape.dll");
    ASSERT_NE(dll, nullptr);
    for (const auto& format : published) {
        SCOPED_TRACE(format.name);
        const TexFormat* row = FindTexFormatByCode(format.code);
        ASSERT_NE(row, nullptr);
        EXPECT_STREQ(row->name, format.name);
        const wchar_t* text = nullptr;
        const int length = LoadStringW(dll, row->descId, reinterpret_cast<wchar_t*>(&text), 0);
        EXPECT_GT(length, 0) << "string " << row->descId;
    }
}

// ---------------------------------------------------------------------------
// Band lists

TEST(TexParamBands, ListsStartOnTheImagesDefaultBandsAndOkReturnsThem)
{
    test::HostDir dir;
    const std::string image = WriteImage(dir, "scene", kThreeBandHeader);
    ui::Script s;
    BandLists seen;
    s.Step("read the band lists, confirm at once", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaption, L"#32770");
        seen = ReadBandLists(c, d);
        c.Click(d, IDOK);
    });
    Outcome o = RunDialog(image.c_str(), s);
    const std::vector<std::wstring> bands = {L"波段 1", L"波段 2", L"波段 3"};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Join(seen.items[i]), Join(bands)) << "list " << i;
    EXPECT_EQ(seen.selection[0], 2);
    EXPECT_EQ(seen.selection[1], 1);
    EXPECT_EQ(seen.selection[2], 0);
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(o.format, 0);
    EXPECT_EQ(o.red, 2);
    EXPECT_EQ(o.green, 1);
    EXPECT_EQ(o.blue, 0);
}

TEST(TexParamBands, UsersChoiceIsReturnedAndOneBandMayServeSeveralChannels)
{
    test::HostDir dir;
    const std::string image = WriteImage(dir, "wide", "ENVI\nbands = 12\ndefault bands = {4, 3, 2}\n");
    ui::Script s;
    s.Step("choose bands 12, 12, 1 and BGRA8", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaption, L"#32770");
        EXPECT_EQ(c.ComboCount(c.Item(d, IDC_RED_BAND)), 12);
        EXPECT_EQ(c.ComboText(c.Item(d, IDC_BLUE_BAND), 11), L"波段 12");
        c.SelectComboText(c.Item(d, IDC_RED_BAND), L"波段 12");
        c.SelectComboText(c.Item(d, IDC_GREEN_BAND), L"波段 12");
        c.SelectCombo(c.Item(d, IDC_BLUE_BAND), 0);
        c.SelectComboText(c.Item(d, IDC_FORMAT), L"BGRA8");
        c.Click(d, IDOK);
    });
    Outcome o = RunDialog(image.c_str(), s);
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(o.format, TEXFMT_BGRA8);
    EXPECT_EQ(o.red, 11);
    EXPECT_EQ(o.green, 11);
    EXPECT_EQ(o.blue, 0);
}

TEST(TexParamBands, DefaultBandOutsideTheListLeavesThatListUnselected)
{
    test::HostDir dir;
    const std::string image = WriteImage(dir, "odd", "ENVI\nbands = 3\ndefault bands = {9, 2, 1}\n");
    ui::Script s;
    BandLists seen;
    s.Step("read and confirm", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaption, L"#32770");
        seen = ReadBandLists(c, d);
        c.Click(d, IDOK);
    });
    Outcome o = RunDialog(image.c_str(), s);
    EXPECT_EQ(seen.items[0].size(), 3u);
    EXPECT_EQ(seen.selection[0], -1);
    EXPECT_EQ(seen.selection[1], 1);
    EXPECT_EQ(seen.selection[2], 0);
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(o.red, -1);
    EXPECT_EQ(o.green, 1);
    EXPECT_EQ(o.blue, 0);
}

// The most bands a header may give: every list holds all of them, in order, each list the
// image's default band selected.
TEST(TexParamBands, ImageOfTheMostBandsListsEveryBandInEachList)
{
    test::HostDir dir;
    const std::string image = WriteImage(dir, "cube", "ENVI\nbands = 65535\ndefault bands = {65535, 1, 300}\n");
    const int ids[3] = {IDC_RED_BAND, IDC_GREEN_BAND, IDC_BLUE_BAND};
    const struct {
        int index;
        const wchar_t* name;
    } probes[] = {{0, L"波段 1"}, {9, L"波段 10"}, {9999, L"波段 10000"}, {65534, L"波段 65535"}};
    int counts[3] = {-2, -2, -2}, selection[3] = {-2, -2, -2};
    std::vector<std::wstring> names[3];
    ui::Script s;
    s.Step("read the lists on the dialog's thread, confirm", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaption, L"#32770");
        c.RunOnUi([&] {
            for (int i = 0; i < 3; ++i) {
                HWND list = GetDlgItem(d, ids[i]);
                counts[i] = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
                selection[i] = static_cast<int>(SendMessageW(list, CB_GETCURSEL, 0, 0));
                for (const auto& p : probes) {
                    wchar_t text[64] = L"(none)";
                    if (SendMessageW(list, CB_GETLBTEXTLEN, p.index, 0) < 64)
                        SendMessageW(list, CB_GETLBTEXT, p.index, reinterpret_cast<LPARAM>(text));
                    names[i].push_back(text);
                }
            }
        });
        c.Click(d, IDOK);
    });
    Outcome o = RunDialog(image.c_str(), s);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(counts[i], 65535) << "list " << i;
        ASSERT_EQ(names[i].size(), std::size(probes)) << "list " << i;
        for (size_t k = 0; k < std::size(probes); ++k)
            EXPECT_EQ(names[i][k], probes[k].name) << "list " << i << ", item " << probes[k].index;
    }
    EXPECT_EQ(selection[0], 65534);
    EXPECT_EQ(selection[1], 0);
    EXPECT_EQ(selection[2], 299);
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(o.red, 65534);
    EXPECT_EQ(o.green, 0);
    EXPECT_EQ(o.blue, 299);
}

// An image that does not open, whatever the reason, leaves the band lists empty
// and the format choice available.
void ExpectNoBands(const char* image)
{
    ui::Script s;
    BandLists seen;
    int formats = 0;
    s.Step("read and confirm", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaption, L"#32770");
        seen = ReadBandLists(c, d);
        formats = c.ComboCount(c.Item(d, IDC_FORMAT));
        c.Click(d, IDOK);
    });
    Outcome o = RunDialog(image, s);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(seen.items[i].empty()) << "list " << i << ": " << Join(seen.items[i]);
        EXPECT_EQ(seen.selection[i], -1);
    }
    EXPECT_GE(formats, 3);
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(o.format, 0);
    EXPECT_EQ(o.red, -1);
    EXPECT_EQ(o.green, -1);
    EXPECT_EQ(o.blue, -1);
}

TEST(TexParamBands, ImageThatDoesNotOpenGivesEmptyListsAndMinusOne)
{
    test::HostDir dir;
    const std::string noHeader = dir.WriteFile("bare.img", "pixels");
    const std::string notEnvi = WriteImage(dir, "notenvi", "bands = 3\n");
    const std::string noBands = WriteImage(dir, "nobands", "ENVI\nsamples = 4\n");
    const std::string zeroBands = WriteImage(dir, "zero", "ENVI\nbands = 0\n");
    const std::string huge = WriteImage(dir, "huge", "ENVI\nbands = 4000000000\n");
    const std::string badDefault = WriteImage(dir, "baddef", "ENVI\nbands = 3\ndefault bands = {3, 2\n");
    for (const std::string& image :
         {dir.Path() + "\\missing.img", noHeader, notEnvi, noBands, zeroBands, huge, badDefault, dir.Path()}) {
        SCOPED_TRACE(image);
        ExpectNoBands(image.c_str());
    }
    SCOPED_TRACE("empty name");
    ExpectNoBands("");
}

TEST(TexParamBands, HeaderIsFoundUnderEitherName)
{
    // "a.img.hdr" when there is no "a.hdr"; "b.hdr" before "b.img.hdr" when both exist.
    test::HostDir dir;
    const std::string a = dir.WriteFile("a.img", "pixels");
    dir.WriteFile("a.img.hdr", "ENVI\nbands = 5\n");
    const std::string b = dir.WriteFile("b.img", "pixels");
    dir.WriteFile("b.hdr", "ENVI\nbands = 2\n");
    dir.WriteFile("b.img.hdr", "ENVI\nbands = 7\n");
    for (const auto& k : {std::make_pair(a, 5u), std::make_pair(b, 2u)}) {
        SCOPED_TRACE(k.first);
        ui::Script s;
        BandLists seen;
        s.Step("read and cancel", [&](ui::Ctx& c) {
            HWND d = c.WaitWindow(kCaption, L"#32770");
            seen = ReadBandLists(c, d);
            c.Click(d, IDCANCEL);
        });
        RunDialog(k.first.c_str(), s);
        EXPECT_EQ(seen.items[0].size(), k.second);
        // Without default bands in the header: bands 1, 2, 3 (as far as there are).
        EXPECT_EQ(seen.selection[0], 0);
        EXPECT_EQ(seen.selection[1], 1);
        EXPECT_EQ(seen.selection[2], k.second > 2 ? 2 : 1);
    }
}

TEST(TexParamBands, NameOf260CharactersOrMoreIsNotCutShort)
{
    // An image whose full name has 259 characters opens; the same name with more
    // characters after it must not open that image through a shortened copy.
    test::HostDir dir;
    std::string folder = dir.Path() + "\\" + std::string(100, 'd');
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const size_t fixed = folder.size() + 1 + 4;  // "\" and ".img"
    ASSERT_LT(fixed, 259u);
    const std::string title = std::string(259 - fixed, 'n');
    const std::string image = folder + "\\" + title + ".img";
    ASSERT_EQ(image.size(), 259u);
    std::string relative = std::string(100, 'd') + "\\" + title;
    WriteImage(dir, relative, kThreeBandHeader);

    ui::Script s;
    BandLists seen;
    s.Step("read and confirm", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaption, L"#32770");
        seen = ReadBandLists(c, d);
        c.Click(d, IDOK);
    });
    Outcome o = RunDialog(image.c_str(), s);
    EXPECT_EQ(seen.items[0].size(), 3u) << "a 259-character name is used as it is";
    EXPECT_EQ(o.red, 2);

    for (size_t extra : {1u, 2u, 600u}) {
        SCOPED_TRACE(extra);
        ExpectNoBands((image + std::string(extra, 'x')).c_str());
    }
}

// ---------------------------------------------------------------------------
// Cancel

TEST(TexParamCancel, CancelAndEscapeLeaveEveryOutputAlone)
{
    test::HostDir dir;
    const std::string image = WriteImage(dir, "scene", kThreeBandHeader);
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way == 0 ? "Cancel button" : way == 1 ? "Esc key" : "close box");
        ui::Script s;
        s.Step("choose, then leave without confirming", [&](ui::Ctx& c) {
            HWND d = c.WaitWindow(kCaption, L"#32770");
            c.SelectComboText(c.Item(d, IDC_FORMAT), L"RGBA8");
            c.SelectCombo(c.Item(d, IDC_RED_BAND), 0);
            if (way == 0)
                c.Click(d, IDCANCEL);
            else if (way == 1)
                c.PressEsc(c.Item(d, IDC_FORMAT));
            else
                PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0);  // the caption's close box
            c.WaitGone(d);
        });
        Outcome o = RunDialog(image.c_str(), s);
        EXPECT_EQ(o.result, 0);
        ExpectUntouched(o);
    }
}

}  // namespace
