// Modal dialogs from the module's templates.
#include "afx/afxwin.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

void CDialog::EnterModal()
{
    INT_PTR depth = reinterpret_cast<INT_PTR>(AfxGetThreadValue(AFX_THREAD_MODAL_DEPTH)) + 1;
    AfxSetThreadValue(AFX_THREAD_MODAL_DEPTH, reinterpret_cast<void*>(depth));
}

void CDialog::LeaveModal()
{
    INT_PTR depth = reinterpret_cast<INT_PTR>(AfxGetThreadValue(AFX_THREAD_MODAL_DEPTH)) - 1;
    AfxSetThreadValue(AFX_THREAD_MODAL_DEPTH, reinterpret_cast<void*>(depth));
    if (depth <= 0)
        AfxUnlockTempMaps();
}

HWND CDialog::GetSafeOwner(CWnd* parent)
{
    HWND owner = parent ? parent->m_hWnd : ::GetActiveWindow();
    while (owner != nullptr && (::GetWindowLongPtrW(owner, GWL_STYLE) & WS_CHILD))
        owner = ::GetParent(owner);
    return owner;
}

void CDialog::AttachDialog(HWND hWnd, CDialog* dlg)
{
    dlg->SubclassWindow(hWnd);
}

INT_PTR CALLBACK CDialog::AfxDlgProc(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp)
{
    // Everything but the start goes through the subclassed window procedure
    // (AfxWndProc), which sees each message before the dialog manager does;
    // here the dialog manager's own default handling is asked for (FALSE).
    if (msg != WM_INITDIALOG)
        return FALSE;
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    CDialog* dlg = reinterpret_cast<CDialog*>(lp);
    if (dlg == nullptr)
        return TRUE;
    const DWORD styleBefore = static_cast<DWORD>(::GetWindowLongPtrW(hWnd, GWL_STYLE));
    RECT rectBefore;
    ::GetWindowRect(hWnd, &rectBefore);
    BOOL focusDefault = TRUE;
    CurrentMsg saved = dlg->m_currentMsg;
    try {
        AttachDialog(hWnd, dlg);
        AfxUseReadableFont(hWnd);
        dlg->m_currentMsg = {msg, wp, lp};
        focusDefault = dlg->OnInitDialog();
    } catch (...) {
        dlg->m_currentMsg = saved;
        AfxEndOnFault(dlg, msg);
        return TRUE;
    }
    dlg->m_currentMsg = saved;
    if (::IsWindow(hWnd))
        AutoCenter(hWnd, styleBefore, rectBefore);
    return focusDefault;
}

void CDialog::EndOnFault()
{
    ::EndDialog(m_hWnd, -1);
}

void CDialog::AutoCenter(HWND hWnd, DWORD styleBefore, const RECT& rectBefore)
{
    // A modal pop-up that starts hidden, is still hidden and did not move during its
    // initialisation, with no owner or a disabled one (the modal loop's), is centred over its
    // owner, or on the screen when it has none. A template that places the dialog itself
    // (DS_CENTER, DS_CENTERMOUSE, DS_ABSALIGN) keeps its place.
    if (styleBefore & (WS_VISIBLE | DS_CENTER | DS_CENTERMOUSE | DS_ABSALIGN))
        return;
    if (::GetWindowLongPtrW(hWnd, GWL_STYLE) & (WS_VISIBLE | WS_CHILD))
        return;
    RECT rect;
    ::GetWindowRect(hWnd, &rect);
    if (rect.left != rectBefore.left || rect.top != rectBefore.top)
        return;
    HWND owner = ::GetWindow(hWnd, GW_OWNER);
    if (owner != nullptr && ::IsWindowEnabled(owner))
        return;
    CWnd* wnd = FromHandlePermanent(hWnd);
    if (wnd != nullptr)
        wnd->CenterWindow();
}

INT_PTR CDialog::DoModal()
{
    // One window per object: a dialog that runs is not run again from inside.
    AFX_ASSERT(m_hWnd == nullptr);
    if (m_hWnd != nullptr)
        return -1;
    HWND owner = GetSafeOwner(m_pParentWnd);
    EnterModal();
    // One hook a thread, the outermost dialog's: a nested dialog's messages reach it as well,
    // and each message is offered once.
    HHOOK hook = nullptr;
    if (AfxGetThreadValue(AFX_THREAD_MSG_FILTER) == nullptr) {
        hook = ::SetWindowsHookExW(WH_MSGFILTER, &CDialog::AfxMsgFilterHook, nullptr, ::GetCurrentThreadId());
        if (hook != nullptr && !AfxSetThreadValue(AFX_THREAD_MSG_FILTER, hook)) {
            ::UnhookWindowsHookEx(hook);
            hook = nullptr;
        }
    }
    INT_PTR result = ::DialogBoxParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIDTemplate), owner,
                                       &CDialog::AfxDlgProc, reinterpret_cast<LPARAM>(this));
    if (hook != nullptr) {
        ::UnhookWindowsHookEx(hook);
        AfxSetThreadValue(AFX_THREAD_MSG_FILTER, nullptr);
    }
    // The window is gone by now; make sure the object does not hold on to it.
    if (m_hWnd != nullptr)
        Detach();
    m_pfnSuper = nullptr;
    LeaveModal();
    return result;
}

LRESULT CALLBACK CDialog::AfxMsgFilterHook(int code, WPARAM wp, LPARAM lp)
{
    HHOOK hook = static_cast<HHOOK>(AfxGetThreadValue(AFX_THREAD_MSG_FILTER));
    if (code == MSGF_DIALOGBOX && lp != 0) {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        if (WalkPreTranslateTree(reinterpret_cast<MSG*>(lp)))
            return 1;
    }
    return ::CallNextHookEx(hook, code, wp, lp);
}

BOOL CWnd::WalkPreTranslateTree(MSG* pMsg)
{
    for (HWND h = pMsg->hwnd; h != nullptr;) {
        // Windows of this module's own only: another module's dialogs have a hook of their own,
        // and asking a window that is not routed here for its object costs a call to the window
        // server under Wine, for nearly every message of the loop.
        CWnd* wnd = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(h, GWLP_WNDPROC)) == &CWnd::AfxWndProc
                        ? FromHandlePermanent(h)
                        : nullptr;
        if (wnd != nullptr) {
            try {
                if (wnd->PreTranslateMessage(pMsg))
                    return TRUE;
            } catch (...) {
                AfxEndOnFault(wnd, pMsg->message);
                return TRUE;
            }
        }
        // Up to the top-level window and no further: an owner is another window's business.
        if (!::IsWindow(h) || !(::GetWindowLongPtrW(h, GWL_STYLE) & WS_CHILD))
            break;
        h = ::GetParent(h);
    }
    return FALSE;
}

void CDialog::EndDialog(int nResult)
{
    ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

namespace {
AFX_READABLE_FONT_HOOK g_readableFont = nullptr;
}

void AfxSetReadableFontHook(AFX_READABLE_FONT_HOOK hook)
{
    g_readableFont = hook;
}

void AfxUseReadableFont(HWND hWnd)
{
    if (hWnd != nullptr && g_readableFont != nullptr)
        g_readableFont(hWnd);
}
