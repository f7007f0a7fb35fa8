// uidriver.cpp: the step helpers (finding, reading, acting like a user, running code on the UI thread)
// and the free helpers. The script and its driver thread are in uidriver_script.cpp.
#include "support/uidriver.h"

#include "support/uidriver_parts.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace ui {

using namespace detail;

namespace detail {

UINT RunMessage() {
    static const UINT msg = RegisterWindowMessageW(L"OroscapeUiDriverRunOnUi");
    return msg;
}

// Top-level windows that are part of another window's look rather than a window a user closes.
bool IsAccessoryClass(const std::wstring& cls) {
    static const wchar_t* const kClasses[] = {L"tooltips_class32", L"ComboLBox", L"#32768", L"IME",
                                              L"MSCTFIME UI", L"Auto-Suggest Dropdown", L"SysShadow"};
    for (const wchar_t* c : kClasses)
        if (cls == c) return true;
    return false;
}

std::string Quote(const wchar_t* s) { return s ? "\"" + Narrow(s) + "\"" : std::string("(any)"); }

std::string Describe(HWND h) {
    std::ostringstream o;
    o << "\"" << Narrow(Caption(h)) << "\" [" << Narrow(ClassName(h)) << "]";
    return o.str();
}

std::string DescribeAll(const std::vector<HWND>& wins) {
    if (wins.empty()) return "none";
    std::string s;
    for (HWND h : wins) {
        if (!s.empty()) s += ", ";
        s += Describe(h);
        if (!IsWindowEnabled(h)) s += " (disabled)";
    }
    return s;
}

HWND Innermost(const std::vector<HWND>& wins) {
    HWND fallback = nullptr;
    for (HWND w : wins) {
        bool owns = false;
        for (HWND v : wins)
            if (v != w && GetWindow(v, GW_OWNER) == w) owns = true;
        if (owns) continue;
        if (IsWindowEnabled(w)) return w;
        if (!fallback) fallback = w;
    }
    return fallback;
}

// Dialogs of the thread that are not shown: a modal loop may run for one whose owner was hidden.
BOOL CALLBACK CollectHiddenDialogs(HWND h, LPARAM lp) {
    if (!IsWindowVisible(h) && ClassName(h) == L"#32770") reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
    return TRUE;
}

BOOL CALLBACK FindMenuWindow(HWND h, LPARAM lp) {
    if (IsWindowVisible(h) && ClassName(h) == L"#32768") {
        *reinterpret_cast<HWND*>(lp) = h;
        return FALSE;
    }
    return TRUE;
}

}  // namespace detail

namespace {

// Serialises real input between test programs of one Wine session (they share the foreground and the
// cursor when they share a wineserver).
class InputLock {
public:
    explicit InputLock(DWORD timeout) {
        mutex_ = CreateMutexW(nullptr, FALSE, L"Local\\OroscapeUiDriverRealInput");
        if (mutex_) {
            DWORD r = WaitForSingleObject(mutex_, timeout);
            held_ = (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED);
        }
    }
    ~InputLock() {
        if (held_) ReleaseMutex(mutex_);
        if (mutex_) CloseHandle(mutex_);
    }
    bool held() const { return held_; }

private:
    HANDLE mutex_ = nullptr;
    bool held_ = false;
};

}  // namespace

// ---------------------------------------------------------------------------------------------------------
// Free helpers

