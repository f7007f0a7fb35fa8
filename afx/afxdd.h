// Data exchange and validation between dialog controls and members.
//   CDataExchange, AFX_DDX_FAILURE, DDX_Control / DDX_Text / DDX_Check / DDX_Radio, DDV_MinMaxInt / ...
#pragma once
#include <windows.h>

#include "afx/afxstr.h"

class CWnd;

// What stopped a data exchange: the kind of failure, the value and the limits at hand, and the
// field. Handed to the window's OnDataExchangeFailure.
struct AFX_DDX_FAILURE {
    enum Kind {
        kNotInteger,  // the field's text is no integer
        kNotNumber,   // the field's text is no number
        kIntRange,    // an integer outside minValue..maxValue (the member type's or a DDV's limits)
        kRealRange,   // a number outside minValue..maxValue
        kTooLong,     // value characters, more than maxValue
    };
    Kind kind;
    double value;     // what failed; 0 for text that is no number
    double minValue;
    double maxValue;
    int nIDC;         // the field: its control id and window
    HWND hWndField;
    BOOL bEdit;       // an edit: its text is selected
};

// The standard prompt for a failure, with its limits.
CString AfxDataExchangePrompt(const AFX_DDX_FAILURE& failure);

// One run of a window's DoDataExchange. Exchange stops at the first field that
// fails: the window's OnDataExchangeFailure is told (by default the standard
// prompt, then the field gets the focus and its text is selected), and every
// later DDX_/DDV_ call does nothing.
class CDataExchange {
public:
    CDataExchange(CWnd* dlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(dlgWnd) {}

    BOOL m_bSaveAndValidate;  // TRUE: controls to members; FALSE: members to controls
    CWnd* m_pDlgWnd;
    BOOL m_bFailed = FALSE;
    int m_idLastControl = 0;
    HWND m_hWndLastControl = nullptr;
    BOOL m_bEditLastControl = FALSE;

    // The control id's window, the field of the DDX_/DDV_ calls that follow. An id
    // that names no child of the window is a programming error (AFX_ASSERT): null.
    HWND PrepareCtrl(int id);
    HWND PrepareEditCtrl(int id);
    // Stops the exchange at the last field and reports the failure to the window.
    void Fail(AFX_DDX_FAILURE::Kind kind, double value = 0, double minValue = 0, double maxValue = 0);
};

// Subclasses the control with the object on the first exchange; an object that
// has another window, or a control that has another object, is an AFX_ASSERT.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
// Numbers: text that is no number fails (kNotInteger, kNotNumber); a number the
// member's type cannot hold fails with the type's limits (kIntRange, kRealRange).
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
