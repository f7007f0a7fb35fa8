// Strings and string resources.
//   CString (wide text), ANSI conversions, string-table look-up
#pragma once
#include <windows.h>
#include <string>

// Wide-character string with the members the dialogs use.
class CString {
public:
    CString() = default;
    CString(const wchar_t* s) : m_str(s ? s : L"") {}
    CString(const std::wstring& s) : m_str(s) {}

    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    operator const wchar_t*() const { return m_str.c_str(); }
    const wchar_t* GetString() const { return m_str.c_str(); }
    const std::wstring& str() const { return m_str; }

    CString& operator=(const wchar_t* s) { m_str = s ? s : L""; return *this; }
    CString& operator+=(const wchar_t* s) { m_str += s ? s : L""; return *this; }
    CString& operator+=(wchar_t c) { m_str += c; return *this; }
    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_str + b.m_str); }
    friend CString operator+(const CString& a, const wchar_t* b) { return CString(a.m_str + (b ? b : L"")); }
    friend bool operator==(const CString& a, const wchar_t* b) { return a.m_str == (b ? b : L""); }
    friend bool operator!=(const CString& a, const wchar_t* b) { return !(a == b); }

    int CompareNoCase(const wchar_t* s) const;
    int ReverseFind(wchar_t c) const;
    CString Mid(int first) const;
    CString Left(int count) const;

    // printf-style formatting into this string (wide format; no %s).
    void Format(const wchar_t* format, ...);
    void FormatV(const wchar_t* format, va_list args);

    // Loads string id of the current module state's resources. False, and the
    // string left empty, when the id does not exist.
    BOOL LoadString(UINT id);

private:
    std::wstring m_str;
};

// Conversions between the ANSI code page of the exports and wide text.
std::string AfxToAnsi(const wchar_t* s);
CString AfxFromAnsi(const char* s);