bool UseOwnDesktop() {
    wchar_t name[64];
    swprintf(name, 64, L"oroscape-test-%lu", static_cast<unsigned long>(GetCurrentProcessId()));
    wchar_t current[64] = L"";
    DWORD len = 0;
    if (GetUserObjectInformationW(GetThreadDesktop(GetCurrentThreadId()), UOI_NAME, current, sizeof current, &len) &&
        wcscmp(current, name) == 0)
        return true;  // already there
    HDESK desk = CreateDesktopW(name, nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    if (!desk) return false;
    if (!SetThreadDesktop(desk)) {
        CloseDesktop(desk);
        return false;
    }
    return true;  // the handle stays open for the life of the process
}


DWORD DefaultTimeout() {
    wchar_t buf[32];
    DWORD n = GetEnvironmentVariableW(L"OROSCAPE_UI_TIMEOUT_MS", buf, 32);
    if (n > 0 && n < 32) {
        long v = wcstol(buf, nullptr, 10);
        if (v > 0) return static_cast<DWORD>(v);
    }
    // A bound, not a pause: it is reached only when something never comes. Ten seconds, because
    // on a shared machine with builds running the layering dialog with 256 rows took over five to
    // come up.
    return 10000;
}

std::string Narrow(const std::wstring& w) {
    if (w.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

std::wstring Caption(HWND hwnd) {
    wchar_t buf[512];
    int n = InternalGetWindowText(hwnd, buf, 512);
    return std::wstring(buf, n > 0 ? n : 0);
}

std::wstring ClassName(HWND hwnd) {
    wchar_t buf[256];
    int n = GetClassNameW(hwnd, buf, 256);
    return std::wstring(buf, n > 0 ? n : 0);
}


// ---------------------------------------------------------------------------------------------------------
// Ctx

Ctx::Ctx(std::shared_ptr<Shared> shared)
    : shared_(std::move(shared)), uiThread_(shared_->uiThread), timeout_(shared_->timeout) {}

void Ctx::Fail(const std::string& message) { throw StepFailure{message}; }

HWND Ctx::Get(const std::string& name) {
    auto it = windows_.find(name);
    if (it == windows_.end()) Fail("no window was kept under the name '" + name + "'");
    return it->second;
}

namespace {

BOOL CALLBACK CollectTop(HWND h, LPARAM lp) {
    if (IsWindowVisible(h) && !IsAccessoryClass(ClassName(h))) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
    return TRUE;
}

struct ItemSearch {
    int id;
    HWND visible = nullptr, any = nullptr;
};

BOOL CALLBACK SearchItem(HWND h, LPARAM lp) {
    ItemSearch* a = reinterpret_cast<ItemSearch*>(lp);
    if (GetDlgCtrlID(h) != a->id) return TRUE;
    if (!a->any) a->any = h;
    if (IsWindowVisible(h)) {
        a->visible = h;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

std::vector<HWND> Ctx::TopWindows() const {
    std::vector<HWND> wins;
    EnumThreadWindows(uiThread_, CollectTop, reinterpret_cast<LPARAM>(&wins));
    return wins;
}

HWND Ctx::FindTop(const wchar_t* caption, const wchar_t* cls) const {
    for (HWND h : TopWindows()) {
        if (caption && Caption(h) != caption) continue;
        if (cls && ClassName(h) != cls) continue;
        return h;
    }
    return nullptr;
}

void Ctx::WaitFor(const std::function<bool()>& condition, const std::string& what) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return;
        if (shared_->modalReturned.load()) {
            if (condition()) return;
            Fail("the modal call returned before " + what);
        }
        if (GetTickCount() - start >= timeout_)
            Fail("timed out after " + std::to_string(timeout_) + " ms waiting for " + what);
        ::Sleep(kSlice);
    }
}

HWND Ctx::WaitWindow(const wchar_t* caption, const wchar_t* cls) {
    HWND found = nullptr;
    std::string what = "window " + Quote(caption) + " of class " + Quote(cls);
    try {
        WaitFor([&] { return (found = FindTop(caption, cls)) != nullptr; }, what);
    } catch (const StepFailure& f) {
        Fail(f.message + "; visible windows of the UI thread: " + DescribeAll(TopWindows()));
    }
    return found;
}

HWND Ctx::WaitModal(const wchar_t* cls, HWND above) {
    HWND found = nullptr;
    std::string what = "the innermost modal window of class " + Quote(cls);
    if (above) what += " above " + Describe(above);
    try {
        WaitFor(
            [&] {
                HWND h = Innermost(TopWindows());
                if (h && h != above && (!cls || ClassName(h) == cls)) found = h;
                return found != nullptr;
            },
            what);
    } catch (const StepFailure& f) {
        Fail(f.message + "; visible windows of the UI thread: " + DescribeAll(TopWindows()));
    }
    return found;
}

void Ctx::WaitGone(HWND hwnd) {
    std::string what = "window " + Describe(hwnd) + " to close";
    WaitFor([&] { return !IsWindow(hwnd) || !IsWindowVisible(hwnd); }, what);
    // A dialog hides as it ends; its modal loop still answers what other threads send it until
    // the window is destroyed, and only then returns to the code that ran it (a handler that
    // writes the result into a list, say). Wait, briefly, for the destruction, then until the UI
    // thread is back in a message loop, which is after that code has run. A window that only
    // hides (and stays) costs the brief wait.
    const DWORD start = GetTickCount();
    while (IsWindow(hwnd) && GetTickCount() - start < kHiddenGrace)
        ::Sleep(kSlice);
    RunOnUi([] {});
}

bool Ctx::ModalReturned() const { return shared_->modalReturned.load(); }

void Ctx::WaitReturned() {
    try {
        WaitFor([&] { return ModalReturned(); }, "the modal call to return");
    } catch (const StepFailure& f) {
        Fail(f.message + "; windows open: " + DescribeAll(TopWindows()));
    }
}

void Ctx::WaitText(HWND hwnd, const std::wstring& text) {
    std::wstring last;
    try {
        WaitFor([&] { return (last = Text(hwnd)) == text; }, "the text \"" + Narrow(text) + "\" in " + Describe(hwnd));
    } catch (const StepFailure& f) {
        Fail(f.message + " (it reads \"" + Narrow(last) + "\")");
    }
}

HWND Ctx::FindItem(HWND parent, int id) {
    if (!parent || !IsWindow(parent)) return nullptr;
    if (HWND h = GetDlgItem(parent, id)) return h;
    // Descendants: visible ones first, so that a hidden page's control with the same id loses.
    ItemSearch acc{id};
    EnumChildWindows(parent, SearchItem, reinterpret_cast<LPARAM>(&acc));
    return acc.visible ? acc.visible : acc.any;
}

HWND Ctx::Item(HWND parent, int id) {
    if (!parent || !IsWindow(parent)) Fail("looking for control " + std::to_string(id) + " in a window that is gone");
    HWND h = FindItem(parent, id);
    if (!h) Fail("no control with id " + std::to_string(id) + " in " + Describe(parent));
    return h;
}

LRESULT Ctx::Send(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, const char* what,
                  const std::function<void()>& abandon) {
    if (!IsWindow(hwnd)) Fail(std::string(what) + ": the window is gone");
    DWORD_PTR result = 0;
    SetLastError(0);
    if (!SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_NORMAL, timeout_, &result)) {
        DWORD err = GetLastError();
        if (abandon) abandon();
        if (err == ERROR_TIMEOUT || err == 0)
            Fail(std::string(what) + ": the UI thread did not answer within " + std::to_string(timeout_) + " ms");
        Fail(std::string(what) + ": SendMessageTimeout failed, error " + std::to_string(err));
    }
    return static_cast<LRESULT>(result);
}

void Ctx::Sync(const char* what) {
    Send(shared_->helper, WM_NULL, 0, 0, what);
    // A sent message is handled inside GetMessage, which then goes on waiting: a modal loop that looks
    // at its end flag only when GetMessage returns (the property sheet's) would not see that the action
    // ended it. A real click wakes it with its input messages; this posted WM_NULL does the same.
    PostMessageW(shared_->helper, WM_NULL, 0, 0);
}

std::wstring Ctx::Text(HWND hwnd) {
    LRESULT len = Send(hwnd, WM_GETTEXTLENGTH, 0, 0, "reading a window's text length");
    if (len < 0) len = 0;
    auto buf = std::make_unique<std::vector<wchar_t>>(static_cast<size_t>(len) + 2, L'\0');
    LRESULT n = Send(hwnd, WM_GETTEXT, buf->size(), reinterpret_cast<LPARAM>(buf->data()), "reading a window's text",
                     [&] { buf.release(); });
    if (n < 0) n = 0;
    return std::wstring(buf->data(), std::min<size_t>(static_cast<size_t>(n), buf->size() - 1));
}

int Ctx::CheckState(HWND button) {
    return static_cast<int>(Send(button, BM_GETCHECK, 0, 0, "reading a button's check state"));
}

int Ctx::ComboSel(HWND combo) { return static_cast<int>(Send(combo, CB_GETCURSEL, 0, 0, "reading a combo's selection")); }

int Ctx::ComboCount(HWND combo) { return static_cast<int>(Send(combo, CB_GETCOUNT, 0, 0, "counting a combo's items")); }

std::wstring Ctx::ComboText(HWND combo, int index) {
    LRESULT len = Send(combo, CB_GETLBTEXTLEN, index, 0, "reading a combo item's length");
    if (len == CB_ERR) Fail("combo " + Describe(combo) + " has no item " + std::to_string(index));
    auto buf = std::make_unique<std::vector<wchar_t>>(static_cast<size_t>(len) + 2, L'\0');
    LRESULT n = Send(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buf->data()), "reading a combo item",
                     [&] { buf.release(); });
    if (n == CB_ERR) Fail("combo " + Describe(combo) + " has no item " + std::to_string(index));
    return std::wstring(buf->data(), std::min<size_t>(static_cast<size_t>(n), buf->size() - 1));
}

int Ctx::ListCount(HWND listView) {
    return static_cast<int>(Send(listView, LVM_GETITEMCOUNT, 0, 0, "counting a list view's items"));
}

std::wstring Ctx::ListText(HWND listView, int item, int subItem) {
    int count = ListCount(listView);
    if (item < 0 || item >= count)
        Fail("list view has " + std::to_string(count) + " items; item " + std::to_string(item) + " asked for");
    struct Block {
        LVITEMW it{};
        wchar_t text[1024]{};
    };
    auto b = std::make_unique<Block>();
    b->it.iSubItem = subItem;
    b->it.pszText = b->text;
    b->it.cchTextMax = 1024;
    LRESULT n = Send(listView, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&b->it), "reading a list view item",
                     [&] { b.release(); });
    return std::wstring(b->it.pszText ? b->it.pszText : L"", std::max<LRESULT>(0, std::min<LRESULT>(n, 1023)));
}

int Ctx::ListSelection(HWND listView) {
    return static_cast<int>(
        Send(listView, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED, "reading a list view's selection"));
}

std::wstring Ctx::MessageBoxText(HWND box) { return Text(Item(box, 0xFFFF)); }

void Ctx::SetText(HWND edit, const std::wstring& text) {
    auto s = std::make_unique<std::wstring>(text);
    Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(s->c_str()), "setting a window's text", [&] { s.release(); });
}

