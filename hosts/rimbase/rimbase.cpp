// Stand-in for the host's multi-band image library RimBase.dll.
//
// Reads ENVI images: the header beside the data file gives the band count and
// the default display bands (see envi_header.h). Opening checks that the data
// file exists and reads its header; the header's facts are kept under the
// handle, and no file stays open. The pixel data are never read.
#include <windows.h>

#include <map>
#include <string>

#include "terrain/envi_header.h"
#include "texture/rimbase.h"

namespace {

// Most images open at once: a caller that never closes cannot grow the table without end.
const size_t kMaxOpenImages = 4096;

struct OpenImages {
    CRITICAL_SECTION lock;
    std::map<RMHANDLE, EnviHeader> images;
    RMHANDLE next = 1;
    OpenImages() { InitializeCriticalSection(&lock); }
    ~OpenImages() { DeleteCriticalSection(&lock); }
};

OpenImages& Images()
{
    static OpenImages images;
    return images;
}

class Lock {
public:
    Lock() { EnterCriticalSection(&Images().lock); }
    ~Lock() { LeaveCriticalSection(&Images().lock); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
};

bool IsFile(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Reads a whole header file of at most kEnviMaxHeaderBytes. RM_ERR_NOT_FOUND when
// it cannot be opened, RM_ERR_HEADER when it is too long or cannot be read.
int ReadHeaderFile(const std::string& path, std::string& text)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return RM_ERR_NOT_FOUND;
    int result = RM_ERR_HEADER;
    LARGE_INTEGER size;
    if (GetFileSizeEx(file, &size) && size.QuadPart <= static_cast<LONGLONG>(kEnviMaxHeaderBytes)) {
        text.assign(static_cast<size_t>(size.QuadPart), '\0');
        DWORD got = 0;
        if (text.empty() ||
            (ReadFile(file, &text[0], static_cast<DWORD>(text.size()), &got, nullptr) && got == text.size()))
            result = RM_OK;
    }
    CloseHandle(file);
    return result;
}

}  // namespace

extern "C" int __cdecl rmOpenRimFileForRead(const char* fileName, RMHANDLE* handle)
{
    if (handle != nullptr)
        *handle = 0;
    if (fileName == nullptr || handle == nullptr)
        return RM_ERR_ARGUMENT;
    if (!IsFile(fileName))
        return RM_ERR_NOT_FOUND;

    // The first header candidate that exists decides.
    std::string text;
    int read = RM_ERR_NOT_FOUND;
    for (const std::string& path : EnviHeaderPaths(fileName)) {
        if (!IsFile(path.c_str()))
            continue;
        read = ReadHeaderFile(path, text);
        break;
    }
    if (read != RM_OK)
        return read;
    EnviHeader header;
    if (ParseEnviHeader(text.data(), text.size(), &header) != EnviStatus::Ok)
        return RM_ERR_HEADER;

    Lock lock;
    OpenImages& open = Images();
    if (open.images.size() >= kMaxOpenImages)
        return RM_ERR_TOO_MANY;
    while (open.next == 0 || open.images.count(open.next) != 0)
        ++open.next;
    RMHANDLE h = open.next++;
    open.images[h] = header;
    *handle = h;
    return RM_OK;
}

extern "C" int __cdecl rmGetBands(RMHANDLE handle, int* bands)
{
    if (bands == nullptr)
        return RM_ERR_ARGUMENT;
    Lock lock;
    auto it = Images().images.find(handle);
    if (it == Images().images.end())
        return RM_ERR_HANDLE;
    *bands = it->second.bands;
    return RM_OK;
}

extern "C" int __cdecl rmGetRGBDisplayBandNo(RMHANDLE handle, int* red, int* green, int* blue)
{
    if (red == nullptr || green == nullptr || blue == nullptr)
        return RM_ERR_ARGUMENT;
    Lock lock;
    auto it = Images().images.find(handle);
    if (it == Images().images.end())
        return RM_ERR_HANDLE;
    *red = it->second.defaultBands[0];
    *green = it->second.defaultBands[1];
    *blue = it->second.defaultBands[2];
    return RM_OK;
}

extern "C" int __cdecl rmCloseRimFileForRead(RMHANDLE handle)
{
    Lock lock;
    return Images().images.erase(handle) != 0 ? RM_OK : RM_ERR_HANDLE;
}
