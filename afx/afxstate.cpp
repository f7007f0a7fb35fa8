#include "afx/afxstate.h"

#include <stdio.h>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {
volatile LONG g_assertFailures = 0;
}

void AfxAssertFailed(const char* file, int line, const char* condition)
{
    InterlockedIncrement(&g_assertFailures);
    // The source file's own name, without the build machine's folders.
    const char* name = file;
    for (const char* p = file; *p; ++p)
        if (*p == '/' || *p == '\\')
            name = p + 1;
    char text[512];
    snprintf(text, sizeof text, "Oroscape: assertion failed: %s:%d: %s\n", name, line, condition);
    ::OutputDebugStringA(text);
}

LONG AfxAssertFailedCount()
{
    return InterlockedCompareExchange(&g_assertFailures, 0, 0);
}

AFX_MODULE_STATE* AfxGetStaticModuleState()
{
    static AFX_MODULE_STATE state = {
        reinterpret_cast<HINSTANCE>(&__ImageBase),
        reinterpret_cast<HINSTANCE>(&__ImageBase),
    };
    return &state;
}

namespace {

// What the named mapping holds: the slot, marked as this layer's and as made
// for this process.
struct SharedSlotRecord {
    LONG magic;
    LONG process;
    LONG slotPlusOne;  // 0 until a module has allocated the slot
};
const LONG kSharedSlotMagic = 0x5846414F;  // "OAFX"

// The thread's current module state lives in one TLS slot per process, found
// by every module that uses this layer through a small named mapping that
// holds the slot index. Thus a host built on the layer and the library see
// and switch the same per-thread state, as with a shared framework. The name
// is easy to guess: a mapping that another program made first, or whose
// record is not this layer's for this process, is not trusted, and the slot
// is then this module's own (given back at unload).
//
// The module that creates the mapping keeps one handle to it for the life of
// the process, so that the record and its slot outlive that module: a module
// loaded later finds them, reads the slot and closes its own handle and view
// at once. Loading and unloading a module again and again thus costs nothing
// after the first load.
volatile LONG g_stateSlot = static_cast<LONG>(TLS_OUT_OF_INDEXES);
volatile LONG g_stateSlotOwned = 0;  // 1: the slot is this module's alone

DWORD FindSharedStateSlot(bool* owned)
{
    *owned = false;
    const LONG process = static_cast<LONG>(GetCurrentProcessId());
    wchar_t name[64];
    swprintf(name, 64, L"Local\\OroscapeAfxThreadState.%lu", static_cast<unsigned long>(process));
    SetLastError(ERROR_SUCCESS);  // a new mapping need not clear it
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        sizeof(SharedSlotRecord), name);
    const bool existed = mapping != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
    auto* shared = mapping ? static_cast<SharedSlotRecord*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0,
                                                                          sizeof(SharedSlotRecord)))
                           : nullptr;
    DWORD slot = TLS_OUT_OF_INDEXES;
    bool keepMapping = false;
    if (shared != nullptr) {
        if (!existed) {
            shared->process = process;
            InterlockedExchange(&shared->magic, kSharedSlotMagic);
            keepMapping = true;  // the process's record: this handle is never closed
        } else {
            // Another module of this process may be between creating and marking it.
            for (int i = 0; i < 100 && InterlockedCompareExchange(&shared->magic, 0, 0) == 0; ++i)
                Sleep(1);
        }
        if (shared->magic == kSharedSlotMagic && shared->process == process) {
            if (InterlockedCompareExchange(&shared->slotPlusOne, 0, 0) == 0) {
                DWORD mine = TlsAlloc();
                if (mine != TLS_OUT_OF_INDEXES &&
                    InterlockedCompareExchange(&shared->slotPlusOne, static_cast<LONG>(mine) + 1, 0) != 0)
                    TlsFree(mine);
            }
            slot = static_cast<DWORD>(InterlockedCompareExchange(&shared->slotPlusOne, 0, 0) - 1);
        } else {
            keepMapping = false;
        }
        UnmapViewOfFile(shared);
    }
    if (mapping != nullptr && !keepMapping)
        CloseHandle(mapping);
    if (slot == TLS_OUT_OF_INDEXES) {
        // No mapping, or not a trusted one: the slot is this module's alone.
        slot = TlsAlloc();
        *owned = slot != TLS_OUT_OF_INDEXES;
    }
    return slot;
}