void Ctx::Click(HWND button) {
    if (!button || !IsWindow(button)) Fail("clicking a button that does not exist");
    if (!IsWindowVisible(button)) Fail("button " + Describe(button) + " is hidden: a user could not click it");
    if (!IsWindowEnabled(button)) Fail("button " + Describe(button) + " is disabled: a user could not click it");
    // Sent without waiting, ahead of the synchronising WM_NULL: the click is handled first, and a message
    // box it opens does not block the driver (the box's modal loop answers the WM_NULL).
    if (!SendNotifyMessageW(button, BM_CLICK, 0, 0)) Fail("BM_CLICK to " + Describe(button) + " failed");
    Sync("waiting for a click to be handled");
}

void Ctx::Command(HWND dialog, int id, int code) {
    if (!dialog || !IsWindow(dialog)) Fail("WM_COMMAND to a window that does not exist");
    HWND control = FindItem(dialog, id);
    if (!SendNotifyMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control)))
        Fail("WM_COMMAND to " + Describe(dialog) + " failed");
    Sync("waiting for a WM_COMMAND to be handled");
}

void Ctx::SelectCombo(HWND combo, int index) {
    LRESULT r = Send(combo, CB_SETCURSEL, index, 0, "selecting a combo item");
    if (r == CB_ERR && index != -1)
        Fail("combo " + Describe(combo) + " has no item " + std::to_string(index));
    HWND parent = GetParent(combo);
    int id = GetDlgCtrlID(combo);
    if (!SendNotifyMessageW(parent, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo)))
        Fail("CBN_SELCHANGE to the parent of " + Describe(combo) + " failed");
    Sync("waiting for CBN_SELCHANGE to be handled");
}

