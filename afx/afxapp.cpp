// The application object of a module.
#include "afx/afxwin.h"

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp(const wchar_t* lpszAppName) : m_pszAppName(lpszAppName)
{
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

CWinApp* AfxGetApp()
{
    return g_app;
}

const wchar_t* AfxGetAppName()
{
    static wchar_t name[MAX_PATH];
    if (g_app != nullptr && g_app->m_pszAppName != nullptr)
        return g_app->m_pszAppName;
    if (name[0] == 0) {
        wchar_t path[MAX_PATH];
        DWORD n = ::GetModuleFileNameW(AfxGetStaticModuleState()->m_hCurrentInstanceHandle, path, MAX_PATH);
        if (n == 0 || n >= MAX_PATH)
            return L"";
        const wchar_t* title = path;
        for (const wchar_t* p = path; *p; ++p)
            if (*p == L'\\' || *p == L'/')
                title = p + 1;
        size_t i = 0;
        for (; title[i] && title[i] != L'.' && i + 1 < MAX_PATH; ++i)
            name[i] = title[i];
        name[i] = 0;
    }
    return name;
}

int AfxMessageBox(const wchar_t* text, UINT type)
{
    return ::MessageBoxW(::GetActiveWindow(), text, AfxGetAppName(), type);
}
