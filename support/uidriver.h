// uidriver.h: scripted driver of modal dialogs, shared by the Wine tests and the demo's tour.
//   ui::Script (step list run on a driver thread while the UI thread sits in a modal call),
//   ui::Ctx (what a step can do: find, read, type, click, select, run on the UI thread), ui::Reporter.
//
// How a program uses it:
//
//     ui::Script s;                                   // on the UI thread (the test's thread)
//     s.Step("fill the dialog", [](ui::Ctx& c) {
//         HWND d = c.WaitWindow(L"高程分层设色设置");
//         c.SetText(c.Item(d, IDC_NAME), L"x");
//         c.Click(d, IDOK);
//     });
//     INT_PTR r = s.Run([&] { return ShowSomeDialog(owner); });
//
// Run() starts a driver thread that executes the steps in order while the UI thread makes the modal call.
// Every wait is bounded. A step that fails (Ctx::Fail, a helper that cannot do its job, a fatal assertion
// of the installed Reporter's framework, an exception) is reported through the Reporter, naming the step;
// the driver then closes every window of the UI thread, innermost first, so that the modal call returns
// and the program goes on. When all steps have run, the modal call must return within the timeout too,
// or the same rescue happens. If even the rescue cannot end the modal call, the driver reports it and,
// after a long last bound (a minute at least), ends the process rather than leave a run hanging.
//
// The driver knows no test framework: the Wine tests install a Reporter that turns failures into
// GoogleTest failures and keeps a step's own assertions (tests/wine/support/uidriver_gtest.*); the tour
// installs one that writes its log.
//
// Real input (Type, MouseClick) goes through SendInput to the foreground window: under Wine two test
// programs that share a desktop also share the foreground and the cursor. Give each program its own
// desktop (a Wine virtual desktop per program) when several run at once.
//
// Threads: Script is created, run and destroyed on the UI thread. Ctx is used on the driver thread only,
// except for the callables given to Ctx::RunOnUi, which run on the UI thread. Helpers never call
// SendMessage without a bound: a UI thread that stops answering turns into a failed step, not a hang.
#pragma once

#include <windows.h>

#include "support/capture.h"

#include <atomic>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ui {

// Moves the calling thread to a desktop of its own, named after the process ("oroscape-test-<pid>"), so
// that test programs running at the same time do not share the foreground, the focus, the window
// stacking or the cursor (under Wine the windows still show on the one X display, but each desktop keeps
// its own foreground, focus and Z order, so real input reaches the right program). Call it first in
// main, on the thread that will make the modal calls, before that thread has any window. Scripts follow
// the UI thread's desktop on their own. Returns false (and the thread stays where it was) on failure.
// With the environment variable OROSCAPE_UI_OWN_DESKTOP=1, every program that uses the driver does
// this on its main thread before main runs (a setting for a whole test run).
bool UseOwnDesktop();

// Default bound of every wait, in milliseconds. The environment variable OROSCAPE_UI_TIMEOUT_MS
// overrides it (slow machines); a Script can change it for its own steps.
DWORD DefaultTimeout();

// UTF-8 form of a wide string, for failure messages.
std::string Narrow(const std::wstring& w);

// A window's own text as stored by the window manager (caption, static text), read without sending a
// message, so it never blocks; an edit's current contents need Ctx::Text.
std::wstring Caption(HWND hwnd);
std::wstring ClassName(HWND hwnd);

// Where failures go. Installed once per program, before the first Script runs (SetReporter); without
// one they are written to standard error.
class Reporter {
public:
    virtual ~Reporter() = default;
    // A failure of a script, a step or the message recorder. Any thread.
    virtual void Failure(const std::string& message) = 0;
    // Runs one step's body on the driver thread (the body catches the driver's own failures itself)
    // and returns whether assertions of a test framework inside it failed fatally; a framework
    // collects and names them here. The default runs the body.
    virtual bool RunStep(const std::string& name, const std::function<void()>& body) {
        (void)name;
        body();
        return false;
    }
};
void SetReporter(Reporter* reporter);  // nullptr: standard error again
Reporter& CurrentReporter();

// Thrown by Ctx::Fail to end the current step. Caught by the driver; never crosses a window procedure.
struct StepFailure {
    std::string message;
};

class Script;

