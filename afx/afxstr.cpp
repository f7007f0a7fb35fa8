#include "afx/afxstr.h"
#include "afx/afxstate.h"

#include <stdarg.h>
#include <stdio.h>
#include <wchar.h>
#include <vector>

int CString::CompareNoCase(const wchar_t* s) const
{
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, m_str.c_str(), -1, s ? s : L"", -1) - CSTR_EQUAL;
}

int CString::ReverseFind(wchar_t c) const
{
    size_t at = m_str.rfind(c);
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

CString CString::Mid(int first) const
{
    if (first < 0) first = 0;
    if (first >= GetLength()) return CString();
    return CString(m_str.substr(static_cast<size_t>(first)));
}

CString CString::Left(int count) const
{
    if (count <= 0) return CString();
    return CString(m_str.substr(0, static_cast<size_t>(count)));
}

void CString::Format(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::FormatV(const wchar_t* format, va_list args)
{
    // Most texts fit the stack; a longer one is printed again into a growing heap buffer.
    wchar_t small[256];
    va_list copy;
    va_copy(copy, args);
    const int n = vswprintf(small, 256, format, copy);
    va_end(copy);
    if (n >= 0 && n < 256) {
        m_str.assign(small, static_cast<size_t>(n));
        return;
    }
    std::vector<wchar_t> buf(1024);
    for (;;) {
        va_copy(copy, args);
        const int m = vswprintf(buf.data(), buf.size(), format, copy);
        va_end(copy);
        if (m >= 0 && static_cast<size_t>(m) < buf.size()) {
            m_str.assign(buf.data(), static_cast<size_t>(m));
            return;
        }
        if (buf.size() >= 65536) {  // a format that cannot be printed: leave it empty
            m_str.clear();
            return;
        }
        buf.resize(buf.size() * 4);
    }
}

BOOL CString::LoadString(UINT id)
{
    const wchar_t* text = nullptr;
    // With a zero buffer size LoadStringW hands out the resource text itself.
    int n = ::LoadStringW(AfxGetResourceHandle(), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (n <= 0 || text == nullptr) {
        m_str.clear();
        return FALSE;
    }
    m_str.assign(text, static_cast<size_t>(n));
    return TRUE;
}

std::string AfxToAnsi(const wchar_t* s)
{
    if (s == nullptr || *s == 0)
        return std::string();
    int n = WideCharToMultiByte(CP_ACP, 0, s, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, s, -1, &out[0], n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

CString AfxFromAnsi(const char* s)
{
    if (s == nullptr || *s == 0)
        return CString();
    int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
    if (n <= 0)
        return CString();
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s, -1, &out[0], n);
    out.resize(static_cast<size_t>(n - 1));
    return CString(out);
}
