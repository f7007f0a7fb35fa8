// _PlayAVIWnd as a host sees it: the playback window around a real MCI window, driven like a user.
#include <gtest/gtest.h>

#include <windows.h>
#include <vfw.h>

#include <stdint.h>

#include <string>
#include <vector>

#include "include/oroscape.h"
#include "support/capture.h"
#include "uidriver_gtest.h"
#include "res/captions.h"

namespace {

const wchar_t* const kCaption = kCaptionPlayer;
const int kVideoWidth = 240;
const int kVideoHeight = 160;
const int kFrames = 20;

// ---- an uncompressed AVI written byte by byte ----

class Bytes {
public:
    void U16(unsigned v) { b_.push_back(static_cast<uint8_t>(v)), b_.push_back(static_cast<uint8_t>(v >> 8)); }
    void U32(uint32_t v) { U16(v & 0xFFFF), U16(v >> 16); }
    void Four(const char* cc) { b_.insert(b_.end(), cc, cc + 4); }
    void Raw(const std::vector<uint8_t>& v) { b_.insert(b_.end(), v.begin(), v.end()); }
    // Starts a chunk (or a RIFF / LIST with its form type); returns where its size goes.
    size_t Open(const char* id, const char* form = nullptr)
    {
        Four(id);
        const size_t at = b_.size();
        U32(0);
        if (form)
            Four(form);
        return at;
    }
    void Close(size_t at)
    {
        const uint32_t size = static_cast<uint32_t>(b_.size() - at - 4);
        for (int i = 0; i < 4; ++i)
            b_[at + i] = static_cast<uint8_t>(size >> (8 * i));
        if (b_.size() % 2)
            b_.push_back(0);
    }
    size_t Size() const { return b_.size(); }
    const std::vector<uint8_t>& Data() const { return b_; }

private:
    std::vector<uint8_t> b_;
};

// One 'vids' stream of 24- or 32-bit bottom-up frames ('DIB ', BI_RGB), ten frames a second,
// with an idx1 index whose offsets count from the 'movi' form type. The picture: blue grows to
// the right, green upwards, red moves with time.
std::vector<uint8_t> MakeAvi(int width, int height, int frames, int bitsPerPixel = 24)
{
    const uint32_t pixelBytes = static_cast<uint32_t>(bitsPerPixel / 8);
    const uint32_t stride = (static_cast<uint32_t>(width) * pixelBytes + 3) & ~3u;
    const uint32_t frameBytes = stride * static_cast<uint32_t>(height);
    Bytes a;
    const size_t riff = a.Open("RIFF", "AVI ");
    const size_t hdrl = a.Open("LIST", "hdrl");
    const size_t avih = a.Open("avih");
    a.U32(100000);            // microseconds per frame
    a.U32(frameBytes * 10);   // max bytes per second
    a.U32(0);                 // padding granularity
    a.U32(0x10);              // AVIF_HASINDEX
    a.U32(static_cast<uint32_t>(frames));
    a.U32(0);                 // initial frames
    a.U32(1);                 // streams
    a.U32(frameBytes);        // suggested buffer size
    a.U32(static_cast<uint32_t>(width));
    a.U32(static_cast<uint32_t>(height));
    for (int i = 0; i < 4; ++i)
        a.U32(0);
    a.Close(avih);
    const size_t strl = a.Open("LIST", "strl");
    const size_t strh = a.Open("strh");
    a.Four("vids");
    a.Four("DIB ");
    a.U32(0);                 // flags
    a.U16(0), a.U16(0);       // priority, language
    a.U32(0);                 // initial frames
    a.U32(1), a.U32(10);      // scale, rate: 10 frames a second
    a.U32(0);                 // start
    a.U32(static_cast<uint32_t>(frames));
    a.U32(frameBytes);        // suggested buffer size
    a.U32(0xFFFFFFFFu);       // quality
    a.U32(0);                 // sample size
    a.U16(0), a.U16(0), a.U16(static_cast<unsigned>(width)), a.U16(static_cast<unsigned>(height));
    a.Close(strh);
    const size_t strf = a.Open("strf");
    a.U32(40);
    a.U32(static_cast<uint32_t>(width));
    a.U32(static_cast<uint32_t>(height));
    a.U16(1), a.U16(static_cast<unsigned>(bitsPerPixel));
    a.U32(0);                 // BI_RGB
    a.U32(frameBytes);
    a.U32(0), a.U32(0), a.U32(0), a.U32(0);
    a.Close(strf);
    a.Close(strl);
    a.Close(hdrl);

    const size_t movi = a.Open("LIST", "movi");
    const size_t moviData = movi + 4;  // the form type: offsets of idx1 count from here
    std::vector<uint32_t> offsets;
    for (int f = 0; f < frames; ++f) {
        offsets.push_back(static_cast<uint32_t>(a.Size() - moviData));
        const size_t chunk = a.Open("00db");
        std::vector<uint8_t> frame(frameBytes, 0);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                uint8_t* p = &frame[static_cast<size_t>(y) * stride + static_cast<size_t>(x) * pixelBytes];
                p[0] = static_cast<uint8_t>(x * 255 / width);              // blue across
                p[1] = static_cast<uint8_t>(y * 255 / height);             // green up
                p[2] = static_cast<uint8_t>((f * 255 / frames + x) & 0xFF);  // red moves with time
            }
        a.Raw(frame);
        a.Close(chunk);
    }
    a.Close(movi);
    const size_t idx1 = a.Open("idx1");
    for (uint32_t off : offsets) {
        a.Four("00db");
        a.U32(0x10);              // AVIIF_KEYFRAME
        a.U32(off);
        a.U32(frameBytes);
    }
    a.Close(idx1);
    a.Close(riff);
    return a.Data();
}

