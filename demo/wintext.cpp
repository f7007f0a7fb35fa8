#include "demo/wintext.h"

#include <algorithm>
#include <cstdarg>
#include <cwchar>

std::wstring Format(const wchar_t* format, ...)
{
    wchar_t text[2048];
    va_list args;
    va_start(args, format);
    vswprintf(text, 2048, format, args);
    va_end(args);
    return text;
}

std::wstring Wide(const std::string& utf8)
{
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(std::max(n, 0)), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &w[0], n);
    return w;
}

std::string Utf8(const std::wstring& w)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(std::max(n, 0)), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

bool ToAnsi(const std::wstring& w, std::string* out)
{
    if (w.empty()) {
        out->clear();
        return true;
    }
    BOOL lossy = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.c_str(), -1, nullptr, 0, nullptr, &lossy);
    if (n <= 0 || lossy)
        return false;
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.c_str(), -1, &s[0], n, nullptr, &lossy);
    s.resize(static_cast<size_t>(n - 1));
    *out = s;
    return !lossy;
}

std::wstring FileTitle(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring Stem(const std::wstring& path)
{
    std::wstring t = FileTitle(path);
    const size_t dot = t.find_last_of(L'.');
    return dot == std::wstring::npos || dot == 0 ? t : t.substr(0, dot);
}

bool ReadWholeFile(const std::wstring& path, ULONGLONG limit, std::vector<char>* data, std::wstring* error)
{
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        *error = L"无法打开文件";
        return false;
    }
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(f, &size) != 0;
    if (ok && static_cast<ULONGLONG>(size.QuadPart) > limit) {
        *error = L"文件过大";
        ok = false;
    } else if (ok) {
        data->resize(static_cast<size_t>(size.QuadPart));
        size_t done = 0;
        while (ok && done < data->size()) {
            DWORD got = 0;
            const DWORD want = static_cast<DWORD>(std::min<size_t>(data->size() - done, 1u << 24));
            ok = ReadFile(f, data->data() + done, want, &got, nullptr) && got > 0;
            done += got;
        }
        if (!ok)
            *error = L"读取文件失败";
    } else {
        *error = L"读取文件失败";
    }
    CloseHandle(f);
    return ok;
}
