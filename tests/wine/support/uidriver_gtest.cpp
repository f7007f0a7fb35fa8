// uidriver_gtest.cpp: the driver's failures as GoogleTest failures, installed before main runs.
// Compiled into every test program that links `uidriver` (an interface source), so it is never
// left out by the linker.
#include "uidriver_gtest.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {

class GtestReporter : public ui::Reporter {
public:
    void Failure(const std::string& message) override { ADD_FAILURE() << message; }

    // The step's own assertions are collected, then passed on named after the step. (Code run
    // through RunOnUi reports on the UI thread: its fatal failures show in HasFatalFailure.)
    bool RunStep(const std::string& name, const std::function<void()>& body) override {
        ::testing::TestPartResultArray results;
        const bool fatalBefore = ::testing::Test::HasFatalFailure();
        {
            ::testing::ScopedFakeTestPartResultReporter trap(
                ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
            body();
        }
        bool fatal = false;
        for (int k = 0; k < results.size(); ++k) {
            const ::testing::TestPartResult& r = results.GetTestPartResult(k);
            if (r.fatally_failed()) fatal = true;
            std::string m = "[UI step '" + name + "'] " + r.message();
            GTEST_MESSAGE_AT_(r.file_name(), r.line_number(), m.c_str(), r.type());
        }
        return fatal || (!fatalBefore && ::testing::Test::HasFatalFailure());
    }
};

GtestReporter g_reporter;

[[maybe_unused]] const bool kInstalled = [] {
    ui::SetReporter(&g_reporter);
    return true;
}();

// The same for a whole test run, without touching each program's main: with OROSCAPE_UI_OWN_DESKTOP=1
// every test program that uses the driver moves its main thread before main runs.
[[maybe_unused]] const bool kOwnDesktopFromEnvironment = [] {
    wchar_t v[8];
    DWORD n = GetEnvironmentVariableW(L"OROSCAPE_UI_OWN_DESKTOP", v, 8);
    return n == 1 && v[0] == L'1' && ui::UseOwnDesktop();
}();

}  // namespace
