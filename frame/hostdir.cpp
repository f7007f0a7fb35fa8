#include "frame/hostdir.h"

#include <windows.h>

// hubcore60.dll, imported by ordinal 226 only: the host's information record,
// whose directory string begins at byte 128, or NULL when the host has none.
extern "C" __declspec(dllimport) void* WINAPI GetHostBaseInfo(int reserved);

namespace {
const size_t kHostDirOffset = 128;
// The host's record is the host's: read no further than a path can be long.
const size_t kHostDirScanLimit = 32768;
}

bool GetHostDir(char* dir, size_t cap)
{
    if (dir == nullptr || cap == 0)
        return false;
    dir[0] = '\0';
    const char* info = static_cast<const char*>(GetHostBaseInfo(0));
    if (info == nullptr)
        return false;
    const char* hostDir = info + kHostDirOffset;
    size_t n = 0;
    while (n < kHostDirScanLimit && n < cap && hostDir[n] != '\0')
        ++n;
    if (n >= cap || n == kHostDirScanLimit)
        return false;  // not terminated within the caller's room
    for (size_t i = 0; i < n; ++i)
        dir[i] = hostDir[i];
    dir[n] = '\0';
    return true;
}
