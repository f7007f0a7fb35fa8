// _SelectTextureFile as a host sees it: the open dialog with its preview pane, driven like a user.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <string>
#include <vector>

#include "acc_reader.h"
#include "chooser_support.h"
#include "include/oroscape.h"
#include "support/capture.h"
#include "uidriver_gtest.h"
#include "res/captions.h"

namespace {

const wchar_t* const kTitle = kCaptionTextureFile;
const wchar_t kLabel[] = L"\n\n图片预览";
const size_t kHostBuffer = 260;
const char kSentinel = '\x5A';
const COLORREF kRed = RGB(216, 24, 32);
const COLORREF kGreen = RGB(32, 192, 64);
// The "up one level" command of the open dialog's toolbar.
const int kUpFolderCommand = 0xA001;

// The open dialog's parts, found from its caption.
struct Chooser {
    HWND dialog = nullptr;   // the common dialog
    HWND child = nullptr;    // the chooser's own window (template 4018)
    HWND pane = nullptr;     // the preview pane
    HWND list = nullptr;     // the file list of the shell view
    HWND nameBox = nullptr;  // the file-name box
};

HWND DirectChild(HWND parent, const wchar_t* cls, int id = -1, DWORD style = 0)
{
    for (HWND h = GetWindow(parent, GW_CHILD); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
        if (ui::ClassName(h) != cls)
            continue;
        if (id != -1 && GetDlgCtrlID(h) != id)
            continue;
        if ((static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE)) & style) != style)
            continue;
        return h;
    }
    return nullptr;
}

Chooser FindChooser(ui::Ctx& c)
{
    Chooser ch;
    ch.dialog = c.WaitWindow(kTitle, L"#32770");
    c.WaitFor([&] {
        ch.child = DirectChild(ch.dialog, L"#32770");
        ch.pane = DirectChild(ch.dialog, L"Static", 0xFFFF, WS_DLGFRAME);
        HWND view = ui::Ctx::FindItem(ch.dialog, 1121);  // the shell view
        ch.list = view ? FindWindowExW(view, nullptr, L"SysListView32", nullptr) : nullptr;
        ch.nameBox = ui::Ctx::FindItem(ch.dialog, cmb13);
        if (ch.nameBox == nullptr)
            ch.nameBox = ui::Ctx::FindItem(ch.dialog, edt1);
        return ch.child && ch.pane && ch.list && ch.nameBox && IsWindowVisible(ch.dialog);
    }, "the chooser's window, its pane, the file list and the name box");
    return ch;
}

// CDM_GETSPEC / CDM_GETFOLDERPATH, asked on the dialog's thread.
std::wstring Ask(ui::Ctx& c, HWND dialog, UINT message)
{
    std::wstring text;
    c.RunOnUi([&] {
        wchar_t buf[MAX_PATH] = L"";
        if (SendMessageW(dialog, message, MAX_PATH, reinterpret_cast<LPARAM>(buf)) > 0)
            text = buf;
    });
    return text;
}

std::wstring NameInBox(ui::Ctx& c, const Chooser& ch) { return Ask(c, ch.dialog, CDM_GETSPEC); }
std::wstring Folder(ui::Ctx& c, const Chooser& ch) { return Ask(c, ch.dialog, CDM_GETFOLDERPATH); }

// Selects the file whose list entry begins with `stem`, as a click in the list would, and waits
// until the dialog has put its name into the name box.
void SelectFile(ui::Ctx& c, const Chooser& ch, const std::wstring& stem)
{
    int index = -1;
    c.RunOnUi([&] {
        LVFINDINFOW find = {};
        find.flags = LVFI_STRING | LVFI_PARTIAL;
        find.psz = stem.c_str();
        index = static_cast<int>(SendMessageW(ch.list, LVM_FINDITEMW, static_cast<WPARAM>(-1),
                                              reinterpret_cast<LPARAM>(&find)));
    });
    if (index < 0)
        c.Fail("the file list shows no " + ui::Narrow(stem));
    c.ListSelect(ch.list, index);
    c.WaitFor([&] { return NameInBox(c, ch).compare(0, stem.size(), stem) == 0; },
              "the name box to show " + ui::Narrow(stem));
}

