// uidriver_test.cpp: the UI driver, the capture and the PNG writer tested on a dialog of their own.
//   A dialog built in memory (edit, buttons, list view, combo, a painted swatch, a nested control) runs
//   modally on the test's thread while scripts drive it.
#include "support/capture.h"
#include "uidriver_gtest.h"

#include <commctrl.h>
#include <commdlg.h>
#include <prsht.h>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

const wchar_t kCaption[] = L"驱动自测";
const wchar_t kBoxCaption[] = L"地形";
const wchar_t kBoxText[] = L"高程超出范围";
const COLORREF kSwatch = RGB(0x12, 0x9A, 0x56);
const RECT kSwatchRect = {200, 150, 280, 200};  // client pixels, painted by the dialog

enum : int {
    IDC_EDIT = 101,
    IDC_COUNT = 102,
    IDC_LIST = 103,
    IDC_COMBO = 104,
    IDC_ASK = 105,
    IDC_PANEL = 106,
    IDC_HIDDEN_PANEL = 107,
    IDC_CHECK = 108,
    IDC_COLOR = 109,
    IDC_OPEN = 110,
    IDC_INNER = 201,  // an edit inside each panel
    IDC_PAGE_EDIT = 301,
};

// What the dialog saw; written on the UI thread, read by steps through RunOnUi or after the call.
struct DialogState {
    int clicks = 0;
    int editChanges = 0;
    int comboChanges = 0;
    int comboIndex = -2;
    std::wstring comboText;
    int doubleClickedItem = -2;
    int boxResult = 0;
    int colorResult = -1;  // ChooseColorW's result
    int openResult = -1;   // GetOpenFileNameW's result
    std::wstring textAtOk;
    HWND innerVisible = nullptr;
    HWND innerHidden = nullptr;
};

// ---- an in-memory dialog template ----

class Template {
public:
    Template(const wchar_t* caption, short cx, short cy) {
        Dword(DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER);
        Dword(0);
        countAt_ = words_.size();
        Word(0);
        Word(0), Word(0), Word(cx), Word(cy);
        Word(0);  // no menu
        Word(0);  // standard class
        String(caption);
        Word(9);
        String(L"MS Shell Dlg");
    }
    // cls: an atom of the predefined classes (0x80 button, 0x81 edit, 0x85 combo) or nullptr with name.
    void Item(WORD atom, const wchar_t* cls, const wchar_t* text, WORD id, DWORD style, short x, short y, short cx,
              short cy) {
        while (words_.size() % 2) Word(0);  // DWORD alignment
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        Word(x), Word(y), Word(cx), Word(cy);
        Word(id);
        if (cls) {
            String(cls);
        } else {
            Word(0xFFFF);
            Word(atom);
        }
        String(text);
        Word(0);
        ++words_[countAt_];
    }
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void Word(WORD w) { words_.push_back(w); }
    void Dword(DWORD d) {
        Word(LOWORD(d));
        Word(HIWORD(d));
    }
    void String(const wchar_t* s) {
        for (; *s; ++s) Word(*s);
        Word(0);
    }
    std::vector<WORD> words_;
    size_t countAt_ = 0;
};

void PaintSwatch(HDC dc) {
    HBRUSH b = CreateSolidBrush(kSwatch);
    FillRect(dc, &kSwatchRect, b);
    DeleteObject(b);
}

