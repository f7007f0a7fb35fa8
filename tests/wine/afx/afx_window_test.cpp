// Windows and dialogs of the framework layer: the update lock-out, the lifetime of temporary window
// objects, and each of the layer's assertions. Dialogs on the library's threshold and table-name
// templates.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include <atomic>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "afx/afxdd.h"
#include "afx/afxdlgs.h"
#include "afx/afxsheet.h"
#include "afx/afxwin.h"
#include "assert_watch.h"
#include "res/resource.h"
#include "uidriver_gtest.h"
#include "res/captions.h"

// ---- which blocks are freed ---------------------------------------------------------------------

// The program's operator new and delete (malloc and free); delete notes when one of two watched blocks is freed: a temporary window
// object's end is seen without touching it afterwards.
namespace {
std::atomic<void*> g_watched[2];
std::atomic<bool> g_freed[2];

void NoteFree(void* p)
{
    for (int i = 0; i < 2; ++i)
        if (p != nullptr && g_watched[i].load() == p)
            g_freed[i] = true;
}

void Watch(int i, void* p)
{
    g_freed[i] = false;
    g_watched[i] = p;
}
}  // namespace

void* operator new(size_t size)
{
    if (void* p = malloc(size != 0 ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    NoteFree(p);
    free(p);
}

void operator delete(void* p, size_t) noexcept
{
    NoteFree(p);
    free(p);
}

namespace {

const wchar_t* const kThresholdCaption = kCaptionThreshold;
const wchar_t* const kNameCaption = kCaptionSaveTable;

// ---- the update lock-out -------------------------------------------------------------------------

// Entry the dialog's EN_CHANGE handler records: it ran.
const UINT kHandlerRan = WM_APP + 1;

class CLockoutDlg : public CDialog {
public:
    explicit CLockoutDlg(ui::MsgRecorder& rec) : CDialog(IDD_THRESHOLD), m_rec(rec) {}
    float m_fValue = 1.5f;
    bool m_bThrow = false;  // the exchange runs out of memory after writing the field

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, IDC_THRESHOLD_VALUE, m_fValue);
        if (m_bThrow)
            throw std::bad_alloc();
    }
    // The edit's change notifications as they reach the window, before the layer decides whether
    // its map sees them (activation traffic from other programs on the display is left out).
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_COMMAND && (HIWORD(wParam) == EN_UPDATE || HIWORD(wParam) == EN_CHANGE))
            m_rec.Record(message, wParam, lParam, ui::kParent);
        return CDialog::WindowProc(message, wParam, lParam);
    }
    void OnValueChange() { m_rec.Record(kHandlerRan, 0, 0); }
    DECLARE_MESSAGE_MAP()

private:
    ui::MsgRecorder& m_rec;
};

BEGIN_MESSAGE_MAP(CLockoutDlg, CDialog)
    ON_EN_CHANGE(IDC_THRESHOLD_VALUE, OnValueChange)
END_MESSAGE_MAP()

TEST(UpdateLockout, TheWindowsOwnWritingDoesNotReachItsHandlersAUsersDoes)
{
    ui::MsgRecorder rec;
    CLockoutDlg dlg(rec);
    const unsigned p = ui::kParent | ui::kWParam;
    const std::vector<ui::Msg> changed = {{WM_COMMAND, p, MAKEWPARAM(IDC_THRESHOLD_VALUE, EN_UPDATE), 0},
                                          {WM_COMMAND, p, MAKEWPARAM(IDC_THRESHOLD_VALUE, EN_CHANGE), 0}};
    ui::Script s;
    s.Step("UpdateData writes; the user types", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kThresholdCaption, L"#32770");
        HWND edit = c.Item(d, IDC_THRESHOLD_VALUE);
        c.Flush();
        c.UpdateNow(d);
        rec.Clear();
        c.RunOnUi([&] {
            dlg.m_fValue = 2.5f;
            EXPECT_TRUE(dlg.UpdateData(FALSE));
        });
        EXPECT_EQ(c.Text(edit), L"2.5");
        rec.Expect(changed, "UpdateData(FALSE)");  // reaches the window, not its map
        rec.Clear();
        c.SetText(edit, L"3");
        std::vector<ui::Msg> typed = changed;
        typed.push_back({kHandlerRan, 0, 0, 0});
        rec.Expect(typed, "typed after UpdateData");
        c.Click(d, IDCANCEL);
    });
    EXPECT_EQ(s.Run([&] { return dlg.DoModal(); }), IDCANCEL);
}

