// msgrecorder.cpp: the message recorder (messages reaching subclassed windows, compared with an
// expected sequence).
#include "support/msgrecorder.h"

#include "support/uidriver_parts.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace ui {

using namespace detail;

// ---------------------------------------------------------------------------------------------------------
// Message recorder

std::string MessageName(UINT m) {
    struct Name {
        UINT id;
        const char* name;
    };
    static const Name kNames[] = {
        {WM_NULL, "WM_NULL"}, {WM_CREATE, "WM_CREATE"}, {WM_DESTROY, "WM_DESTROY"}, {WM_MOVE, "WM_MOVE"},
        {WM_SIZE, "WM_SIZE"}, {WM_ACTIVATE, "WM_ACTIVATE"}, {WM_SETFOCUS, "WM_SETFOCUS"},
        {WM_KILLFOCUS, "WM_KILLFOCUS"}, {WM_ENABLE, "WM_ENABLE"}, {WM_SETREDRAW, "WM_SETREDRAW"},
        {WM_SETTEXT, "WM_SETTEXT"}, {WM_GETTEXT, "WM_GETTEXT"}, {WM_GETTEXTLENGTH, "WM_GETTEXTLENGTH"},
        {WM_PAINT, "WM_PAINT"}, {WM_CLOSE, "WM_CLOSE"}, {WM_QUIT, "WM_QUIT"}, {WM_ERASEBKGND, "WM_ERASEBKGND"},
        {WM_SHOWWINDOW, "WM_SHOWWINDOW"}, {WM_ACTIVATEAPP, "WM_ACTIVATEAPP"}, {WM_SETCURSOR, "WM_SETCURSOR"},
        {WM_MOUSEACTIVATE, "WM_MOUSEACTIVATE"}, {WM_GETMINMAXINFO, "WM_GETMINMAXINFO"},
        {WM_NEXTDLGCTL, "WM_NEXTDLGCTL"}, {WM_DRAWITEM, "WM_DRAWITEM"}, {WM_MEASUREITEM, "WM_MEASUREITEM"},
        {WM_SETFONT, "WM_SETFONT"}, {WM_GETFONT, "WM_GETFONT"}, {WM_WINDOWPOSCHANGING, "WM_WINDOWPOSCHANGING"},
        {WM_WINDOWPOSCHANGED, "WM_WINDOWPOSCHANGED"}, {WM_NOTIFY, "WM_NOTIFY"}, {WM_HELP, "WM_HELP"},
        {WM_CONTEXTMENU, "WM_CONTEXTMENU"}, {WM_GETICON, "WM_GETICON"}, {WM_SETICON, "WM_SETICON"},
        {WM_NCCREATE, "WM_NCCREATE"}, {WM_NCDESTROY, "WM_NCDESTROY"}, {WM_NCCALCSIZE, "WM_NCCALCSIZE"},
        {WM_NCHITTEST, "WM_NCHITTEST"}, {WM_NCPAINT, "WM_NCPAINT"}, {WM_NCACTIVATE, "WM_NCACTIVATE"},
        {WM_GETDLGCODE, "WM_GETDLGCODE"}, {WM_KEYDOWN, "WM_KEYDOWN"}, {WM_KEYUP, "WM_KEYUP"}, {WM_CHAR, "WM_CHAR"},
        {WM_SYSKEYDOWN, "WM_SYSKEYDOWN"}, {WM_SYSKEYUP, "WM_SYSKEYUP"}, {WM_SYSCHAR, "WM_SYSCHAR"},
        {WM_INITDIALOG, "WM_INITDIALOG"}, {WM_COMMAND, "WM_COMMAND"}, {WM_SYSCOMMAND, "WM_SYSCOMMAND"},
        {WM_TIMER, "WM_TIMER"}, {WM_HSCROLL, "WM_HSCROLL"}, {WM_VSCROLL, "WM_VSCROLL"},
        {WM_INITMENU, "WM_INITMENU"}, {WM_INITMENUPOPUP, "WM_INITMENUPOPUP"}, {WM_MENUSELECT, "WM_MENUSELECT"},
        {WM_ENTERIDLE, "WM_ENTERIDLE"}, {WM_CHANGEUISTATE, "WM_CHANGEUISTATE"},
        {WM_UPDATEUISTATE, "WM_UPDATEUISTATE"}, {WM_QUERYUISTATE, "WM_QUERYUISTATE"},
        {WM_CTLCOLOREDIT, "WM_CTLCOLOREDIT"}, {WM_CTLCOLORLISTBOX, "WM_CTLCOLORLISTBOX"},
        {WM_CTLCOLORBTN, "WM_CTLCOLORBTN"}, {WM_CTLCOLORDLG, "WM_CTLCOLORDLG"},
        {WM_CTLCOLORSTATIC, "WM_CTLCOLORSTATIC"}, {WM_MOUSEMOVE, "WM_MOUSEMOVE"},
        {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"}, {WM_LBUTTONUP, "WM_LBUTTONUP"}, {WM_LBUTTONDBLCLK, "WM_LBUTTONDBLCLK"},
        {WM_RBUTTONDOWN, "WM_RBUTTONDOWN"}, {WM_RBUTTONUP, "WM_RBUTTONUP"}, {WM_MOUSEWHEEL, "WM_MOUSEWHEEL"},
        {WM_PARENTNOTIFY, "WM_PARENTNOTIFY"}, {WM_ENTERMENULOOP, "WM_ENTERMENULOOP"},
        {WM_EXITMENULOOP, "WM_EXITMENULOOP"}, {WM_CAPTURECHANGED, "WM_CAPTURECHANGED"},
        {WM_IME_SETCONTEXT, "WM_IME_SETCONTEXT"}, {WM_IME_NOTIFY, "WM_IME_NOTIFY"},
        {WM_PRINTCLIENT, "WM_PRINTCLIENT"}, {WM_USER, "WM_USER"}, {BM_GETCHECK, "BM_GETCHECK"},
        {BM_SETCHECK, "BM_SETCHECK"}, {BM_GETSTATE, "BM_GETSTATE"}, {BM_SETSTATE, "BM_SETSTATE"},
        {BM_SETSTYLE, "BM_SETSTYLE"}, {BM_CLICK, "BM_CLICK"}, {EM_SETSEL, "EM_SETSEL"}, {EM_GETSEL, "EM_GETSEL"},
        {EM_LIMITTEXT, "EM_LIMITTEXT"}, {EM_SETMODIFY, "EM_SETMODIFY"}, {EM_GETMODIFY, "EM_GETMODIFY"},
        {CB_ADDSTRING, "CB_ADDSTRING"}, {CB_GETCURSEL, "CB_GETCURSEL"}, {CB_SETCURSEL, "CB_SETCURSEL"},
        {CB_RESETCONTENT, "CB_RESETCONTENT"}, {CB_SHOWDROPDOWN, "CB_SHOWDROPDOWN"},
        {LB_ADDSTRING, "LB_ADDSTRING"}, {LB_GETCURSEL, "LB_GETCURSEL"}, {LB_SETCURSEL, "LB_SETCURSEL"},
    };
    for (const Name& n : kNames)
        if (n.id == m) return n.name;
    char buf[24];
    std::snprintf(buf, sizeof buf, "msg 0x%04x", m);
    return buf;
}

MsgRecorder::MsgRecorder()
    : ignored_{WM_GETICON,        WM_NCHITTEST,      WM_SETCURSOR,       WM_MOUSEMOVE,      WM_NCMOUSEMOVE,
               WM_MOUSELEAVE,     WM_NCMOUSELEAVE,   WM_MOUSEHOVER,      WM_TIMER,          WM_PAINT,
               WM_NCPAINT,        WM_ERASEBKGND,     WM_CTLCOLORMSGBOX,  WM_CTLCOLOREDIT,   WM_CTLCOLORLISTBOX,
               WM_CTLCOLORBTN,    WM_CTLCOLORDLG,    WM_CTLCOLORSCROLLBAR, WM_CTLCOLORSTATIC, WM_GETOBJECT,
               WM_DEVICECHANGE,   WM_TIMECHANGE,     WM_ENTERIDLE,       WM_IME_SETCONTEXT, WM_IME_NOTIFY,
               WM_IME_REQUEST,    WM_CHANGEUISTATE,  WM_UPDATEUISTATE,   WM_QUERYUISTATE,   WM_SYNCPAINT} {}

MsgRecorder::~MsgRecorder() { DetachAll(); }

bool MsgRecorder::Attach(HWND hwnd, unsigned tag) {
    if (GetWindowThreadProcessId(hwnd, nullptr) != GetCurrentThreadId()) {
        ReportFailure() << "MsgRecorder::Attach must run on the thread of " << Describe(hwnd)
                      << " (in a step: inside Ctx::RunOnUi)";
        return false;
    }
    // The subclass id is the recorder, the reference data the entry's tag.
    if (!SetWindowSubclass(hwnd, &MsgRecorder::Proc, reinterpret_cast<UINT_PTR>(this), tag)) return false;
    std::lock_guard<std::mutex> l(lock_);
    attached_.push_back(hwnd);
    return true;
}

void MsgRecorder::Detach(HWND hwnd) {
    if (IsWindow(hwnd)) RemoveWindowSubclass(hwnd, &MsgRecorder::Proc, reinterpret_cast<UINT_PTR>(this));
    std::lock_guard<std::mutex> l(lock_);
    attached_.erase(std::remove(attached_.begin(), attached_.end(), hwnd), attached_.end());
}

void MsgRecorder::DetachAll() {
    std::vector<HWND> wins;
    {
        std::lock_guard<std::mutex> l(lock_);
        wins = attached_;
    }
    for (HWND h : wins) Detach(h);
}

void MsgRecorder::Record(UINT message, WPARAM wp, LPARAM lp, unsigned tag) {
    std::lock_guard<std::mutex> l(lock_);
    if (std::find(ignored_.begin(), ignored_.end(), message) != ignored_.end()) return;
    messages_.push_back(Msg{message, tag & kParent, wp, lp});
}

void MsgRecorder::Clear() {
    std::lock_guard<std::mutex> l(lock_);
    messages_.clear();
}

std::vector<Msg> MsgRecorder::Messages() const {
    std::lock_guard<std::mutex> l(lock_);
    return messages_;
}

LRESULT CALLBACK MsgRecorder::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR tag) {
    MsgRecorder* self = reinterpret_cast<MsgRecorder*>(id);
    self->Record(msg, wp, lp, static_cast<unsigned>(tag));
    if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, &MsgRecorder::Proc, id);
        std::lock_guard<std::mutex> l(self->lock_);
        self->attached_.erase(std::remove(self->attached_.begin(), self->attached_.end(), hwnd),
                              self->attached_.end());
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