INT_PTR CALLBACK TestDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    DialogState* st = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dlg, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dlg, DWLP_USER, lp);
        st = reinterpret_cast<DialogState*>(lp);
        // A fixed client size in pixels, whatever the font, so that the swatch has a known place.
        RECT rc = {0, 0, 420, 260};
        AdjustWindowRectEx(&rc, GetWindowLongW(dlg, GWL_STYLE), FALSE, GetWindowLongW(dlg, GWL_EXSTYLE));
        SetWindowPos(dlg, nullptr, 40, 40, rc.right - rc.left, rc.bottom - rc.top, SWP_NOZORDER);
        HWND list = GetDlgItem(dlg, IDC_LIST);
        MoveWindow(list, 10, 90, 180, 100, FALSE);
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH;
        col.cx = 80;
        col.pszText = const_cast<wchar_t*>(L"名称");
        SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&col));
        col.pszText = const_cast<wchar_t*>(L"高程");
        SendMessageW(list, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&col));
        const wchar_t* names[] = {L"平原", L"丘陵", L"高山"};
        const wchar_t* heights[] = {L"0", L"500", L"3000"};
        for (int i = 0; i < 3; ++i) {
            LVITEMW it{};
            it.mask = LVIF_TEXT;
            it.iItem = i;
            it.pszText = const_cast<wchar_t*>(names[i]);
            SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&it));
            it.iSubItem = 1;
            it.pszText = const_cast<wchar_t*>(heights[i]);
            SendMessageW(list, LVM_SETITEMTEXTW, i, reinterpret_cast<LPARAM>(&it));
        }
        HWND combo = GetDlgItem(dlg, IDC_COMBO);
        for (const wchar_t* s : {L"红", L"绿", L"蓝"}) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
        // Panels holding a control each with the same id: the hidden one comes first in the child order.
        HWND hidden = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 300, 10, 100, 30, dlg,
                                      reinterpret_cast<HMENU>(IDC_HIDDEN_PANEL), nullptr, nullptr);
        HWND panel = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 300, 50, 100, 30, dlg,
                                     reinterpret_cast<HMENU>(IDC_PANEL), nullptr, nullptr);
        st->innerHidden = CreateWindowExW(0, L"EDIT", L"hidden", WS_CHILD | WS_VISIBLE, 0, 0, 90, 20, hidden,
                                          reinterpret_cast<HMENU>(IDC_INNER), nullptr, nullptr);
        st->innerVisible = CreateWindowExW(0, L"EDIT", L"visible", WS_CHILD | WS_VISIBLE, 0, 0, 90, 20, panel,
                                           reinterpret_cast<HMENU>(IDC_INNER), nullptr, nullptr);
        return TRUE;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(dlg, &ps);
        PaintSwatch(dc);
        EndPaint(dlg, &ps);
        return TRUE;
    }
    case WM_PRINTCLIENT:  // PrintWindow: the default background first, then what WM_PAINT draws
        DefWindowProcW(dlg, msg, wp, lp);
        PaintSwatch(reinterpret_cast<HDC>(wp));
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR* h = reinterpret_cast<const NMHDR*>(lp);
        if (h->idFrom == IDC_LIST && h->code == NM_DBLCLK)
            st->doubleClickedItem = reinterpret_cast<const NMITEMACTIVATE*>(lp)->iItem;
        return FALSE;
    }
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_COUNT:
            if (HIWORD(wp) == BN_CLICKED) ++st->clicks;
            return TRUE;
        case IDC_EDIT:
            if (HIWORD(wp) == EN_CHANGE) ++st->editChanges;
            return TRUE;
        case IDC_COMBO:
            if (HIWORD(wp) == CBN_SELCHANGE) {
                ++st->comboChanges;
                HWND combo = reinterpret_cast<HWND>(lp);
                st->comboIndex = static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
                wchar_t buf[32] = L"";
                SendMessageW(combo, CB_GETLBTEXT, st->comboIndex, reinterpret_cast<LPARAM>(buf));
                st->comboText = buf;
            }
            return TRUE;
        case IDC_ASK:
            st->boxResult = MessageBoxW(dlg, kBoxText, kBoxCaption, MB_OK | MB_ICONWARNING);
            return TRUE;
        case IDC_COLOR: {
            static COLORREF custom[16];
            CHOOSECOLORW cc{};
            cc.lStructSize = sizeof cc;
            cc.hwndOwner = dlg;
            cc.rgbResult = kSwatch;
            cc.lpCustColors = custom;
            cc.Flags = CC_RGBINIT | CC_FULLOPEN;
            st->colorResult = ChooseColorW(&cc);
            return TRUE;
        }
        case IDC_OPEN: {
            wchar_t file[MAX_PATH] = L"";
            OPENFILENAMEW ofn{};
            ofn.lStructSize = sizeof ofn;
            ofn.hwndOwner = dlg;
            ofn.lpstrFilter = L"DEM (*.dem)\0*.dem\0";
            ofn.lpstrFile = file;
            ofn.nMaxFile = MAX_PATH;
            ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST;
            st->openResult = GetOpenFileNameW(&ofn);
            return TRUE;
        }
        case IDOK: {
            wchar_t buf[64] = L"";
            GetDlgItemTextW(dlg, IDC_EDIT, buf, 64);
            st->textAtOk = buf;
            EndDialog(dlg, IDOK);
            return TRUE;
        }
        case IDCANCEL:
            EndDialog(dlg, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

const Template& TestTemplate() {
    static Template t = [] {
        Template t(kCaption, 280, 170);
        t.Item(0x81, nullptr, L"", IDC_EDIT, WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, 7, 7, 100, 14);
        t.Item(0x80, nullptr, L"计数", IDC_COUNT, BS_PUSHBUTTON | WS_TABSTOP, 115, 7, 50, 14);
        t.Item(0, WC_LISTVIEWW, L"", IDC_LIST, LVS_REPORT | WS_BORDER | WS_TABSTOP, 7, 60, 120, 60);
        t.Item(0x85, nullptr, L"", IDC_COMBO, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 7, 27, 100, 80);
        t.Item(0x80, nullptr, L"提示", IDC_ASK, BS_PUSHBUTTON | WS_TABSTOP, 115, 27, 50, 14);
        t.Item(0x80, nullptr, L"平滑", IDC_CHECK, BS_AUTOCHECKBOX | WS_TABSTOP, 170, 7, 50, 14);
        t.Item(0x80, nullptr, L"颜色", IDC_COLOR, BS_PUSHBUTTON | WS_TABSTOP, 170, 27, 50, 14);
        t.Item(0x80, nullptr, L"打开", IDC_OPEN, BS_PUSHBUTTON | WS_TABSTOP, 225, 27, 50, 14);
        t.Item(0x80, nullptr, L"确定", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 170, 148, 50, 14);
        t.Item(0x80, nullptr, L"取消", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 225, 148, 50, 14);
        return t;
    }();
    return t;
}

INT_PTR ShowTestDialog(DialogState& st) {
    return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), TestTemplate().get(), nullptr, TestDialogProc,
                                   reinterpret_cast<LPARAM>(&st));
}

// Reads a dialog state field on the UI thread.
template <class T>
T OnUi(ui::Ctx& c, const T& field) {
    T v{};
    c.RunOnUi([&] { v = field; });
    return v;
}

// Collects the failures reported from its construction until the first look at what it caught: on
// any thread (around Script::Run), or on the current thread only (inside a step, where the driver
// collects the step's own results). Looking ends the trap, so the checks that follow report normally.
class FailureTrap {
public:
    explicit FailureTrap(bool allThreads = true) {
        reporter_.emplace(allThreads ? ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ALL_THREADS
                                     : ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD,
                          &results_);
    }
    int count() { return caught().size(); }
    const ::testing::TestPartResultArray& caught() {
        reporter_.reset();
        return results_;
    }
    std::string all() {
        std::string s;
        for (int i = 0; i < caught().size(); ++i) s += std::string(results_.GetTestPartResult(i).message()) + "\n";
        return s;
    }

private:
    ::testing::TestPartResultArray results_;
    std::optional<::testing::ScopedFakeTestPartResultReporter> reporter_;
};

// ---- the driver against the dialog ----

std::wstring DesktopName(DWORD thread) {
    wchar_t name[128] = L"";
    DWORD len = 0;
    GetUserObjectInformationW(GetThreadDesktop(thread), UOI_NAME, name, sizeof name, &len);
    return name;
}

