// The texts the library gives screen readers about colours, from its string table (Chinese
// under any code page: the wide-character functions read it).
#pragma once
#include <windows.h>

#include "afx/afxstr.h"

// The basic colour term of color (heightcolor/colornames.h), e.g. "深绿".
CString AccColourName(COLORREF color);
// The components of color as a reader says them, e.g. "红 0，绿 100，蓝 0".
CString AccColourValue(COLORREF color);
