// Exports are barriers: no C++ exception (no memory for a string or a list, say) leaves the
// library into the host. The framework layer's window, dialog and hook procedures are barriers
// of their own (a dialog that cannot go on is ended there); this one covers the code of an
// export around its dialog.
#pragma once
#include <windows.h>

#include <exception>

// Runs body and returns what it returns; when it throws, returns failure instead - the value
// the export gives for a dialog that cannot be shown.
template <class Result, class Body>
Result ExportBarrier(Result failure, Body&& body) noexcept
{
    // The runtime keeps its record of exceptions in flight per thread, made with malloc at the
    // thread's first use; made here, while memory is at hand, it is there when memory runs out.
    // (Read into a volatile: the call is declared pure, and its result would otherwise be unused.)
    volatile int inFlight = std::uncaught_exceptions();
    (void)inFlight;
    try {
        return body();
    } catch (...) {
        ::OutputDebugStringW(L"Oroscape: an export could not complete and reports failure\n");
        return failure;
    }
}
