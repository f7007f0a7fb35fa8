// The two small input dialogs of the layering dialog.
//   CSaveColorTableDlg (name of a new colour table), CThresholdDlg (new value of a layer limit)
#pragma once
#include "afx/afxwin.h"

// Asks for the name of a new colour table (template 4014). On IDOK m_strName holds a non-empty
// name; it keeps its value between runs, so a second run shows the name typed before. Whether
// the name can become a table is the caller's test.
class CSaveColorTableDlg : public CDialog {
public:
    explicit CSaveColorTableDlg(CWnd* pParent = nullptr);

    CString m_strName;

    // Longest name the edit takes: a table name must fit the file's 128-byte name field.
    static const int kMaxNameChars = 127;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    // An empty name keeps the dialog open, silently.
    void OnOK() override;
};

// Asks for a new value of one layer limit (template 4016). The caller sets m_fValue first; on
// IDOK it holds the number typed. There is no range check.
class CThresholdDlg : public CDialog {
public:
    explicit CThresholdDlg(CWnd* pParent = nullptr);

    float m_fValue;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};
