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

// The thread's current module state lives in one TLS slot per process, found
// by every module that uses this layer through a small named mapping that
// holds the slot index. Thus a host built on the layer and the library see
// and switch the same per-thread state, as with a shared framework.
DWORD SharedStateSlot()
{
    static DWORD slot = TLS_OUT_OF_INDEXES;
    if (slot != TLS_OUT_OF_INDEXES)
        return slot;
    wchar_t name[64];
    swprintf(name, 64, L"Local\\OroscapeAfxThreadState.%lu", GetCurrentProcessId());
    // Kept open for the life of the process on purpose: the slot must outlive
    // any one module.
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        sizeof(LONG), name);
    LONG* shared = mapping ? static_cast<LONG*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0,
                                                                sizeof(LONG)))
                           : nullptr;
    if (shared == nullptr) {
        slot = TlsAlloc();  // no mapping: the slot is this module's alone
        return slot;
    }
    if (*shared == 0) {
        DWORD mine = TlsAlloc();
        if (mine != TLS_OUT_OF_INDEXES &&
            InterlockedCompareExchange(shared, static_cast<LONG>(mine) + 1, 0) != 0)
            TlsFree(mine);
    }
    slot = static_cast<DWORD>(*shared - 1);
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