void WaitForPicture(ui::Ctx& c, const Chooser& ch, COLORREF color, const char* what)
{
    c.WaitFor([&] { return c.Text(ch.pane).empty() && test::ColorShare(ch.pane, color) > 0.9; },
              std::string("the pane to show ") + what);
}

void WaitForLabel(ui::Ctx& c, const Chooser& ch, const char* what)
{
    c.WaitFor([&] { return c.Text(ch.pane) == kLabel; }, std::string("the pane's label ") + what);
}

// Lets the whole dialog finish painting (for pictures of it).
void Settle(ui::Ctx& c, const Chooser& ch)
{
    c.Flush();
    c.RunOnUi([&] {
        RedrawWindow(ch.dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    });
    c.Flush();
}

RECT RectIn(HWND dialog, HWND control)
{
    RECT rc;
    GetWindowRect(control, &rc);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

class ChooserTest : public ::testing::Test {
protected:
    test::PictureFolder pics;
    std::vector<char> buffer = std::vector<char>(kHostBuffer + 16, kSentinel);
    wchar_t previousDir[MAX_PATH] = L"";

    // The common dialog opens in the current folder: the test's pictures.
    void SetUp() override
    {
        GetCurrentDirectoryW(MAX_PATH, previousDir);
        SetCurrentDirectoryW(pics.Path().c_str());
    }
    void TearDown() override { SetCurrentDirectoryW(previousDir); }

    short Choose(ui::Script& s)
    {
        return s.Run([&] { return _SelectTextureFile(buffer.data()); });
    }

    bool BufferUntouched() const
    {
        for (char b : buffer)
            if (b != kSentinel)
                return false;
        return true;
    }

    // The buffer holds exactly `ansi`, its terminator, and nothing written past them.
    void ExpectBufferHolds(const std::string& ansi) const
    {
        ASSERT_LT(ansi.size(), kHostBuffer);
        EXPECT_EQ(ansi, std::string(buffer.data(), ansi.size()));
        EXPECT_EQ('\0', buffer[ansi.size()]);
        for (size_t i = ansi.size() + 1; i < buffer.size(); ++i)
            ASSERT_EQ(kSentinel, buffer[i]) << "byte " << i << " written past the path";
    }

    // Runs the chooser, types `path` into the name box and presses Open.
    short ChooseTyped(const std::wstring& path)
    {
        ui::Script s;
        s.Step("type the path and open", [&](ui::Ctx& c) {
            Chooser ch = FindChooser(c);
            c.SetText(ch.nameBox, path);
            c.Click(ch.dialog, IDOK);
        });
        short r = Choose(s);
        EXPECT_TRUE(s.Succeeded());
        return r;
    }

    // A picture the pane refuses: selected after a previewed one, the label comes back and no
    // pixel of it is drawn; Open still returns it.
    void ExpectNotPreviewedButChosen(const std::wstring& stem, const std::wstring& path)
    {
        pics.Bitmap(L"c24.bmp", 300, 200, 24, kRed);
        ui::Script s;
        s.Step("preview, then select the refused picture, then open it", [&](ui::Ctx& c) {
            Chooser ch = FindChooser(c);
            SelectFile(c, ch, L"c24");
            WaitForPicture(c, ch, kRed, "the 24-bit picture");
            SelectFile(c, ch, stem);
            WaitForLabel(c, ch, "for a picture it does not draw");
            c.Flush();
            EXPECT_LT(test::ColorShare(ch.pane, kRed), 0.05) << "pixels of the refused picture are drawn";
            c.Click(ch.dialog, IDOK);
        });
        EXPECT_EQ(1, Choose(s));
        EXPECT_TRUE(s.Succeeded());
        ExpectBufferHolds(test::Ansi(path));
    }
};

TEST_F(ChooserTest, CancelReturnsZeroAndLeavesTheBufferAlone)
{
    pics.Bitmap(L"c24.bmp", 300, 200, 24, kRed);
    ui::Script s;
    s.Step("cancel", [&](ui::Ctx& c) {
        Chooser ch = FindChooser(c);
        SelectFile(c, ch, L"c24");  // a name in the box changes nothing
        c.Click(ch.dialog, IDCANCEL);
    });
    EXPECT_EQ(0, Choose(s));
    EXPECT_TRUE(s.Succeeded());
    EXPECT_TRUE(BufferUntouched());
}

TEST_F(ChooserTest, TypedFullPathIsReturnedWhole)
{
    // 300 x 200 is over the caption's 256 x 256: nothing enforces it.
    const std::wstring path = pics.Bitmap(L"c24.bmp", 300, 200, 24, kRed);
    EXPECT_EQ(1, ChooseTyped(path));
    ExpectBufferHolds(test::Ansi(path));
}

TEST_F(ChooserTest, OnlyExistingFilesAndNoReadOnlyBox)
{
    ui::Script s;
    s.Step("type a missing file and open", [&](ui::Ctx& c) {
        Chooser ch = FindChooser(c);
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(ch.dialog, chx1))) << "the read-only box shows";
        c.SetText(ch.nameBox, pics.Path() + L"\\missing.bmp");
        c.Click(ch.dialog, IDOK);
        HWND box = c.WaitModal(L"#32770");
        if (box == ch.dialog)
            c.Fail("the dialog took a file that does not exist");
        c.DismissMessageBox(box);
        c.Flush();
        EXPECT_TRUE(IsWindowVisible(ch.dialog)) << "the dialog closed on a missing file";
        c.Click(ch.dialog, IDCANCEL);
    });
    EXPECT_EQ(0, Choose(s));
    EXPECT_TRUE(s.Succeeded());
    EXPECT_TRUE(BufferUntouched());
}