TEST(UiDriver, RunsOnADesktopOfItsOwnAndTheDriverFollows) {
    const std::wstring own = L"oroscape-test-" + std::to_wstring(GetCurrentProcessId());
    EXPECT_EQ(own, DesktopName(GetCurrentThreadId()));  // set by main
    EXPECT_TRUE(ui::UseOwnDesktop());                    // a second call changes nothing
    EXPECT_EQ(own, DesktopName(GetCurrentThreadId()));
    DialogState st;
    std::wstring driverDesktop;
    ui::Script s;
    s.Step("look and close", [&](ui::Ctx& c) {
        driverDesktop = DesktopName(GetCurrentThreadId());
        c.Click(c.WaitWindow(kCaption), IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, s.Run([&] { return ShowTestDialog(st); }));
    EXPECT_EQ(own, driverDesktop);
}

TEST(UiDriver, FindsReadsTypesClicksAndSelects) {
    DialogState st;
    ui::Script s;
    s.Step("find the dialog", [](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaption, L"#32770");
        EXPECT_EQ(d, c.WaitModal(L"#32770"));
        EXPECT_EQ(nullptr, c.FindTop(L"驱动自测 ", nullptr));  // exact text only
        c.Set("dlg", d);
    });
    s.Step("nested control lookup prefers the visible one", [&st](ui::Ctx& c) {
        HWND d = c.Get("dlg");
        EXPECT_EQ(nullptr, GetDlgItem(d, IDC_INNER));
        HWND inner = c.Item(d, IDC_INNER);
        EXPECT_EQ(OnUi(c, st.innerVisible), inner);
        EXPECT_NE(OnUi(c, st.innerHidden), inner);
        EXPECT_EQ(L"visible", c.Text(inner));
        EXPECT_EQ(nullptr, ui::Ctx::FindItem(d, 4242));
    });
    s.Step("set the edit's text", [&st](ui::Ctx& c) {
        HWND edit = c.Item(c.Get("dlg"), IDC_EDIT);
        int before = OnUi(c, st.editChanges);
        c.SetText(edit, L"甲乙");
        EXPECT_EQ(L"甲乙", c.Text(edit));
        EXPECT_EQ(before + 1, OnUi(c, st.editChanges));  // EN_CHANGE as typing sends it
        c.SetText(edit, L"");
    });
    s.Step("type into the edit", [&st](ui::Ctx& c) {
        HWND edit = c.Item(c.Get("dlg"), IDC_EDIT);
        int before = OnUi(c, st.editChanges);
        c.Type(edit, L"丙丁3x");
        c.WaitText(edit, L"丙丁3x");
        EXPECT_EQ(before + 4, OnUi(c, st.editChanges));  // one EN_CHANGE per character
    });
    s.Step("click with BM_CLICK", [&st](ui::Ctx& c) {
        HWND d = c.Get("dlg");
        c.Click(d, IDC_COUNT);
        c.Click(c.Item(d, IDC_COUNT));
        EXPECT_EQ(2, OnUi(c, st.clicks));
    });
    s.Step("click with the mouse", [&st](ui::Ctx& c) {
        c.MouseClick(c.Item(c.Get("dlg"), IDC_COUNT));
        EXPECT_EQ(3, OnUi(c, st.clicks));
    });
    s.Step("check box states", [](ui::Ctx& c) {
        HWND box = c.Item(c.Get("dlg"), IDC_CHECK);
        EXPECT_EQ(BST_UNCHECKED, c.CheckState(box));
        c.Click(box);
        EXPECT_TRUE(c.Checked(box));
        c.MouseClick(box, POINT{5, 5});
        EXPECT_FALSE(c.Checked(box));
    });
    s.Step("select combo items", [&st](ui::Ctx& c) {
        HWND combo = c.Item(c.Get("dlg"), IDC_COMBO);
        EXPECT_EQ(3, c.ComboCount(combo));
        EXPECT_EQ(-1, c.ComboSel(combo));
        EXPECT_EQ(L"绿", c.ComboText(combo, 1));
        c.SelectCombo(combo, 2);
        EXPECT_EQ(2, c.ComboSel(combo));
        EXPECT_EQ(1, OnUi(c, st.comboChanges));
        EXPECT_EQ(2, OnUi(c, st.comboIndex));
        EXPECT_EQ(L"蓝", OnUi(c, st.comboText));
        c.SelectComboText(combo, L"红");
        EXPECT_EQ(2, OnUi(c, st.comboChanges));
        EXPECT_EQ(0, OnUi(c, st.comboIndex));
    });
    s.Step("read and select list view items", [](ui::Ctx& c) {
        HWND list = c.Item(c.Get("dlg"), IDC_LIST);
        EXPECT_EQ(3, c.ListCount(list));
        EXPECT_EQ(L"丘陵", c.ListText(list, 1));
        EXPECT_EQ(L"3000", c.ListText(list, 2, 1));
        EXPECT_EQ(-1, c.ListSelection(list));
        c.ListSelect(list, 2);
        EXPECT_EQ(2, c.ListSelection(list));
    });
    s.Step("double-click a list view item", [&st](ui::Ctx& c) {
        HWND list = c.Item(c.Get("dlg"), IDC_LIST);
        RECT rc{};
        c.RunOnUi([&] {
            rc.left = LVIR_LABEL;
            SendMessageW(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&rc));
        });
        c.MouseDoubleClick(list, POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
        EXPECT_EQ(1, OnUi(c, st.doubleClickedItem));
        EXPECT_EQ(1, c.ListSelection(list));
    });
    s.Step("close with OK", [](ui::Ctx& c) {
        HWND d = c.Get("dlg");
        c.SetText(c.Item(d, IDC_EDIT), L"完成");
        c.Click(d, IDOK);
        c.WaitGone(d);
    });
    INT_PTR r = s.Run([&] { return ShowTestDialog(st); });
    EXPECT_EQ(IDOK, r);
    EXPECT_TRUE(s.Succeeded());
    EXPECT_EQ(11u, s.StepsDone());
    EXPECT_EQ(L"完成", st.textAtOk);
}

TEST(UiDriver, ReadsAndDismissesANestedMessageBox) {
    DialogState st;
    ui::Script s;
    s.Step("open the message box", [](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaption, L"#32770");
        c.Set("dlg", d);
        c.Click(d, IDC_ASK);  // returns although the click's handler is inside MessageBox
        HWND box = c.WaitModal(L"#32770", d);
        EXPECT_NE(d, box);
        EXPECT_EQ(box, c.WaitWindow(kBoxCaption, L"#32770"));
        EXPECT_EQ(d, GetWindow(box, GW_OWNER));
        EXPECT_FALSE(IsWindowEnabled(d));
        c.Set("box", box);
    });
    s.Step("read and dismiss it", [&st](ui::Ctx& c) {
        HWND box = c.Get("box");
        EXPECT_EQ(kBoxText, c.MessageBoxText(box));
        EXPECT_EQ(kBoxText, c.DismissMessageBox(box));
        c.WaitGone(box);
        c.WaitFor([&] { return OnUi(c, st.boxResult) != 0; }, "MessageBox to return");
        EXPECT_EQ(IDOK, OnUi(c, st.boxResult));
        EXPECT_EQ(c.Get("dlg"), c.WaitModal());
    });
    s.Step("Esc closes the dialog", [](ui::Ctx& c) {
        HWND d = c.Get("dlg");
        c.PressEsc(c.Item(d, IDC_EDIT));
        c.WaitGone(d);
    });
    INT_PTR r = s.Run([&] { return ShowTestDialog(st); });
    EXPECT_EQ(IDCANCEL, r);
    EXPECT_TRUE(s.Succeeded());
}

TEST(UiDriver, EnterPressesTheDefaultButton) {
    DialogState st;
    ui::Script s;
    s.Step("Enter", [](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaption);
        c.SetText(c.Item(d, IDC_EDIT), L"回车");
        c.PressEnter(c.Item(d, IDC_EDIT));
    });
    EXPECT_EQ(IDOK, s.Run([&] { return ShowTestDialog(st); }));
    EXPECT_EQ(L"回车", st.textAtOk);
    EXPECT_TRUE(s.Succeeded());
}

