// acc_reader.h: what a screen reader asks a window, for the tests of the library's accessible
// parts. oleacc.dll and oleaut32.dll are loaded only when first asked, so that a test can see
// whether the library loaded them on its own. Call everything on the window's thread.
//   test::AccApi, test::AccPart (one part as read), test::AccReadPart / AccChildren / FocusEvents
#pragma once
#include <windows.h>
#include <ole2.h>
#include <oleacc.h>

#include <string>
#include <vector>

namespace test {

// The functions of oleacc.dll and oleaut32.dll a reader uses (null when missing).
struct AccApi {
    HRESULT(WINAPI* objectFromWindow)(HWND, DWORD, REFIID, void**) = nullptr;
    HRESULT(WINAPI* objectFromEvent)(HWND, DWORD, DWORD, IAccessible**, VARIANT*) = nullptr;
    HRESULT(WINAPI* children)(IAccessible*, LONG, LONG, VARIANT*, LONG*) = nullptr;
    void(WINAPI* freeString)(BSTR) = nullptr;
    UINT(WINAPI* stringLength)(BSTR) = nullptr;
    HRESULT(WINAPI* clearVariant)(VARIANT*) = nullptr;
    bool ok = false;
};
// Loads the two libraries (once) and initialises COM on the calling thread.
const AccApi& Acc();

// The client object of hwnd as a reader gets it (AccessibleObjectFromWindow), or null.
IAccessible* AccOfWindow(HWND hwnd);

// One part as a reader reads it: "name" and "value" are empty when absent; hr is the first
// failure among the calls (S_OK when all answered).
struct AccPart {
    std::wstring name, value;
    long role = -1, state = -1;
    HRESULT hr = S_OK;
};
AccPart AccReadPart(IAccessible* acc, long child);

// The children of acc as AccessibleChildren gives them: an object (AddRef'd, to Release) or a
// child number (object null).
struct AccChild {
    IAccessible* object = nullptr;
    long id = 0;
};
std::vector<AccChild> AccChildren(IAccessible* acc);
void AccRelease(std::vector<AccChild>& children);

// Focus events of one thread's windows, with what a reader says for each (the name of the part
// the event names, asked at once through AccessibleObjectFromEvent). Installed on the window's
// thread, in-process and out of context; the events arrive while that thread takes messages.
struct FocusEvent {
    HWND hwnd;
    long object, child;
    std::wstring said;
};
class FocusEvents {
public:
    FocusEvents();   // starts recording
    ~FocusEvents();  // stops
    std::vector<FocusEvent> Take();  // the events so far, and forgets them
    bool Installed() const { return hook_ != nullptr; }
    FocusEvents(const FocusEvents&) = delete;
    FocusEvents& operator=(const FocusEvents&) = delete;

private:
    static void CALLBACK Proc(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD);
    HWINEVENTHOOK hook_ = nullptr;
};

}  // namespace test
