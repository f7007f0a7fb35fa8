// Fonts that draw the library's Chinese text.
#include "frame/readablefont.h"

#include <new>
#include <string>
#include <vector>

namespace {

// The faces that EnumFontFamiliesExW lists; `complete` is false when memory ran out on the way.
struct FaceList {
    std::vector<std::wstring> faces;
    bool complete = true;
};

// The callbacks below run inside gdi32 and user32: no exception may leave them (it would unwind
// through the system's frames). Out of memory, each stops its enumeration.
int CALLBACK CollectFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM lp)
{
    FaceList* list = reinterpret_cast<FaceList*>(lp);
    try {
        if (font->lfFaceName[0] != L'@')  // vertical writing faces
            list->faces.push_back(font->lfFaceName);
        return 1;
    } catch (...) {
        list->complete = false;
        return 0;
    }
}

// A face of the system's with the Chinese (GB2312) character set, the usual ones first; empty
// when the system has none. Throws std::bad_alloc when memory ran out before all faces were seen
// (the next call looks again).
const std::wstring& ChineseFace()
{
    static const std::wstring face = [] {
        FaceList list;
        LOGFONTW want = {};
        want.lfCharSet = GB2312_CHARSET;
        HDC dc = ::GetDC(nullptr);
        ::EnumFontFamiliesExW(dc, &want, &CollectFace, reinterpret_cast<LPARAM>(&list), 0);
        ::ReleaseDC(nullptr, dc);
        if (!list.complete)
            throw std::bad_alloc();
        for (const wchar_t* preferred : {L"Microsoft YaHei", L"SimSun", L"NSimSun", L"SimHei"}) {
            for (const std::wstring& f : list.faces)
                if (f == preferred)
                    return f;
        }
        return list.faces.empty() ? std::wstring() : list.faces.front();
    }();
    return face;
}

// The fonts made so far, one per height, width and weight; they live as long as the module.
std::vector<HFONT>& MadeFonts()
{
    static std::vector<HFONT> fonts;
    return fonts;
}

HFONT ChineseFontLike(HFONT current)
{
    LOGFONTW font = {};
    if (current == nullptr || ::GetObjectW(current, sizeof font, &font) == 0)
        ::GetObjectW(::GetStockObject(SYSTEM_FONT), sizeof font, &font);
    for (HFONT made : MadeFonts()) {
        LOGFONTW have = {};
        ::GetObjectW(made, sizeof have, &have);
        if (have.lfHeight == font.lfHeight && have.lfWidth == font.lfWidth && have.lfWeight == font.lfWeight)
            return made;
    }
    font.lfCharSet = GB2312_CHARSET;
    font.lfOutPrecision = OUT_TT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(font.lfFaceName, ChineseFace().c_str(), LF_FACESIZE);
    HFONT made = ::CreateFontIndirectW(&font);
    if (made != nullptr) {
        try {
            MadeFonts().push_back(made);
        } catch (...) {
            ::DeleteObject(made);
            throw;
        }
    }
    return made;
}

BOOL CALLBACK UseChineseFont(HWND child, LPARAM)
{
    try {
        if (HFONT font = ChineseFontLike(reinterpret_cast<HFONT>(::SendMessageW(child, WM_GETFONT, 0, 0))))
            ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return TRUE;
    } catch (...) {
        return FALSE;  // the controls done so far keep their new font, the others their own
    }
}

}  // namespace

void UseReadableFont(HWND hWnd)
{
    // Under the Chinese code page the template's face has the glyphs already.
    if (hWnd == nullptr || ::GetACP() == 936)
        return;
    try {
        if (ChineseFace().empty())
            return;
    } catch (const std::bad_alloc&) {
        return;  // memory is short: the controls keep the template's font this time
    }
    UseChineseFont(hWnd, 0);
    ::EnumChildWindows(hWnd, &UseChineseFont, 0);
}

void FreeReadableFonts()
{
    for (HFONT font : MadeFonts())
        ::DeleteObject(font);
    MadeFonts().clear();
}
