// Start-up and shutdown of the library, and its application object.
#include <windows.h>

#include "afx/afxwin.h"

// The library's application object: nothing of its own to initialise.
class CDialogLibApp : public CWinApp {
public:
    CDialogLibApp() : CWinApp(nullptr) {}
};

CDialogLibApp theApp;

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD reason, LPVOID)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH: {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        theApp.m_hInstance = hInstance;
        if (!theApp.InitInstance()) {
            theApp.ExitInstance();
            return FALSE;
        }
        return TRUE;
    }
    case DLL_PROCESS_DETACH: {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        theApp.ExitInstance();
        AfxUnlockTempMaps();
        AfxFreeReadableFonts();
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