// ---- failures end the modal call ----

TEST(UiDriver, AWindowThatNeverComesFailsTheStepAndTheDialogIsClosed) {
    DialogState st;
    INT_PTR r = 0;
    ui::Script s;
    s.SetTimeout(600);
    bool laterStepRan = false;
    s.Step("wait for a window that never opens", [](ui::Ctx& c) { c.WaitWindow(L"不存在的窗口", L"#32770"); });
    s.Step("never runs", [&](ui::Ctx&) { laterStepRan = true; });
    FailureTrap trap;
    r = s.Run([&] { return ShowTestDialog(st); });
    ASSERT_EQ(1, trap.count()) << trap.all();
    std::string m = trap.all();
    EXPECT_NE(std::string::npos, m.find("'wait for a window that never opens'")) << m;
    EXPECT_NE(std::string::npos, m.find("timed out after 600 ms")) << m;
    EXPECT_NE(std::string::npos, m.find(ui::Narrow(L"\"不存在的窗口\""))) << m;
    EXPECT_NE(std::string::npos, m.find(ui::Narrow(L"\"驱动自测\" [#32770]"))) << m;  // what was open
    EXPECT_NE(std::string::npos, m.find("steps not run: 'never runs'")) << m;
    EXPECT_EQ(IDCANCEL, r);  // the rescue's IDCANCEL
    EXPECT_FALSE(laterStepRan);
    EXPECT_FALSE(s.Succeeded());
    EXPECT_EQ(0u, s.StepsDone());
}

TEST(UiDriver, TheRescueClosesANestedMessageBoxFirst) {
    DialogState st;
    ui::Script s;
    s.Step("open the box, then fail", [](ui::Ctx& c) {
        c.Click(c.WaitWindow(kCaption), IDC_ASK);
        c.WaitWindow(kBoxCaption, L"#32770");
        c.Fail("deliberate failure with a message box open");
    });
    FailureTrap trap;
    INT_PTR r = s.Run([&] { return ShowTestDialog(st); });
    ASSERT_EQ(1, trap.count()) << trap.all();
    EXPECT_NE(std::string::npos, trap.all().find("deliberate failure with a message box open"));
    EXPECT_NE(0, st.boxResult);  // the message box returned ...
    EXPECT_EQ(IDCANCEL, r);      // ... then the dialog
}

TEST(UiDriver, CommonDialogsOpenedFromTheDialogAreDrivenAndRescued) {
    DialogState st;
    ui::Script s;
    s.Step("choose a colour", [](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaption);
        c.Set("dlg", d);
        c.Click(d, IDC_COLOR);
        HWND color = c.WaitModal(L"#32770", d);
        EXPECT_NE(d, color);
        EXPECT_EQ(d, GetWindow(color, GW_OWNER));
        c.Click(color, IDOK);
        c.WaitGone(color);
    });
    s.Step("open a file dialog, then fail", [&st](ui::Ctx& c) {
        c.WaitFor([&] { return OnUi(c, st.colorResult) != -1; }, "ChooseColorW to return");
        EXPECT_EQ(TRUE, OnUi(c, st.colorResult));
        HWND d = c.Get("dlg");
        c.Click(d, IDC_OPEN);
        HWND open = c.WaitModal(L"#32770", d);
        EXPECT_NE(d, open);
        c.Item(open, 1136);  // the file-type combo: it is the file dialog
        c.Fail("deliberate failure with a file dialog open");
    });
    FailureTrap trap;
    INT_PTR r = s.Run([&] { return ShowTestDialog(st); });
    ASSERT_EQ(1, trap.count()) << trap.all();
    EXPECT_NE(std::string::npos, trap.all().find("deliberate failure with a file dialog open")) << trap.all();
    EXPECT_EQ(TRUE, st.colorResult);
    EXPECT_EQ(FALSE, st.openResult);  // cancelled by the rescue
    EXPECT_EQ(IDCANCEL, r);
}

TEST(UiDriver, TheRescueAlsoClosesHiddenDialogs) {
    DialogState st;
    ui::Script s;
    s.Step("hide the dialog and its colour dialog, then fail", [](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaption);
        c.Click(d, IDC_COLOR);
        HWND color = c.WaitModal(L"#32770", d);
        c.RunOnUi([&] {
            ShowWindow(color, SW_HIDE);
            ShowWindow(d, SW_HIDE);
        });
        EXPECT_TRUE(c.TopWindows().empty());
        c.Fail("deliberate failure with only hidden dialogs");
    });
    FailureTrap trap;
    INT_PTR r = s.Run([&] { return ShowTestDialog(st); });
    ASSERT_EQ(1, trap.count()) << trap.all();
    EXPECT_NE(std::string::npos, trap.all().find("deliberate failure with only hidden dialogs")) << trap.all();
    EXPECT_EQ(FALSE, st.colorResult);  // the colour dialog first ...
    EXPECT_EQ(IDCANCEL, r);            // ... then the dialog
}

INT_PTR CALLBACK PageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp) { return msg == WM_INITDIALOG; }

INT_PTR ShowTestSheet() {
    static Template page = [] {
        Template t(L"分层", 200, 100);
        t.Item(0x81, nullptr, L"页内", IDC_PAGE_EDIT, WS_BORDER | WS_TABSTOP, 7, 7, 100, 14);
        return t;
    }();
    PROPSHEETPAGEW psp{};
    psp.dwSize = sizeof psp;
    psp.dwFlags = PSP_DLGINDIRECT;
    psp.hInstance = GetModuleHandleW(nullptr);
    psp.pResource = page.get();
    psp.pfnDlgProc = PageProc;
    HPROPSHEETPAGE pages[1] = {CreatePropertySheetPageW(&psp)};
    PROPSHEETHEADERW psh{};
    psh.dwSize = sizeof psh;
    psh.dwFlags = PSH_NOAPPLYNOW;
    psh.hInstance = GetModuleHandleW(nullptr);
    psh.pszCaption = L"属性表";
    psh.nPages = 1;
    psh.phpage = pages;
    return PropertySheetW(&psh);
}

