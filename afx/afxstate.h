// Module state (the instance and resource handles of the module in use, per thread) and the
// layer's precondition checks.
//   AFX_MODULE_STATE, AfxGet/SetModuleState, AFX_MAINTAIN_STATE2 / AFX_MANAGE_STATE, AfxUnlockTempMaps,
//   AfxGet/SetThreadValue, AfxTermThreadState, AFX_ASSERT
#pragma once
#include <windows.h>

// A precondition whose failure is always a programming error of the caller (a control id that
// is not in the template, a window subclassed twice, DoModal on an object that has a window).
// In every build a false condition is counted and reported with
// OutputDebugStringA("Oroscape: assertion failed: <file>:<line>: <condition>\n"); it never
// stops the program, and the code after the check goes on as well as it can.
#define AFX_ASSERT(cond) \
    ((cond) ? static_cast<void>(0) : AfxAssertFailed(__FILE__, __LINE__, #cond))
// Runs for a false AFX_ASSERT: counts and reports it.
void AfxAssertFailed(const char* file, int line, const char* condition);
// Failed AFX_ASSERT checks of this module so far.
LONG AfxAssertFailedCount();

// What a module's resource look-ups use: its instance and resource handles.
// One per module (AfxGetStaticModuleState); a thread has one current state,
// shared by every module of the process that uses this layer.
struct AFX_MODULE_STATE {
    HINSTANCE m_hCurrentInstanceHandle;
    HINSTANCE m_hCurrentResourceHandle;
};

// This module's own state, initialised from the module's image base.
AFX_MODULE_STATE* AfxGetStaticModuleState();
// The calling thread's current state; the calling module's own when none was set.
AFX_MODULE_STATE* AfxGetModuleState();
// The calling thread's current state as set, or NULL when none was ever set.
AFX_MODULE_STATE* AfxGetThreadModuleState();
// Makes state current for the calling thread; returns the previous (possibly NULL).
AFX_MODULE_STATE* AfxSetModuleState(AFX_MODULE_STATE* state);

inline HINSTANCE AfxGetInstanceHandle() { return AfxGetModuleState()->m_hCurrentInstanceHandle; }
inline HINSTANCE AfxGetResourceHandle() { return AfxGetModuleState()->m_hCurrentResourceHandle; }

// Scope guard: installs a module state for the calling thread and puts the
// previous one back when the scope ends, on every return path.
class AFX_MAINTAIN_STATE2 {
public:
    explicit AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* state) : m_pPrevState(AfxSetModuleState(state)) {}
    ~AFX_MAINTAIN_STATE2() { AfxSetModuleState(m_pPrevState); }
    AFX_MAINTAIN_STATE2(const AFX_MAINTAIN_STATE2&) = delete;
    AFX_MAINTAIN_STATE2& operator=(const AFX_MAINTAIN_STATE2&) = delete;
private:
    AFX_MODULE_STATE* m_pPrevState;
};
#define AFX_MANAGE_STATE(p) AFX_MAINTAIN_STATE2 _ctlState(p)

// Frees the calling thread's temporary window objects (see CWnd::FromHandle).
// Runs when a thread leaves the library and when the outermost modal loop ends.
void AfxUnlockTempMaps();

// The layer's per-thread values, one TLS slot each. A slot is taken when a value is first set, not
// when one is read: a thread or a module that never set one takes none.
enum AFX_THREAD_VALUE {
    AFX_THREAD_TEMP_MAP,       // the thread's temporary window objects (afxwnd.cpp)
    AFX_THREAD_MODAL_DEPTH,    // modal loops of the layer running on the thread (CDialog::EnterModal)
    AFX_THREAD_PENDING_SHEET,  // the sheet whose PropertySheetW call waits for its window (afxsheet.cpp)
    AFX_THREAD_MSG_FILTER,     // the message filter hook of the outermost CDialog::DoModal (afxdlg.cpp)
    AFX_THREAD_VALUE_COUNT
};
// The calling thread's value; NULL when never set (or when its slot could not be taken).
void* AfxGetThreadValue(AFX_THREAD_VALUE which);
// Sets the calling thread's value; false when the slot could not be taken.
bool AfxSetThreadValue(AFX_THREAD_VALUE which, void* value);

// At the module's unload, once the calling thread's values are freed: gives back every TLS slot and
// mapped view the layer took for this module (the per-thread values' slots, the module state's slot
// when it is this module's own). After it, a thread of this module has no current state set.
void AfxTermThreadState();
