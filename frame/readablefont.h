// The library's choice of a face for its Chinese texts under other code pages: the readable-font hook
// the framework calls for each dialog and sheet (AfxSetReadableFontHook).
#pragma once
#include <windows.h>

// The library's texts are Chinese, its templates ask for "System", which has no Chinese glyphs outside
// a Chinese system. Where the ANSI code page is not 936, gives hWnd and its children a face of the
// system's with Chinese glyphs, at the size and weight they have: positions stay as the template
// placed them. Installed as the framework's hook by the application object.
void UseReadableFont(HWND hWnd);
// Frees the fonts UseReadableFont made: at unload.
void FreeReadableFonts();
