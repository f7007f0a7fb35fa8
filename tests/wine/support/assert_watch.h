// assert_watch.h: the framework layer's failed assertions, seen from the test program.
//   assertwatch::Seen, assertwatch::Expect
//
// Every test program made with oroscape_wine_test holds assert_watch.cpp: a vectored exception handler
// sees each OutputDebugString of the process (it raises DBG_PRINTEXCEPTION_C, which a vectored handler
// sees before any frame handler) and counts the lines "Oroscape: assertion failed: ...", whether they
// come from the DLL or from the library's objects linked into the program. When the tests have run,
// the program fails unless the count equals the failures the tests said they provoke (Expect).
#pragma once

#include <string>
#include <vector>

namespace assertwatch {

// Failed assertions seen so far in this process.
long Seen();
// Their texts ("<file>:<line>: <condition>", with the test that ran), the last 64.
std::vector<std::string> Texts();
// A test that provokes n failed assertions on purpose declares them, so that the program does not fail.
void Expect(long n);

}  // namespace assertwatch