TEST_F(ChooserTest, CaptionButtonRowAndPaneBeforeAnySelection)
{
    ui::Script s;
    s.Step("measure", [&](ui::Ctx& c) {
        Chooser ch = FindChooser(c);
        EXPECT_EQ(kTitle, ui::Caption(ch.dialog));
        EXPECT_EQ(kLabel, c.Text(ch.pane));
        EXPECT_EQ(static_cast<DWORD>(WS_CHILD | WS_VISIBLE | WS_DLGFRAME | SS_CENTER),
                  static_cast<DWORD>(GetWindowLongPtrW(ch.pane, GWL_STYLE)) & ~static_cast<DWORD>(WS_CLIPSIBLINGS));
        EXPECT_LT(test::ColorShare(ch.pane, kRed), 0.05);

        const RECT open = RectIn(ch.dialog, GetDlgItem(ch.dialog, IDOK));
        const RECT cancel = RectIn(ch.dialog, GetDlgItem(ch.dialog, IDCANCEL));
        const RECT type = RectIn(ch.dialog, GetDlgItem(ch.dialog, cmb1));
        const RECT name = RectIn(ch.dialog, ch.nameBox);
        const RECT pane = RectIn(ch.dialog, ch.pane);
        RECT client;
        GetClientRect(ch.dialog, &client);
        const int g = cancel.left - open.right;

        // One row, Open then Cancel, under the type box and flush with its right edge.
        EXPECT_GT(g, 0);
        EXPECT_EQ(open.top, cancel.top);
        EXPECT_EQ(type.right, cancel.right);
        EXPECT_EQ(type.bottom + 2 * g, open.top);
        // Both wholly inside the dialog, where a user can reach them.
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(ch.dialog, IDOK)));
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(ch.dialog, IDCANCEL)));
        EXPECT_LE(cancel.bottom + g, client.bottom);
        EXPECT_GE(open.left, 0);
        // The pane fills the column the buttons left, down to the row's bottom.
        EXPECT_EQ(type.right + g, pane.left);
        EXPECT_EQ(name.top, pane.top);
        EXPECT_EQ(client.right - g, pane.right);
        EXPECT_EQ(open.bottom, pane.bottom);
        // The pane covers neither box.
        EXPECT_GE(pane.left, name.right);
        c.Click(ch.dialog, IDCANCEL);
    });
    EXPECT_EQ(0, Choose(s));
    EXPECT_TRUE(s.Succeeded());
}

