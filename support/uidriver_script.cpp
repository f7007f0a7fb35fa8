// uidriver_script.cpp: the script: the driver thread that runs the steps, the rescue that closes a
// stuck modal stack, the helper window that runs code on the UI thread, and where failures go.
#include "support/uidriver.h"

#include "support/uidriver_parts.h"

#include <process.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <sstream>

namespace ui {

using namespace detail;

namespace {

// Without an installed reporter failures go to standard error.
class StderrReporter : public Reporter {
public:
    void Failure(const std::string& message) override {
        std::fprintf(stderr, "%s\n", message.c_str());
        std::fflush(stderr);
    }
};

StderrReporter g_stderrReporter;
std::atomic<Reporter*> g_reporter{&g_stderrReporter};

}  // namespace

void SetReporter(Reporter* reporter) { g_reporter.store(reporter ? reporter : &g_stderrReporter); }

Reporter& CurrentReporter() { return *g_reporter.load(); }

namespace detail {

void Report(const std::string& message) { CurrentReporter().Failure(message); }

const wchar_t kHelperClass[] = L"OroscapeUiDriverHelper";

LRESULT CALLBACK HelperProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == RunMessage() && msg != 0) {
        UiCall* call = reinterpret_cast<UiCall*>(lp);
        int expected = UiCall::kPending;
        if (!call->state.compare_exchange_strong(expected, UiCall::kRunning)) return 0;  // cancelled
        try {
            call->fn();
        } catch (const StepFailure& f) {
            call->failed = true;
            call->error = f.message;
        } catch (const std::exception& e) {
            call->failed = true;
            call->error = std::string("exception on the UI thread: ") + e.what();
        } catch (...) {
            call->failed = true;
            call->error = "unknown exception on the UI thread";
        }
        call->state.store(UiCall::kDone);  // last access: the driver may free the call from now on
        return 1;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

HMODULE ThisModule() {
    HMODULE h = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&HelperProc), &h);
    return h;
}

}  // namespace detail

// ---------------------------------------------------------------------------------------------------------
// Script

Script::Script() : shared_(std::make_shared<Ctx::Shared>()) {
    shared_->uiThread = GetCurrentThreadId();
    shared_->timeout = DefaultTimeout();
    shared_->returnedEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = HelperProc;
    wc.hInstance = ThisModule();
    wc.lpszClassName = kHelperClass;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        ReportFailure() << "UI script: cannot register its helper window class, error " << GetLastError();
    shared_->helper =
        CreateWindowExW(0, kHelperClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ThisModule(), nullptr);
    if (!shared_->helper) ReportFailure() << "UI script: cannot create its helper window, error " << GetLastError();
}

Script::~Script() {
    if (thread_) CloseHandle(thread_);  // still running only after a reported failure; it holds its own state
    if (shared_->helper) DestroyWindow(shared_->helper);
}

Script& Script::Step(std::string name, std::function<void(Ctx&)> fn) {
    shared_->steps.push_back(StepDef{std::move(name), std::move(fn)});
    return *this;
}

void Script::SetTimeout(DWORD ms) { shared_->timeout = ms; }

bool Script::Succeeded() const { return shared_->succeeded.load(); }

size_t Script::StepsDone() const { return shared_->done.load(); }

void Script::Start() {
    if (GetCurrentThreadId() != shared_->uiThread)
        ReportFailure() << "UI script: Run called on a thread other than the one that created the script";
    if (thread_) {
        ReportFailure() << "UI script: Run called twice";
        return;
    }
    auto* arg = new std::shared_ptr<Ctx::Shared>(shared_);
    thread_ = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &Script::DriverMain, arg, 0, nullptr));
    if (!thread_) {
        delete arg;
        ReportFailure() << "UI script: cannot start the driver thread";
    }
}

void Script::Finish() {
    shared_->modalReturned.store(true);
    SetEvent(shared_->returnedEvent);
    if (!thread_) return;
    // Join the driver, bounded, while answering what it sends to this thread.
    const DWORD bound = 2 * shared_->timeout + 1000;
    DWORD start = GetTickCount();
    bool quit = false;
    WPARAM quitCode = 0;
    bool joined = false;
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= bound) break;
        DWORD r = MsgWaitForMultipleObjects(1, &thread_, FALSE, std::min<DWORD>(bound - elapsed, 50), QS_ALLINPUT);
        if (r == WAIT_OBJECT_0) {
            joined = true;
            break;
        }
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                quitCode = msg.wParam;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
    if (!joined) {
        ReportFailure() << "UI script: the driver thread did not end within " << bound
                      << " ms after the modal call returned; steps not finished: "
                      << shared_->NotRun(shared_->done.load());
        return;
    }
    CloseHandle(thread_);
    thread_ = nullptr;
    size_t done = shared_->done.load();
    if (done < shared_->steps.size() && !shared_->failureReported.load()) {
        ReportFailure() << "UI script: the modal call returned after " << done << " of " << shared_->steps.size()
                      << " steps; steps not run: " << shared_->NotRun(done);
    }
}

