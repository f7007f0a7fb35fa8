// Data exchange and validation between dialog controls and members.
//   CDataExchange, DDX_Control / DDX_Text / DDX_Check / DDX_Radio, DDV_MinMaxInt / DDV_MinMaxFloat
#pragma once
#include <windows.h>

#include "afx/afxstr.h"

class CWnd;

// One run of a window's DoDataExchange. Exchange stops at the first field that
// fails: the user is told with the standard prompt, the field gets the focus
// and its text is selected, and every later DDX_/DDV_ call does nothing.
class CDataExchange {
public:
    CDataExchange(CWnd* dlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(dlgWnd) {}

    BOOL m_bSaveAndValidate;  // TRUE: controls to members; FALSE: members to controls
    CWnd* m_pDlgWnd;
    BOOL m_bFailed = FALSE;
    HWND m_hWndLastControl = nullptr;
    BOOL m_bEditLastControl = FALSE;

    HWND PrepareCtrl(int id);
    HWND PrepareEditCtrl(int id);
    // Shows prompt as a warning box, then focuses and selects the last field.
    void Fail(const wchar_t* prompt);
};

class CWnd;

void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
void DDX_Text(CDataExchange* pDX, int id, short& value);
void DDX_Text(CDataExchange* pDX, int id, int& value);
void DDX_Text(CDataExchange* pDX, int id, float& value);
void DDX_Text(CDataExchange* pDX, int id, CString& value);
void DDX_Check(CDataExchange* pDX, int id, int& value);
// The group of radio buttons that begins at id (WS_GROUP) and runs to the next
// WS_GROUP: value is the index of the checked button, -1 for none.
void DDX_Radio(CDataExchange* pDX, int id, int& value);

// Checked only when saving; run right after the DDX_Text of the same field.
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);
void DDV_MinMaxFloat(CDataExchange* pDX, float value, float minVal, float maxVal);
// Limits the field's length as it is typed (writing) and checks it (saving).
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars);