namespace {

std::string FormatOne(const Msg& m, bool expected) {
    std::ostringstream o;
    o << MessageName(m.message);
    if (!expected || (m.flags & kWParam)) o << " wp=0x" << std::hex << static_cast<unsigned long long>(m.wParam);
    if (!expected || (m.flags & kLParam)) o << " lp=0x" << std::hex << static_cast<unsigned long long>(m.lParam);
    if (m.flags & kParent) o << " (parent)";
    if (expected && (m.flags & kOptional)) o << " (optional)";
    return o.str();
}

bool Matches(const Msg& want, const Msg& got) {
    if (want.message != got.message) return false;
    if ((want.flags & kParent) != (got.flags & kParent)) return false;
    if ((want.flags & kWParam) && want.wParam != got.wParam) return false;
    if ((want.flags & kLParam) && want.lParam != got.lParam) return false;
    return true;
}

}  // namespace

std::string MsgRecorder::Format(const std::vector<Msg>& messages) {
    std::ostringstream o;
    for (size_t i = 0; i < messages.size(); ++i) o << "  #" << i << " " << FormatOne(messages[i], false) << "\n";
    if (messages.empty()) o << "  (nothing)\n";
    return o.str();
}

bool MsgRecorder::Expect(const std::vector<Msg>& expected, const char* context) const {
    std::vector<Msg> got = Messages();
    size_t i = 0, j = 0;
    std::string problem;
    while (j < expected.size()) {
        if (i < got.size() && Matches(expected[j], got[i])) {
            ++i;
            ++j;
        } else if (expected[j].flags & kOptional) {
            ++j;
        } else {
            problem = "expected #" + std::to_string(j) + " " + FormatOne(expected[j], true) + ", " +
                      (i < got.size() ? "recorded #" + std::to_string(i) + " " + FormatOne(got[i], false)
                                      : std::string("the recording ended"));
            break;
        }
    }
    if (problem.empty() && i < got.size())
        problem = "all expected messages seen, then unexpected #" + std::to_string(i) + " " + FormatOne(got[i], false);
    if (problem.empty()) return true;
    ReportFailure() << context << ": message sequence differs: " << problem << "\nrecorded sequence:\n" << Format(got);
    return false;
}


}  // namespace ui
