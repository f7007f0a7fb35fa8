#include "heightcolor/inputdlgs.h"

#include "afx/afxdd.h"
#include "res/resource.h"

CSaveColorTableDlg::CSaveColorTableDlg(CWnd* pParent) : CDialog(IDD_SAVE_COLORTABLE, pParent) {}

void CSaveColorTableDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_TABLE_NAME, m_strName);
    DDV_MaxChars(pDX, m_strName, kMaxNameChars);
}

void CSaveColorTableDlg::OnOK()
{
    CWnd* edit = GetDlgItem(IDC_TABLE_NAME);
    if (edit == nullptr)
        return;
    edit->GetWindowText(m_strName);
    if (m_strName.IsEmpty())
        return;
    CDialog::OnOK();
}

CThresholdDlg::CThresholdDlg(CWnd* pParent) : CDialog(IDD_THRESHOLD, pParent), m_fValue(0.0f) {}

void CThresholdDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_THRESHOLD_VALUE, m_fValue);
}