TEST(UpdateLockout, EndsWhenTheExchangeThrows)
{
    ui::MsgRecorder rec;
    CLockoutDlg dlg(rec);
    const unsigned p = ui::kParent | ui::kWParam;
    const std::vector<ui::Msg> typed = {{WM_COMMAND, p, MAKEWPARAM(IDC_THRESHOLD_VALUE, EN_UPDATE), 0},
                                        {WM_COMMAND, p, MAKEWPARAM(IDC_THRESHOLD_VALUE, EN_CHANGE), 0},
                                        {kHandlerRan, 0, 0, 0}};
    ui::Script s;
    s.Step("an exchange that throws; the user types", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kThresholdCaption, L"#32770");
        HWND edit = c.Item(d, IDC_THRESHOLD_VALUE);
        c.Flush();
        bool thrown = false;
        c.RunOnUi([&] {
            dlg.m_fValue = 2.5f;
            dlg.m_bThrow = true;
            try {
                dlg.UpdateData(FALSE);
            } catch (const std::bad_alloc&) {
                thrown = true;
            }
            dlg.m_bThrow = false;
        });
        EXPECT_TRUE(thrown);
        EXPECT_EQ(c.Text(edit), L"2.5");
        rec.Clear();
        c.SetText(edit, L"3");
        rec.Expect(typed, "typed after the exchange threw");
        c.Click(d, IDCANCEL);
    });
    EXPECT_EQ(s.Run([&] { return dlg.DoModal(); }), IDCANCEL);
}

// ---- writing a field leaves an unchanged text alone ---------------------------------------------

// The edit's texts around the lengths where the layer reads the current text differently (up to
// 62 characters on the stack, longer ones on the heap; one character more than the new text is
// read, so a longer text that starts with the new one differs).
class CWriteDlg : public CDialog {
public:
    CWriteDlg() : CDialog(IDD_THRESHOLD) {}
    CString m_strValue;
    int m_changes = 0;  // EN_CHANGE seen by the window: the edit's text was set

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, IDC_THRESHOLD_VALUE, m_strValue); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE && LOWORD(wParam) == IDC_THRESHOLD_VALUE)
            ++m_changes;
        return CDialog::WindowProc(message, wParam, lParam);
    }
};

struct WriteCase {
    const char* name;
    std::wstring before;  // the edit's text
    std::wstring value;   // the member written
    bool set;             // the text is set (the edit reports a change)
};

std::wstring Digits(size_t n, wchar_t last = L'7')
{
    std::wstring s(n, L'5');
    if (n > 0)
        s[n - 1] = last;
    return s;
}

const WriteCase kWriteCases[] = {
    {"both empty", L"", L"", false},
    {"empty, then a number", L"", L"0", true},
    {"the same number", L"12", L"12", false},
    {"another number of the same length", L"12", L"13", true},
    {"a longer text that starts with the new one", L"123", L"12", true},
    {"a shorter text", L"1", L"12", true},
    {"62 characters, the same (the stack buffer filled)", Digits(62), Digits(62), false},
    {"62 characters, the last one differs", Digits(62), Digits(62, L'8'), true},
    {"63 characters, the same (read on the heap)", Digits(63), Digits(63), false},
    {"63 characters before, 62 written", Digits(63), Digits(62, L'5'), true},
    {"100 characters, the same", Digits(100), Digits(100), false},
    {"100 characters, the last one differs", Digits(100), Digits(100, L'9'), true},
    {"101 characters before, the first 100 written", Digits(101, L'5'), Digits(100, L'5'), true},
};