TEST_F(ChooserTest, SelectingPicturesOfSixteenBitsOrMorePreviewsThem)
{
    pics.Bitmap(L"c24.bmp", 300, 200, 24, kRed);
    pics.Bitmap(L"c16.bmp", 40, 30, 16, kGreen);
    ui::Script s;
    s.Step("select two pictures", [&](ui::Ctx& c) {
        Chooser ch = FindChooser(c);
        WaitForLabel(c, ch, "before any selection");
        Settle(c, ch);
        EXPECT_LT(test::ColorShare(ch.pane, kRed), 0.05);
        ui::SaveScreenshotIfRequested(ch.dialog, L"chooser_label");
        SelectFile(c, ch, L"c24");
        WaitForPicture(c, ch, kRed, "the 24-bit 300 x 200 picture");
        Settle(c, ch);
        EXPECT_GT(test::ColorShare(ch.pane, kRed), 0.9) << "a repaint of the whole dialog keeps the picture";
        ui::SaveScreenshotIfRequested(ch.dialog, L"chooser_preview");
        SelectFile(c, ch, L"c16");
        WaitForPicture(c, ch, kGreen, "the 16-bit picture");
        c.Click(ch.dialog, IDCANCEL);
    });
    EXPECT_EQ(0, Choose(s));
    EXPECT_TRUE(s.Succeeded());
    EXPECT_TRUE(BufferUntouched());
}

TEST_F(ChooserTest, EightBitPictureIsNotPreviewedButCanBeChosen)
{
    const std::wstring path = pics.Bitmap(L"p8.bmp", 64, 64, 8, kRed);
    ExpectNotPreviewedButChosen(L"p8", path);
}

TEST_F(ChooserTest, SideOf512IsNotPreviewedButCanBeChosen)
{
    const std::wstring path = pics.Bitmap(L"w512.bmp", 512, 10, 24, kRed);
    ExpectNotPreviewedButChosen(L"w512", path);
}

TEST_F(ChooserTest, FolderChangeClearsTheNameAndTheLabelStays)
{
    pics.Bitmap(L"c24.bmp", 300, 200, 24, kRed);
    ui::Script s;
    s.Step("preview, then go up a folder", [&](ui::Ctx& c) {
        Chooser ch = FindChooser(c);
        SelectFile(c, ch, L"c24");
        WaitForPicture(c, ch, kRed, "the picture");
        const std::wstring before = Folder(c, ch);
        c.Command(ch.dialog, kUpFolderCommand);
        c.WaitFor([&] { return Folder(c, ch) != before; }, "another folder");
        EXPECT_EQ(L"", NameInBox(c, ch));
        WaitForLabel(c, ch, "after the folder change");
        // A later repaint of the chooser keeps the label: the old picture is forgotten.
        c.RunOnUi([&] { RedrawWindow(ch.child, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); });
        c.Flush();
        EXPECT_EQ(kLabel, c.Text(ch.pane));
        EXPECT_LT(test::ColorShare(ch.pane, kRed), 0.05) << "the picture of the folder left behind is drawn";
        c.Click(ch.dialog, IDCANCEL);
    });
    EXPECT_EQ(0, Choose(s));
    EXPECT_TRUE(s.Succeeded());
}

