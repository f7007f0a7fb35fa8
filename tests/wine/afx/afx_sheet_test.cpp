// Property sheets of the framework layer: what each page overridable answers and what the platform
// does with it, and a data exchange that fails (the record handed to the window, the prompt, the
// focus and selection on the field, the fields after it left alone). Pages on the model sheet's
// templates.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <float.h>
#include <limits.h>

#include <string>
#include <vector>

#include "afx/afxdd.h"
#include "afx/afxsheet.h"
#include "assert_watch.h"
#include "res/resource.h"
#include "uidriver_gtest.h"

namespace {

const wchar_t kCaption[] = L"框架测试";

// ---- notifications ----------------------------------------------------------------------------

// A recorded notification: WM_NOTIFY, wParam the page's index, lParam the notification code.
ui::Msg Note(int page, int code)
{
    return {WM_NOTIFY, ui::kWParam | ui::kLParam, static_cast<WPARAM>(page), static_cast<LPARAM>(code)};
}

// A page whose overridables record that they ran and answer as the test says.
class CNotePage : public CPropertyPage {
public:
    CNotePage(UINT idTemplate, int index, ui::MsgRecorder& rec)
        : CPropertyPage(idTemplate), m_index(index), m_rec(rec) {}
    BOOL m_bLetGo = TRUE;
    BOOL m_bApplies = TRUE;
    BOOL m_bCancels = TRUE;

    BOOL OnSetActive() override
    {
        Record(PSN_SETACTIVE);
        return CPropertyPage::OnSetActive();
    }
    BOOL OnKillActive() override
    {
        Record(PSN_KILLACTIVE);
        return m_bLetGo;
    }
    BOOL OnApply() override
    {
        Record(PSN_APPLY);
        return m_bApplies;
    }
    void OnReset() override { Record(PSN_RESET); }
    BOOL OnQueryCancel() override
    {
        Record(PSN_QUERYCANCEL);
        return m_bCancels;
    }

private:
    void Record(int code) { m_rec.Record(WM_NOTIFY, static_cast<WPARAM>(m_index), static_cast<LPARAM>(code)); }
    int m_index;
    ui::MsgRecorder& m_rec;
};

HWND CurrentPage(HWND sheet)
{
    return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

TEST(SheetNotifications, EachVerdictDecidesWhatTheSheetDoesNext)
{
    ui::MsgRecorder rec;
    CNotePage p0(IDD_LIGHT_PAGE, 0, rec), p1(IDD_MATERIAL_PAGE, 1, rec), p2(IDD_FOG_PAGE, 2, rec);
    CPropertySheet sheet(kCaption);
    sheet.AddPage(&p0);
    sheet.AddPage(&p1);
    sheet.AddPage(&p2);
    ui::Script s;
    s.Step("the start page is activated", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaption, L"#32770");
        c.Set("sheet", d);
        c.Flush();
        rec.Expect({Note(0, PSN_SETACTIVE)}, "start");
        c.RunOnUi([&] { EXPECT_EQ(CurrentPage(d), p0.m_hWnd); });
    });
    s.Step("a page that refuses to let go stays current", [&](ui::Ctx& c) {
        HWND d = c.Get("sheet");
        rec.Clear();
        p0.m_bLetGo = FALSE;
        c.RunOnUi([&] {
            EXPECT_FALSE(SendMessageW(d, PSM_SETCURSEL, 1, 0));
            EXPECT_EQ(CurrentPage(d), p0.m_hWnd);
            EXPECT_EQ(p1.m_hWnd, nullptr) << "the refused page was made";
            EXPECT_FALSE(p0.LetGoWhenLastAsked());
        });
        rec.Expect({Note(0, PSN_KILLACTIVE)}, "refused");
    });
    s.Step("letting go moves to the next page", [&](ui::Ctx& c) {
        HWND d = c.Get("sheet");
        rec.Clear();
        p0.m_bLetGo = TRUE;
        c.RunOnUi([&] {
            EXPECT_TRUE(SendMessageW(d, PSM_SETCURSEL, 1, 0));
            EXPECT_EQ(CurrentPage(d), p1.m_hWnd);
            EXPECT_TRUE(p0.LetGoWhenLastAsked());
        });
        rec.Expect({Note(0, PSN_KILLACTIVE), Note(1, PSN_SETACTIVE)}, "switch");
    });
    s.Step("Apply: the current page lets go, every page with a window applies", [&](ui::Ctx& c) {
        HWND d = c.Get("sheet");
        c.RunOnUi([&] { p1.SetModified(TRUE); });
        rec.Clear();
        c.Click(d, ID_APPLY_NOW);
        // The page that never showed (p2) has no window and is not asked; the current page is
        // activated again after the Apply.
        rec.Expect({Note(1, PSN_KILLACTIVE), Note(0, PSN_APPLY), Note(1, PSN_APPLY), Note(1, PSN_SETACTIVE)},
                   "apply");
        c.RunOnUi([&] { EXPECT_EQ(p2.m_hWnd, nullptr); });
    });
    s.Step("a page that refuses Apply stops it where it is", [&](ui::Ctx& c) {
        HWND d = c.Get("sheet");
        c.RunOnUi([&] { p1.SetModified(TRUE); });
        rec.Clear();
        p0.m_bApplies = FALSE;
        c.Click(d, ID_APPLY_NOW);
        rec.Expect({Note(1, PSN_KILLACTIVE), Note(0, PSN_APPLY)}, "apply refused");
        c.RunOnUi([&] {
            EXPECT_EQ(CurrentPage(d), p1.m_hWnd);
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, ID_APPLY_NOW))) << "Apply is still to be done";
        });
        p0.m_bApplies = TRUE;
    });
    s.Step("a page that refuses to cancel keeps the sheet open", [&](ui::Ctx& c) {
        HWND d = c.Get("sheet");
        rec.Clear();
        p1.m_bCancels = FALSE;
        c.Click(d, IDCANCEL);
        c.Flush();
        rec.Expect({Note(1, PSN_QUERYCANCEL)}, "cancel refused");
        EXPECT_TRUE(IsWindowVisible(d));
    });
    s.Step("cancelling resets every page with a window", [&](ui::Ctx& c) {
        HWND d = c.Get("sheet");
        rec.Clear();
        p1.m_bCancels = TRUE;
        c.Click(d, IDCANCEL);
        c.WaitGone(d);
        rec.Expect({Note(1, PSN_QUERYCANCEL), Note(0, PSN_RESET), Note(1, PSN_RESET)}, "cancel");
    });
    // Cancelled (after an Apply): the platform's modal sheet reports 0.
    EXPECT_EQ(s.Run([&] { return sheet.DoModal(); }), 0);
    EXPECT_TRUE(s.Succeeded());
}

