#include "frame/strings.h"

#include <stdarg.h>

#include "afx/afxstate.h"
#include "res/resource.h"

BOOL LoadResString(UINT id, CString& text)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return text.LoadString(id);
}

short FormatResString(CString& text, UINT id, ...)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    CString format;
    if (!format.LoadString(id))
        return 0;
    va_list args;
    va_start(args, id);
    text.FormatV(format, args);
    va_end(args);
    return 1;
}

void ShowWarning(UINT id)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    CString caption, text;
    if (!LoadResString(IDS_WARNING_CAPTION, caption) || !LoadResString(id, text))
        return;
    ::MessageBoxW(::GetActiveWindow(), text, caption, MB_OK | MB_ICONWARNING);
}

void ShowWarningText(const wchar_t* text)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    CString caption;
    if (text == nullptr || !LoadResString(IDS_WARNING_CAPTION, caption))
        return;
    ::MessageBoxW(::GetActiveWindow(), text, caption, MB_OK | MB_ICONWARNING);
}
