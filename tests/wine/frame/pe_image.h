// Reading the export and import tables of a module loaded in this process.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace pe {

struct Export {
    WORD ordinal;
    std::string name;  // empty for an export by ordinal only
};

struct Import {
    std::string dll;
    bool byOrdinal;
    WORD ordinal;      // when byOrdinal
    std::string name;  // otherwise
};

template <class T>
const T* At(HMODULE module, DWORD rva)
{
    return reinterpret_cast<const T*>(reinterpret_cast<const BYTE*>(module) + rva);
}

inline const IMAGE_DATA_DIRECTORY* Directory(HMODULE module, int index)
{
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
    auto nt = At<IMAGE_NT_HEADERS>(module, static_cast<DWORD>(dos->e_lfanew));
    return &nt->OptionalHeader.DataDirectory[index];
}

inline std::vector<Export> Exports(HMODULE module, DWORD* base = nullptr, DWORD* functions = nullptr)
{
    std::vector<Export> out;
    const IMAGE_DATA_DIRECTORY* dir = Directory(module, IMAGE_DIRECTORY_ENTRY_EXPORT);
    if (dir->VirtualAddress == 0)
        return out;
    auto ed = At<IMAGE_EXPORT_DIRECTORY>(module, dir->VirtualAddress);
    if (base) *base = ed->Base;
    if (functions) *functions = ed->NumberOfFunctions;
    auto names = At<DWORD>(module, ed->AddressOfNames);
    auto nameOrdinals = At<WORD>(module, ed->AddressOfNameOrdinals);
    auto funcs = At<DWORD>(module, ed->AddressOfFunctions);
    for (DWORD i = 0; i < ed->NumberOfFunctions; ++i) {
        if (funcs[i] == 0)
            continue;
        Export e{static_cast<WORD>(ed->Base + i), std::string()};
        for (DWORD n = 0; n < ed->NumberOfNames; ++n)
            if (nameOrdinals[n] == i)
                e.name = At<char>(module, names[n]);
        out.push_back(e);
    }
    return out;
}

inline std::vector<Import> Imports(HMODULE module)
{
    std::vector<Import> out;
    const IMAGE_DATA_DIRECTORY* dir = Directory(module, IMAGE_DIRECTORY_ENTRY_IMPORT);
    if (dir->VirtualAddress == 0)
        return out;
    for (auto desc = At<IMAGE_IMPORT_DESCRIPTOR>(module, dir->VirtualAddress); desc->Name != 0; ++desc) {
        std::string dll = At<char>(module, desc->Name);
        DWORD thunkRva = desc->OriginalFirstThunk ? desc->OriginalFirstThunk : desc->FirstThunk;
        for (auto thunk = At<IMAGE_THUNK_DATA>(module, thunkRva); thunk->u1.AddressOfData != 0; ++thunk) {
            Import imp{dll, false, 0, std::string()};
            if (IMAGE_SNAP_BY_ORDINAL(thunk->u1.Ordinal)) {
                imp.byOrdinal = true;
                imp.ordinal = static_cast<WORD>(IMAGE_ORDINAL(thunk->u1.Ordinal));
            } else {
                imp.name = At<IMAGE_IMPORT_BY_NAME>(module, static_cast<DWORD>(thunk->u1.AddressOfData))->Name;
            }
            out.push_back(imp);
        }
    }
    return out;
}

}  // namespace pe