// ---- data exchange failures --------------------------------------------------------------------

// Fields of the fog page, exchanged in this order; the radio group comes last.
const int kFieldIds[] = {IDC_FOG_COLOR_R, IDC_FOG_COLOR_G, IDC_FOG_DENSITY, IDC_FOG_COLOR_B};
const int kLaterSentinel = 77;

class CFieldsPage : public CPropertyPage {
public:
    CFieldsPage() : CPropertyPage(IDD_FOG_PAGE) {}
    short m_s = 1;             // any 16-bit integer
    int m_i = 2;               // 0..255
    float m_f = 1.0f;          // 0.5..2.5
    CString m_str = L"ab";     // at most 4 characters
    int m_later = kLaterSentinel;
    std::vector<AFX_DDX_FAILURE> m_failures;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, IDC_FOG_COLOR_R, m_s);
        DDX_Text(pDX, IDC_FOG_COLOR_G, m_i);
        DDV_MinMaxInt(pDX, m_i, 0, 255);
        DDX_Text(pDX, IDC_FOG_DENSITY, m_f);
        DDV_MinMaxFloat(pDX, m_f, 0.5f, 2.5f);
        DDX_Text(pDX, IDC_FOG_COLOR_B, m_str);
        DDV_MaxChars(pDX, m_str, 4);
        DDX_Radio(pDX, IDC_MATMODE_AMBIENT, m_later);
    }
    void OnDataExchangeFailure(const AFX_DDX_FAILURE& failure) override
    {
        m_failures.push_back(failure);
        CPropertyPage::OnDataExchangeFailure(failure);  // the prompt, focus and selection
    }
};

struct FailCase {
    const char* name;
    const wchar_t* texts[4];  // the four fields' texts
    AFX_DDX_FAILURE::Kind kind;
    int field;                // index into kFieldIds
    double value, minValue, maxValue;
    const wchar_t* prompt;
};

