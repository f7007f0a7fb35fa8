#include "afx/afxsheet.h"

IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)
IMPLEMENT_DYNAMIC(CPropertySheet, CWnd)

namespace {

// The sheet whose PropertySheetW call runs on this thread, until its window is
// created (AfxSheetCreateHook).
CPropertySheet* TakePendingSheet()
{
    CPropertySheet* sheet = static_cast<CPropertySheet*>(AfxGetThreadValue(AFX_THREAD_PENDING_SHEET));
    AfxSetThreadValue(AFX_THREAD_PENDING_SHEET, nullptr);
    return sheet;
}

CPropertySheet* SetPendingSheet(CPropertySheet* sheet)
{
    CPropertySheet* previous = static_cast<CPropertySheet*>(AfxGetThreadValue(AFX_THREAD_PENDING_SHEET));
    AfxSetThreadValue(AFX_THREAD_PENDING_SHEET, sheet);
    return previous;
}

}  // namespace

// ---------------------------------------------------------------------------
// CPropertyPage

CPropertyPage::CPropertyPage(UINT nIDTemplate) : CDialog(nIDTemplate, nullptr) {}

PROPSHEETPAGEW CPropertyPage::BuildPage() const
{
    PROPSHEETPAGEW psp;
    ZeroMemory(&psp, sizeof(psp));
    psp.dwSize = sizeof(psp);
    psp.dwFlags = PSP_DEFAULT;  // the tab shows the template's caption
    psp.hInstance = AfxGetResourceHandle();
    psp.pszTemplate = MAKEINTRESOURCEW(m_nIDTemplate);
    psp.pfnDlgProc = &CPropertyPage::AfxPropPageProc;
    psp.lParam = reinterpret_cast<LPARAM>(this);
    return psp;
}

INT_PTR CALLBACK CPropertyPage::AfxPropPageProc(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg != WM_INITDIALOG)
        return CDialog::AfxDlgProc(hWnd, msg, wp, lp);
    // The platform passes its copy of the page's entry; its lParam is the object.
    const PROPSHEETPAGEW* psp = reinterpret_cast<const PROPSHEETPAGEW*>(lp);
    CPropertyPage* page = psp != nullptr ? reinterpret_cast<CPropertyPage*>(psp->lParam) : nullptr;
    if (page != nullptr)
        page->m_bFirstSetActive = TRUE;  // a new window: its first activation writes nothing
    return CDialog::AfxDlgProc(hWnd, msg, wp, reinterpret_cast<LPARAM>(page));
}

BOOL CPropertyPage::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    // The sheet tells its pages with WM_NOTIFY from the sheet window; notes from
    // the page's own controls (a spin's UDN_DELTAPOS) are not the sheet's.
    // The page's window procedure is the layer's, so the value stored in
    // *pResult is what the sheet's SendMessage returns: the direct return is
    // the rule here, not DWLP_MSGRESULT, which only the dialog manager's
    // default procedure would hand back.
    if (message == WM_NOTIFY && m_hWnd != nullptr) {
        const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lParam);
        if (hdr != nullptr && hdr->hwndFrom == ::GetParent(m_hWnd)) {
            switch (hdr->code) {
            case PSN_SETACTIVE:
                *pResult = OnSetActive() ? 0 : -1;
                return TRUE;
            case PSN_KILLACTIVE:
                // The platform's answer is "TRUE: the page is invalid, keep it".
                m_bLetGo = OnKillActive();
                *pResult = m_bLetGo ? FALSE : TRUE;
                return TRUE;
            case PSN_APPLY:
                *pResult = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
                return TRUE;
            case PSN_RESET:
                OnReset();
                *pResult = 0;
                return TRUE;
            case PSN_QUERYCANCEL:
                *pResult = OnQueryCancel() ? FALSE : TRUE;
                return TRUE;
            default:
                break;
            }
        }
    }
    return CDialog::OnWndMsg(message, wParam, lParam, pResult);
}

BOOL CPropertyPage::OnSetActive()
{
    if (m_bFirstSetActive)
        m_bFirstSetActive = FALSE;
    else
        UpdateData(FALSE);
    return TRUE;
}

BOOL CPropertyPage::OnKillActive()
{
    return UpdateData(TRUE);
}

BOOL CPropertyPage::OnApply()
{
    OnOK();
    return TRUE;
}

void CPropertyPage::OnReset()
{
    OnCancel();
}

BOOL CPropertyPage::OnQueryCancel()
{
    return TRUE;
}

void CPropertyPage::EndOnFault()
{
    // A page cannot end itself: the sheet around it is ended.
    if (CWnd* sheet = m_hWnd != nullptr ? CWnd::FromHandlePermanent(::GetParent(m_hWnd)) : nullptr)
        sheet->EndOnFault();
}

void CPropertyPage::SetModified(BOOL bChanged)
{
    if (m_hWnd == nullptr)
        return;
    ::SendMessageW(::GetParent(m_hWnd), bChanged ? PSM_CHANGED : PSM_UNCHANGED,
                   reinterpret_cast<WPARAM>(m_hWnd), 0);
}

// ---------------------------------------------------------------------------
// CPropertySheet

CPropertySheet::CPropertySheet(const wchar_t* pszCaption, CWnd* pParentWnd, UINT iSelectPage)
    : m_strCaption(pszCaption), m_pParentWnd(pParentWnd)
{
    ZeroMemory(&m_psh, sizeof(m_psh));
    m_psh.dwSize = sizeof(m_psh);
    m_psh.nStartPage = iSelectPage;
}

void CPropertySheet::AddPage(CPropertyPage* pPage)
{
    if (pPage != nullptr)
        m_pages.push_back(pPage);
}