TEST_F(ChooserTest, PreviewPaintsReleaseEveryGdiObject)
{
    pics.Bitmap(L"c24.bmp", 300, 200, 24, kRed);
    pics.Bitmap(L"w512.bmp", 512, 10, 24, kRed);
    ASSERT_GT(test::GdiObjectCount(), 0) << "no way to count GDI objects here";

    auto session = [&](long* inside) {
        ui::Script s;
        s.Step("preview and repaint", [&](ui::Ctx& c) {
            Chooser ch = FindChooser(c);
            SelectFile(c, ch, L"c24");
            WaitForPicture(c, ch, kRed, "the picture");
            // Each repaint of the chooser reloads and draws the picture, or refuses it.
            auto repaint = [&](int times) {
                c.RunOnUi([&] {
                    for (int i = 0; i < times; ++i)
                        RedrawWindow(ch.child, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
                });
            };
            repaint(2);
            long before = 0, after = 0;
            c.RunOnUi([&] { before = test::GdiObjectCount(); });
            repaint(40);
            c.RunOnUi([&] { after = test::GdiObjectCount(); });
            EXPECT_EQ(before, after) << "40 paints of a drawn picture";
            EXPECT_EQ(L"", c.Text(ch.pane));

            SelectFile(c, ch, L"w512");
            WaitForLabel(c, ch, "for the refused picture");
            repaint(2);
            c.RunOnUi([&] { before = test::GdiObjectCount(); });
            repaint(40);
            c.RunOnUi([&] { after = test::GdiObjectCount(); });
            EXPECT_EQ(before, after) << "40 paints of a refused picture";
            if (inside)
                *inside = after;
            c.Click(ch.dialog, IDCANCEL);
        });
        EXPECT_EQ(0, s.Run([&] { return _SelectTextureFile(buffer.data()); }));
        EXPECT_TRUE(s.Succeeded());
    };

    session(nullptr);  // the system's dialog fills its own caches the first time
    const long beforeCall = test::GdiObjectCount();
    session(nullptr);
    EXPECT_EQ(beforeCall, test::GdiObjectCount()) << "GDI objects left behind by a whole call";
}

TEST_F(ChooserTest, RepaintsSetThePaneTextOnlyWhenWhatItShowsChanges)
{
    // A static erases and draws itself at every WM_SETTEXT: the chooser's paints give the pane a
    // text only when the pane goes from the label to a picture or back.
    pics.Bitmap(L"c24.bmp", 300, 200, 24, kRed);
    pics.Bitmap(L"c16.bmp", 40, 30, 16, kGreen);
    pics.Bitmap(L"p8.bmp", 64, 64, 8, kRed);
    pics.Bitmap(L"w512.bmp", 512, 10, 24, kRed);
    struct Step {
        const wchar_t* select;
        bool picture;    // the pane shows a picture (else its label)
        COLORREF color;  // of the picture
        size_t texts;    // WM_SETTEXT to the pane, from the selection through three more repaints
    };
    const Step steps[] = {
        {L"c24", true, kRed, 1},     // label -> picture
        {L"c16", true, kGreen, 0},   // picture -> picture
        {L"p8", false, 0, 1},        // picture -> label (8 bits)
        {L"w512", false, 0, 0},      // label -> label (too wide)
        {L"c24", true, kRed, 1},     // label -> picture
    };
    ui::Script s;
    s.Step("select pictures, repaint, count the pane's texts", [&](ui::Ctx& c) {
        Chooser ch = FindChooser(c);
        WaitForLabel(c, ch, "before any selection");
        ui::MsgRecorder rec;
        for (const Step& k : steps) {
            c.Flush();
            c.RunOnUi([&] {
                rec.Clear();
                rec.Attach(ch.pane);
            });
            SelectFile(c, ch, k.select);
            if (k.picture)
                WaitForPicture(c, ch, k.color, "a picture");
            else
                WaitForLabel(c, ch, "for a refused picture");
            c.RunOnUi([&] {
                for (int i = 0; i < 3; ++i)
                    RedrawWindow(ch.child, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            });
            c.Flush();
            c.RunOnUi([&] { rec.DetachAll(); });
            const std::vector<ui::Msg> got = rec.Messages();
            const size_t texts = std::count_if(got.begin(), got.end(), [](const ui::Msg& m) { return m.message == WM_SETTEXT; });
            EXPECT_EQ(k.texts, texts) << ui::Narrow(k.select) << ": " << ui::MsgRecorder::Format(got);
            EXPECT_EQ(k.picture ? L"" : kLabel, c.Text(ch.pane)) << ui::Narrow(k.select);
            if (k.picture)
                EXPECT_GT(test::ColorShare(ch.pane, k.color), 0.9) << ui::Narrow(k.select) << " after the repaints";
            else
                EXPECT_LT(test::ColorShare(ch.pane, kRed), 0.05) << ui::Narrow(k.select) << " after the repaints";
        }
        c.Click(ch.dialog, IDCANCEL);
    });
    EXPECT_EQ(0, Choose(s));
    EXPECT_TRUE(s.Succeeded());
}

TEST_F(ChooserTest, PathsTheHostCannotReadAreRefusedUntouched)
{
    if (GetACP() != 936)
        GTEST_SKIP() << "needs code page 936 (run under zh_CN)";
    // 60 + 60 Chinese characters: well under 259 characters, but over 260 bytes in code page 936.
    std::wstring deep(60, L'纹');
    deep += L"\\" + std::wstring(60, L'理');
    const std::wstring tooLong = pics.Bitmap(deep + L"\\地形.bmp", 16, 16, 24, kRed);
    if (GetFileAttributesW(tooLong.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "this machine cannot hold Chinese file names (Wine needs the system's "
                        "zh_CN.UTF-8 locale to spell them on disk)";
    ASSERT_LE(tooLong.size(), 259u);
    ASSERT_GT(test::Ansi(tooLong).size(), 259u);
    EXPECT_EQ(0, ChooseTyped(tooLong));
    EXPECT_TRUE(BufferUntouched()) << "a path of " << test::Ansi(tooLong).size() << " bytes";

    // A character code page 936 cannot spell would reach the host as '?'.
    const std::wstring unspeakable = pics.Bitmap(L"\x0E01.bmp", 16, 16, 24, kRed);
    EXPECT_EQ(0, ChooseTyped(unspeakable));
    EXPECT_TRUE(BufferUntouched());

    // Chinese that fits goes back in the host's code page.
    const std::wstring fits = pics.Bitmap(L"纹理\\地形影像.bmp", 16, 16, 24, kRed);
    EXPECT_EQ(1, ChooseTyped(fits));
    ExpectBufferHolds(test::Ansi(fits));
}

}  // namespace

// ---- what a screen reader is told about the pane ----------------------------------------------

namespace {

std::wstring PaneName(ui::Ctx& c, const Chooser& ch)
{
    std::wstring name = L"(no object)";
    c.RunOnUi([&] {
        if (IAccessible* acc = test::AccOfWindow(ch.pane)) {
            const test::AccPart part = test::AccReadPart(acc, CHILDID_SELF);
            name = part.name;
            if (part.role != ROLE_SYSTEM_GRAPHIC)
                name += L" (not a graphic)";
            acc->Release();
        }
    });
    return name;
}

}  // namespace

TEST_F(ChooserTest, ThePaneSaysWhichPictureItShowsOrThatThereIsNone)
{
    if (const char* expected = getenv("OROSCAPE_EXPECT_ACP")) {
        EXPECT_EQ(GetACP(), static_cast<UINT>(atoi(expected)));
    }
    pics.Bitmap(L"c24.bmp", 300, 200, 24, kRed);
    pics.Bitmap(L"c16.bmp", 40, 30, 16, kGreen);
    pics.Bitmap(L"p8.bmp", 64, 64, 8, kRed);
    const std::wstring none = L"图片预览：没有可预览的图片";
    struct Step {
        const wchar_t* select;  // null: the folder changes (up one level)
        const wchar_t* said;    // null: nothing to preview
        COLORREF color;         // of the picture said
    };
    const Step steps[] = {
        {L"c24", L"图片预览：c24.bmp，300 × 200 像素", kRed},
        {L"c16", L"图片预览：c16.bmp，40 × 30 像素", kGreen},
        {L"p8", nullptr, 0},  // 8 bits per pixel: not previewed
        {L"c24", L"图片预览：c24.bmp，300 × 200 像素", kRed},
        {nullptr, nullptr, 0},
    };
    ui::Script s;
    s.Step("select pictures and read the pane's name", [&](ui::Ctx& c) {
        Chooser ch = FindChooser(c);
        WaitForLabel(c, ch, "before any selection");
        EXPECT_EQ(PaneName(c, ch), none) << "before any selection";
        for (const Step& k : steps) {
            if (k.select != nullptr) {
                SelectFile(c, ch, k.select);
            } else {
                const std::wstring before = Folder(c, ch);
                c.Command(ch.dialog, kUpFolderCommand);
                c.WaitFor([&] { return Folder(c, ch) != before; }, "another folder");
            }
            if (k.said != nullptr)
                WaitForPicture(c, ch, k.color, "a picture");
            else
                WaitForLabel(c, ch, "for no picture");
            c.Flush();
            EXPECT_EQ(PaneName(c, ch), k.said ? k.said : none) << (k.select ? ui::Narrow(k.select) : "up a folder");
        }
        c.Click(ch.dialog, IDCANCEL);
    });
    EXPECT_EQ(0, Choose(s));
    EXPECT_TRUE(s.Succeeded());
}