void Ctx::SelectComboText(HWND combo, const std::wstring& text) {
    auto s = std::make_unique<std::wstring>(text);
    LRESULT i = Send(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(s->c_str()),
                     "finding a combo item", [&] { s.release(); });
    if (i == CB_ERR) Fail("combo " + Describe(combo) + " has no item \"" + Narrow(text) + "\"");
    SelectCombo(combo, static_cast<int>(i));
}

void Ctx::ListSelect(HWND listView, int item) {
    auto b = std::make_unique<LVITEMW>();
    b->stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    b->state = 0;
    Send(listView, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(b.get()),
         "clearing a list view's selection", [&] { b.release(); });
    b = std::make_unique<LVITEMW>();
    b->stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    b->state = LVIS_SELECTED | LVIS_FOCUSED;
    if (!Send(listView, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(b.get()), "selecting a list view item",
              [&] { b.release(); }))
        Fail("list view refused to select item " + std::to_string(item));
}

void Ctx::Key(HWND hwnd, UINT vk) {
    if (!hwnd || !IsWindow(hwnd)) Fail("pressing a key in a window that does not exist");
    LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16;
    std::string target = Describe(hwnd);
    if (!PostMessageW(hwnd, WM_KEYDOWN, vk, scan | 1)) Fail("posting a key to " + target + " failed");
    // The key-down may already have closed the window (Esc, Enter): then the key-up has nowhere to go.
    if (!PostMessageW(hwnd, WM_KEYUP, vk, scan | 1 | (LPARAM(1) << 30) | (LPARAM(1) << 31)) && IsWindow(hwnd))
        Fail("posting a key-up to " + target + " failed");
    Flush();
}

