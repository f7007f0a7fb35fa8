// What the statically linked compiler runtime holds, kept so that an unload gives all of it back:
// its emulated thread-local storage (threadstorage.cpp), its locks and exception reserve (runtime.cpp).
//   ReserveThreadStorage, ReleaseThreadStorage, ReleaseRuntimeReserve
#pragma once

// At load, before anything thread-local is touched: takes the fiber-local slot that holds each
// thread's variables. False when the process has none left (the load then fails).
bool ReserveThreadStorage();

// At unload, last: frees every thread's variables and gives the slot back. Anything thread-local
// touched afterwards takes a slot again.
void ReleaseThreadStorage();

// At unload, after the library's own shutdown: frees the exception runtime's emergency reserve and
// closes the runtime's semaphores.
void ReleaseRuntimeReserve();
