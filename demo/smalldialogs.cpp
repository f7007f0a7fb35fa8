// terrainview's own small dialogs: the typed vertical exaggeration and the name of a kept table.
#include "demo/smalldialogs.h"

#include "demo/terrainview_res.h"
#include "demo/wintext.h"
#include "heightcolor/colortable.h"
#include "include/oroscape.h"

namespace {

const wchar_t kAppTitle[] = L"三维地形浏览";

bool LeadByte(unsigned char b) { return IsDBCSLeadByte(b) != 0; }

// The program's warning, then the entry box focused with its text selected, for typing again.
void Refuse(HWND dlg, int entry, const wchar_t* why)
{
    MessageBoxW(dlg, why, kAppTitle, MB_OK | MB_ICONWARNING);
    SetFocus(GetDlgItem(dlg, entry));
    SendDlgItemMessageW(dlg, entry, EM_SETSEL, 0, -1);
}

// OK and Cancel of a one-entry box: OK asks accept(), which says whether the box may close.
template <class Accept>
INT_PTR OkCancel(HWND dlg, WPARAM wp, Accept accept)
{
    switch (LOWORD(wp)) {
    case IDOK:
        if (accept())
            EndDialog(dlg, IDOK);
        return TRUE;
    case IDCANCEL:
        EndDialog(dlg, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

}  // namespace
INT_PTR CALLBACK ExaggerationProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dlg, DWLP_USER, lp);
        SetDlgItemTextW(dlg, IDC_FACTOR, Format(L"%g", static_cast<double>(*reinterpret_cast<float*>(lp))).c_str());
        SendDlgItemMessageW(dlg, IDC_FACTOR, EM_SETSEL, 0, -1);
        return TRUE;
    }
    case WM_COMMAND:
        return OkCancel(dlg, wp, [dlg] {
            wchar_t text[64] = L"";
            GetDlgItemTextW(dlg, IDC_FACTOR, text, 64);
            wchar_t* end = nullptr;
            const double v = wcstod(text, &end);
            while (end && (*end == L' ' || *end == L'\t'))
                ++end;
            if (end == text || (end && *end) || !(v >= 0.01 && v <= 1000.0)) {
                Refuse(dlg, IDC_FACTOR, L"请输入 0.01 到 1000 之间的数。");
                return false;
            }
            *reinterpret_cast<float*>(GetWindowLongPtrW(dlg, DWLP_USER)) = static_cast<float>(v);
            return true;
        });
    }
    return FALSE;
}

INT_PTR CALLBACK TableNameProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp)
{
    TableNameBox* box = reinterpret_cast<TableNameBox*>(GetWindowLongPtrW(dlg, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dlg, DWLP_USER, lp);
        box = reinterpret_cast<TableNameBox*>(lp);
        SetDlgItemTextW(dlg, IDC_TABLE_NOTE, box->note.c_str());
        SetDlgItemTextW(dlg, IDC_TABLE_NAME, box->name.c_str());
        SendDlgItemMessageW(dlg, IDC_TABLE_NAME, EM_LIMITTEXT, kLutMaxNameLength, 0);
        SendDlgItemMessageW(dlg, IDC_TABLE_NAME, EM_SETSEL, 0, -1);
        return TRUE;
    case WM_COMMAND:
        return OkCancel(dlg, wp, [dlg, box] {
            wchar_t text[256] = L"";
            GetDlgItemTextW(dlg, IDC_TABLE_NAME, text, 256);
            std::string ansi;
            char path[kLutPathCap];
            if (!ToAnsi(text, &ansi) || !IsValidTableName(ansi.c_str(), LeadByte) ||
                !ComposeTablePath(box->folder.c_str(), ansi.c_str(), path, sizeof path, LeadByte)) {
                Refuse(dlg, IDC_TABLE_NAME,
                       L"此名称不能作为色表名称: 名称不能为空, 不能含有 \\ / : * ? \" < > | 和控制字符, 不能是设备名 "
                       L"(如 CON、COM1), 不能超过 127 字节, 且须能以当前代码页表示。");
                return false;
            }
            if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES &&
                MessageBoxW(dlg, Format(L"色表 %ls 已存在。要替换它吗?", text).c_str(), kAppTitle,
                            MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
                return false;
            box->name = text;
            box->ansi = ansi;
            return true;
        });
    }
    return FALSE;
}
