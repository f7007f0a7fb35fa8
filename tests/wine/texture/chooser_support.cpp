#include "chooser_support.h"

#include <winternl.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <atomic>

#include "support/capture.h"
#include "bytes.h"

namespace test {

namespace {

using test::Put16;
using test::Put32;

bool WriteAll(const std::wstring& path, const std::vector<unsigned char>& bytes)
{
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
    return ok && written == bytes.size();
}

void RemoveTree(const std::wstring& dir)
{
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring full = dir + L"\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                DeleteFileW(full.c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
}

// Wine's GDI handle table entry (GDI_HANDLE_ENTRY): a used entry has a nonzero type.
struct GdiHandleEntry {
    uint64_t object;
    uint32_t owner;
    uint16_t unique;
    uint8_t type;
    uint8_t flags;
    uint64_t user;
};
static_assert(sizeof(GdiHandleEntry) == 24, "Wine's handle table entry");
const int kGdiHandleCount = 0x10000;

const GdiHandleEntry* WineGdiHandleTable()
{
#ifdef _WIN64
    const char* peb = reinterpret_cast<const char*>(NtCurrentTeb()->ProcessEnvironmentBlock);
    return *reinterpret_cast<GdiHandleEntry* const*>(peb + 0xF8);  // PEB.GdiSharedHandleTable
#else
    // A 32-bit process under Wine keeps the table in its 64-bit PEB, reached through the 64-bit
    // TEB whose address TEB.GdiBatchCount holds.
    const char* teb = reinterpret_cast<const char*>(NtCurrentTeb());
    const uint32_t teb64 = *reinterpret_cast<const uint32_t*>(teb + 0xF70);
    if (teb64 != 0) {
        const uint64_t peb64 = *reinterpret_cast<const uint64_t*>(static_cast<uintptr_t>(teb64) + 0x60);
        const uint64_t table = *reinterpret_cast<const uint64_t*>(static_cast<uintptr_t>(peb64) + 0xF8);
        return reinterpret_cast<const GdiHandleEntry*>(static_cast<uintptr_t>(table));
    }
    const char* peb = reinterpret_cast<const char*>(NtCurrentTeb()->ProcessEnvironmentBlock);
    return *reinterpret_cast<GdiHandleEntry* const*>(peb + 0x94);
#endif
}

}  // namespace

bool WriteBitmap(const std::wstring& path, int width, int height, int bitsPerPixel, COLORREF color)
{
    if (bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 24)
        return false;
    const uint32_t stride = (static_cast<uint32_t>(width) * bitsPerPixel + 31) / 32 * 4;
    const uint32_t paletteBytes = bitsPerPixel == 8 ? 256 * 4 : 0;
    const uint32_t offset = 14 + 40 + paletteBytes;
    const uint32_t imageBytes = stride * static_cast<uint32_t>(height);

    std::vector<unsigned char> b;
    b.push_back('B');
    b.push_back('M');
    Put32(b, offset + imageBytes);
    Put32(b, 0);
    Put32(b, offset);
    Put32(b, 40);
    Put32(b, static_cast<uint32_t>(width));
    Put32(b, static_cast<uint32_t>(height));
    Put16(b, 1);
    Put16(b, static_cast<unsigned>(bitsPerPixel));
    Put32(b, BI_RGB);
    Put32(b, imageBytes);
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, bitsPerPixel == 8 ? 256 : 0);
    Put32(b, 0);
    const unsigned r = GetRValue(color), g = GetGValue(color), bl = GetBValue(color);
    if (bitsPerPixel == 8) {
        for (int i = 0; i < 256; ++i) {
            b.push_back(static_cast<unsigned char>(i == 0 ? bl : i));
            b.push_back(static_cast<unsigned char>(i == 0 ? g : i));
            b.push_back(static_cast<unsigned char>(i == 0 ? r : i));
            b.push_back(0);
        }
    }
    std::vector<unsigned char> row(stride, 0);
    for (int x = 0; x < width; ++x) {
        if (bitsPerPixel == 24) {
            row[x * 3] = static_cast<unsigned char>(bl);
            row[x * 3 + 1] = static_cast<unsigned char>(g);
            row[x * 3 + 2] = static_cast<unsigned char>(r);
        } else if (bitsPerPixel == 16) {
            const unsigned v = (r >> 3) << 10 | (g >> 3) << 5 | (bl >> 3);
            row[x * 2] = static_cast<unsigned char>(v & 0xFF);
            row[x * 2 + 1] = static_cast<unsigned char>(v >> 8);
        }  // 8 bits: index 0 everywhere
    }
    for (int y = 0; y < height; ++y)
        b.insert(b.end(), row.begin(), row.end());
    return WriteAll(path, b);
}

