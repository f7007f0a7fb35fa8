// What the viewer's files share (not for other parts of the program): its constants and the
// helpers of its Windows code. viewer.cpp (window, data, view), viewer_library.cpp (the calls
// into Oroscape.dll), viewer_window.cpp (the window's messages and menu), smalldialogs.cpp.
#pragma once

#include <windows.h>

#include <string>

#include "terrain/ascgrid.h"

namespace viewer {

const wchar_t kWindowClass[] = L"OroscapeTerrainView";
const wchar_t kAppTitle[] = L"三维地形浏览";
const char kStartTable[] = "terrain";
// Files of the sample scene, beside the program.
const wchar_t kSampleGrid[] = L"sample.asc";
const wchar_t kSampleImage[] = L"sample_scene.img";
// Largest grid file read (the grid itself is limited by the parser).
const ULONGLONG kMaxGridFileBytes = 1024ull << 20;
// Most vertices the drawn surface holds on a side: larger grids are drawn from every
// n-th sample (a 1201 x 1201 SRTM tile from every second, a 3601 x 3601 one from every fourth).
const int kMaxMeshSide = 1025;
// Level of detail: the largest height error a part of the surface may show, in pixels, and the
// most triangles a frame takes (the bound is raised as far as needed to keep within it).
const float kDetailPixels = 2.0f;
const size_t kTriangleBudget = 32000;
// The recorded orbit: frames, rate and picture size.
const int kOrbitFrames = 48;
const int kOrbitFps = 12;
const int kOrbitWidth = 320, kOrbitHeight = 240;

inline double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

// The library takes ANSI paths. A path with characters the code page cannot show is tried in
// its short (8.3) form; false when neither works.
inline bool ToAnsiPath(const std::wstring& path, std::string* out)
{
    if (ToAnsi(path, out) && out->size() < MAX_PATH)
        return true;
    wchar_t shortPath[MAX_PATH];
    const DWORD n = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
    return n > 0 && n < MAX_PATH && ToAnsi(shortPath, out) && out->size() < MAX_PATH;
}

inline std::wstring FromAnsi(const char* text)
{
    const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 0)
        return std::wstring();
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &w[0], n);
    w.resize(static_cast<size_t>(n - 1));
    return w;
}

// What went wrong with a grid, in the program's words.
inline std::wstring DescribeGridError(const AscError& e)
{
    const std::wstring key(e.key.begin(), e.key.end());   // keywords are ASCII
    switch (e.status) {
    case AscStatus::Empty: return L"文件中没有 ESRI ASCII 栅格的文件头。";
    case AscStatus::UnknownKey: return Format(L"第 %d 行: 无法识别的关键字 \"%ls\"。", e.line, key.c_str());
    case AscStatus::DuplicateKey: return Format(L"第 %d 行: 关键字 %ls 重复给出。", e.line, key.c_str());
    case AscStatus::MissingKey: return Format(L"文件头缺少关键字 %ls。", key.c_str());
    case AscStatus::BadHeaderValue: return Format(L"第 %d 行: 关键字 %ls 的值无效。", e.line, key.c_str());
    case AscStatus::TooSmall: return Format(L"第 %d 行: %ls 至少为 %d。", e.line, key.c_str(), kAscMinSide);
    case AscStatus::TooLarge:
        return Format(L"第 %d 行: 栅格过大 (每边最多 %d, 总共最多 %lld 个单元)。", e.line, kAscMaxSide, kAscMaxCells);
    case AscStatus::BadNumber: return Format(L"第 %d 行: 高程值不是有效的数字。", e.line);
    case AscStatus::ShortData:
        return Format(L"高程值不足: 文件头要求 %lld 个, 文件中只有 %lld 个。", e.expected, e.found);
    case AscStatus::ExtraData: return Format(L"第 %d 行: 高程值多于文件头给出的 %lld 个。", e.line, e.expected);
    case AscStatus::NoValidCells: return L"所有单元都是无数据值 (NODATA)。";
    case AscStatus::Ok: break;
    }
    return L"格式错误。";
}



}  // namespace viewer
