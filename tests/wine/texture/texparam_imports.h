// Watching what a loaded module calls: its import address table entries are
// swapped for a test's own functions, which log the call and pass it on (or
// fail it on purpose). Restored when the hook object goes.
#pragma once
#include <windows.h>

#include <string.h>

namespace texparam {

// The slot of module's import table that holds dll!name (imported by name),
// or null when the module does not import it.
inline void** FindImportSlot(HMODULE module, const char* dll, const char* name)
{
    auto base = reinterpret_cast<BYTE*>(module);
    auto dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (dir.VirtualAddress == 0)
        return nullptr;
    for (auto desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); desc->Name != 0; ++desc) {
        if (_stricmp(reinterpret_cast<const char*>(base + desc->Name), dll) != 0)
            continue;
        auto names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->OriginalFirstThunk);
        auto slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (strcmp(reinterpret_cast<const char*>(byName->Name), name) == 0)
                return reinterpret_cast<void**>(&slots->u1.Function);
        }
    }
    return nullptr;
}

inline void WriteSlot(void** slot, void* value)
{
    DWORD old = 0;
    VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &old);
    *slot = value;
    VirtualProtect(slot, sizeof(void*), old, &old);
    FlushInstructionCache(GetCurrentProcess(), slot, sizeof(void*));
}

// One swapped import. original is what the slot held, for the replacement to call.
class ImportHook {
public:
    ImportHook(HMODULE module, const char* dll, const char* name, void* replacement, void** original)
        : slot_(module ? FindImportSlot(module, dll, name) : nullptr)
    {
        if (slot_ == nullptr)
            return;
        *original = *slot_;
        saved_ = *slot_;
        WriteSlot(slot_, replacement);
    }
    ~ImportHook()
    {
        if (slot_ != nullptr)
            WriteSlot(slot_, saved_);
    }
    bool Installed() const { return slot_ != nullptr; }
    ImportHook(const ImportHook&) = delete;
    ImportHook& operator=(const ImportHook&) = delete;

private:
    void** slot_;
    void* saved_ = nullptr;
};

}  // namespace texparam