TEST(UiDriver, PropertySheetPagesAreSearchedAndTheSheetIsRescued) {
    ui::Script s;
    s.Step("read the page, then fail", [](ui::Ctx& c) {
        HWND sheet = c.WaitWindow(L"属性表", L"#32770");
        EXPECT_EQ(nullptr, GetDlgItem(sheet, IDC_PAGE_EDIT));
        HWND edit = c.Item(sheet, IDC_PAGE_EDIT);
        EXPECT_EQ(L"页内", c.Text(edit));
        c.Item(sheet, 0x3020);  // the tab control
        c.Fail("deliberate failure with a property sheet open");
    });
    FailureTrap trap;
    INT_PTR r = s.Run([] { return ShowTestSheet(); });
    ASSERT_EQ(1, trap.count()) << trap.all();
    EXPECT_NE(std::string::npos, trap.all().find("deliberate failure with a property sheet open")) << trap.all();
    EXPECT_EQ(0, r);  // cancelled

    ui::Script ok;
    ok.Step("OK", [](ui::Ctx& c) {
        HWND sheet = c.WaitWindow(L"属性表", L"#32770");
        c.SetText(c.Item(sheet, IDC_PAGE_EDIT), L"改");
        c.Click(sheet, IDOK);
        c.WaitReturned();
    });
    EXPECT_GT(ok.Run([] { return ShowTestSheet(); }), 0);
    EXPECT_TRUE(ok.Succeeded());
}

// A modal loop in the property sheet's manner: it looks at its end flag only when GetMessage returns.
bool flagLoopEnded = false;

INT_PTR CALLBACK FlagDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
        flagLoopEnded = true;
        return TRUE;
    }
    return msg == WM_INITDIALOG;
}

int RunFlagLoop() {
    flagLoopEnded = false;
    HWND dlg = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), TestTemplate().get(), nullptr, FlagDialogProc, 0);
    if (!dlg) return -1;
    ShowWindow(dlg, SW_SHOW);
    MSG msg;
    while (!flagLoopEnded && GetMessageW(&msg, nullptr, 0, 0)) {
        if (!IsDialogMessageW(dlg, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    DestroyWindow(dlg);
    return flagLoopEnded ? 1 : 0;
}

TEST(UiDriver, ActionsWakeLoopsThatCheckTheirEndAfterGetMessage) {
    ui::Script s;
    s.Step("end the loop with a WM_COMMAND", [](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaption);
        c.RunOnUi([&] { SetFocus(GetDlgItem(d, IDC_COUNT)); });  // no caret, so no blink timer either
        c.UpdateNow(d);
        c.Flush();  // nothing left to wake the loop but the action itself
        c.Command(d, IDOK);
        c.WaitReturned();
    });
    EXPECT_EQ(1, s.Run([] { return RunFlagLoop(); }));
    EXPECT_TRUE(s.Succeeded());
}

TEST(UiDriver, AModalCallThatOutlivesTheScriptIsReportedAndClosed) {
    DialogState st;
    ui::Script s;
    s.SetTimeout(500);
    s.Step("look, but do not close", [](ui::Ctx& c) { c.WaitWindow(kCaption); });
    FailureTrap trap;
    INT_PTR r = s.Run([&] { return ShowTestDialog(st); });
    ASSERT_EQ(1, trap.count()) << trap.all();
    EXPECT_NE(std::string::npos, trap.all().find("all 1 steps ran but the modal call did not return")) << trap.all();
    EXPECT_EQ(IDCANCEL, r);
    EXPECT_EQ(1u, s.StepsDone());
}

TEST(UiDriver, StepsLeftWhenTheModalCallReturnsAreReported) {
    DialogState st;
    ui::Script s;
    s.Step("close at once", [](ui::Ctx& c) {
        c.Click(c.WaitWindow(kCaption), IDCANCEL);
        c.WaitReturned();
        EXPECT_TRUE(c.ModalReturned());
    });
    s.Step("never runs", [](ui::Ctx&) {});
    FailureTrap trap;
    INT_PTR r = s.Run([&] { return ShowTestDialog(st); });
    ASSERT_EQ(1, trap.count()) << trap.all();
    EXPECT_EQ(IDCANCEL, r);
    EXPECT_NE(std::string::npos, trap.all().find("the modal call returned after 1 of 2 steps; steps not run: 'never runs'"))
        << trap.all();
    EXPECT_EQ(1u, s.StepsDone());

    // A step still waiting when the call returns fails at once, naming what it waited for.
    ui::Script s2;
    s2.Step("close at once", [](ui::Ctx& c) { c.Click(c.WaitWindow(kCaption), IDCANCEL); });
    s2.Step("wait for a second dialog", [](ui::Ctx& c) {
        c.WaitFor([&] { return c.ModalReturned(); }, "the call to return");
        c.WaitWindow(L"第二个对话框");
    });
    FailureTrap trap2;
    r = s2.Run([&] { return ShowTestDialog(st); });
    ASSERT_EQ(1, trap2.count()) << trap2.all();
    EXPECT_EQ(IDCANCEL, r);
    EXPECT_NE(std::string::npos, trap2.all().find("'wait for a second dialog' failed: the modal call returned before "
                                                  "window \""))
        << trap2.all();
    EXPECT_EQ(1u, s2.StepsDone());
}

TEST(UiDriver, FailedHelpersFailTheirStep) {
    DialogState st;
    ui::Script s;
    s.Step("click a disabled button", [](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaption);
        c.RunOnUi([&] { EnableWindow(GetDlgItem(d, IDC_COUNT), FALSE); });
        c.Click(d, IDC_COUNT);
    });
    FailureTrap trap;
    INT_PTR r = s.Run([&] { return ShowTestDialog(st); });
    ASSERT_EQ(1, trap.count()) << trap.all();
    EXPECT_NE(std::string::npos, trap.all().find("is disabled")) << trap.all();
    EXPECT_EQ(IDCANCEL, r);
    EXPECT_EQ(0, st.clicks);

    ui::Script s2;
    s2.Step("look for a missing control", [](ui::Ctx& c) { c.Item(c.WaitWindow(kCaption), 4242); });
    FailureTrap trap2;
    r = s2.Run([&] { return ShowTestDialog(st); });
    ASSERT_EQ(1, trap2.count()) << trap2.all();
    EXPECT_EQ(IDCANCEL, r);
    EXPECT_NE(std::string::npos, trap2.all().find("no control with id 4242")) << trap2.all();

    ui::Script s3;
    s3.Step("a fatal assertion", [](ui::Ctx& c) {
        c.WaitWindow(kCaption);
        ASSERT_EQ(1, 2) << "deliberate";
    });
    s3.Step("never runs", [](ui::Ctx&) {});
    FailureTrap trap3;
    r = s3.Run([&] { return ShowTestDialog(st); });
    // The assertion, named after its step, then the step's failure; the second step never runs.
    ASSERT_EQ(2, trap3.count()) << trap3.all();
    EXPECT_EQ(IDCANCEL, r);
    EXPECT_TRUE(trap3.caught().GetTestPartResult(0).fatally_failed());
    EXPECT_NE(std::string::npos, trap3.all().find("[UI step 'a fatal assertion']")) << trap3.all();
    EXPECT_NE(std::string::npos, trap3.all().find("deliberate")) << trap3.all();
    EXPECT_NE(std::string::npos, trap3.all().find("'a fatal assertion' failed: a fatal assertion failed; steps not run: 'never runs'"))
        << trap3.all();
}