TEST(FieldWriting, AnUnchangedTextIsLeftAloneAnyOtherIsSet)
{
    CWriteDlg dlg;
    ui::Script s;
    for (const WriteCase& wc : kWriteCases) {
        s.Step(wc.name, [&dlg, &wc](ui::Ctx& c) {
            HWND d = c.WaitWindow(kThresholdCaption, L"#32770");
            HWND edit = c.Item(d, IDC_THRESHOLD_VALUE);
            c.RunOnUi([&] {
                SetWindowTextW(edit, wc.before.c_str());
                dlg.m_changes = 0;
                dlg.m_strValue = wc.value.c_str();
                EXPECT_TRUE(dlg.UpdateData(FALSE));
            });
            EXPECT_EQ(dlg.m_changes > 0, wc.set);
            EXPECT_EQ(c.Text(edit), wc.value);
        });
    }
    s.Step("close", [&](ui::Ctx& c) { c.Click(c.WaitWindow(kThresholdCaption, L"#32770"), IDCANCEL); });
    EXPECT_EQ(s.Run([&] { return dlg.DoModal(); }), IDCANCEL);
    EXPECT_TRUE(s.Succeeded());
}

// ---- centring ---------------------------------------------------------------------------------------

// A dialog is centred over its owner and kept inside the work area of the owner's monitor, also when
// the owner stands partly off the screen; over a hidden owner it is centred in that work area.
// A child found by its id is remembered, and used again only while it is still that window's
// child with that id.
TEST(ChildLookup, ARememberedChildCountsOnlyWhileItIsStillThatChild)
{
    auto popup = [] {
        return CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    };
    auto child = [](HWND parent, int id) {
        return CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    };
    HWND top = popup(), other = popup();
    CWnd host;
    ASSERT_TRUE(host.Attach(top));
    auto found = [&](int id) {
        HWND h = reinterpret_cast<HWND>(-1);
        host.GetDlgItem(id, &h);
        return h;
    };
    HWND a = child(top, 10);
    EXPECT_EQ(found(10), a);
    EXPECT_EQ(found(10), a) << "asked again";
    EXPECT_EQ(found(11), nullptr);
    DestroyWindow(a);
    EXPECT_EQ(found(10), nullptr) << "destroyed";
    HWND b = child(top, 10);
    EXPECT_EQ(found(10), b) << "made again";
    SetWindowLongPtrW(b, GWLP_ID, 12);
    EXPECT_EQ(found(10), nullptr) << "renumbered";
    EXPECT_EQ(found(12), b);
    SetParent(b, other);
    EXPECT_EQ(found(12), nullptr) << "moved into another window";
    // More children than are remembered: each is still found, twice over.
    std::vector<HWND> many;
    for (int i = 0; i < 40; ++i)
        many.push_back(child(top, 100 + i));
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < 40; ++i)
            EXPECT_EQ(found(100 + i), many[static_cast<size_t>(i)]) << i;
    host.Detach();
    DestroyWindow(top);
    DestroyWindow(other);
}

TEST(Centring, OverTheOwnerInsideTheWorkAreaOfItsMonitor)
{
    struct Expect {
        int x, y;
    };
    const struct {
        const char* what;
        bool visible;
        // The owner's rectangle from the work area.
        std::function<RECT(const RECT&)> owner;
        // Where the dialog (w x h) goes in that work area.
        std::function<Expect(const RECT&, int, int)> expect;
    } cases[] = {
        {"a visible owner partly off the left edge", true,
         [](const RECT& wa) { return RECT{wa.left - 300, wa.top + 200, wa.left + 300, wa.top + 600}; },
         [](const RECT& wa, int, int h) { return Expect{wa.left, wa.top + 400 - h / 2}; }},
        {"a visible owner partly off the bottom right", true,
         [](const RECT& wa) { return RECT{wa.right - 200, wa.bottom - 100, wa.right + 400, wa.bottom + 300}; },
         [](const RECT& wa, int w, int h) { return Expect{wa.right - w, wa.bottom - h}; }},
        {"a hidden owner partly off the top left", false,
         [](const RECT& wa) { return RECT{wa.left - 300, wa.top - 200, wa.left + 300, wa.top + 200}; },
         [](const RECT& wa, int w, int h) {
             return Expect{(wa.left + wa.right) / 2 - w / 2, (wa.top + wa.bottom) / 2 - h / 2};
         }},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        MONITORINFO mi{};
        mi.cbSize = sizeof mi;
        ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(probe, MONITOR_DEFAULTTOPRIMARY), &mi));
        DestroyWindow(probe);
        const RECT o = k.owner(mi.rcWork);
        HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_CAPTION | (k.visible ? WS_VISIBLE : 0),
                                     o.left, o.top, o.right - o.left, o.bottom - o.top, nullptr, nullptr, nullptr,
                                     nullptr);
        ASSERT_NE(nullptr, owner);
        CDialog dlg(IDD_THRESHOLD, CWnd::FromHandle(owner));
        RECT placed{};
        ui::Script s;
        s.Step("read where the dialog stands", [&](ui::Ctx& c) {
            HWND d = c.WaitWindow(kThresholdCaption, L"#32770");
            GetWindowRect(d, &placed);
            c.Click(d, IDCANCEL);
        });
        EXPECT_EQ(s.Run([&] { return dlg.DoModal(); }), IDCANCEL);
        const Expect e = k.expect(mi.rcWork, placed.right - placed.left, placed.bottom - placed.top);
        EXPECT_EQ(e.x, placed.left);
        EXPECT_EQ(e.y, placed.top);
        DestroyWindow(owner);
    }
}

