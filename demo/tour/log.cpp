// The tour's log: tour_log.txt in the tour's folder, every line also on standard output.
#include "demo/tour/steps.h"

#include <cstdio>
#include <mutex>
#include <vector>

#include "demo/commandline.h"
#include "demo/wintext.h"

namespace {

std::mutex g_logLock;
std::vector<std::wstring> g_pending;   // lines written before the file is open
HANDLE g_logFile = INVALID_HANDLE_VALUE;

void WriteLine(const std::wstring& line)
{
    const std::string text = Utf8(line) + "\n";
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
    if (g_logFile != INVALID_HANDLE_VALUE) {
        DWORD written;
        WriteFile(g_logFile, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    } else {
        g_pending.push_back(line);
    }
}


}  // namespace

void TourLog(const std::wstring& line)
{
    std::lock_guard<std::mutex> lock(g_logLock);
    WriteLine(line);
}

namespace tour {

bool OpenLog(const std::wstring& path)
{
    std::lock_guard<std::mutex> lock(g_logLock);
    g_logFile = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    if (g_logFile == INVALID_HANDLE_VALUE)
        return false;
    // The first line tells a later tour that this file is its own to replace.
    const std::string marker = std::string(kTourLogMarker) + "\n";
    DWORD markerWritten;
    WriteFile(g_logFile, marker.data(), static_cast<DWORD>(marker.size()), &markerWritten, nullptr);
    std::vector<std::wstring> pending;
    pending.swap(g_pending);
    for (const std::wstring& line : pending) {
        const std::string text = Utf8(line) + "\n";
        DWORD written;
        WriteFile(g_logFile, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
    return true;
}

void CloseLog()
{
    std::lock_guard<std::mutex> lock(g_logLock);
    if (g_logFile != INVALID_HANDLE_VALUE)
        CloseHandle(g_logFile);
    g_logFile = INVALID_HANDLE_VALUE;
}

void MakeDirs(const std::wstring& dir)
{
    for (size_t i = 0; i <= dir.size(); ++i)
        if (i == dir.size() || dir[i] == L'\\' || dir[i] == L'/')
            if (i > 0 && dir[i - 1] != L':')
                CreateDirectoryW(dir.substr(0, i).c_str(), nullptr);
}

// Lets the user-interface thread handle what is queued, for about ms milliseconds.

}  // namespace tour
