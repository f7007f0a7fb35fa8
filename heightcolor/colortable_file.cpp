#include "heightcolor/colortable_file.h"

#include <windows.h>

#include "frame/hostdir.h"
#include "heightcolor/colortable.h"

static_assert(sizeof(LayerColor) == sizeof(LutColor), "LayerColor and LutColor differ");

namespace {

// Owns a file or search handle; closes it on every path out.
class FileHandle {
public:
    explicit FileHandle(HANDLE h) : m_h(h) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool IsValid() const { return m_h != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_h; }
    bool Close()
    {
        if (m_h == INVALID_HANDLE_VALUE)
            return true;
        const BOOL ok = CloseHandle(m_h);
        m_h = INVALID_HANDLE_VALUE;
        return ok != FALSE;
    }

private:
    HANDLE m_h;
};

class FindHandle {
public:
    explicit FindHandle(HANDLE h) : m_h(h) {}
    ~FindHandle()
    {
        if (m_h != INVALID_HANDLE_VALUE)
            FindClose(m_h);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    bool IsValid() const { return m_h != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_h; }

private:
    HANDLE m_h;
};

// Reads up to size bytes, stopping early only at the end of the file or on an error.
size_t ReadUpTo(HANDLE file, unsigned char* buffer, size_t size)
{
    size_t total = 0;
    while (total < size) {
        DWORD got = 0;
        if (!ReadFile(file, buffer + total, static_cast<DWORD>(size - total), &got, nullptr) ||
            got == 0)
            break;
        total += got;
    }
    return total;
}

bool WriteAll(HANDLE file, const unsigned char* data, size_t size)
{
    size_t total = 0;
    while (total < size) {
        DWORD put = 0;
        if (!WriteFile(file, data + total, static_cast<DWORD>(size - total), &put, nullptr) ||
            put == 0)
            return false;
        total += put;
    }
    return true;
}

// Table names are in the ANSI code page: a double-byte character's trail byte is no separator.
bool IsAnsiLeadByte(unsigned char byte)
{
    return IsDBCSLeadByte(byte) != FALSE;
}

// The table's full path, or false when the host gives no directory or the path is refused.
bool TablePath(const char* name, char (&path)[kLutPathCap])
{
    char hostDir[kLutPathCap];
    if (!GetHostDir(hostDir, sizeof hostDir))
        return false;
    return ComposeTablePath(hostDir, name, path, sizeof path, IsAnsiLeadByte);
}

}  // namespace

bool ReadColorTableFile(const char* name, LayerColor* colors, short* count)
{
    if (colors == nullptr || count == nullptr)
        return false;
    char path[kLutPathCap];
    if (!TablePath(name, path))
        return false;

    unsigned char data[kLutMaxFileBytes];
    size_t size = 0;
    {
        FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsValid())
            return false;
        // Never more than a header and 256 entries: the rest of a longer file is not needed.
        size = ReadUpTo(file.Get(), data, sizeof data);
    }

    LutColor decoded[kLutMaxEntries];
    const int n = DecodeLut(data, size, decoded);
    if (n <= 0)
        return false;
    for (int i = 0; i < n; ++i) {
        colors[i].r = decoded[i].r;
        colors[i].g = decoded[i].g;
        colors[i].b = decoded[i].b;
    }
    *count = static_cast<short>(n);
    return true;
}

bool WriteColorTableFile(const char* name, const LayerColor* colors, int count)
{
    if (colors == nullptr || count < 1 || count > kLutMaxEntries)
        return false;
    char path[kLutPathCap];
    if (!TablePath(name, path))
        return false;

    LutColor entries[kLutMaxEntries];
    for (int i = 0; i < count; ++i) {
        entries[i].r = colors[i].r;
        entries[i].g = colors[i].g;
        entries[i].b = colors[i].b;
    }
    unsigned char data[kLutMaxFileBytes];
    const size_t size = EncodeLut(data, sizeof data, name, kLutUserKind, entries, count, IsAnsiLeadByte);
    if (size == 0)
        return false;

    FileHandle file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return false;
    const bool written = WriteAll(file.Get(), data, size);
    const bool closed = file.Close();
    if (written && closed)
        return true;
    // A half-written table would be listed and read back wrong: do not leave it behind.
    DeleteFileA(path);
    return false;
}

bool EnumColorTables(std::vector<std::string>* titles)
{
    if (titles == nullptr)
        return false;
    titles->clear();
    char hostDir[kLutPathCap];
    if (!GetHostDir(hostDir, sizeof hostDir))
        return false;
    char pattern[kLutPathCap];
    if (!ComposeTableSearchPattern(hostDir, pattern, sizeof pattern))
        return true;  // the folder's path does not fit: no table can be opened there either

    WIN32_FIND_DATAA found;
    FindHandle search(FindFirstFileA(pattern, &found));
    if (!search.IsValid())
        return true;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        char title[kLutNameSize];
        if (TableTitleFromFileName(found.cFileName, title, sizeof title, IsAnsiLeadByte))
            titles->push_back(title);
    } while (FindNextFileA(search.Get(), &found));
    return true;
}
