// uidriver_parts.h: what the driver's own files share (not for its users).
//   Ctx::Shared (the script's state), StepDef, UiCall, the helper window, window descriptions.
#pragma once

#include "support/uidriver.h"

#include <atomic>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace ui {
namespace detail {


const DWORD kSlice = 15;  // polling slice of every wait, ms
const DWORD kHiddenGrace = 1000;  // how long a hidden window may take to be destroyed, ms

// One step as added by Script::Step.
struct StepDef {
    std::string name;
    std::function<void(Ctx&)> fn;
};

// A callable handed to the UI thread. The UI thread claims it (pending -> running) before running it,
// the driver cancels it (pending -> cancelled) when the UI thread did not take it in time, so a late
// delivery never runs code whose captures are gone.
struct UiCall {
    enum : int { kPending, kRunning, kCancelled, kDone };
    std::function<void()> fn;
    std::atomic<int> state{kPending};
    bool failed = false;
    std::string error;
};

// The message that carries a UiCall to the script's helper window.
UINT RunMessage();

// The helper window: runs the UiCall it is sent on the UI thread.
extern const wchar_t kHelperClass[];
LRESULT CALLBACK HelperProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
// The module this code is linked into (the helper's window class is registered there).
HMODULE ThisModule();

// Window descriptions for failure messages, and the choice of the window the rescue closes.
bool IsAccessoryClass(const std::wstring& cls);
std::string Quote(const wchar_t* s);
std::string Describe(HWND h);
std::string DescribeAll(const std::vector<HWND>& wins);
// The innermost window of an owner chain: one that owns no other window of the list; enabled preferred.
HWND Innermost(const std::vector<HWND>& wins);
// EnumThreadWindows callbacks: hidden dialogs (lp: std::vector<HWND>*), a visible menu (lp: HWND*).
BOOL CALLBACK CollectHiddenDialogs(HWND h, LPARAM lp);
BOOL CALLBACK FindMenuWindow(HWND h, LPARAM lp);

// Hands a failure to the installed reporter.
void Report(const std::string& message);
// ReportFailure() << "text" << value;  reports the whole line when the statement ends.
class ReportFailure {
public:
    ReportFailure() = default;
    ReportFailure(const ReportFailure&) = delete;
    ~ReportFailure() { Report(line_.str()); }
    template <class T>
    ReportFailure& operator<<(const T& value) {
        line_ << value;
        return *this;
    }

private:
    std::ostringstream line_;
};

}  // namespace detail

// ---------------------------------------------------------------------------------------------------------
// State shared by the Script (UI thread) and the driver thread

struct Ctx::Shared {
    DWORD uiThread = 0;
    HWND helper = nullptr;
    DWORD timeout = 0;
    std::vector<detail::StepDef> steps;
    std::atomic<bool> modalReturned{false};
    HANDLE returnedEvent = nullptr;  // manual reset; set when the modal call has returned
    std::atomic<size_t> done{0};
    std::atomic<bool> failureReported{false};
    std::atomic<bool> succeeded{false};

    ~Shared() {
        if (returnedEvent) CloseHandle(returnedEvent);
    }
    std::string NotRun(size_t from) const {
        std::string s;
        for (size_t i = from; i < steps.size(); ++i) s += (s.empty() ? "'" : ", '") + steps[i].name + "'";
        return s;
    }
};

}  // namespace ui
