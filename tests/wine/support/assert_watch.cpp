// The framework layer's failed assertions (AFX_ASSERT), caught in the test program: see assert_watch.h.
#include "assert_watch.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string.h>

#include <mutex>

namespace {

const char kPrefix[] = "Oroscape: assertion failed: ";

volatile LONG g_seen = 0;
volatile LONG g_expected = 0;

std::mutex& Lock()
{
    static std::mutex lock;
    return lock;
}

std::vector<std::string>& Kept()
{
    static std::vector<std::string> texts;
    return texts;
}

void Note(std::string text)
{
    InterlockedIncrement(&g_seen);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    text += test != nullptr ? std::string(" (in ") + test->test_suite_name() + "." + test->name() + ")"
                            : std::string(" (outside the tests)");
    std::lock_guard<std::mutex> l(Lock());
    if (Kept().size() == 64)
        Kept().erase(Kept().begin());
    Kept().push_back(text);
}

// OutputDebugStringA raises DBG_PRINTEXCEPTION_C with the length and the text (the library writes its
// lines with it). The handler only looks: the search goes on to the system's own handler, which ends the
// exception as usual.
LONG CALLBACK Watch(EXCEPTION_POINTERS* info)
{
    const EXCEPTION_RECORD* rec = info->ExceptionRecord;
    if (rec->ExceptionCode != DBG_PRINTEXCEPTION_C || rec->NumberParameters < 2 ||
        rec->ExceptionInformation[1] == 0)
        return EXCEPTION_CONTINUE_SEARCH;
    const char* text = reinterpret_cast<const char*>(rec->ExceptionInformation[1]);
    if (strncmp(text, kPrefix, sizeof kPrefix - 1) == 0)
        Note(text + sizeof kPrefix - 1);
    return EXCEPTION_CONTINUE_SEARCH;
}

class Watcher : public ::testing::Environment {
public:
    void TearDown() override
    {
        long seen = assertwatch::Seen();
        long expected = InterlockedCompareExchange(&g_expected, 0, 0);
        if (seen == expected)
            return;
        std::string all;
        for (const std::string& t : assertwatch::Texts())
            all += "  " + t + "\n";
        ADD_FAILURE() << "the framework layer's assertions failed " << seen << " time(s), " << expected
                      << " expected by the tests:\n" << all;
    }
};

// Installed before main runs, so that nothing the program does escapes it.
const bool g_installed = [] {
    ::AddVectoredExceptionHandler(1, &Watch);
    ::testing::AddGlobalTestEnvironment(new Watcher);
    return true;
}();

}  // namespace

namespace assertwatch {

long Seen()
{
    return InterlockedCompareExchange(&g_seen, 0, 0);
}

std::vector<std::string> Texts()
{
    std::lock_guard<std::mutex> l(Lock());
    return Kept();
}

void Expect(long n)
{
    InterlockedExchangeAdd(&g_expected, n);
}

}  // namespace assertwatch
