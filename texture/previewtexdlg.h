// The texture file chooser: the explorer-style open dialog for a bitmap, with a preview pane.
//   CPreViewTexDlg, CPreviewPane
#pragma once
#include "afx/afxacc.h"
#include "afx/afxcmn.h"
#include "afx/afxdlgs.h"

// The preview pane: a static the chooser draws the picture on. Screen readers get it as a
// graphic named by what it shows: "图片预览：<file name>，<width> × <height> 像素", or that
// there is nothing to preview.
class CPreviewPane : public CStatic, private CAccessibleParts {
public:
    CPreviewPane() : m_accServer(this) {}
    // The pane shows the picture of path (its file name is said), of width x height pixels.
    void ShowsPicture(const wchar_t* path, int width, int height);
    // The pane shows its label: nothing to preview.
    void ShowsNothing();
    // Sets the pane's text, unless it holds that text already: a static erases and draws itself
    // at every WM_SETTEXT, the same text included. Runs at each paint of the chooser.
    void ShowText(const wchar_t* text);

protected:
    LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    CAccessibleServer m_accServer;
    CString m_strFileName;  // empty: nothing shown
    int m_cx = 0, m_cy = 0;

    LONG AccChildCount(LONG scope) override { return 0; }
    bool AccDescribe(LONG scope, LONG child, AFX_ACCITEM& item) override;
};

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
    // Loads m_strPreviewFile from disk: the bitmap (a DIB section, the caller's to delete) and its
    // size when it is one the pane draws; nullptr when the file is no bitmap, has under 16 bits per
    // pixel or a side over 511 pixels (nothing is kept then).
    HBITMAP LoadPreview(BITMAP* info) const;
    // Stretches a bitmap from LoadPreview over the pane: 1 when drawn, 0 when no drawing surface
    // is to be had. Releases everything it takes; the bitmap stays the caller's.
    short DrawPreview(HBITMAP bitmap, const BITMAP& info);

    CPreviewPane m_wndPreview;       // the pane, a child of the common dialog
    bool m_bPreviewCreated;          // set once the pane exists
    bool m_bGrown = false;           // the dialog grew for the button row in this showing
    HFONT m_hPaneFont = nullptr;     // the pane's label font; owned, outlives the pane
    RECT m_rcPreview;                // the pane, in the common dialog's client coordinates
    CString m_strPreviewFile;        // full path to preview; empty: show the label
    CString m_strLabel;              // the pane's label (string 4026), loaded when the pane is made
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