PictureFolder::PictureFolder()
{
    static std::atomic<int> serial{0};
    wchar_t temp[MAX_PATH];
    DWORD n = GetTempPathW(MAX_PATH, temp);
    std::wstring base(temp, n);
    if (!base.empty() && base.back() == L'\\')
        base.pop_back();
    wchar_t name[64];
    swprintf(name, 64, L"\\chooser_%lu_%d", GetCurrentProcessId(), ++serial);
    path_ = base + name;
    RemoveTree(path_);
    CreateDirectoryW(path_.c_str(), nullptr);
}

PictureFolder::~PictureFolder()
{
    RemoveTree(path_);
}

std::wstring PictureFolder::Folder(const std::wstring& relative)
{
    std::wstring full = path_;
    size_t start = 0;
    while (start <= relative.size()) {
        size_t end = relative.find(L'\\', start);
        if (end == std::wstring::npos)
            end = relative.size();
        full += L"\\" + relative.substr(start, end - start);
        CreateDirectoryW(full.c_str(), nullptr);
        start = end + 1;
    }
    return full;
}

std::wstring PictureFolder::Bitmap(const std::wstring& relative, int width, int height, int bitsPerPixel,
                                   COLORREF color)
{
    const size_t slash = relative.rfind(L'\\');
    if (slash != std::wstring::npos)
        Folder(relative.substr(0, slash));
    const std::wstring full = path_ + L"\\" + relative;
    if (!WriteBitmap(full, width, height, bitsPerPixel, color)) {
        char utf8[4 * MAX_PATH] = "";
        WideCharToMultiByte(CP_UTF8, 0, full.c_str(), -1, utf8, sizeof utf8, nullptr, nullptr);
        fprintf(stderr, "could not write %s (error %lu)\n", utf8, GetLastError());
    }
    return full;
}

long GdiObjectCount()
{
    const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (counted != 0)
        return static_cast<long>(counted);
    const GdiHandleEntry* table = WineGdiHandleTable();
    if (table == nullptr)
        return -1;
    long used = 0;
    for (int i = 0; i < kGdiHandleCount; ++i)
        used += table[i].type != 0;
    return used;
}

std::string Ansi(const std::wstring& s)
{
    if (s.empty())
        return std::string();
    int n = WideCharToMultiByte(CP_ACP, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, s.c_str(), static_cast<int>(s.size()), &out[0], n, nullptr, nullptr);
    return out;
}

double ColorShare(HWND pane, COLORREF color)
{
    const ui::Image img = ui::CaptureClient(pane, ui::Source::WindowDc);
    if (img.width <= 8 || img.height <= 8)
        return 0.0;
    const uint32_t want = ui::FromColorref(color);
    long close = 0, all = 0;
    for (int y = 4; y < img.height - 4; ++y)
        for (int x = 4; x < img.width - 4; ++x) {
            const uint32_t p = img.At(x, y);
            ++all;
            close += abs(static_cast<int>(ui::Red(p)) - static_cast<int>(ui::Red(want))) <= 24 &&
                     abs(static_cast<int>(ui::Green(p)) - static_cast<int>(ui::Green(want))) <= 24 &&
                     abs(static_cast<int>(ui::Blue(p)) - static_cast<int>(ui::Blue(want))) <= 24;
        }
    return static_cast<double>(close) / static_cast<double>(all);
}

}  // namespace test