unsigned __stdcall Script::DriverMain(void* arg) {
    std::shared_ptr<Ctx::Shared> sh = *static_cast<std::shared_ptr<Ctx::Shared>*>(arg);
    delete static_cast<std::shared_ptr<Ctx::Shared>*>(arg);
    SetThreadDesktop(GetThreadDesktop(sh->uiThread));  // act where the UI thread's windows are
    Ctx c(sh);
    const size_t n = sh->steps.size();
    bool failed = false;
    size_t i = 0;
    for (; i < n; ++i) {
        if (sh->modalReturned.load()) break;
        const StepDef& step = sh->steps[i];
        std::string error;
        // The step's body catches the driver's own failures; the reporter runs it and says whether
        // assertions of its test framework inside it failed fatally, which ends the script likewise.
        auto body = [&] {
            try {
                step.fn(c);
            } catch (const StepFailure& f) {
                error = f.message;
                failed = true;
            } catch (const std::exception& e) {
                error = std::string("exception: ") + e.what();
                failed = true;
            } catch (...) {
                error = "unknown exception";
                failed = true;
            }
        };
        const bool fatal = CurrentReporter().RunStep(step.name, body);
        if (!failed && fatal) {
            error = "a fatal assertion failed";
            failed = true;
        }
        if (failed) {
            sh->failureReported.store(true);
            std::string rest = sh->NotRun(i + 1);
            ReportFailure() << "UI step " << (i + 1) << "/" << n << " '" << step.name << "' failed: " << error
                          << (rest.empty() ? std::string() : "; steps not run: " + rest);
            break;
        }
        sh->done.store(i + 1);
    }
    if (!failed && i == n) {
        // Every step ran: the modal call must come back on its own now.
        if (WaitForSingleObject(sh->returnedEvent, sh->timeout) != WAIT_OBJECT_0) {
            sh->failureReported.store(true);
            failed = true;
            ReportFailure() << "UI script: all " << n << " steps ran but the modal call did not return within "
                          << sh->timeout << " ms; windows open: " << DescribeAll(c.TopWindows());
        } else {
            sh->succeeded.store(true);
        }
    }
    if (failed && !sh->modalReturned.load()) Rescue(c);
    return 0;
}

void Script::Rescue(Ctx& c) {
    auto& sh = *c.shared_;
    // Gives up when no window has closed for `bound` ms (closing one can take a while: without a window
    // manager, Wine waits up to 2 s for each managed window it unmaps).
    const DWORD bound = std::max<DWORD>(sh.timeout, 3000);
    DWORD progress = GetTickCount();
    std::map<HWND, int> attempts;
    while (!sh.modalReturned.load() && GetTickCount() - progress < bound) {
        // A menu's loop first: it swallows everything else.
        HWND menu = nullptr;
        EnumThreadWindows(c.uiThread_, FindMenuWindow, reinterpret_cast<LPARAM>(&menu));
        if (menu) {
            try {
                c.RunOnUi([] { EndMenu(); });
            } catch (const StepFailure&) {
            }
        }
        std::vector<HWND> wins = c.TopWindows();
        const bool hidden = wins.empty();
        if (hidden) EnumThreadWindows(c.uiThread_, CollectHiddenDialogs, reinterpret_cast<LPARAM>(&wins));
        HWND w = Innermost(wins);
        if (!w) {
            ::Sleep(50);
            continue;
        }
        int& k = attempts[w];
        if (k < 2) {
            PostMessageW(w, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        } else if (k < 4) {
            PostMessageW(w, WM_CLOSE, 0, 0);
        } else {
            try {
                c.RunOnUi([w] {
                    if (!IsWindow(w)) return;
                    if (ClassName(w) == L"#32770")
                        EndDialog(w, IDCANCEL);
                    else
                        DestroyWindow(w);
                });
            } catch (const StepFailure&) {
            }
        }
        ++k;
        DWORD t = GetTickCount();
        while (IsWindow(w) && (hidden || IsWindowVisible(w)) && !sh.modalReturned.load() && GetTickCount() - t < 200)
            ::Sleep(kSlice);
        if (!IsWindow(w) || (!hidden && !IsWindowVisible(w))) progress = GetTickCount();
    }
    if (sh.modalReturned.load()) return;
    std::vector<HWND> hiddenDialogs;
    EnumThreadWindows(c.uiThread_, CollectHiddenDialogs, reinterpret_cast<LPARAM>(&hiddenDialogs));
    ReportFailure() << "UI script: could not close the windows of the UI thread (no progress for " << bound
                  << " ms); still open: " << DescribeAll(c.TopWindows())
                  << "; hidden dialogs: " << DescribeAll(hiddenDialogs);
    // A test program that never returns from its modal call blocks the whole run: end it.
    const DWORD hangLimit = std::max<DWORD>(60000, 6 * sh.timeout);
    if (WaitForSingleObject(sh.returnedEvent, hangLimit) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "UI script: the modal call is still running %lu ms after the rescue; ending the process\n",
                     static_cast<unsigned long>(hangLimit));
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
    }
}


}  // namespace ui