std::wstring Ctx::DismissMessageBox(HWND box, int id) {
    std::wstring text = MessageBoxText(box);
    Click(box, id);
    return text;
}

void Ctx::RunOnUi(const std::function<void()>& fn) {
    UiCall* call = new UiCall;
    call->fn = fn;
    DWORD_PTR result = 0;
    if (!IsWindow(shared_->helper)) {
        delete call;
        Fail("running code on the UI thread: the script's helper window is gone");
    }
    BOOL ok = SendMessageTimeoutW(shared_->helper, RunMessage(), 0, reinterpret_cast<LPARAM>(call), SMTO_NORMAL,
                                  timeout_, &result);
    if (!ok) {
        int expected = UiCall::kPending;
        if (call->state.compare_exchange_strong(expected, UiCall::kCancelled)) {
            // Not taken in time. The UI thread may still receive the message later and will then only
            // look at the state, so the block stays allocated.
            Fail("the UI thread did not take code to run within " + std::to_string(timeout_) + " ms");
        }
        // Taken and still running (it entered a modal loop or is slow): wait for it once more.
        DWORD start = GetTickCount();
        while (call->state.load() != UiCall::kDone && GetTickCount() - start < timeout_) ::Sleep(kSlice);
        if (call->state.load() != UiCall::kDone)
            Fail("code run on the UI thread did not finish within " + std::to_string(2 * timeout_) + " ms");
    }
    bool failed = call->failed;
    std::string error = call->error;
    delete call;
    if (failed) Fail(error);
}

void Ctx::Flush() {
    DWORD start = GetTickCount();
    for (;;) {
        DWORD pending = 0;
        RunOnUi([&] { pending = HIWORD(GetQueueStatus(QS_POSTMESSAGE | QS_INPUT)); });
        if (pending == 0) return;
        if (GetTickCount() - start >= timeout_) return;  // something keeps posting; handled what it could
        ::Sleep(kSlice);
    }
}

void Ctx::UpdateNow(HWND hwnd) {
    if (!hwnd || !IsWindow(hwnd)) Fail("painting a window that does not exist");
    RunOnUi([&] { RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); });
}

void Ctx::Sleep(DWORD ms) { ::Sleep(std::min(ms, timeout_)); }

void Ctx::Settle(HWND hwnd, DWORD ms) {
    Send(hwnd, WM_NULL, 0, 0, "waiting for a window to handle its messages");
    ::Sleep(ms);
}

Image Ctx::Capture(HWND hwnd, bool clientOnly, Source source) {
    if (!hwnd || !IsWindow(hwnd)) Fail("capturing a window that does not exist");
    Image img;
    RunOnUi([&] {
        RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        img = clientOnly ? CaptureClient(hwnd, source) : CaptureWindow(hwnd, source);
    });
    if (img.empty()) Fail("capturing " + Describe(hwnd) + " failed");
    return img;
}

void Ctx::RealInput(HWND target, const std::function<void()>& inject, const char* what) {
    if (!target || !IsWindow(target)) Fail(std::string(what) + ": the window does not exist");
    InputLock lock(timeout_);
    if (!lock.held()) Fail(std::string(what) + ": another test program kept the input for too long");
    HWND top = GetAncestor(target, GA_ROOT);
    RunOnUi([&] {
        SetForegroundWindow(top);
        SetFocus(target);
    });
    // Bring-up is asynchronous in places (activation messages); wait until it has settled.
    WaitFor([&] { return GetForegroundWindow() == top; },
            std::string("the foreground for ") + Describe(top) + " before " + what);
    inject();
    Flush();
}