CPropertyPage* CPropertySheet::GetPage(int nPage) const
{
    if (nPage < 0 || nPage >= GetPageCount())
        return nullptr;
    return m_pages[static_cast<size_t>(nPage)];
}

CPropertyPage* CPropertySheet::GetActivePage() const
{
    if (m_hWnd == nullptr)
        return nullptr;
    HWND page = reinterpret_cast<HWND>(::SendMessageW(m_hWnd, PSM_GETCURRENTPAGEHWND, 0, 0));
    return DYNAMIC_DOWNCAST(CPropertyPage, CWnd::FromHandlePermanent(page));
}

namespace {

// Whether a window about to be created is a property sheet's frame: a top-level window of the
// dialog class (the atom or its name) owned by the sheet's owner.
bool IsSheetFrame(const CREATESTRUCTW& cs, HWND owner)
{
    if (cs.style & WS_CHILD)
        return false;
    if (cs.hwndParent != owner)
        return false;
    const wchar_t* cls = cs.lpszClass;
    if (cls == nullptr)
        return false;
    if (IS_INTRESOURCE(cls))
        return LOWORD(reinterpret_cast<ULONG_PTR>(cls)) == LOWORD(reinterpret_cast<ULONG_PTR>(WC_DIALOG));
    return lstrcmpiW(cls, L"#32770") == 0;
}

}  // namespace

LRESULT CALLBACK CPropertySheet::AfxSheetCreateHook(int code, WPARAM wp, LPARAM lp)
{
    // PropertySheetW's frame is attached to its object as it is created, so that the object sees its
    // WM_INITDIALOG. Other windows that the sheet's creation causes first (one the owner makes when
    // the sheet disables it, the thread's IME window) are not the sheet and are left alone.
    if (code == HCBT_CREATEWND) {
        const CBT_CREATEWNDW* create = reinterpret_cast<const CBT_CREATEWNDW*>(lp);
        CPropertySheet* pending = static_cast<CPropertySheet*>(AfxGetThreadValue(AFX_THREAD_PENDING_SHEET));
        if (pending != nullptr && create != nullptr && create->lpcs != nullptr &&
            IsSheetFrame(*create->lpcs, pending->m_psh.hwndParent)) {
            AFX_MANAGE_STATE(AfxGetStaticModuleState());
            CPropertySheet* sheet = TakePendingSheet();
            // Its work is done: every later event of the sheet's life (its pages' controls,
            // activation, focus) would pass through it for nothing.
            if (sheet->m_hCreateHook != nullptr) {
                ::UnhookWindowsHookEx(sheet->m_hCreateHook);
                sheet->m_hCreateHook = nullptr;
            }
            try {
                sheet->SubclassWindow(reinterpret_cast<HWND>(wp));
            } catch (...) {
                AfxEndOnFault(sheet, WM_NCCREATE);
            }
        }
    }
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

BOOL CPropertySheet::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    // The platform builds the sheet in its own WM_INITDIALOG: tabs, buttons, the
    // start page, the size. OnInitDialog runs once all that is done.
    if (message == WM_INITDIALOG) {
        *pResult = Default();
        AfxUseReadableFont(m_hWnd);
        OnInitDialog();
        return TRUE;
    }
    return CWnd::OnWndMsg(message, wParam, lParam, pResult);
}

BOOL CPropertySheet::OnInitDialog()
{
    return TRUE;
}

void CPropertySheet::EndOnFault()
{
    // The platform's own modal loop ends on Cancel; DoModal then reports -1.
    if (m_bFaulted)
        return;
    m_bFaulted = TRUE;
    ::PostMessageW(m_hWnd, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
}

INT_PTR CPropertySheet::DoModal()
{
    // One window per object: a sheet that runs is not run again from inside.
    AFX_ASSERT(m_hWnd == nullptr);
    if (m_hWnd != nullptr || m_pages.empty())
        return -1;

    // The pages' entries are rebuilt for each run: the instance is the current
    // module state's at this call.
    std::vector<PROPSHEETPAGEW> entries;
    entries.reserve(m_pages.size());
    for (CPropertyPage* page : m_pages)
        entries.push_back(page->BuildPage());

    m_psh.dwSize = sizeof(m_psh);
    m_psh.dwFlags |= PSH_PROPSHEETPAGE;
    m_psh.hwndParent = CDialog::GetSafeOwner(m_pParentWnd);
    m_psh.hInstance = AfxGetResourceHandle();
    m_psh.pszCaption = m_strCaption;
    m_psh.nPages = static_cast<UINT>(entries.size());
    m_psh.ppsp = entries.data();
    if (m_psh.nStartPage >= m_psh.nPages)
        m_psh.nStartPage = 0;

    CDialog::EnterModal();
    m_bFaulted = FALSE;
    CPropertySheet* outer = SetPendingSheet(this);
    m_hCreateHook = ::SetWindowsHookExW(WH_CBT, &CPropertySheet::AfxSheetCreateHook, nullptr, ::GetCurrentThreadId());
    INT_PTR result = m_hCreateHook != nullptr ? ::PropertySheetW(&m_psh) : -1;
    // Still there when the frame never came (the sheet could not be made).
    if (m_hCreateHook != nullptr)
        ::UnhookWindowsHookEx(m_hCreateHook);
    m_hCreateHook = nullptr;
    SetPendingSheet(outer);
    if (m_bFaulted)
        result = -1;
    // The window is gone by now; make sure the object does not hold on to it.
    if (m_hWnd != nullptr)
        Detach();
    m_pfnSuper = nullptr;
    CDialog::LeaveModal();
    return result;
}
