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
// is then this module's own.
DWORD SharedStateSlot()
{
    static DWORD slot = TLS_OUT_OF_INDEXES;
    if (slot != TLS_OUT_OF_INDEXES)
        return slot;
    const LONG process = static_cast<LONG>(GetCurrentProcessId());
    wchar_t name[64];
    swprintf(name, 64, L"Local\\OroscapeAfxThreadState.%lu", static_cast<unsigned long>(process));
    // Kept open for the life of the process on purpose: the slot must outlive
    // any one module.
    SetLastError(ERROR_SUCCESS);  // a new mapping need not clear it
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        sizeof(SharedSlotRecord), name);
    const bool existed = mapping != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
    auto* shared = mapping ? static_cast<SharedSlotRecord*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0,
                                                                          sizeof(SharedSlotRecord)))
                           : nullptr;
    if (shared == nullptr) {
        slot = TlsAlloc();  // no mapping: the slot is this module's alone
        return slot;
    }
    if (!existed) {
        shared->process = process;
        InterlockedExchange(&shared->magic, kSharedSlotMagic);
    } else {
        // Another module of this process may be between creating and marking it.
        for (int i = 0; i < 100 && InterlockedCompareExchange(&shared->magic, 0, 0) == 0; ++i)
            Sleep(1);
    }
    if (shared->magic != kSharedSlotMagic || shared->process != process) {
        UnmapViewOfFile(shared);
        CloseHandle(mapping);
        slot = TlsAlloc();
        return slot;
    }
    if (InterlockedCompareExchange(&shared->slotPlusOne, 0, 0) == 0) {
        DWORD mine = TlsAlloc();
        if (mine != TLS_OUT_OF_INDEXES &&
            InterlockedCompareExchange(&shared->slotPlusOne, static_cast<LONG>(mine) + 1, 0) != 0)
            TlsFree(mine);
    }
    slot = static_cast<DWORD>(shared->slotPlusOne - 1);
    return slot;
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
