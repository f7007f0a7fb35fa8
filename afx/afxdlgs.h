// Common dialogs.
//   CColorDialog (colour picker), CFileDialog (explorer-style open dialog)
#pragma once
#include <windows.h>
#include <commdlg.h>

#include <string>

#include "afx/afxwin.h"

// The system colour dialog, run modally.
class CColorDialog {
public:
    // initial: the colour selected at the start; flags: CC_* added to CC_RGBINIT.
    explicit CColorDialog(COLORREF initial = 0, DWORD flags = 0, CWnd* parent = nullptr);
    // IDOK when the user chose a colour, else IDCANCEL.
    INT_PTR DoModal();
    COLORREF GetColor() const { return m_cc.rgbResult; }

    CHOOSECOLORW m_cc;
private:
    COLORREF m_custom[16];
};

// The explorer-style open (or save) dialog of the common dialog library. The object's window
// is the dialog's hook child (made from the child template when one is given, else an empty
// one made by the system); the common dialog window is that child's parent. Messages for the
// dialog as a whole (CDM_*, closing) go to the parent.
//
// Runs: construct (under the module state whose resources hold the child template), adjust
// m_ofn if needed, DoModal. The child window exists only inside DoModal; the object is
// attached to it at its WM_INITDIALOG and lets go of it when it is destroyed.
class CFileDialog : public CDialog {
    DECLARE_DYNAMIC(CFileDialog)
public:
    // filter: pairs of description and pattern, each ended by '|' ("Text (*.txt)|*.txt|").
    // OFN_EXPLORER and OFN_ENABLEHOOK are added to flags; hInstance is the current resource
    // handle, for a child template named afterwards in m_ofn (OFN_ENABLETEMPLATE).
    explicit CFileDialog(BOOL bOpenFileDialog, const wchar_t* lpszDefExt = nullptr,
                         const wchar_t* lpszFileName = nullptr,
                         DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                         const wchar_t* lpszFilter = nullptr, CWnd* pParentWnd = nullptr);

    // IDOK when the user chose a file; IDCANCEL when cancelled or when the common dialog
    // failed (CommDlgExtendedError tells which); -1 when it could not go on (EndOnFault) or
    // the object already has a window (a failed AFX_ASSERT).
    INT_PTR DoModal() override;
    // Cancels the common dialog around the child as one that could not go on.
    void EndOnFault() override;

    // Full path of the file: the one the dialog currently names while it runs, the chosen one
    // after DoModal returned IDOK.
    CString GetPathName() const;
    // The name in the dialog's file-name box while it runs (CDM_GETSPEC), the chosen file's
    // name and extension afterwards.
    CString GetFileName() const;
    // The folder the dialog shows; only while it runs (empty otherwise, or for a folder that
    // is not in the file system).
    CString GetFolderPath() const;
    // Replaces the text of the common dialog's control id (CDM_SETCONTROLTEXT); while it runs.
    void SetControlText(int id, const wchar_t* text);

    OPENFILENAMEW m_ofn;

protected:
    // Notifications of the common dialog, from its WM_NOTIFY to the hook child. They run inside
    // the dialog's modal loop; the bases do nothing.
    virtual void OnInitDone() {}        // CDN_INITDONE: the dialog has laid itself out
    virtual void OnFileNameChange() {}  // CDN_SELCHANGE: the selection in the file list changed
    virtual void OnFolderChange() {}    // CDN_FOLDERCHANGE: another folder is shown
    virtual void OnTypeChange() {}      // CDN_TYPECHANGE: another file type is chosen

    // The common dialog's buttons belong to the parent: the child neither ends nor validates.
    void OnOK() override { Default(); }
    void OnCancel() override { Default(); }

    // The common dialog window (the hook child's parent); nullptr when not running.
    HWND GetCommonDialogHwnd() const { return m_hWnd ? ::GetParent(m_hWnd) : nullptr; }

    // Hook procedure of the child: the object's start (WM_INITDIALOG), as for any dialog.
    static UINT_PTR CALLBACK AfxFileHookProc(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp);

    DECLARE_MESSAGE_MAP()

private:
    BOOL m_bOpenFileDialog;
    std::wstring m_strFilter;   // NUL-separated, double NUL at the end
    std::wstring m_strDefExt;
    wchar_t m_szFileName[MAX_PATH];
    wchar_t m_szFileTitle[MAX_PATH];
    BOOL m_bFaulted = FALSE;  // ended by EndOnFault during this DoModal
};