// A file in the temporary folder, removed when the object goes.
class TempFile {
public:
    TempFile(const char* name, const std::vector<uint8_t>& bytes)
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        path_ = std::string(temp) + "playback_" + std::to_string(GetCurrentProcessId()) + "_" + name;
        HANDLE f = CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        if (f != INVALID_HANDLE_VALUE) {
            WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
            CloseHandle(f);
        }
        ok_ = written == bytes.size();
    }
    ~TempFile() { DeleteFileA(path_.c_str()); }
    const char* Path() const { return path_.c_str(); }
    bool Ok() const { return ok_; }

private:
    std::string path_;
    bool ok_ = false;
};

// The playback window and its MCI child.
struct Player {
    HWND dialog = nullptr;
    HWND mci = nullptr;
};

Player FindPlayer(ui::Ctx& c)
{
    Player p;
    p.dialog = c.WaitWindow(kCaption, L"#32770");
    p.mci = GetWindow(p.dialog, GW_CHILD);
    if (p.mci == nullptr)
        c.Fail("the playback window has no MCI window");
    return p;
}

SIZE SizeOf(HWND hwnd)
{
    RECT rc;
    GetWindowRect(hwnd, &rc);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

// The MCI window's mode, asked on its thread (MCI_MODE_STOP, MCI_MODE_PLAY, ...).
LONG ModeOf(ui::Ctx& c, HWND mci)
{
    LONG mode = 0;
    c.RunOnUi([&] {
        wchar_t text[64] = L"";
        mode = static_cast<LONG>(SendMessageW(mci, MCIWNDM_GETMODEW, 64, reinterpret_cast<LPARAM>(text)));
    });
    return mode;
}

LONG PositionOf(ui::Ctx& c, HWND mci)
{
    LONG pos = -1;
    c.RunOnUi([&] { pos = static_cast<LONG>(SendMessageW(mci, MCIWNDM_GETPOSITIONW, 0, 0)); });
    return pos;
}

class PlaybackTest : public ::testing::Test {
protected:
    TempFile video{"scene.avi", MakeAvi(kVideoWidth, kVideoHeight, kFrames)};

    void SetUp() override { ASSERT_TRUE(video.Ok()); }
};

// Windows made on this thread while a call runs.
int g_created = 0;
LRESULT CALLBACK CountCreations(int code, WPARAM wp, LPARAM lp)
{
    if (code == HCBT_CREATEWND)
        ++g_created;
    return CallNextHookEx(nullptr, code, wp, lp);
}

TEST(PlaybackNull, ReturnsMinusOneAndShowsNothing)
{
    HHOOK hook = SetWindowsHookExW(WH_CBT, CountCreations, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    g_created = 0;
    const int result = _PlayAVIWnd(nullptr);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(-1, result);
    EXPECT_EQ(0, g_created) << "windows were made for a null path";
}

// The same for 24- and 32-bit frames (Wine's MCI window draws 24-bit frames garbled, the
// picture of the window is taken with 32-bit ones).
class PlaybackDepthTest : public ::testing::TestWithParam<int> {};

TEST_P(PlaybackDepthTest, VideoWindowTakesTheMciWindowsSizeAndWaitsForTheUser)
{
    TempFile video{"depth.avi", MakeAvi(kVideoWidth, kVideoHeight, kFrames, GetParam())};
    ASSERT_TRUE(video.Ok());
    ui::Script s;
    s.Step("measure, wait, press Esc", [&](ui::Ctx& c) {
        Player p = FindPlayer(c);
        EXPECT_EQ(kCaption, ui::Caption(p.dialog));
        // The library's style (the MCI window adds its own clipping and border bits): a visible
        // child with every MCIWNDF_ flag clear but NOTIFYPOS, so play bar, menu, error boxes,
        // Open and automatic sizing are all there.
        const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(p.mci, GWL_STYLE));
        EXPECT_EQ(static_cast<DWORD>(WS_CHILD | WS_VISIBLE), style & (WS_CHILD | WS_VISIBLE | WS_POPUP));
        EXPECT_EQ(static_cast<DWORD>(MCIWNDF_NOTIFYPOS), style & 0xFFFFu);
        // The MCI window holds the video and its play bar.
        const SIZE mci = SizeOf(p.mci);
        EXPECT_GE(mci.cx, kVideoWidth);
        EXPECT_GT(mci.cy, kVideoHeight);
        // The client area holds the MCI window exactly, whatever the frame's thickness: nothing
        // of the play bar is cut at the right or the bottom.
        RECT client, inside;
        GetClientRect(p.dialog, &client);
        GetWindowRect(p.mci, &inside);
        MapWindowPoints(nullptr, p.dialog, reinterpret_cast<POINT*>(&inside), 2);
        EXPECT_EQ(mci.cx, client.right);
        EXPECT_EQ(mci.cy, client.bottom);
        EXPECT_GE(inside.left, 0);
        EXPECT_GE(inside.top, 0);
        EXPECT_LE(inside.right, client.right);
        EXPECT_LE(inside.bottom, client.bottom);
        const SIZE outer = SizeOf(p.dialog);
        // Without an owner it comes up centred on the screen.
        RECT rc, work;
        GetWindowRect(p.dialog, &rc);
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        EXPECT_NEAR((work.left + work.right) / 2, (rc.left + rc.right) / 2, 1);
        EXPECT_NEAR((work.top + work.bottom) / 2, (rc.top + rc.bottom) / 2, 1);

        // The first action is the user's: nothing plays by itself.
        c.Sleep(600);
        EXPECT_EQ(MCI_MODE_STOP, ModeOf(c, p.mci));
        EXPECT_EQ(0, PositionOf(c, p.mci));

        // Sized once: when the MCI window grows later, the dialog keeps its size.
        c.RunOnUi([&] { SendMessageW(p.mci, MCIWNDM_SETZOOM, 0, 200); });
        c.Flush();
        EXPECT_GT(SizeOf(p.mci).cx, mci.cx) << "the MCI window did not grow";
        EXPECT_EQ(outer.cx, SizeOf(p.dialog).cx);
        EXPECT_EQ(outer.cy, SizeOf(p.dialog).cy);
        c.RunOnUi([&] {
            SendMessageW(p.mci, MCIWNDM_SETZOOM, 0, 100);
            RedrawWindow(p.dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        });
        c.Flush();
        if (GetParam() == 32)
            ui::SaveScreenshotIfRequested(p.dialog, L"playback_window");
        c.PressEsc(p.dialog);
    });
    EXPECT_EQ(IDCANCEL, s.Run([&] { return _PlayAVIWnd(video.Path()); }));
    EXPECT_TRUE(s.Succeeded());
}

INSTANTIATE_TEST_SUITE_P(FrameBits, PlaybackDepthTest, ::testing::Values(24, 32));

TEST_F(PlaybackTest, CloseTakesTheMciWindowDownFirst)
{
    ui::Script s;
    s.Step("play, then close", [&](ui::Ctx& c) {
        Player p = FindPlayer(c);
        c.RunOnUi([&] { SendMessageW(p.mci, MCIWNDM_SETREPEAT, 0, TRUE); });
        c.RunOnUi([&] { SendMessageW(p.mci, MCI_PLAY, 0, 0); });
        c.WaitFor([&] { return ModeOf(c, p.mci) == MCI_MODE_PLAY; }, "the video to play");
        bool mciGone = false, dialogThere = false;
        c.RunOnUi([&] {
            SendMessageW(p.dialog, WM_CLOSE, 0, 0);
            mciGone = !IsWindow(p.mci);
            dialogThere = IsWindow(p.dialog) != FALSE;
        });
        EXPECT_TRUE(mciGone) << "the MCI window outlived WM_CLOSE";
        EXPECT_TRUE(dialogThere) << "the dialog went away before its MCI window";
        c.WaitGone(p.dialog);
    });
    EXPECT_EQ(IDCANCEL, s.Run([&] { return _PlayAVIWnd(video.Path()); }));
    EXPECT_TRUE(s.Succeeded());
}

TEST_F(PlaybackTest, EnterEndsWithOk)
{
    ui::Script s;
    s.Step("press Enter", [&](ui::Ctx& c) {
        Player p = FindPlayer(c);
        c.PressEnter(p.dialog);
    });
    EXPECT_EQ(IDOK, s.Run([&] { return _PlayAVIWnd(video.Path()); }));
    EXPECT_TRUE(s.Succeeded());
}

// Vetoes every child of the playback window (its MCI window); counts the times the playback
// window is shown.
int g_vetoed = 0;
int g_playerShown = 0;
LRESULT CALLBACK VetoMciWindow(int code, WPARAM wp, LPARAM lp)
{
    if (code == HCBT_CREATEWND) {
        const CBT_CREATEWNDW* cw = reinterpret_cast<const CBT_CREATEWNDW*>(lp);
        HWND parent = cw->lpcs->hwndParent;
        if ((cw->lpcs->style & WS_CHILD) && parent != nullptr && ui::Caption(parent) == kCaption) {
            ++g_vetoed;
            return 1;
        }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}
LRESULT CALLBACK WatchShowing(int code, WPARAM wp, LPARAM lp)
{
    const CWPSTRUCT* m = reinterpret_cast<const CWPSTRUCT*>(lp);
    if (code == HC_ACTION && m->message == WM_SHOWWINDOW && m->wParam && ui::Caption(m->hwnd) == kCaption)
        ++g_playerShown;
    return CallNextHookEx(nullptr, code, wp, lp);
}

TEST_F(PlaybackTest, NoMciWindowEndsTheDialogWithMinusOneUnseen)
{
    HHOOK veto = SetWindowsHookExW(WH_CBT, VetoMciWindow, nullptr, GetCurrentThreadId());
    HHOOK watch = SetWindowsHookExW(WH_CALLWNDPROC, WatchShowing, nullptr, GetCurrentThreadId());
    ASSERT_NE(veto, nullptr);
    ASSERT_NE(watch, nullptr);
    g_vetoed = 0;
    g_playerShown = 0;
    ui::Script s;  // no steps: the call must end by itself, within the bound
    const int result = s.Run([&] { return _PlayAVIWnd(video.Path()); });
    UnhookWindowsHookEx(watch);
    UnhookWindowsHookEx(veto);
    EXPECT_EQ(-1, result);
    EXPECT_TRUE(s.Succeeded());
    EXPECT_EQ(1, g_vetoed) << "the MCI window was not asked for exactly once";
    EXPECT_EQ(0, g_playerShown) << "the playback window was shown";
}

TEST(PlaybackBadFile, MciErrorBoxComesAndTheWindowStillShows)
{
    TempFile junk("junk.avi", std::vector<uint8_t>(1000, 'x'));
    ASSERT_TRUE(junk.Ok());
    ui::Script s;
    s.Step("dismiss the MCI window's error box", [&](ui::Ctx& c) {
        HWND box = c.WaitModal(L"#32770");
        if (ui::Caption(box) == kCaption)
            c.Fail("the playback window came without an error box");
        EXPECT_NE(L"", c.DismissMessageBox(box));
    });
    s.Step("the playback window shows; close it", [&](ui::Ctx& c) {
        Player p = FindPlayer(c);
        c.RunOnUi([&] { PostMessageW(p.dialog, WM_CLOSE, 0, 0); });
        c.WaitGone(p.dialog);
    });
    EXPECT_EQ(IDCANCEL, s.Run([&] { return _PlayAVIWnd(junk.Path()); }));
    EXPECT_TRUE(s.Succeeded());
}

}  // namespace