void Ctx::Type(HWND target, const std::wstring& text) {
    RealInput(
        target,
        [&] {
            GUITHREADINFO gti{};
            gti.cbSize = sizeof gti;
            if (!GetGUIThreadInfo(uiThread_, &gti) || gti.hwndFocus != target)
                Fail("typing: the focus is not on " + Describe(target));
            std::vector<INPUT> in;
            for (wchar_t ch : text) {
                INPUT i{};
                i.type = INPUT_KEYBOARD;
                i.ki.wScan = ch;
                i.ki.dwFlags = KEYEVENTF_UNICODE;
                in.push_back(i);
                i.ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
                in.push_back(i);
            }
            if (!in.empty() && SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT)) != in.size())
                Fail("SendInput refused the keys, error " + std::to_string(GetLastError()));
        },
        "typing");
}

void Ctx::Chord(HWND target, std::initializer_list<UINT> keys) {
    const std::vector<UINT> vks(keys);
    RealInput(
        target,
        [&] {
            GUITHREADINFO gti{};
            gti.cbSize = sizeof gti;
            if (!GetGUIThreadInfo(uiThread_, &gti) || gti.hwndFocus != target)
                Fail("a shortcut: the focus is not on " + Describe(target));
            std::vector<INPUT> in;
            for (size_t k = 0; k < vks.size() * 2; ++k) {
                const bool up = k >= vks.size();
                INPUT i{};
                i.type = INPUT_KEYBOARD;
                i.ki.wVk = static_cast<WORD>(up ? vks[vks.size() * 2 - 1 - k] : vks[k]);
                i.ki.wScan = static_cast<WORD>(MapVirtualKeyW(i.ki.wVk, MAPVK_VK_TO_VSC));
                i.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) |
                               (i.ki.wVk == VK_INSERT ? KEYEVENTF_EXTENDEDKEY : 0);
                in.push_back(i);
            }
            if (!in.empty() && SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT)) != in.size())
                Fail("SendInput refused the keys, error " + std::to_string(GetLastError()));
        },
        "a shortcut");
}

namespace {

std::vector<INPUT> MouseInputs(POINT screen, int clicks) {
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    // The centre of the pixel, in the 0..65535 absolute scale (the conversion back truncates).
    LONG dx = static_cast<LONG>(((2LL * screen.x + 1) * 65536) / (2LL * w));
    LONG dy = static_cast<LONG>(((2LL * screen.y + 1) * 65536) / (2LL * h));
    // Every event carries the position: under Wine the cursor follows the X pointer, which another
    // program on the same display may move between two events.
    const DWORD at = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    std::vector<INPUT> in;
    INPUT i{};
    i.type = INPUT_MOUSE;
    i.mi.dx = dx;
    i.mi.dy = dy;
    i.mi.dwFlags = at;
    in.push_back(i);
    for (int k = 0; k < clicks; ++k) {
        i.mi.dwFlags = at | MOUSEEVENTF_LEFTDOWN;
        in.push_back(i);
        i.mi.dwFlags = at | MOUSEEVENTF_LEFTUP;
        in.push_back(i);
    }
    return in;
}

}  // namespace

void Ctx::Mouse(HWND hwnd, POINT client, int clicks, const char* what) {
    if (!hwnd || !IsWindow(hwnd)) Fail(std::string(what) + ": the window does not exist");
    RealInput(
        hwnd,
        [&] {
            POINT screen = client;
            ClientToScreen(hwnd, &screen);
            // The point must reach this window (or a child of it): not covered, not disabled, not hidden.
            HWND hit = WindowFromPoint(screen);
            if (hit != hwnd && !IsChild(hwnd, hit))
                Fail(std::string(what) + ": client point (" + std::to_string(client.x) + "," +
                     std::to_string(client.y) + ") of " + Describe(hwnd) + " reaches " +
                     (hit ? Describe(hit) : std::string("no window")));
            std::vector<INPUT> in = MouseInputs(screen, clicks);
            if (SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT)) != in.size())
                Fail("SendInput refused the mouse input, error " + std::to_string(GetLastError()));
        },
        what);
}

void Ctx::MouseClick(HWND hwnd, POINT client) { Mouse(hwnd, client, 1, "mouse click"); }

void Ctx::MouseClick(HWND hwnd) {
    RECT rc{};
    GetClientRect(hwnd, &rc);
    Mouse(hwnd, POINT{rc.right / 2, rc.bottom / 2}, 1, "mouse click");
}

void Ctx::MouseDoubleClick(HWND hwnd, POINT client) { Mouse(hwnd, client, 2, "mouse double-click"); }


}  // namespace ui