// ---- temporary window objects -----------------------------------------------------------------------

// OK runs a nested dialog instead of ending.
class CNestingDlg : public CDialog {
public:
    CNestingDlg() : CDialog(IDD_THRESHOLD) {}
    CDialog m_inner{IDD_SAVE_COLORTABLE};
    void OnOK() override { m_inner.DoModal(); }
};

TEST(TemporaryObjects, LiveUntilTheOutermostModalLoopEndsPermanentOnesAreFoundAgain)
{
    CNestingDlg outer;
    CWnd* outerTemp = nullptr;
    ui::Script s;
    s.Step("outer dialog", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kThresholdCaption, L"#32770");
        c.Set("outer", d);
        c.RunOnUi([&] {
            HWND edit = GetDlgItem(d, IDC_THRESHOLD_VALUE);
            ASSERT_EQ(CWnd::FromHandlePermanent(edit), nullptr);
            outerTemp = CWnd::FromHandle(edit);
            ASSERT_NE(outerTemp, nullptr);
            EXPECT_EQ(outerTemp->m_hWnd, edit);
            EXPECT_EQ(CWnd::FromHandle(edit), outerTemp) << "a second look-up made another temporary";
            EXPECT_EQ(CWnd::FromHandle(d), &outer);
            Watch(0, outerTemp);
        });
    });
    s.Step("nested dialog", [&](ui::Ctx& c) {
        HWND d = c.Get("outer");
        c.Click(d, IDOK);
        HWND inner = c.WaitWindow(kNameCaption, L"#32770");
        c.RunOnUi([&] {
            EXPECT_EQ(CWnd::FromHandle(GetDlgItem(d, IDC_THRESHOLD_VALUE)), outerTemp);
            EXPECT_EQ(CWnd::FromHandle(inner), &outer.m_inner);
            Watch(1, CWnd::FromHandle(GetDlgItem(inner, IDC_TABLE_NAME)));
        });
        c.Click(inner, IDCANCEL);
        c.WaitGone(inner);
    });
    s.Step("back in the outer dialog", [&](ui::Ctx& c) {
        HWND d = c.Get("outer");
        c.RunOnUi([&] {
            EXPECT_FALSE(g_freed[0]) << "the outer loop's temporary ended with the nested loop";
            EXPECT_FALSE(g_freed[1]) << "the nested loop's temporary ended before the outermost loop";
            EXPECT_EQ(CWnd::FromHandle(GetDlgItem(d, IDC_THRESHOLD_VALUE)), outerTemp);
        });
        c.Click(d, IDCANCEL);
    });
    EXPECT_EQ(s.Run([&] { return outer.DoModal(); }), IDCANCEL);
    EXPECT_TRUE(g_freed[0]);
    EXPECT_TRUE(g_freed[1]);
    Watch(0, nullptr);
    Watch(1, nullptr);
}

// ---- keys of a modal loop ------------------------------------------------------------------------