const FailCase kFailCases[] = {
    {"16-bit integer too large", {L"40000", L"8", L"1.5", L"cd"}, AFX_DDX_FAILURE::kIntRange, 0, 40000, -32768,
     32767, L"请输入一个介于 -32768 和 32767 之间的整数。"},
    {"16-bit integer too small", {L"-32769", L"8", L"1.5", L"cd"}, AFX_DDX_FAILURE::kIntRange, 0, -32769, -32768,
     32767, L"请输入一个介于 -32768 和 32767 之间的整数。"},
    {"no integer", {L"7 m", L"8", L"1.5", L"cd"}, AFX_DDX_FAILURE::kNotInteger, 0, 0, 0, 0, L"请输入一个整数。"},
    {"beyond 32 bits", {L"7", L"4294967296", L"1.5", L"cd"}, AFX_DDX_FAILURE::kIntRange, 1, 4294967296.0,
     INT_MIN, INT_MAX, L"请输入一个介于 -2147483648 和 2147483647 之间的整数。"},
    {"outside the validation's range", {L"7", L"256", L"1.5", L"cd"}, AFX_DDX_FAILURE::kIntRange, 1, 256, 0, 255,
     L"请输入一个介于 0 和 255 之间的整数。"},
    {"no number", {L"7", L"8", L"1,5", L"cd"}, AFX_DDX_FAILURE::kNotNumber, 2, 0, 0, 0, L"请输入一个数字。"},
    {"not a number", {L"7", L"8", L"nan", L"cd"}, AFX_DDX_FAILURE::kNotNumber, 2, 0, 0, 0, L"请输入一个数字。"},
    {"beyond a float", {L"7", L"8", L"1e39", L"cd"}, AFX_DDX_FAILURE::kRealRange, 2, 1e39, -FLT_MAX, FLT_MAX,
     L"请输入一个介于 -3.40282e+38 和 3.40282e+38 之间的数字。"},
    {"outside the validation's real range", {L"7", L"8", L"2.6", L"cd"}, AFX_DDX_FAILURE::kRealRange, 2, 2.6f,
     0.5, 2.5, L"请输入一个介于 0.5 和 2.5 之间的数字。"},
    {"too long", {L"7", L"8", L"1.5", L"abcde"}, AFX_DDX_FAILURE::kTooLong, 3, 5, 0, 4,
     L"请输入不多于 4 个字符。"},
};

TEST(DataExchangeFailure, PromptFocusAndSelectionOnTheFieldTheRecordHasKindAndLimits)
{
    CFieldsPage page;
    CPropertySheet sheet(kCaption);
    sheet.AddPage(&page);
    ui::Script s;
    for (const FailCase& fc : kFailCases) {
        s.Step(fc.name, [&page, &fc](ui::Ctx& c) {
            HWND d = c.WaitWindow(kCaption, L"#32770");
            c.RunOnUi([&] { SetForegroundWindow(d); });
            for (int i = 0; i < 4; ++i)
                c.SetText(c.Item(d, kFieldIds[i]), fc.texts[i]);
            c.Click(d, IDOK);
            HWND box = c.WaitModal(L"#32770", d);
            ASSERT_NE(box, d);
            EXPECT_EQ(c.DismissMessageBox(box), fc.prompt);
            c.WaitGone(box);
            HWND field = c.Item(d, kFieldIds[fc.field]);
            c.WaitFor([&] {
                // Another program on the display may have taken the foreground: the sheet, active
                // again, gives the focus back to the control that had it.
                if (GetForegroundWindow() != d)
                    c.RunOnUi([&] { SetForegroundWindow(d); });
                GUITHREADINFO gti{};
                gti.cbSize = sizeof gti;
                return GetGUIThreadInfo(c.UiThread(), &gti) && gti.hwndFocus == field;
            }, "the focus on the failing field");
            c.RunOnUi([&] {
                DWORD from = 0xdeadbeef, to = 0xdeadbeef;
                SendMessageW(field, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
                EXPECT_EQ(from, 0u);
                EXPECT_EQ(to, static_cast<DWORD>(wcslen(fc.texts[fc.field]))) << "the whole text is selected";
                EXPECT_EQ(page.m_later, kLaterSentinel) << "a field after the failing one was exchanged";
                ASSERT_EQ(page.m_failures.size(), 1u);
                const AFX_DDX_FAILURE& f = page.m_failures[0];
                EXPECT_EQ(f.kind, fc.kind);
                EXPECT_EQ(f.nIDC, kFieldIds[fc.field]);
                EXPECT_EQ(f.hWndField, field);
                EXPECT_TRUE(f.bEdit);
                EXPECT_EQ(static_cast<float>(f.value), static_cast<float>(fc.value));
                EXPECT_EQ(f.minValue, fc.minValue);
                EXPECT_EQ(f.maxValue, fc.maxValue);
                page.m_failures.clear();
            });
            EXPECT_TRUE(IsWindowVisible(d)) << "the sheet closed on a failing field";
        });
    }
    s.Step("right values close the sheet", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaption, L"#32770");
        const wchar_t* texts[4] = {L"-32768", L"255", L"2.5", L"abcd"};
        for (int i = 0; i < 4; ++i)
            c.SetText(c.Item(d, kFieldIds[i]), texts[i]);
        c.Click(d, IDOK);
        c.WaitGone(d);
    });
    EXPECT_EQ(s.Run([&] { return sheet.DoModal(); }), IDOK);
    EXPECT_TRUE(page.m_failures.empty());
    EXPECT_EQ(page.m_s, -32768);
    EXPECT_EQ(page.m_i, 255);
    EXPECT_EQ(page.m_f, 2.5f);
    EXPECT_EQ(page.m_str.str(), L"abcd");
    EXPECT_EQ(page.m_later, -1) << "the radio group (none checked) was not exchanged";
}

