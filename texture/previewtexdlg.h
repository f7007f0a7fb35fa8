// The texture file chooser: the explorer-style open dialog for a bitmap, with a preview pane.
//   CPreViewTexDlg
#pragma once
#include "afx/afxcmn.h"
#include "afx/afxdlgs.h"

// The chooser. Its own window is the small child of template 4018 inside the common dialog;
// the standard controls and the preview pane are children of the common dialog, and all
// their rectangles are in the common dialog's client coordinates. Lives on the stack of
// _SelectTextureFile, which holds the library's module state while it is built and run.
class CPreViewTexDlg : public CFileDialog {
    DECLARE_DYNAMIC(CPreViewTexDlg)
public:
    // Open mode, one filter "Bitmap File(*.bmp)|*.bmp|", flags OFN_EXPLORER |
    // OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, child template 4018 of the current resources.
    explicit CPreViewTexDlg(CWnd* pParentWnd = nullptr);
    ~CPreViewTexDlg() override;

    // The child's start: the caption, the button row and the pane.
    BOOL OnInitDialog() override;
    // Sets the common dialog's caption (string 4025), moves Open and Cancel into a row under
    // the file-type box and creates the pane in the column they leave.
    void InitPreviewLayout();
    // Loads m_strPreviewFile from disk and stretches it over the pane: 1 when drawn, 0 when the
    // file is no bitmap, has under 16 bits per pixel or a side over 511 pixels, or no drawing
    // surface is to be had. Every GDI object it takes is released on every path.
    short DrawPreview();

    CStatic m_wndPreview;            // the pane, a child of the common dialog
    bool m_bPreviewCreated;          // set once the pane exists
    bool m_bGrown = false;           // the dialog grew for the button row in this showing
    HFONT m_hPaneFont = nullptr;     // the pane's label font; owned, outlives the pane
    RECT m_rcPreview;                // the pane, in the common dialog's client coordinates
    CString m_strPreviewFile;        // full path to preview; empty: show the label
    CString m_strFilterExt;          // extension of the current file type, no dot

protected:
    void OnFileNameChange() override;
    void OnFolderChange() override;
    void OnTypeChange() override;

    void OnSize(UINT nType, int cx, int cy);
    void OnPaint();

    DECLARE_MESSAGE_MAP()

private:
    // The common dialog's file-name box: edt1 (1152) where the platform has one, else the
    // combo box cmb13 (1148) that newer dialogs use; 0 when there is neither.
    int FileNameBoxId() const;
};