// Records each key its modal loop takes, handles Enter itself (a button with the focus is not
// pressed) and opens its nested dialog on F2, from inside the loop's message filter.
class CKeyDlg : public CDialog {
public:
    explicit CKeyDlg(UINT id, CKeyDlg* inner = nullptr) : CDialog(id), m_inner(inner) {}
    std::vector<std::pair<HWND, WPARAM>> m_keys;
    CKeyDlg* m_inner;
    INT_PTR m_innerResult = 0;
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message != WM_KEYDOWN)
            return FALSE;
        m_keys.push_back({pMsg->hwnd, pMsg->wParam});
        if (pMsg->wParam == VK_F2 && m_inner != nullptr) {
            m_innerResult = m_inner->DoModal();
            return TRUE;
        }
        return pMsg->wParam == VK_RETURN;
    }
};

TEST(ModalKeys, EachKeyReachesThePreTranslateMessageOfItsOwnDialogOnce)
{
    CKeyDlg inner(IDD_SAVE_COLORTABLE);
    CKeyDlg outer(IDD_THRESHOLD, &inner);
    HWND outerOk = nullptr, outerEdit = nullptr, innerOk = nullptr, innerCancel = nullptr;
    ui::Script s;
    s.Step("keys in the outer dialog", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kThresholdCaption, L"#32770");
        c.Set("outer", d);
        outerOk = c.Item(d, IDOK);
        outerEdit = c.Item(d, IDC_THRESHOLD_VALUE);
        c.Chord(outerOk, {VK_RETURN});
        c.Chord(outerEdit, {VK_F3});
        EXPECT_TRUE(IsWindow(d)) << "Enter pressed the button the dialog handled it for";
    });
    s.Step("keys in the nested dialog", [&](ui::Ctx& c) {
        c.Chord(outerOk, {VK_F2});
        HWND inner = c.WaitWindow(kNameCaption, L"#32770");
        innerOk = c.Item(inner, IDOK);
        innerCancel = c.Item(inner, IDCANCEL);
        c.Chord(innerOk, {VK_RETURN});
        EXPECT_TRUE(IsWindow(inner));
        c.Chord(innerCancel, {VK_ESCAPE});
        c.WaitGone(inner);
    });
    s.Step("Escape ends the outer dialog", [&](ui::Ctx& c) {
        HWND d = c.Get("outer");
        c.Chord(c.Item(d, IDCANCEL), {VK_ESCAPE});
        c.WaitGone(d);
    });
    EXPECT_EQ(s.Run([&] { return outer.DoModal(); }), IDCANCEL);
    EXPECT_EQ(inner.m_innerResult, 0);
    EXPECT_EQ(outer.m_innerResult, IDCANCEL);
    const std::vector<std::pair<HWND, WPARAM>> outerWant = {
        {outerOk, VK_RETURN}, {outerEdit, VK_F3}, {outerOk, VK_F2}, {nullptr, VK_ESCAPE}};
    ASSERT_EQ(outer.m_keys.size(), outerWant.size()) << "a key of the nested dialog reached the outer one";
    for (size_t i = 0; i + 1 < outerWant.size(); ++i) {
        EXPECT_EQ(outer.m_keys[i].first, outerWant[i].first) << i;
        EXPECT_EQ(outer.m_keys[i].second, outerWant[i].second) << i;
    }
    EXPECT_EQ(outer.m_keys.back().second, static_cast<WPARAM>(VK_ESCAPE));
    const std::vector<std::pair<HWND, WPARAM>> innerWant = {{innerOk, VK_RETURN}, {innerCancel, VK_ESCAPE}};
    EXPECT_EQ(inner.m_keys, innerWant);
    EXPECT_EQ(AfxGetThreadValue(AFX_THREAD_MSG_FILTER), nullptr) << "the hook outlived the modal loop";
}

// ---- which object a window's messages reach ----------------------------------------------------------

// Answers kPing with its own tag and counts them.
const UINT kPing = WM_APP + 7;

class CTagWnd : public CWnd {
public:
    explicit CTagWnd(LRESULT tag) : m_tag(tag) {}
    int m_pings = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message != kPing)
            return CWnd::WindowProc(message, wParam, lParam);
        ++m_pings;
        return m_tag;
    }