// ---- the sheet's creation ------------------------------------------------------------------------

// A host window that makes a top-level window of its own when the modal sheet disables it (a host's
// busy indicator), before the sheet's frame exists.
struct BusyOwner {
    const wchar_t* busyClass = nullptr;
    HWND owner = nullptr;
    HWND busy = nullptr;
    LONG_PTR busyProc = 0;  // the procedure of the busy window's class

    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
    {
        auto* self = reinterpret_cast<BusyOwner*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (msg == WM_ENABLE && !wp && self != nullptr && self->busy == nullptr) {
            self->busy = CreateWindowExW(WS_EX_TOOLWINDOW, self->busyClass, L"busy", WS_POPUP, 0, 0, 80, 20,
                                         nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
            self->busyProc = static_cast<LONG_PTR>(GetClassLongPtrW(self->busy, GCLP_WNDPROC));
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
};

TEST(SheetCreation, TheSheetsObjectTakesItsFrameNotAWindowMadeBeforeIt)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = &BusyOwner::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"OroscapeAfxBusyOwner";
    RegisterClassW(&wc);
    const struct {
        const char* name;
        const wchar_t* busyClass;
    } cases[] = {{"a popup of a plain class", L"STATIC"}, {"an unowned window of the dialog class", L"#32770"}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        BusyOwner host;
        host.busyClass = k.busyClass;
        host.owner = CreateWindowExW(0, wc.lpszClassName, L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300,
                                     200, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(nullptr, host.owner);
        SetWindowLongPtrW(host.owner, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&host));
        ui::MsgRecorder rec;
        CNotePage p0(IDD_LIGHT_PAGE, 0, rec);
        CPropertySheet sheet(kCaption, CWnd::FromHandle(host.owner));
        sheet.AddPage(&p0);
        ui::Script s;
        s.Step("the sheet's object has the sheet's frame", [&](ui::Ctx& c) {
            HWND d = c.WaitWindow(kCaption, L"#32770");
            c.Flush();
            c.RunOnUi([&] {
                EXPECT_NE(nullptr, host.busy) << "the owner made no window when it was disabled";
                EXPECT_EQ(d, sheet.m_hWnd);
                EXPECT_EQ(&sheet, CWnd::FromHandlePermanent(d));
                EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(host.busy)) << "the owner's window was taken";
                EXPECT_EQ(host.busyProc, GetWindowLongPtrW(host.busy, GWLP_WNDPROC));
                EXPECT_EQ(CurrentPage(d), p0.m_hWnd);
            });
            c.Click(d, IDCANCEL);
            c.WaitGone(d);
        });
        EXPECT_EQ(0, s.Run([&] { return static_cast<int>(sheet.DoModal()); })) << "cancelled: the platform reports 0";
        EXPECT_TRUE(s.Succeeded());
        EXPECT_TRUE(IsWindow(host.busy)) << "the owner's window was destroyed with the sheet";
        EXPECT_EQ(host.busyProc, GetWindowLongPtrW(host.busy, GWLP_WNDPROC));
        DestroyWindow(host.busy);
        DestroyWindow(host.owner);
    }
}

}  // namespace