// ---- message sequences ----

TEST(MsgRecorder, ComparesWithOptionalEntriesAndMasks) {
    ui::MsgRecorder rec;
    rec.Record(WM_SETTEXT, 0, 11);
    rec.Record(WM_GETICON, 0, 0);  // ignored by default
    rec.Record(WM_COMMAND, MAKEWPARAM(5, EN_CHANGE), 22, ui::kParent);
    ASSERT_EQ(2u, rec.Messages().size());
    const unsigned p = ui::kParent;
    // Masks: only what the entry asks for is compared.
    EXPECT_TRUE(rec.Expect({{WM_SETTEXT, 0, 99, 99}, {WM_COMMAND, p, 0, 0}}, "masks"));
    EXPECT_TRUE(rec.Expect({{WM_SETTEXT, ui::kLParam, 0, 11}, {WM_COMMAND, p | ui::kWParam, MAKEWPARAM(5, EN_CHANGE), 0}},
                           "exact"));
    // Optional entries, present or not.
    EXPECT_TRUE(rec.Expect({{WM_SETTEXT, 0, 0, 0}, {WM_KILLFOCUS, ui::kOptional, 0, 0}, {WM_COMMAND, p, 0, 0}},
                           "missing optional"));
    EXPECT_TRUE(rec.Expect({{WM_SETTEXT, ui::kOptional, 0, 0}, {WM_COMMAND, p, 0, 0}, {WM_NULL, ui::kOptional, 0, 0}},
                           "present optional"));
    // Each kind of mismatch is one failure.
    FailureTrap trap;
    bool matched[5] = {
        rec.Expect({{WM_SETTEXT, ui::kLParam, 0, 12}, {WM_COMMAND, p, 0, 0}}, "lParam"),
        rec.Expect({{WM_SETTEXT, 0, 0, 0}, {WM_COMMAND, p | ui::kWParam, MAKEWPARAM(5, EN_UPDATE), 0}}, "wParam"),
        rec.Expect({{WM_SETTEXT, 0, 0, 0}, {WM_COMMAND, 0, 0, 0}}, "not the parent"),
        rec.Expect({{WM_SETTEXT, 0, 0, 0}}, "extra"),
        rec.Expect({{WM_SETTEXT, 0, 0, 0}, {WM_COMMAND, p, 0, 0}, {WM_CLOSE, 0, 0, 0}}, "missing"),
    };
    ASSERT_EQ(5, trap.count()) << trap.all();
    for (bool m : matched) EXPECT_FALSE(m);
    EXPECT_NE(std::string::npos, trap.all().find("not the parent: message sequence differs: expected #1 WM_COMMAND, "
                                                 "recorded #1 WM_COMMAND wp=0x3000005 lp=0x16 (parent)"))
        << trap.all();
    EXPECT_NE(std::string::npos, trap.all().find("lParam: message sequence differs: expected #0 WM_SETTEXT lp=0xc, "
                                                 "recorded #0 WM_SETTEXT wp=0x0 lp=0xb"))
        << trap.all();
    EXPECT_NE(std::string::npos, trap.all().find("unexpected #1 WM_COMMAND")) << trap.all();
    EXPECT_NE(std::string::npos, trap.all().find("expected #2 WM_CLOSE, the recording ended")) << trap.all();
    rec.RecordAll();
    rec.Record(WM_GETICON, 0, 0);
    EXPECT_EQ(3u, rec.Messages().size());
    rec.Clear();
    EXPECT_TRUE(rec.Messages().empty());
}

// Lets the dialog finish what it has queued and painting, then forgets what was recorded so far.
void Quiet(ui::Ctx& c, HWND dlg, ui::MsgRecorder& rec) {
    // Active first: another program on the display may have taken the focus, and the click below
    // would then record the whole activation.
    c.RunOnUi([&] { SetForegroundWindow(dlg); });
    c.Flush();
    c.UpdateNow(dlg);
    rec.Clear();
}