DWORD SharedStateSlot()
{
    const DWORD known = static_cast<DWORD>(InterlockedCompareExchange(&g_stateSlot, 0, 0));
    if (known != TLS_OUT_OF_INDEXES)
        return known;
    bool owned = false;
    const DWORD slot = FindSharedStateSlot(&owned);
    if (slot == TLS_OUT_OF_INDEXES)
        return slot;
    // Two threads of this module may have looked at once: the first to record its answer wins.
    const LONG before = InterlockedCompareExchange(&g_stateSlot, static_cast<LONG>(slot),
                                                   static_cast<LONG>(TLS_OUT_OF_INDEXES));
    if (before != static_cast<LONG>(TLS_OUT_OF_INDEXES)) {
        if (owned)
            TlsFree(slot);
        return static_cast<DWORD>(before);
    }
    InterlockedExchange(&g_stateSlotOwned, owned ? 1 : 0);
    return slot;
}

// The per-thread values' slots, taken when a value is first set.
volatile LONG g_valueSlots[AFX_THREAD_VALUE_COUNT] = {
    static_cast<LONG>(TLS_OUT_OF_INDEXES), static_cast<LONG>(TLS_OUT_OF_INDEXES),
    static_cast<LONG>(TLS_OUT_OF_INDEXES), static_cast<LONG>(TLS_OUT_OF_INDEXES)};
static_assert(AFX_THREAD_VALUE_COUNT == 4, "one initial entry per value");

DWORD ValueSlot(AFX_THREAD_VALUE which, bool take)
{
    const DWORD known = static_cast<DWORD>(InterlockedCompareExchange(&g_valueSlots[which], 0, 0));
    if (known != TLS_OUT_OF_INDEXES || !take)
        return known;
    const DWORD mine = TlsAlloc();
    if (mine == TLS_OUT_OF_INDEXES)
        return mine;
    const LONG before = InterlockedCompareExchange(&g_valueSlots[which], static_cast<LONG>(mine),
                                                   static_cast<LONG>(TLS_OUT_OF_INDEXES));
    if (before != static_cast<LONG>(TLS_OUT_OF_INDEXES)) {
        TlsFree(mine);
        return static_cast<DWORD>(before);
    }
    return mine;
}

}  // namespace

AFX_MODULE_STATE* AfxGetThreadModuleState()
{
    DWORD slot = SharedStateSlot();
    return slot == TLS_OUT_OF_INDEXES ? nullptr : static_cast<AFX_MODULE_STATE*>(TlsGetValue(slot));
}

AFX_MODULE_STATE* AfxGetModuleState()
{
    AFX_MODULE_STATE* state = AfxGetThreadModuleState();
    return state ? state : AfxGetStaticModuleState();
}

AFX_MODULE_STATE* AfxSetModuleState(AFX_MODULE_STATE* state)
{
    DWORD slot = SharedStateSlot();
    if (slot == TLS_OUT_OF_INDEXES)
        return nullptr;
    AFX_MODULE_STATE* prev = static_cast<AFX_MODULE_STATE*>(TlsGetValue(slot));
    TlsSetValue(slot, state);
    return prev;
}

void* AfxGetThreadValue(AFX_THREAD_VALUE which)
{
    const DWORD slot = ValueSlot(which, false);
    return slot == TLS_OUT_OF_INDEXES ? nullptr : TlsGetValue(slot);
}

bool AfxSetThreadValue(AFX_THREAD_VALUE which, void* value)
{
    const DWORD slot = ValueSlot(which, value != nullptr);
    if (slot == TLS_OUT_OF_INDEXES)
        return value == nullptr;  // nothing was ever set: the value is NULL already
    return TlsSetValue(slot, value) != FALSE;
}

void AfxTermThreadState()
{
    for (volatile LONG& entry : g_valueSlots) {
        const DWORD slot = static_cast<DWORD>(InterlockedExchange(&entry, static_cast<LONG>(TLS_OUT_OF_INDEXES)));
        if (slot != TLS_OUT_OF_INDEXES)
            TlsFree(slot);
    }
    // The shared slot stays: other modules of the process use it. This module's own goes.
    const DWORD state = static_cast<DWORD>(InterlockedExchange(&g_stateSlot, static_cast<LONG>(TLS_OUT_OF_INDEXES)));
    if (state != TLS_OUT_OF_INDEXES && InterlockedExchange(&g_stateSlotOwned, 0) != 0)
        TlsFree(state);
}
