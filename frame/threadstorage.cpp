// The compiler's emulated thread-local storage, in place of the compiler runtime's own.
//
// MinGW's GCC gives thread-local variables (`thread_local`, and inside the statically linked C++
// runtime the exception globals that every throw and catch use) no native TLS: each access calls
// __emutls_get_address. libgcc's version of it takes a TLS slot and a semaphore at its first use and
// gives neither back: it has no hook for a module's unload. A host that loads and unloads the library
// again and again lost one TLS slot a cycle until TlsAlloc failed, and libgcc then called abort().
//
// These definitions come first at link time, so libgcc's object is not linked at all. The variables
// of a thread hang off one fiber-local slot whose callback frees them when the thread ends;
// ReleaseThreadStorage frees the slot at unload, and with it (the system calls the callback for every
// thread) the variables of every thread still running. Object layout and semantics are libgcc's:
// each variable has a control object that the compiler emits; its index is given on first use.
#include "frame/runtime.h"

#include <windows.h>

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

extern "C" {

// The compiler's control object of one thread-local variable (libgcc's __emutls_object: its `word`
// and `pointer` are both pointer-sized on this target).
struct __emutls_object {
    uintptr_t size;
    uintptr_t align;
    union {
        uintptr_t offset;  // 1 + the variable's index among this module's; 0 until first used
        void* ptr;
    } loc;
    void* templ;  // initial bytes, or NULL for zeros
};

void* __emutls_get_address(__emutls_object* obj);
void __emutls_register_common(__emutls_object* obj, uintptr_t size, uintptr_t align, void* templ);

}  // extern "C"

namespace {

// A thread's variables: one pointer per index, grown as variables are first used on the thread.
struct ThreadBlock {
    uintptr_t count;
    void* data[1];
};

SRWLOCK g_lock = SRWLOCK_INIT;
uintptr_t g_variables = 0;                   // indices given so far (under g_lock)
volatile LONG g_slot = static_cast<LONG>(FLS_OUT_OF_INDEXES);

// Memory for when the heap has none: a thread's first exception may well be std::bad_alloc. Handed out
// once, never reused; blocks from here are not given to free().
alignas(16) unsigned char g_reserve[2048];
volatile LONG g_reserveUsed = 0;

bool FromReserve(const void* p)
{
    const unsigned char* b = static_cast<const unsigned char*>(p);
    return b >= g_reserve && b < g_reserve + sizeof g_reserve;
}

void* Allocate(size_t bytes)
{
    if (void* p = malloc(bytes))
        return p;
    const LONG need = static_cast<LONG>((bytes + 15) & ~static_cast<size_t>(15));
    if (bytes > sizeof g_reserve)
        return nullptr;
    const LONG end = InterlockedExchangeAdd(&g_reserveUsed, need) + need;
    if (end > static_cast<LONG>(sizeof g_reserve))
        return nullptr;
    return g_reserve + (end - need);
}

void Release(void* p)
{
    if (p != nullptr && !FromReserve(p))
        free(p);
}

// The variable's storage: aligned inside a block whose start is kept in the pointer before it.
void* NewVariable(const __emutls_object* obj)
{
    const size_t align = obj->align > sizeof(void*) ? static_cast<size_t>(obj->align) : sizeof(void*);
    const size_t size = static_cast<size_t>(obj->size);
    void* raw = Allocate(size + align + sizeof(void*));
    if (raw == nullptr)
        return nullptr;
    uintptr_t at = (reinterpret_cast<uintptr_t>(raw) + sizeof(void*) + align - 1) & ~(uintptr_t)(align - 1);
    reinterpret_cast<void**>(at)[-1] = raw;
    void* var = reinterpret_cast<void*>(at);
    if (obj->templ != nullptr)
        memcpy(var, obj->templ, size);
    else
        memset(var, 0, size);
    return var;
}

// The slot's callback: a thread ends, or the slot is freed.
void WINAPI FreeBlock(void* p)
{
    ThreadBlock* block = static_cast<ThreadBlock*>(p);
    if (block == nullptr)
        return;
    for (uintptr_t i = 0; i < block->count; ++i)
        if (block->data[i] != nullptr)
            Release(static_cast<void**>(block->data[i])[-1]);
    Release(block);
}

DWORD Slot()
{
    DWORD slot = static_cast<DWORD>(InterlockedCompareExchange(&g_slot, 0, 0));
    if (slot != FLS_OUT_OF_INDEXES)
        return slot;
    DWORD mine = FlsAlloc(&FreeBlock);
    if (mine == FLS_OUT_OF_INDEXES)
        return mine;
    const LONG before = InterlockedCompareExchange(&g_slot, static_cast<LONG>(mine),
                                                   static_cast<LONG>(FLS_OUT_OF_INDEXES));
    if (before != static_cast<LONG>(FLS_OUT_OF_INDEXES)) {
        FlsFree(mine);
        return static_cast<DWORD>(before);
    }
    return mine;
}

uintptr_t IndexOf(__emutls_object* obj)
{
    uintptr_t offset = __atomic_load_n(&obj->loc.offset, __ATOMIC_ACQUIRE);
    if (offset != 0)
        return offset;
    AcquireSRWLockExclusive(&g_lock);
    offset = obj->loc.offset;
    if (offset == 0) {
        offset = ++g_variables;
        __atomic_store_n(&obj->loc.offset, offset, __ATOMIC_RELEASE);
    }
    ReleaseSRWLockExclusive(&g_lock);
    return offset;
}

}  // namespace

extern "C" void* __emutls_get_address(__emutls_object* obj)
{
    const uintptr_t index = IndexOf(obj) - 1;
    const DWORD slot = Slot();
    if (slot == FLS_OUT_OF_INDEXES)
        abort();  // no storage for a thread-local variable: nothing sound can go on (libgcc's answer too)
    ThreadBlock* block = static_cast<ThreadBlock*>(FlsGetValue(slot));
    if (block == nullptr || index >= block->count) {
        const uintptr_t count = index + 8;
        auto* grown = static_cast<ThreadBlock*>(Allocate(sizeof(ThreadBlock) + count * sizeof(void*)));
        if (grown == nullptr)
            abort();
        grown->count = count;
        for (uintptr_t i = 0; i < count; ++i)
            grown->data[i] = block != nullptr && i < block->count ? block->data[i] : nullptr;
        FlsSetValue(slot, grown);
        Release(block);
        block = grown;
    }
    if (block->data[index] == nullptr) {
        block->data[index] = NewVariable(obj);
        if (block->data[index] == nullptr)
            abort();
    }
    return block->data[index];
}

extern "C" void __emutls_register_common(__emutls_object* obj, uintptr_t size, uintptr_t align, void* templ)
{
    // A common symbol defined in several objects: the largest size and alignment win, with the template
    // of the one of that size.
    if (obj->size < size) {
        obj->size = size;
        obj->templ = nullptr;
    }
    if (obj->align < align)
        obj->align = align;
    if (templ != nullptr && size == obj->size)
        obj->templ = templ;
}

bool ReserveThreadStorage()
{
    return Slot() != FLS_OUT_OF_INDEXES;
}

void ReleaseThreadStorage()
{
    const DWORD slot = static_cast<DWORD>(InterlockedExchange(&g_slot, static_cast<LONG>(FLS_OUT_OF_INDEXES)));
    if (slot != FLS_OUT_OF_INDEXES)
        FlsFree(slot);  // runs FreeBlock for every thread that has variables
}
