// terrainview's own small dialogs (templates in terrainview.rc).
//   ExaggerationProc (视图 → 垂直夸张 → 输入...), TableNameBox and TableNameProc (另存为色表, after 导入色带).
#pragma once

#include <windows.h>

#include <string>

// The typed vertical exaggeration; lParam: float* in and out. OK only with a factor in
// 0.01 .. 1000.
INT_PTR CALLBACK ExaggerationProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);

// The name box of 另存为色表; lParam: TableNameBox*. OK only with a name the library can read a
// table by (the table-name rule, in the system code page); an existing table is replaced only
// when the user agrees.
struct TableNameBox {
    std::wstring note;
    std::wstring name;       // in: the proposal; out: the name taken
    std::string ansi;        // out: the name in the system code page
    std::string folder;      // HeightLut
};

INT_PTR CALLBACK TableNameProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);
