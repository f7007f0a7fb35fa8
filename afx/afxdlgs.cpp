#include "afx/afxdlgs.h"

CColorDialog::CColorDialog(COLORREF initial, DWORD flags, CWnd* parent)
{
    for (COLORREF& c : m_custom)
        c = RGB(255, 255, 255);
    m_cc = {};
    m_cc.lStructSize = sizeof m_cc;
    m_cc.hwndOwner = parent ? parent->m_hWnd : nullptr;
    m_cc.hInstance = nullptr;
    m_cc.rgbResult = initial;
    m_cc.lpCustColors = m_custom;
    m_cc.Flags = CC_RGBINIT | flags;
}

INT_PTR CColorDialog::DoModal()
{
    // Without a parent the dialog is owned, as every modal dialog of the layer, by the calling
    // thread's active top-level window, which stays disabled while it runs.
    const HWND given = m_cc.hwndOwner;
    if (given == nullptr) {
        HWND owner = ::GetActiveWindow();
        while (owner != nullptr && (::GetWindowLongPtrW(owner, GWL_STYLE) & WS_CHILD))
            owner = ::GetParent(owner);
        m_cc.hwndOwner = owner;
    }
    const BOOL chosen = ::ChooseColorW(&m_cc);
    m_cc.hwndOwner = given;
    return chosen ? IDOK : IDCANCEL;
}

// ---------------------------------------------------------------------------
// CFileDialog

IMPLEMENT_DYNAMIC(CFileDialog, CDialog)

CFileDialog::CFileDialog(BOOL bOpenFileDialog, const wchar_t* lpszDefExt, const wchar_t* lpszFileName,
                         DWORD dwFlags, const wchar_t* lpszFilter, CWnd* pParentWnd)
    : CDialog(0, pParentWnd), m_bOpenFileDialog(bOpenFileDialog)
{
    m_szFileName[0] = 0;
    m_szFileTitle[0] = 0;
    if (lpszFileName != nullptr)
        lstrcpynW(m_szFileName, lpszFileName, MAX_PATH);
    if (lpszDefExt != nullptr)
        m_strDefExt = lpszDefExt;
    // "desc|pattern|desc|pattern|" -> "desc\0pattern\0desc\0pattern\0\0"
    if (lpszFilter != nullptr) {
        m_strFilter = lpszFilter;
        for (wchar_t& c : m_strFilter)
            if (c == L'|')
                c = L'\0';
        m_strFilter += L'\0';
    }

    m_ofn = {};
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.hInstance = AfxGetResourceHandle();
    m_ofn.lpstrFilter = m_strFilter.empty() ? nullptr : m_strFilter.c_str();
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = MAX_PATH;
    m_ofn.lpstrFileTitle = m_szFileTitle;
    m_ofn.nMaxFileTitle = MAX_PATH;
    m_ofn.lpstrDefExt = m_strDefExt.empty() ? nullptr : m_strDefExt.c_str();
    m_ofn.Flags = dwFlags | OFN_EXPLORER | OFN_ENABLEHOOK;
    m_ofn.lpfnHook = &CFileDialog::AfxFileHookProc;
    m_ofn.lCustData = reinterpret_cast<LPARAM>(this);
}

INT_PTR CFileDialog::DoModal()
{
    // One window per object: a dialog that runs is not run again from inside.
    AFX_ASSERT(m_hWnd == nullptr);
    if (m_hWnd != nullptr)
        return -1;
    m_ofn.hwndOwner = GetSafeOwner(m_pParentWnd);
    // The hook finds the object through the structure the system hands it.
    m_ofn.lpfnHook = &CFileDialog::AfxFileHookProc;
    m_ofn.lCustData = reinterpret_cast<LPARAM>(this);
    m_ofn.Flags |= OFN_EXPLORER | OFN_ENABLEHOOK;
    EnterModal();
    m_bFaulted = FALSE;
    BOOL chosen = m_bOpenFileDialog ? ::GetOpenFileNameW(&m_ofn) : ::GetSaveFileNameW(&m_ofn);
    // The child is gone by now; make sure the object does not hold on to it.
    if (m_hWnd != nullptr)
        Detach();
    m_pfnSuper = nullptr;
    LeaveModal();
    if (m_bFaulted)
        return -1;
    return chosen ? IDOK : IDCANCEL;
}

