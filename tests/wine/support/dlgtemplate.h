// The controls of a dialog template as the module's resources hold it (DLGTEMPLATE or
// DLGTEMPLATEEX), read without creating the dialog: what the code's control ids must match.
//   DialogItem, ReadDialogTemplate
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace test {

struct DialogItem {
    unsigned id;
    std::wstring className;  // the predefined classes by name: "Button", "Edit", "Static", ...
    DWORD style;
};

// The template's controls in template order (the order of their windows, which UDS_AUTOBUDDY
// relies on); empty when the module has no such template.
inline std::vector<DialogItem> ReadDialogTemplate(HMODULE module, UINT templateId)
{
    std::vector<DialogItem> items;
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    if (found == nullptr)
        return items;
    const WORD* p = static_cast<const WORD*>(::LockResource(::LoadResource(module, found)));
    if (p == nullptr)
        return items;
    const auto dword = [](const WORD* w) { return static_cast<DWORD>(w[0] | (w[1] << 16)); };
    const auto skipText = [](const WORD*& w) {  // a string, or 0xFFFF and an ordinal, or 0
        if (*w == 0xFFFF) {
            w += 2;
            return;
        }
        while (*w++ != 0) {
        }
    };
    const auto readClass = [](const WORD*& w) -> std::wstring {
        static const wchar_t* const kPredefined[] = {L"Button", L"Edit", L"Static", L"ListBox", L"ScrollBar",
                                                     L"ComboBox"};
        if (*w == 0xFFFF) {
            const WORD atom = w[1];
            w += 2;
            return atom >= 0x80 && atom <= 0x85 ? kPredefined[atom - 0x80] : L"#" + std::to_wstring(atom);
        }
        std::wstring name(reinterpret_cast<const wchar_t*>(w));
        w += name.size() + 1;
        return name;
    };
    const bool extended = p[0] == 1 && p[1] == 0xFFFF;
    const DWORD style = extended ? dword(p + 6) : dword(p);
    const WORD count = extended ? p[8] : p[4];
    p += extended ? 13 : 9;  // to the menu
    skipText(p);             // menu
    skipText(p);             // class
    skipText(p);             // caption
    if (style & DS_SETFONT) {
        p += extended ? 3 : 1;  // size (and weight, italic, character set)
        skipText(p);            // face
    }
    for (WORD i = 0; i < count; ++i) {
        p = reinterpret_cast<const WORD*>((reinterpret_cast<UINT_PTR>(p) + 3) & ~UINT_PTR(3));
        DialogItem item;
        if (extended) {
            item.style = dword(p + 4);
            item.id = dword(p + 10);
            p += 12;
        } else {
            item.style = dword(p);
            item.id = p[8];
            p += 9;
        }
        item.className = readClass(p);
        skipText(p);  // title
        const WORD extra = *p++;
        p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p) + extra);
        items.push_back(item);
    }
    return items;
}

}  // namespace test
