// Accessibility: what a window the library draws itself tells a screen reader (WM_GETOBJECT).
//   CAccessibleParts (a window's parts, named), CAccessible (their IAccessible), CAccessibleServer
#pragma once
#include <windows.h>
#include <ole2.h>
#include <oleacc.h>

#include "afx/afxstr.h"

// What a reader learns about one part: empty texts are not there at all.
struct AFX_ACCITEM {
    CString name;
    CString value;
    LONG role = 0;             // ROLE_SYSTEM_*
    LONG state = 0;            // STATE_SYSTEM_*
    RECT rect = {0, 0, 0, 0};  // in the window's client coordinates
    bool hasRect = false;
};

// The parts of one window, as a window class of the library describes them. Its objects are
// numbered like the platform's: the window's own object is scope CHILDID_SELF; a child that is an
// object of its own (a row holding cells) is a scope too, named by its child number. Every call
// runs on the window's thread, under the library's module state, while the window exists.
class CAccessibleParts {
public:
    virtual ~CAccessibleParts() = default;
    // The children a reader walks in scope: 1 to the count.
    virtual LONG AccChildCount(LONG scope) = 0;
    // Fills item for child of scope (CHILDID_SELF: scope itself). False: no such child. A scope
    // may describe children beyond its count (parts a reader reaches by events, not by walking).
    virtual bool AccDescribe(LONG scope, LONG child, AFX_ACCITEM& item) = 0;
    // Whether child of the window's own object is an object with children of its own.
    virtual bool AccChildIsObject(LONG child) { return false; }
    // The child of scope that has the keyboard focus: CHILDID_SELF for scope itself, -1 none.
    virtual LONG AccFocusedChild(LONG scope) { return -1; }
    // The child of scope at point (client coordinates), CHILDID_SELF when none is.
    virtual LONG AccChildAt(LONG scope, POINT point) { return CHILDID_SELF; }
};

class CAccessible;

// Serves one window's parts. Owned by the window's object; on the window's first WM_GETOBJECT
// for its client area it loads oleacc.dll (never earlier: a host without a reader never loads
// it) and hands out one object, which is cut off when the window or its object goes away.
class CAccessibleServer {
public:
    explicit CAccessibleServer(CAccessibleParts* parts) : m_parts(parts) {}
    ~CAccessibleServer() { Disconnect(); }

    // WM_GETOBJECT of hWnd: TRUE with *result when the server answered (the client area, and
    // oleacc.dll is there); FALSE leaves the message to the window's default processing.
    BOOL OnGetObject(HWND hWnd, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // The object handed out answers nothing more (CO_E_OBJNOTCONNECTED) from now on.
    void Disconnect();
    // Tells readers that child of hWnd's client object has the keyboard focus.
    static void NotifyFocus(HWND hWnd, LONG child);

    CAccessibleServer(const CAccessibleServer&) = delete;
    CAccessibleServer& operator=(const CAccessibleServer&) = delete;

private:
    CAccessibleParts* m_parts;
    CAccessible* m_object = nullptr;  // one reference held
};