private:
    LRESULT m_tag;
};

HWND PlainWindow()
{
    return CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
}

// Each case routes windows through objects in turn: after every change of which object routes a
// window, the window's next message reaches the object routing it now and no other, however many
// messages the window had before.
struct RoutingCase {
    const char* name;
    std::function<void(CTagWnd& a, CTagWnd& b)> run;
};

const RoutingCase kRoutingCases[] = {
    {"one window handed from one object to another",
     [](CTagWnd& a, CTagWnd& b) {
         HWND w = PlainWindow();
         ASSERT_TRUE(a.SubclassWindow(w));
         for (int i = 0; i < 3; ++i)
             EXPECT_EQ(SendMessageW(w, kPing, 0, 0), 1);
         a.UnsubclassWindow();
         ASSERT_TRUE(b.SubclassWindow(w));
         EXPECT_EQ(SendMessageW(w, kPing, 0, 0), 2);
         EXPECT_EQ(a.m_pings, 3);
         EXPECT_EQ(b.m_pings, 1);
         DestroyWindow(w);
         EXPECT_EQ(b.m_hWnd, nullptr);
     }},
    {"two windows that swap their objects",
     [](CTagWnd& a, CTagWnd& b) {
         HWND w1 = PlainWindow(), w2 = PlainWindow();
         ASSERT_TRUE(a.SubclassWindow(w1));
         ASSERT_TRUE(b.SubclassWindow(w2));
         for (int i = 0; i < 4; ++i) {
             EXPECT_EQ(SendMessageW(w1, kPing, 0, 0), 1);
             EXPECT_EQ(SendMessageW(w2, kPing, 0, 0), 2);
         }
         a.UnsubclassWindow();
         b.UnsubclassWindow();
         ASSERT_TRUE(a.SubclassWindow(w2));
         ASSERT_TRUE(b.SubclassWindow(w1));
         EXPECT_EQ(SendMessageW(w1, kPing, 0, 0), 2);
         EXPECT_EQ(SendMessageW(w2, kPing, 0, 0), 1);
         EXPECT_EQ(a.m_pings, 5);
         EXPECT_EQ(b.m_pings, 5);
         DestroyWindow(w1);
         DestroyWindow(w2);
     }},
    {"an object whose window was destroyed, and a new window for another",
     [](CTagWnd& a, CTagWnd& b) {
         HWND w = PlainWindow();
         ASSERT_TRUE(a.SubclassWindow(w));
         EXPECT_EQ(SendMessageW(w, kPing, 0, 0), 1);
         DestroyWindow(w);
         EXPECT_EQ(a.m_hWnd, nullptr);
         HWND again = PlainWindow();
         ASSERT_TRUE(b.SubclassWindow(again));
         EXPECT_EQ(SendMessageW(again, kPing, 0, 0), 2);
         EXPECT_EQ(a.m_pings, 1);
         DestroyWindow(again);
     }},
    {"an object that lets go of its window without restoring it",
     [](CTagWnd& a, CTagWnd& b) {
         HWND w = PlainWindow();
         ASSERT_TRUE(a.SubclassWindow(w));
         EXPECT_EQ(SendMessageW(w, kPing, 0, 0), 1);
         a.Detach();  // the layer's procedure stays: with no object it is the default one
         EXPECT_EQ(SendMessageW(w, kPing, 0, 0), 0);
         ASSERT_TRUE(b.Attach(w));
         EXPECT_EQ(SendMessageW(w, kPing, 0, 0), 2);
         EXPECT_EQ(a.m_pings, 1);
         b.Detach();
         DestroyWindow(w);
     }},
};

TEST(Routing, TheNextMessageReachesTheObjectThatRoutesTheWindowNow)
{
    for (const RoutingCase& rc : kRoutingCases) {
        SCOPED_TRACE(rc.name);
        CTagWnd a(1), b(2);
        rc.run(a, b);
    }
}

// ---- assertions ----------------------------------------------------------------------------------

