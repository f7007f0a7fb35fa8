// msgrecorder.h: records the messages reaching windows and compares them with an expected sequence.
//   ui::MsgRecorder, ui::Msg, ui::MsgFlags, ui::MessageName.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

namespace ui {

// Entry flags of a recorded or expected message.
enum MsgFlags : unsigned {
    kWParam = 1u << 0,    // compare wParam
    kLParam = 1u << 1,    // compare lParam
    kOptional = 1u << 2,  // expected entry that may be missing
    kParent = 1u << 3,    // recorded on a window attached with kParent (the parent of the control)
};

struct Msg {
    UINT message;
    unsigned flags;
    WPARAM wParam;
    LPARAM lParam;
};

std::string MessageName(UINT message);

// Records the messages reaching subclassed windows, in order, and compares them with an expected
// sequence (Wine's test way). Attach and Detach run on the thread that owns the window (in a step: inside
// Ctx::RunOnUi). Recording is thread-safe; reading it is too.
class MsgRecorder {
public:
    MsgRecorder();
    ~MsgRecorder();  // detaches from every window (must run on their thread)
    MsgRecorder(const MsgRecorder&) = delete;
    MsgRecorder& operator=(const MsgRecorder&) = delete;

    // Subclasses hwnd; every message it receives is recorded with `tag` (kParent or 0) in its flags.
    bool Attach(HWND hwnd, unsigned tag = 0);
    void Detach(HWND hwnd);
    void DetachAll();
    // Messages never recorded (by default the usual noise: WM_GETICON, WM_NCHITTEST, WM_SETCURSOR,
    // mouse moves, timers, paint, WM_GETOBJECT, IME traffic, WM_DEVICECHANGE).
    void Ignore(UINT message) { std::lock_guard<std::mutex> l(lock_); ignored_.push_back(message); }
    void RecordAll() { std::lock_guard<std::mutex> l(lock_); ignored_.clear(); }
    // For a test's own window procedure: records one entry.
    void Record(UINT message, WPARAM wp, LPARAM lp, unsigned tag = 0);
    void Clear();
    std::vector<Msg> Messages() const;

    // Compares the recording with `expected`: wParam / lParam only when the entry has kWParam / kLParam,
    // kParent must agree, kOptional entries may be absent. On the first mismatch reports a failure (ui::Reporter)
    // naming `context`, the entry expected and the whole recording. Returns whether it matched.
    bool Expect(const std::vector<Msg>& expected, const char* context) const;
    static std::string Format(const std::vector<Msg>& messages);

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    mutable std::mutex lock_;
    std::vector<Msg> messages_;
    std::vector<UINT> ignored_;
    std::vector<HWND> attached_;
};

}  // namespace ui
