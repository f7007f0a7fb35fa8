// The statically linked C++ runtime's locks and reserve, made so that an unload gives them back.
//
// libstdc++'s win32 threading layer makes each lock with CreateSemaphoreW when the lock is made and
// closes it when the lock is destroyed, but the recursive lock that guards the initialisation of
// function-local statics (guard.cc) is never destroyed: every load of the library left its semaphore
// behind (measured: one handle a cycle). The library is linked with --wrap on the plain and the
// recursive lock's functions (CMakeLists.txt at the top), so the runtime's locks are these: a slim
// reader-writer lock in the lock record's handle field, which takes no handle and no memory and
// cannot fail when memory has run out. The exception runtime's emergency reserve (eh_alloc, taken
// with malloc at load and never freed) goes back through the runtime's own hook at unload.
//
// On i686 the unwinder (DWARF tables, registered per module) has one lock more, made with its own
// inline copy of the threading layer's code: CreateSemaphoreW called directly, through the import's
// pointer. The library defines that pointer itself, so the runtime's semaphores are made here and
// counted, and the unload closes them once nothing of the library runs any more.
#include "frame/runtime.h"

#include <windows.h>

namespace __gnu_cxx {
void __freeres() noexcept;  // libstdc++: frees the exception runtime's emergency reserve
}

namespace {

// The threading layer's lock record (__gthread_mutex_t of gthr-win32.h).
struct RuntimeLock {
    long counter;
    void* sema;  // here: an SRWLOCK (one pointer, zero when free)
};
static_assert(sizeof(SRWLOCK) == sizeof(void*), "the lock lives in the handle field");

// The recursive lock's record (__gthread_recursive_mutex_t).
struct RuntimeRecursiveLock {
    long counter;
    long depth;             // times the owner holds it
    volatile DWORD owner;   // the owning thread's id, 0 when free
    void* sema;             // here: an SRWLOCK
};

PSRWLOCK Slim(RuntimeLock* lock)
{
    return reinterpret_cast<PSRWLOCK>(&lock->sema);
}

PSRWLOCK Slim(RuntimeRecursiveLock* lock)
{
    return reinterpret_cast<PSRWLOCK>(&lock->sema);
}

#if defined(__i386__)
// The semaphores the runtime made (its unwinder's lock: one).
HANDLE g_semaphores[8];
volatile LONG g_semaphoreCount = 0;

HANDLE WINAPI RuntimeCreateSemaphore(LPSECURITY_ATTRIBUTES attributes, LONG initial, LONG maximum, LPCWSTR name)
{
    HANDLE made = CreateSemaphoreExW(attributes, initial, maximum, name, 0, SEMAPHORE_ALL_ACCESS);
    if (made != nullptr) {
        const LONG at = InterlockedIncrement(&g_semaphoreCount) - 1;
        if (at < static_cast<LONG>(sizeof g_semaphores / sizeof g_semaphores[0]))
            g_semaphores[at] = made;
    }
    return made;
}
#endif

}  // namespace

#if defined(__i386__)
// The import's pointer that the runtime's code calls through (kernel32's import library is not asked
// for it: nothing else of the library calls CreateSemaphoreW).
extern "C" void* const g_runtimeCreateSemaphore __asm__("__imp__CreateSemaphoreW@16") =
    reinterpret_cast<void*>(&RuntimeCreateSemaphore);
#endif

extern "C" {

void __wrap___gthr_win32_mutex_init_function(RuntimeLock* lock)
{
    lock->counter = -1;
    InitializeSRWLock(Slim(lock));
}

int __wrap___gthr_win32_mutex_lock(RuntimeLock* lock)
{
    AcquireSRWLockExclusive(Slim(lock));
    return 0;
}

int __wrap___gthr_win32_mutex_trylock(RuntimeLock* lock)
{
    return TryAcquireSRWLockExclusive(Slim(lock)) ? 0 : 1;
}

int __wrap___gthr_win32_mutex_unlock(RuntimeLock* lock)
{
    ReleaseSRWLockExclusive(Slim(lock));
    return 0;
}

void __wrap___gthr_win32_mutex_destroy(RuntimeLock*)
{
}

void __wrap___gthr_win32_recursive_mutex_init_function(RuntimeRecursiveLock* lock)
{
    lock->counter = -1;
    lock->depth = 0;
    lock->owner = 0;
    InitializeSRWLock(Slim(lock));
}

int __wrap___gthr_win32_recursive_mutex_lock(RuntimeRecursiveLock* lock)
{
    const DWORD me = GetCurrentThreadId();
    if (lock->owner != me) {  // only this thread ever writes its own id there
        AcquireSRWLockExclusive(Slim(lock));
        lock->owner = me;
    }
    ++lock->depth;
    return 0;
}

int __wrap___gthr_win32_recursive_mutex_trylock(RuntimeRecursiveLock* lock)
{
    const DWORD me = GetCurrentThreadId();
    if (lock->owner != me) {
        if (!TryAcquireSRWLockExclusive(Slim(lock)))
            return 1;
        lock->owner = me;
    }
    ++lock->depth;
    return 0;
}

int __wrap___gthr_win32_recursive_mutex_unlock(RuntimeRecursiveLock* lock)
{
    if (--lock->depth == 0) {
        lock->owner = 0;
        ReleaseSRWLockExclusive(Slim(lock));
    }
    return 0;
}

int __wrap___gthr_win32_recursive_mutex_destroy(RuntimeRecursiveLock*)
{
    return 0;
}

}  // extern "C"

void ReleaseRuntimeReserve()
{
    __gnu_cxx::__freeres();
#if defined(__i386__)
    // Uncontended, the unwinder's lock does not touch its semaphore: the unregistration of the
    // library's unwind tables that follows the unload goes through it without one.
    const LONG made = InterlockedExchange(&g_semaphoreCount, 0);
    for (LONG i = 0; i < made && i < static_cast<LONG>(sizeof g_semaphores / sizeof g_semaphores[0]); ++i)
        CloseHandle(g_semaphores[i]);
#endif
}
