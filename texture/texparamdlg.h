// The texture parameter dialog: red, green and blue bands of a multi-band
// image, and a texture pixel format that the current OpenGL driver supports.
//   CTexParamDlg (template 14010), behind the export _SetTexParamDlg
#pragma once
#include <windows.h>

#include "afx/afxcmn.h"
#include "afx/afxwin.h"

class CTexParamDlg : public CDialog {
public:
    // Longest image file name kept, terminator included. A longer name is not
    // kept at all: the dialog then treats the image as one that does not open.
    static const size_t kImageFileCap = 260;

    // imageFile: ANSI name of the image (may be null: no image).
    CTexParamDlg(const char* imageFile, CWnd* pParent = nullptr);
    ~CTexParamDlg() override;

    CComboBox m_cbBlueBand;
    CComboBox m_cbGreenBand;
    CComboBox m_cbRedBand;
    CComboBox m_cbFormat;
    CString m_strFormatInfo;
    char m_nFormat;     // chosen format code, 0 when none was chosen
    int m_nRedBand;     // 0-based band index, -1 when the list has no selection
    int m_nGreenBand;
    int m_nBlueBand;
    char m_szImageFile[kImageFileCap];
    HGLRC m_hTempRC;
    HDC m_hTempDC;
    BYTE m_bOwnContext;
    // Hidden window that carries the temporary context when the screen's
    // device context takes no pixel format; null otherwise.
    HWND m_hTempWnd;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnSelchangeFormat();

    // Makes an OpenGL context current for the extension queries, unless one is
    // already: the host's context is used as it is. False when none can be made;
    // whatever was obtained is then released.
    BOOL CreateTempContext();
    // Releases the context CreateTempContext made, if it made one.
    void ReleaseTempContext();
    // Whether the current context's driver reports the extension a format code needs.
    static bool IsFormatSupported(int code);

    DECLARE_MESSAGE_MAP()

private:
    // Makes the context on dc (pixel format, context, current); false on any failure.
    BOOL MakeContextOn(HDC dc);
    // Undoes what CreateTempContext obtained so far.
    void FreeTempContext();
    BOOL CreateHiddenWindow();
    void FillBandLists();
};