TEST(UiDriver, RecordsMessageSequences) {
    DialogState st;
    ui::MsgRecorder rec;
    ui::Script s;
    s.Step("attach", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaption);
        c.Set("dlg", d);
        c.RunOnUi([&] {
            ASSERT_TRUE(rec.Attach(GetDlgItem(d, IDC_EDIT)));
            ASSERT_TRUE(rec.Attach(d, ui::kParent));
        });
        Quiet(c, d, rec);
    });
    s.Step("WM_SETTEXT on the edit", [&](ui::Ctx& c) {
        HWND d = c.Get("dlg");
        c.SetText(c.Item(d, IDC_EDIT), L"abc");
        rec.Expect({{WM_SETTEXT, 0, 0, 0},
                    {WM_COMMAND, ui::kParent | ui::kWParam, MAKEWPARAM(IDC_EDIT, EN_UPDATE), 0},
                    {WM_COMMAND, ui::kParent | ui::kWParam | ui::kLParam, MAKEWPARAM(IDC_EDIT, EN_CHANGE),
                     reinterpret_cast<LPARAM>(c.Item(d, IDC_EDIT))}},
                   "WM_SETTEXT");
        Quiet(c, d, rec);
    });
    s.Step("a wrong expectation is reported with the recording", [&](ui::Ctx& c) {
        HWND d = c.Get("dlg");
        c.SetText(c.Item(d, IDC_EDIT), L"xyz");
        std::vector<ui::Msg> got = rec.Messages();
        ASSERT_FALSE(got.empty());
        EXPECT_EQ(static_cast<UINT>(WM_SETTEXT), got[0].message);
        FailureTrap trap(false);
        bool matched = rec.Expect({{WM_SETTEXT, 0, 0, 0},
                                   {WM_COMMAND, ui::kParent | ui::kWParam, MAKEWPARAM(IDC_EDIT, EN_KILLFOCUS), 0}},
                                  "deliberately wrong");
        ASSERT_EQ(1, trap.count());
        EXPECT_FALSE(matched);
        std::string m = trap.all();
        EXPECT_NE(std::string::npos, m.find("deliberately wrong")) << m;
        EXPECT_NE(std::string::npos, m.find("expected #1 WM_COMMAND wp=0x2000065 (parent)")) << m;
        EXPECT_NE(std::string::npos, m.find("#0 WM_SETTEXT")) << m;
        Quiet(c, d, rec);
        // A missing entry at the end, and an extra one, are mismatches too.
        c.SetText(c.Item(d, IDC_EDIT), L"1");
        FailureTrap trap2(false);
        bool none = rec.Expect({}, "nothing expected");
        bool tooMuch = rec.Expect({{WM_SETTEXT, 0, 0, 0}, {WM_COMMAND, ui::kParent, 0, 0},
                                   {WM_COMMAND, ui::kParent, 0, 0}, {WM_COMMAND, ui::kParent, 0, 0}},
                                  "too much expected");
        EXPECT_EQ(2, trap2.count()) << trap2.all();
        EXPECT_FALSE(none);
        EXPECT_FALSE(tooMuch);
        EXPECT_NE(std::string::npos, trap2.all().find("nothing expected: message sequence differs: all expected "
                                                      "messages seen, then unexpected #0 WM_SETTEXT"))
            << trap2.all();
        EXPECT_NE(std::string::npos, trap2.all().find("expected #3 WM_COMMAND (parent), the recording ended"))
            << trap2.all();
    });
    s.Step("BM_CLICK", [&](ui::Ctx& c) {
        HWND d = c.Get("dlg");
        HWND b = c.Item(d, IDC_COUNT);
        c.RunOnUi([&] {
            rec.Detach(GetDlgItem(d, IDC_EDIT));
            ASSERT_TRUE(rec.Attach(b));
        });
        Quiet(c, d, rec);
        c.Click(b);
        // Wine's button: the press takes the focus (the edit's EN_KILLFOCUS reaches the parent), pushes
        // the button, and the release notifies BN_CLICKED after giving the capture back.
        const unsigned p = ui::kParent;
        rec.Expect({{BM_CLICK, 0, 0, 0},
                    {WM_LBUTTONDOWN, 0, 0, 0},
                    {WM_COMMAND, p | ui::kWParam | ui::kOptional, MAKEWPARAM(IDC_EDIT, EN_KILLFOCUS), 0},
                    {WM_SETFOCUS, ui::kOptional, 0, 0},
                    {BM_SETSTATE, ui::kWParam, TRUE, 0},
                    {WM_LBUTTONUP, 0, 0, 0},
                    {BM_SETSTATE, ui::kWParam, FALSE, 0},
                    {WM_CAPTURECHANGED, 0, 0, 0},
                    {WM_COMMAND, p | ui::kWParam | ui::kLParam, MAKEWPARAM(IDC_COUNT, BN_CLICKED),
                     reinterpret_cast<LPARAM>(b)}},
                   "BM_CLICK");
        c.RunOnUi([&] { rec.DetachAll(); });
        c.Click(d, IDCANCEL);
    });
    INT_PTR r = s.Run([&] { return ShowTestDialog(st); });
    EXPECT_EQ(IDCANCEL, r);
    EXPECT_TRUE(s.Succeeded());
}

// ---- capture ----

TEST(Capture, ReadsAPaintedColourBack) {
    DialogState st;
    ui::Script s;
    s.Step("capture", [](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaption);
        const int cx = (kSwatchRect.left + kSwatchRect.right) / 2, cy = (kSwatchRect.top + kSwatchRect.bottom) / 2;
        const uint32_t want = ui::FromColorref(kSwatch);
        ui::Image client = c.Capture(d);
        RECT rc;
        GetClientRect(d, &rc);
        EXPECT_EQ(rc.right, client.width);
        EXPECT_EQ(rc.bottom, client.height);
        EXPECT_EQ(want, client.At(cx, cy));
        EXPECT_EQ(want, client.At(kSwatchRect.left, kSwatchRect.top));
        EXPECT_EQ(want, client.At(kSwatchRect.right - 1, kSwatchRect.bottom - 1));
        EXPECT_NE(want, client.At(kSwatchRect.right, kSwatchRect.bottom));
        EXPECT_NE(want, client.At(kSwatchRect.left - 1, kSwatchRect.top - 1));
        // The whole window: the client area sits at its client offset.
        ui::Image whole = c.Capture(d, false);
        POINT off{0, 0};
        ClientToScreen(d, &off);
        RECT wr;
        GetWindowRect(d, &wr);
        EXPECT_EQ(wr.right - wr.left, whole.width);
        EXPECT_EQ(want, whole.At(off.x - wr.left + cx, off.y - wr.top + cy));
        // From the screen as displayed.
        c.WaitFor(
            [&] {
                ui::Image screen = c.Capture(d, true, ui::Source::Screen);
                return screen.At(cx, cy) == want;
            },
            "the swatch on the screen");
        // PrintWindow: the window paints itself into a memory DC.
        ui::Image printed = c.Capture(d, true, ui::Source::Print);
        EXPECT_EQ(want, printed.At(cx, cy));
        c.Click(d, IDCANCEL);
    });
    s.Run([&] { return ShowTestDialog(st); });
    EXPECT_TRUE(s.Succeeded());
}

// ---- PNG ----

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

std::vector<uint8_t> ReadFileBytes(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return bytes;
    DWORD size = GetFileSize(f, nullptr), got = 0;
    bytes.resize(size);
    if (!ReadFile(f, bytes.data(), size, &got, nullptr) || got != size) bytes.clear();
    CloseHandle(f);
    return bytes;
}

// A name of its own in the temporary folder: test programs sharing a Wine prefix share that folder.
std::wstring TempPath(const wchar_t* name) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + std::to_wstring(GetCurrentProcessId()) + L"_" + name;
}

TEST(Png, ChecksumsMatchKnownValues) {
    const char* digits = "123456789";
    EXPECT_EQ(0xCBF43926u, ui::Crc32(reinterpret_cast<const uint8_t*>(digits), 9));
    const char* wiki = "Wikipedia";
    EXPECT_EQ(0x11E60398u, ui::Adler32(reinterpret_cast<const uint8_t*>(wiki), 9));
    // Incremental use gives the same result.
    uint32_t crc = ui::Crc32(reinterpret_cast<const uint8_t*>(digits), 4);
    EXPECT_EQ(0xCBF43926u, ui::Crc32(reinterpret_cast<const uint8_t*>(digits) + 4, 5, crc));
    EXPECT_EQ(0x00000000u, ui::Crc32(nullptr, 0));
    EXPECT_EQ(1u, ui::Adler32(nullptr, 0));
}

