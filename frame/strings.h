// String-table and warning-box services shared by the dialogs.
#pragma once
#include "afx/afxstr.h"

// Loads string id of the library's string table into text, under the
// library's module state. Nonzero when the string exists; else text is empty.
BOOL LoadResString(UINT id, CString& text);

// Loads string id as a printf-style format (wide; %ld, %d, ...) and formats the
// further arguments with it into text. 1 when done; 0 when the string does not
// exist, and text is then left as it was.
short FormatResString(CString& text, UINT id, ...);

// Warning box of the library: caption string 4023, text string id, one OK
// button and the exclamation icon, owned by the thread's active window. Shows
// nothing when either string is missing.
void ShowWarning(UINT id);
// The same box with a text of the caller's (a message composed from several strings). Shows
// nothing when the caption string is missing or text is null.
void ShowWarningText(const wchar_t* text);