void CFileDialog::EndOnFault()
{
    if (m_bFaulted)
        return;
    m_bFaulted = TRUE;
    ::PostMessageW(GetCommonDialogHwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

UINT_PTR CALLBACK CFileDialog::AfxFileHookProc(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp)
{
    // The hook is the child's dialog procedure. Once the object is attached at WM_INITDIALOG,
    // every message reaches it first through the subclassed window procedure, as for any
    // dialog of the layer; the hook itself only asks for the default handling.
    if (msg != WM_INITDIALOG)
        return FALSE;
    const OPENFILENAMEW* ofn = reinterpret_cast<const OPENFILENAMEW*>(lp);
    CFileDialog* dlg = ofn ? reinterpret_cast<CFileDialog*>(ofn->lCustData) : nullptr;
    return static_cast<UINT_PTR>(AfxDlgProc(hWnd, msg, wp, reinterpret_cast<LPARAM>(dlg)));
}

// The common dialog's notifications to the hook child: each of the handled codes from the
// dialog itself becomes one overridable. Their results are unused; 0 is both returned and
// left in DWLP_MSGRESULT, where the common dialog may read it.
BOOL CFileDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_NOTIFY && lParam != 0) {
        const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lParam);
        if (hdr->hwndFrom != nullptr && hdr->hwndFrom == GetCommonDialogHwnd()) {
            bool handled = true;
            switch (hdr->code) {
            case CDN_INITDONE: OnInitDone(); break;
            case CDN_SELCHANGE: OnFileNameChange(); break;
            case CDN_FOLDERCHANGE: OnFolderChange(); break;
            case CDN_TYPECHANGE: OnTypeChange(); break;
            default: handled = false; break;
            }
            if (handled) {
                if (m_hWnd != nullptr)
                    ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, 0);
                *pResult = 0;
                return TRUE;
            }
        }
    }
    return CDialog::OnWndMsg(message, wParam, lParam, pResult);
}

namespace {

// A CDM_GET* answer from the common dialog: the text, or empty when it has none.
CString QueryCommonDialogText(HWND dialog, UINT message)
{
    if (dialog == nullptr)
        return CString();
    std::wstring buf(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        LRESULT n = ::SendMessageW(dialog, message, static_cast<WPARAM>(buf.size()),
                                   reinterpret_cast<LPARAM>(&buf[0]));
        if (n <= 0)
            return CString();
        if (static_cast<size_t>(n) <= buf.size()) {
            buf.resize(wcsnlen(buf.c_str(), buf.size()));
            return CString(buf);
        }
        buf.assign(static_cast<size_t>(n), L'\0');  // the size it needs, terminator included
    }
    return CString();
}

}  // namespace

CString CFileDialog::GetPathName() const
{
    if (m_hWnd != nullptr)
        return QueryCommonDialogText(GetCommonDialogHwnd(), CDM_GETFILEPATH);
    return CString(m_ofn.lpstrFile);
}

CString CFileDialog::GetFileName() const
{
    if (m_hWnd != nullptr)
        return QueryCommonDialogText(GetCommonDialogHwnd(), CDM_GETSPEC);
    return CString(m_ofn.lpstrFileTitle);
}

CString CFileDialog::GetFolderPath() const
{
    return QueryCommonDialogText(GetCommonDialogHwnd(), CDM_GETFOLDERPATH);
}

void CFileDialog::SetControlText(int id, const wchar_t* text)
{
    if (HWND dialog = GetCommonDialogHwnd())
        ::SendMessageW(dialog, CDM_SETCONTROLTEXT, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(text));
}
