// The scene playback window: a modal dialog around a Video for Windows MCI window.
//   CAviPlayDlg
#pragma once
#include "afx/afxwin.h"

// Dialog 4017, "三维场景播放窗口", with one child made at run time: the MCI window that plays
// m_strFileName with its own play bar and menu button. The dialog takes the MCI window's size
// once, at its start; it never starts, stops or seeks the video itself. Lives on the stack of
// _PlayAVIWnd, which holds the library's module state while it runs.
class CAviPlayDlg : public CDialog {
public:
    // No MCI window yet and no file; the export fills m_strFileName before DoModal.
    explicit CAviPlayDlg(CWnd* pParent = nullptr);
    ~CAviPlayDlg() override;

    HWND m_hWndMCI;          // the MCI window, a child of the dialog; NULL before and after
    CString m_strFileName;   // the video to play

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    // Creates the MCI window and sizes the dialog to it; ends the dialog with -1 when the
    // window cannot be made.
    BOOL OnInitDialog() override;
    // WM_CLOSE (close button, system menu, Alt+F4): the MCI window closes its device and goes
    // first, then the dialog ends as cancelled.
    void OnClose();

    DECLARE_MESSAGE_MAP()
};
