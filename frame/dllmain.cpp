// Start-up and shutdown of the library, and its application object.
#include <windows.h>

#include "afx/afxwin.h"
#include "frame/readablefont.h"
#include "frame/runtime.h"

// The library's application object. It installs the library's choice of face for its Chinese
// texts as the framework's readable-font hook, before any dialog can run.
class CDialogLibApp : public CWinApp {
public:
    CDialogLibApp() : CWinApp(nullptr) { AfxSetReadableFontHook(&UseReadableFont); }
};

CDialogLibApp theApp;

// The unwinder prepares its look-up of the library's unwind tables at the first exception
// thrown, allocating as it does. The exceptions that matter come when memory has run out (see
// frame/barrier.h): one thrown and caught at load does that preparation while memory is at hand.
static void PrepareUnwinding()
{
    try {
        throw 0;
    } catch (int) {
    }
}

static BOOL OnDllEvent(HINSTANCE hInstance, DWORD reason)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH: {
        if (!ReserveThreadStorage())
            return FALSE;
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        theApp.m_hInstance = hInstance;
        PrepareUnwinding();
        if (!theApp.InitInstance()) {
            theApp.ExitInstance();
            return FALSE;
        }
        return TRUE;
    }
    case DLL_PROCESS_DETACH: {
        {
            AFX_MANAGE_STATE(AfxGetStaticModuleState());
            theApp.ExitInstance();
            AfxUnlockTempMaps();
            FreeReadableFonts();
        }
        // A host that loads and unloads the library again and again: nothing the load took stays
        // behind (TLS and fiber-local slots, the module state's mapping, the runtime's reserve).
        AfxTermThreadState();
        ReleaseRuntimeReserve();
        ReleaseThreadStorage();
        return TRUE;
    }
    case DLL_THREAD_DETACH: {
        // A host thread that used the library: its temporary window objects go.
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        AfxUnlockTempMaps();
        return TRUE;
    }
    default:
        return TRUE;
    }
}

// The loader calls this: no exception leaves it (a load that fails so fails cleanly).
extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD reason, LPVOID)
{
    try {
        return OnDllEvent(hInstance, reason);
    } catch (...) {
        return reason == DLL_PROCESS_ATTACH ? FALSE : TRUE;
    }
}