TEST(Png, WritesAFileThatReadsBack) {
    // 300 x 250 RGB: 225,250 bytes of rows, so several stored blocks.
    ui::Image img;
    img.width = 300;
    img.height = 250;
    img.pixels.resize(300 * 250);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) img.pixels[y * 300 + x] = ui::Rgb(x & 255, y & 255, (x * 7 + y * 3) & 255);
    const std::wstring path = TempPath(L"uidriver_test.png");
    ASSERT_TRUE(ui::WritePng(path, img));
    std::vector<uint8_t> f = ReadFileBytes(path);
    DeleteFileW(path.c_str());
    ASSERT_GT(f.size(), 8u);
    const uint8_t sig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    ASSERT_EQ(0, std::memcmp(f.data(), sig, 8));

    // Walk the chunks, checking every CRC.
    std::vector<std::string> types;
    std::vector<uint8_t> idat, ihdr;
    size_t pos = 8;
    while (pos + 12 <= f.size()) {
        uint32_t len = Be32(&f[pos]);
        ASSERT_LE(pos + 12 + len, f.size());
        std::string type(reinterpret_cast<const char*>(&f[pos + 4]), 4);
        types.push_back(type);
        EXPECT_EQ(Be32(&f[pos + 8 + len]), ui::Crc32(&f[pos + 4], 4 + len)) << "CRC of " << type;
        const uint8_t* data = &f[pos + 8];
        if (type == "IHDR") ihdr.assign(data, data + len);
        if (type == "IDAT") idat.insert(idat.end(), data, data + len);
        pos += 12 + len;
    }
    EXPECT_EQ(f.size(), pos);
    ASSERT_EQ((std::vector<std::string>{"IHDR", "IDAT", "IEND"}), types);
    ASSERT_EQ(13u, ihdr.size());
    EXPECT_EQ(300u, Be32(&ihdr[0]));
    EXPECT_EQ(250u, Be32(&ihdr[4]));
    EXPECT_EQ(8, ihdr[8]);   // bit depth
    EXPECT_EQ(2, ihdr[9]);   // RGB
    EXPECT_EQ(0, ihdr[10]);  // deflate
    EXPECT_EQ(0, ihdr[11]);
    EXPECT_EQ(0, ihdr[12]);

    // zlib: header, stored blocks, Adler-32.
    ASSERT_GE(idat.size(), 6u);
    EXPECT_EQ(8, idat[0] & 15);  // deflate
    EXPECT_EQ(0, (idat[0] * 256 + idat[1]) % 31);
    EXPECT_EQ(0, idat[1] & 0x20);  // no preset dictionary
    std::vector<uint8_t> raw;
    size_t z = 2;
    bool final = false;
    int blocks = 0;
    while (!final) {
        ASSERT_LE(z + 5, idat.size());
        final = idat[z] & 1;
        ASSERT_EQ(0, (idat[z] >> 1) & 3) << "block " << blocks << " is not stored";
        unsigned len = idat[z + 1] | idat[z + 2] << 8, nlen = idat[z + 3] | idat[z + 4] << 8;
        ASSERT_EQ(len, (~nlen) & 0xFFFFu);
        ASSERT_LE(z + 5 + len, idat.size());
        raw.insert(raw.end(), idat.begin() + z + 5, idat.begin() + z + 5 + len);
        z += 5 + len;
        ++blocks;
    }
    ASSERT_EQ(z + 4, idat.size());
    EXPECT_EQ(Be32(&idat[z]), ui::Adler32(raw.data(), raw.size()));
    EXPECT_EQ(4, blocks);
    ASSERT_EQ(250u * (1 + 3 * 300), raw.size());
    for (int y = 0; y < 250; ++y) {
        const uint8_t* row = &raw[y * (1 + 3 * 300)];
        ASSERT_EQ(0, row[0]) << "filter of row " << y;
        for (int x = 0; x < 300; ++x) {
            uint32_t p = img.At(x, y);
            ASSERT_EQ(ui::Red(p), row[1 + 3 * x]) << x << "," << y;
            ASSERT_EQ(ui::Green(p), row[2 + 3 * x]) << x << "," << y;
            ASSERT_EQ(ui::Blue(p), row[3 + 3 * x]) << x << "," << y;
        }
    }
}

TEST(Png, EmptyImageIsRefused) {
    ui::Image img;
    EXPECT_TRUE(ui::EncodePng(img).empty());
    img.width = 2;
    img.height = 2;  // no pixels
    EXPECT_TRUE(ui::EncodePng(img).empty());
    EXPECT_FALSE(ui::WritePng(TempPath(L"uidriver_empty.png"), img));
}

TEST(Png, ScreenshotOnlyWhenRequested) {
    DialogState st;
    const std::wstring dir = TempPath(L"uidriver_screens");
    std::wstring written, notWritten;
    ui::Script s;
    s.Step("screenshots", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kCaption);
        c.Capture(d);  // painted by now
        c.RunOnUi([&] {
            SetEnvironmentVariableW(L"OROSCAPE_SCREENS_DIR", nullptr);
            notWritten = ui::SaveScreenshotIfRequested(d, L"none");
            SetEnvironmentVariableW(L"OROSCAPE_SCREENS_DIR", (dir + L"\\sub").c_str());
            written = ui::SaveScreenshotIfRequested(d, L"selftest");
            SetEnvironmentVariableW(L"OROSCAPE_SCREENS_DIR", nullptr);
        });
        c.Click(d, IDCANCEL);
    });
    wchar_t saved[MAX_PATH];
    DWORD had = GetEnvironmentVariableW(L"OROSCAPE_SCREENS_DIR", saved, MAX_PATH);
    s.Run([&] { return ShowTestDialog(st); });
    if (had > 0 && had < MAX_PATH) SetEnvironmentVariableW(L"OROSCAPE_SCREENS_DIR", saved);
    EXPECT_TRUE(notWritten.empty());
    EXPECT_EQ(dir + L"\\sub\\selftest.png", written);
    std::vector<uint8_t> f = ReadFileBytes(written);
    ASSERT_GT(f.size(), 33u);
    EXPECT_EQ(0x89, f[0]);
    EXPECT_EQ('P', f[1]);
    EXPECT_GT(Be32(&f[16]), 400u);  // IHDR width: the whole window
    DeleteFileW(written.c_str());
    RemoveDirectoryW((dir + L"\\sub").c_str());
    RemoveDirectoryW(dir.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    // Real input needs the foreground: keep other test programs on the display out of the way.
    if (!ui::UseOwnDesktop()) std::fprintf(stderr, "uidriver_test: no desktop of its own, error %lu\n", GetLastError());
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&icc);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