// The context handed to every step.
class Ctx {
public:
    // ---- bounds ----
    DWORD Timeout() const { return timeout_; }
    void SetTimeout(DWORD ms) { timeout_ = ms; }
    DWORD UiThread() const { return uiThread_; }

    // Ends the current step with a failure.
    [[noreturn]] void Fail(const std::string& message);

    // ---- windows carried between steps ----
    void Set(const std::string& name, HWND hwnd) { windows_[name] = hwnd; }
    HWND Get(const std::string& name);  // fails when nothing was set under that name

    // ---- finding windows ----
    // Visible top-level windows of the UI thread, topmost first (tool tips, drop-down lists and menus
    // left out). Empty caption / class match anything.
    std::vector<HWND> TopWindows() const;
    HWND FindTop(const wchar_t* caption, const wchar_t* cls = nullptr) const;
    // Waits for a visible top-level window of the UI thread with exactly this caption (nullptr: any) and
    // class (nullptr: any; L"#32770" for dialogs, message boxes, property sheets, common dialogs).
    // Among several, the topmost one.
    HWND WaitWindow(const wchar_t* caption, const wchar_t* cls = nullptr);
    // Waits for the innermost modal window: the topmost visible top-level window of the UI thread that
    // owns no other visible one (the message box above a dialog above its owner). Optional class filter.
    // After a click that opens a nested dialog, pass the clicked dialog as `above`: until the nested one
    // shows, the clicked one is still the innermost, and it is never returned.
    HWND WaitModal(const wchar_t* cls = nullptr, HWND above = nullptr);
    // Waits for a window to be destroyed or hidden.
    void WaitGone(HWND hwnd);
    // Whether the modal call has returned; waits for it (a last step that closes the dialog).
    bool ModalReturned() const;
    void WaitReturned();
    // Polls a condition in short slices until it holds; fails with `what` at the bound.
    void WaitFor(const std::function<bool()>& condition, const std::string& what);
    void WaitText(HWND hwnd, const std::wstring& text);
    // Control by id: a direct child first, then any descendant (a page inside a sheet, the hook child of
    // a file dialog). Item fails when there is none; FindItem returns nullptr.
    HWND Item(HWND parent, int id);
    static HWND FindItem(HWND parent, int id);

    // ---- reading ----
    std::wstring Text(HWND hwnd);
    std::wstring Text(HWND parent, int id) { return Text(Item(parent, id)); }
    int CheckState(HWND button);  // BST_UNCHECKED / BST_CHECKED / BST_INDETERMINATE
    bool Checked(HWND button) { return CheckState(button) == BST_CHECKED; }
    int ComboSel(HWND combo);
    int ComboCount(HWND combo);
    std::wstring ComboText(HWND combo, int index);
    int ListCount(HWND listView);
    std::wstring ListText(HWND listView, int item, int subItem = 0);
    int ListSelection(HWND listView);  // first selected item, -1 when none
    // Text of a message box (its static 0xFFFF).
    std::wstring MessageBoxText(HWND box);

    // ---- acting like a user ----
    // Sets an edit's text (WM_SETTEXT: an edit answers with EN_CHANGE as typing does).
    void SetText(HWND edit, const std::wstring& text);
    // Real keyboard input: brings the control's top-level window to the foreground, focuses the control
    // and types the characters with SendInput (KEYEVENTF_UNICODE). Waits until the UI thread has taken
    // the input.
    void Type(HWND target, const std::wstring& text);
    // Real keyboard input of a shortcut: focuses the control as Type does, presses the virtual keys in
    // order (modifiers first: {VK_CONTROL, 'V'}) and releases them in reverse. Returns when the UI
    // thread has taken them or runs a nested modal loop (a message box the keys opened).
    void Chord(HWND target, std::initializer_list<UINT> keys);
    // BM_CLICK; fails when the button is disabled or hidden (a user could not click it). Returns when the
    // click is handled or when a nested modal loop (a message box opened by the click) runs.
    void Click(HWND button);
    void Click(HWND parent, int id) { Click(Item(parent, id)); }
    // Real mouse input at a client point of `hwnd` (the centre when pt is omitted): move, down, up; the
    // double-click sends down, up, down, up. Fails when another window covers the point.
    void MouseClick(HWND hwnd, POINT client);
    void MouseClick(HWND hwnd);
    void MouseDoubleClick(HWND hwnd, POINT client);
    // WM_COMMAND (id, code) to the dialog, as a control's notification would arrive.
    void Command(HWND dialog, int id, int code = BN_CLICKED);
    // CB_SETCURSEL, then CBN_SELCHANGE to the parent as a user's choice sends it.
    void SelectCombo(HWND combo, int index);
    void SelectComboText(HWND combo, const std::wstring& text);
    // LVM_SETITEMSTATE: selects and focuses one item (the list view notifies its parent).
    void ListSelect(HWND listView, int item);
    // A key press (WM_KEYDOWN + WM_KEYUP posted to the window; a dialog's loop turns Enter and Esc into
    // IDOK / IDCANCEL). Returns when the UI thread has handled them or runs a nested loop.
    void Key(HWND hwnd, UINT vk);
    void PressEnter(HWND hwnd) { Key(hwnd, VK_RETURN); }
    void PressEsc(HWND hwnd) { Key(hwnd, VK_ESCAPE); }
    // Reads the message box's text, then presses its button `id`. Returns the text.
    std::wstring DismissMessageBox(HWND box, int id = IDOK);