class CAssertDlg : public CDialog {
public:
    CAssertDlg() : CDialog(IDD_THRESHOLD) {}
    std::function<void(CDataExchange*)> m_exchange;
    float m_fValue = 1.0f;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        if (m_exchange)
            m_exchange(pDX);
    }
};

const int kNoSuchId = 4999;

struct AssertCase {
    const char* name;
    const char* file;  // where the assertion is
    std::function<void(CAssertDlg&)> provoke;
};

const AssertCase kAssertCases[] = {
    {"data exchange with an id the template lacks", "afxdd.cpp",
     [](CAssertDlg& d) {
         d.m_exchange = [&d](CDataExchange* pDX) { DDX_Text(pDX, kNoSuchId, d.m_fValue); };
         d.UpdateData(TRUE);
     }},
    {"DDX_Control on a control another object routes", "afxwnd.cpp",
     [](CAssertDlg& d) {
         CWnd first, second;
         ASSERT_TRUE(first.SubclassDlgItem(IDC_THRESHOLD_VALUE, &d));
         d.m_exchange = [&second](CDataExchange* pDX) { DDX_Control(pDX, IDC_THRESHOLD_VALUE, second); };
         d.UpdateData(TRUE);
         EXPECT_EQ(second.m_hWnd, nullptr);
         first.UnsubclassWindow();
     }},
    {"DDX_Control with an object that routes another control", "afxdd.cpp",
     [](CAssertDlg& d) {
         CWnd control;
         ASSERT_TRUE(control.SubclassDlgItem(IDOK, &d));
         d.m_exchange = [&control](CDataExchange* pDX) { DDX_Control(pDX, IDC_THRESHOLD_VALUE, control); };
         d.UpdateData(TRUE);
         control.UnsubclassWindow();
     }},
    {"SubclassDlgItem with an id the parent lacks", "afxwnd.cpp",
     [](CAssertDlg& d) {
         CWnd control;
         EXPECT_FALSE(control.SubclassDlgItem(kNoSuchId, &d));
     }},
    {"DoModal of a dialog that runs", "afxdlg.cpp", [](CAssertDlg& d) { EXPECT_EQ(d.DoModal(), -1); }},
    {"DoModal of a sheet that has a window", "afxsheet.cpp",
     [](CAssertDlg& d) {
         CPropertyPage page(IDD_FOG_PAGE);
         CPropertySheet sheet(L"x");
         sheet.AddPage(&page);
         ASSERT_TRUE(sheet.Attach(GetDlgItem(d.m_hWnd, IDCANCEL)));
         EXPECT_EQ(sheet.DoModal(), -1);
         sheet.Detach();
     }},
    {"DoModal of a file dialog that has a window", "afxdlgs.cpp",
     [](CAssertDlg& d) {
         CFileDialog dlg(TRUE);
         ASSERT_TRUE(dlg.Attach(GetDlgItem(d.m_hWnd, IDCANCEL)));
         EXPECT_EQ(dlg.DoModal(), -1);
         dlg.Detach();
     }},
};

TEST(Assertions, EachSiteCountsOnceAndNamesItsFile)
{
    CAssertDlg dlg;
    ui::Script s;
    for (const AssertCase& ac : kAssertCases) {
        s.Step(ac.name, [&dlg, &ac](ui::Ctx& c) {
            c.WaitWindow(kThresholdCaption, L"#32770");
            long before = assertwatch::Seen();
            c.RunOnUi([&] {
                ac.provoke(dlg);
                dlg.m_exchange = nullptr;
            });
            long fired = assertwatch::Seen() - before;
            assertwatch::Expect(fired);  // accounted for here: the program does not fail on them
            EXPECT_EQ(fired, 1);
            std::vector<std::string> texts = assertwatch::Texts();
            ASSERT_FALSE(texts.empty());
            EXPECT_EQ(texts.back().rfind(std::string(ac.file) + ":", 0), 0u) << texts.back();
        });
    }
    s.Step("close", [&](ui::Ctx& c) { c.Click(c.WaitWindow(kThresholdCaption, L"#32770"), IDCANCEL); });
    EXPECT_EQ(s.Run([&] { return dlg.DoModal(); }), IDCANCEL);
    EXPECT_TRUE(s.Succeeded());
}

}  // namespace
