// Text and file helpers the viewer's Windows code shares: formatting, UTF-8 and ANSI
// conversion, file titles, whole-file reads.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// printf-style wide text (at most 2047 characters).
std::wstring Format(const wchar_t* format, ...);

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& w);

// Text in the system code page; false when a character has no place there.
bool ToAnsi(const std::wstring& w, std::string* out);

// The last component of a path, and that without its extension.
std::wstring FileTitle(const std::wstring& path);
std::wstring Stem(const std::wstring& path);

// Reads a whole file of at most limit bytes. error: why not, in the user's words.
bool ReadWholeFile(const std::wstring& path, ULONGLONG limit, std::vector<char>* data, std::wstring* error);