    // ---- the UI thread ----
    // Runs fn on the UI thread (inside a message sent to the script's helper window) and returns when it
    // has run. Fails when the UI thread does not take it within the timeout. fn may call Fail.
    void RunOnUi(const std::function<void()>& fn);
    // Returns when the UI thread has handled the sent, posted and input messages queued so far (or has
    // entered a nested modal loop), at most the timeout.
    void Flush();
    // Lets `hwnd` and its children paint what is pending now (RDW_UPDATENOW on the UI thread): the
    // step after it starts from a quiet window (no late WM_PAINT, WM_CTLCOLOR*, custom-draw WM_NOTIFY).
    void UpdateNow(HWND hwnd);
    // Bounded sleep (at most the timeout).
    void Sleep(DWORD ms);
    // Returns when the UI thread has handled what was sent and posted to `hwnd` so far (or runs a
    // nested modal loop), then gives the window `ms` more to paint (a pause before a picture).
    void Settle(HWND hwnd, DWORD ms = 300);
    // Lets the window finish painting, then captures it on the UI thread (client area or whole window).
    Image Capture(HWND hwnd, bool clientOnly = true, Source source = Source::Auto);

    // SendMessageTimeout with the step bound; fails on a timeout or a vanished window. A message that
    // carries a pointer passes `abandon`, which gives up the pointed-to heap block on a timeout (the UI
    // thread may still read or write it later).
    LRESULT Send(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, const char* what,
                 const std::function<void()>& abandon = {});

private:
    friend class Script;
    struct Shared;
    explicit Ctx(std::shared_ptr<Shared> shared);
    void Sync(const char* what);
    void RealInput(HWND target, const std::function<void()>& inject, const char* what);
    void Mouse(HWND hwnd, POINT client, int clicks, const char* what);

    std::shared_ptr<Shared> shared_;
    DWORD uiThread_;
    DWORD timeout_;
    std::map<std::string, HWND> windows_;
};

class Script {
public:
    // Created on the UI thread; makes the helper window the driver uses to run code on this thread.
    Script();
    ~Script();
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;

    // Adds a step; steps run in the order added.
    Script& Step(std::string name, std::function<void(Ctx&)> fn);
    // Bound of every wait of the steps (default: DefaultTimeout()).
    void SetTimeout(DWORD ms);

    // Makes the modal call on this thread while the steps run on the driver thread; returns its result.
    template <class F>
    auto Run(F&& modal) -> decltype(modal()) {
        Start();
        struct Finisher {
            Script* s;
            ~Finisher() { s->Finish(); }
        } finisher{this};
        return modal();
    }

    // After Run: whether every step ran to its end without a failure.
    bool Succeeded() const;
    // After Run: how many steps ran to their end.
    size_t StepsDone() const;

private:
    void Start();
    void Finish();
    static unsigned __stdcall DriverMain(void* arg);
    static void Rescue(Ctx& c);

    std::shared_ptr<Ctx::Shared> shared_;
    HANDLE thread_ = nullptr;
};

}  // namespace ui
