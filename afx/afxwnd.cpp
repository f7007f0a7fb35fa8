// Windows: permanent and temporary window objects, the layer's window procedure.
#include "afx/afxwin.h"
#include "afx/afxcenter.h"
#include "afx/afxdd.h"
#include "afx/afxhandlecache.h"

#include <unordered_map>

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)
IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

namespace {

// The window property that holds a window's permanent object.
const wchar_t kObjectProp[] = L"OroscapeAfxWnd";

// Bumped whenever a window's permanent object in this module may have gone (Detach, or an Attach
// from a thread other than the window's): a look-up cached before that no longer counts.
volatile LONG g_permanentGeneration = 0;

// The permanent objects the calling thread's window procedure found lately (see afxhandlecache.h).
// Reading the window property is a round trip to the window server under Wine (tens of
// microseconds), which every message of every routed window would pay (a page with twenty routed
// controls gets hundreds while it is first shown, a list filled with thousands of items more); the
// cache answers for the windows in use until any object lets go of its window anywhere in the
// module.
typedef AfxHandleCache<CWnd> PermanentCache;

// Temporary objects of the calling thread, per module, and its cached look-ups.
struct TempMap {
    std::unordered_map<HWND, CWnd*> windows;
    PermanentCache permanent;
};

TempMap* ThreadTempMap(bool create)
{
    TempMap* map = static_cast<TempMap*>(AfxGetThreadValue(AFX_THREAD_TEMP_MAP));
    if (map == nullptr && create) {
        map = new TempMap;
        if (!AfxSetThreadValue(AFX_THREAD_TEMP_MAP, map)) {
            delete map;
            return nullptr;
        }
    }
    return map;
}

// The window property itself: every module of the process that uses this layer reads it.
CWnd* PermanentFromProperty(HWND hWnd)
{
    return static_cast<CWnd*>(::GetPropW(hWnd, kObjectProp));
}

// The permanent object of a window of the calling thread that runs CWnd::AfxWndProc: one the
// module itself attached and subclassed. Only a window's own thread caches it (its window procedure
// runs there), so Attach can correct that cache in place; a change any other thread cannot see
// bumps the generation. The cache lives with the thread's temporary objects; create: make it when
// the thread has none yet (the window procedure does; other callers read the property instead).
CWnd* PermanentForWndProc(HWND hWnd, bool create)
{
    const LONG generation = InterlockedCompareExchange(&g_permanentGeneration, 0, 0);
    TempMap* map = ThreadTempMap(create);
    if (map == nullptr)
        return PermanentFromProperty(hWnd);
    const uintptr_t key = reinterpret_cast<uintptr_t>(hWnd);
    if (CWnd* known = map->permanent.Find(key, generation))
        return known;
    CWnd* wnd = PermanentFromProperty(hWnd);
    map->permanent.Remember(key, wnd, generation);  // a window without one is never remembered
    return wnd;
}

}  // namespace

void AfxUnlockTempMaps()
{
    TempMap* map = ThreadTempMap(false);
    if (map == nullptr)
        return;
    for (auto& entry : map->windows) {
        entry.second->m_hWnd = nullptr;
        delete entry.second;
    }
    delete map;
    AfxSetThreadValue(AFX_THREAD_TEMP_MAP, nullptr);
}

CWnd::~CWnd()
{
    // A permanent object that still has its window lets go of it; the window
    // stays (its owner destroys it) but no longer reaches this object.
    if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this) {
        if (m_pfnSuper)
            UnsubclassWindow();
        else
            Detach();
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    if (hWnd == nullptr)
        return nullptr;
    // A window this module subclassed: the cached look-up (owner drawing asks for a control's
    // object once per row painted). Any other window: its property, which another module of
    // the layer may have set.
    if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hWnd, GWLP_WNDPROC)) == &CWnd::AfxWndProc &&
        ::GetWindowThreadProcessId(hWnd, nullptr) == ::GetCurrentThreadId())
        return PermanentForWndProc(hWnd, false);
    return PermanentFromProperty(hWnd);
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (hWnd == nullptr)
        return nullptr;
    if (CWnd* permanent = FromHandlePermanent(hWnd))
        return permanent;
    TempMap* map = ThreadTempMap(true);
    if (map == nullptr)
        return nullptr;
    CWnd*& temp = map->windows[hWnd];
    if (temp == nullptr) {
        temp = new CWnd;
        temp->m_hWnd = hWnd;
    }
    return temp;
}

BOOL CWnd::Attach(HWND hWnd)
{
    if (hWnd == nullptr || m_hWnd != nullptr || FromHandlePermanent(hWnd) != nullptr)
        return FALSE;
    return AttachFree(hWnd);
}

BOOL CWnd::AttachFree(HWND hWnd)
{
    if (!::SetPropW(hWnd, kObjectProp, this))
        return FALSE;
    // Caches may still remember an earlier window of the same handle, destroyed without letting
    // go of its object. Only the window's own thread routes its messages: there the slot of the
    // handle is overwritten with the new object at once. Attached from another thread, the
    // window's thread cannot be reached, so every cache of the module starts again.
    if (::GetWindowThreadProcessId(hWnd, nullptr) == ::GetCurrentThreadId()) {
        if (TempMap* map = ThreadTempMap(true))
            map->permanent.Remember(reinterpret_cast<uintptr_t>(hWnd), this,
                                    InterlockedCompareExchange(&g_permanentGeneration, 0, 0));
    } else {
        InterlockedIncrement(&g_permanentGeneration);
    }
    m_hWnd = hWnd;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    if (hWnd != nullptr && FromHandlePermanent(hWnd) == this) {
        ::RemovePropW(hWnd, kObjectProp);
        InterlockedIncrement(&g_permanentGeneration);
    }
    m_hWnd = nullptr;
    return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    // A window to route, an object without one, a window no other object routes (the window's
    // object is looked up once: under Wine every look-up is a round trip to the window server).
    const bool unrouted = hWnd != nullptr && m_hWnd == nullptr && FromHandlePermanent(hWnd) == nullptr;
    AFX_ASSERT(unrouted);
    if (!unrouted || !AttachFree(hWnd))
        return FALSE;
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::AfxWndProc)));
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    HWND item = nullptr;
    if (parent != nullptr)
        parent->GetDlgItem(static_cast<int>(id), &item);
    AFX_ASSERT(item != nullptr);  // the id names a child of the parent
    return item != nullptr && SubclassWindow(item);
}

HWND CWnd::UnsubclassWindow()
{
    if (m_pfnSuper != nullptr && m_hWnd != nullptr)
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    return Detach();
}

CWnd* CWnd::GetDlgItem(int id) const
{
    HWND item = nullptr;
    GetDlgItem(id, &item);
    return FromHandle(item);
}

void CWnd::GetDlgItem(int id, HWND* phWnd) const
{
    // What is checked here is answered within the process.
    for (const KnownItem& known : m_knownItems) {
        if (known.hWnd != nullptr && known.id == id && ::IsWindow(known.hWnd) &&
            (::GetWindowLongPtrW(known.hWnd, GWL_STYLE) & WS_CHILD) && ::GetParent(known.hWnd) == m_hWnd &&
            ::GetDlgCtrlID(known.hWnd) == id) {
            *phWnd = known.hWnd;
            return;
        }
    }
    *phWnd = ::GetDlgItem(m_hWnd, id);
    if (*phWnd == nullptr)
        return;
    for (KnownItem& known : m_knownItems) {
        if (known.id == id && known.hWnd != nullptr) {  // a control of that id gone or moved
            known.hWnd = *phWnd;
            return;
        }
    }
    m_knownItems[m_nextKnownItem] = KnownItem{id, *phWnd};
    m_nextKnownItem = (m_nextKnownItem + 1) % kKnownItems;
}

CWnd* CWnd::GetParent() const
{
    return FromHandle(::GetParent(m_hWnd));
}

void CWnd::GetWindowText(CString& text) const
{
    int n = ::GetWindowTextLengthW(m_hWnd);
    std::wstring buf(static_cast<size_t>(n) + 1, L'\0');
    int got = ::GetWindowTextW(m_hWnd, &buf[0], n + 1);
    buf.resize(got > 0 ? static_cast<size_t>(got) : 0);
    text = CString(buf);
}

void CWnd::ScreenToClient(RECT* rc) const
{
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(rc), 2);
}

void CWnd::ClientToScreen(RECT* rc) const
{
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(rc), 2);
}

BOOL CWnd::SetWindowPos(const CWnd* after, int x, int y, int cx, int cy, UINT flags)
{
    return ::SetWindowPos(m_hWnd, after ? after->m_hWnd : nullptr, x, y, cx, cy, flags);
}

void CWnd::CenterWindow(CWnd* alternateOwner)
{
    // A child centres within its parent's client area. A popup centres over its visible owner, or
    // over the work area of the monitor that shows its owner (hidden or not) or else the active
    // window, and stays inside that monitor's work area (see afxcenter.h).
    RECT rcWnd;
    ::GetWindowRect(m_hWnd, &rcWnd);
    const int w = rcWnd.right - rcWnd.left, h = rcWnd.bottom - rcWnd.top;
    HWND center = alternateOwner ? alternateOwner->m_hWnd : nullptr;
    if (GetStyle() & WS_CHILD) {
        HWND parent = ::GetParent(m_hWnd);
        RECT rcArea;
        ::GetClientRect(parent, &rcArea);
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rcWnd), 2);
        const int x = (rcArea.left + rcArea.right) / 2 - w / 2;
        const int y = (rcArea.top + rcArea.bottom) / 2 - h / 2;
        ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    if (center == nullptr)
        center = ::GetWindow(m_hWnd, GW_OWNER);
    HWND shown = center != nullptr ? center : ::GetActiveWindow();
    if (shown == m_hWnd)
        shown = nullptr;
    MONITORINFO mi;
    mi.cbSize = sizeof mi;
    HMONITOR monitor = ::MonitorFromWindow(shown != nullptr ? shown : m_hWnd, MONITOR_DEFAULTTONEAREST);
    if (monitor == nullptr || !::GetMonitorInfoW(monitor, &mi))
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &mi.rcWork, 0);
    const AfxRect work{mi.rcWork.left, mi.rcWork.top, mi.rcWork.right, mi.rcWork.bottom};
    AfxRect over = work;
    if (center != nullptr && ::IsWindowVisible(center) && !::IsIconic(center)) {
        RECT rcOwner;
        ::GetWindowRect(center, &rcOwner);
        over = AfxRect{rcOwner.left, rcOwner.top, rcOwner.right, rcOwner.bottom};
    }
    const AfxPoint at = AfxCenteredPosition(w, h, over, work);
    ::SetWindowPos(m_hWnd, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd != nullptr && ::DestroyWindow(m_hWnd);
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    // The lock-out ends with the exchange, also when the exchange throws (no memory for a field's
    // prompt): the window's controls must reach its handlers again if it goes on or is shown again.
    struct Lockout {
        BOOL& flag;
        BOOL outer;
        ~Lockout() { flag = outer; }
    } lockout{m_bLockoutNotify, m_bLockoutNotify};
    m_bLockoutNotify = TRUE;
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return dx.m_bFailed ? FALSE : TRUE;
}

LRESULT CWnd::Default()
{
    return DefWindowProc(m_currentMsg.message, m_currentMsg.wParam, m_currentMsg.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper != nullptr)
        return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // Control notifications caused by this window's own data exchange.
    if (m_bLockoutNotify) {
        if (message == WM_COMMAND && lParam != 0)
            return 0;
        if (message == WM_NOTIFY && ::IsChild(m_hWnd, reinterpret_cast<const NMHDR*>(lParam)->hwndFrom))
            return 0;
    }
    CurrentMsg saved = m_currentMsg;
    m_currentMsg = {message, wParam, lParam};
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    m_currentMsg = saved;
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    // Owner drawing goes back to the control's own object.
    if (message == WM_DRAWITEM || message == WM_MEASUREITEM) {
        HWND item = nullptr;
        if (message == WM_DRAWITEM)
            item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem;
        else
            item = ::GetDlgItem(m_hWnd, static_cast<int>(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->CtlID));
        CWnd* child = FromHandlePermanent(item);
        if (child != nullptr && child != this && child->OnChildNotify(message, wParam, lParam, pResult))
            return TRUE;
    }
    return FALSE;
}

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*)
{
    return FALSE;
}

LRESULT CALLBACK CWnd::AfxWndProc(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    CWnd* wnd = PermanentForWndProc(hWnd, true);
    if (wnd == nullptr)
        return ::DefWindowProcW(hWnd, msg, wp, lp);
    LRESULT result = 0;
    try {
        result = wnd->WindowProc(msg, wp, lp);
    } catch (...) {
        AfxEndOnFault(wnd, msg);
    }
    if (msg == WM_NCDESTROY) {
        // The window is gone: the object lets go of it (it may be reused).
        if (wnd->m_pfnSuper)
            wnd->UnsubclassWindow();
        else
            wnd->Detach();
        wnd->PostNcDestroy();
    }
    return result;
}

void CWnd::EndOnFault()
{
    // A control or plain window belongs to the dialog around it.
    for (HWND up = ::GetParent(m_hWnd); up != nullptr; up = ::GetParent(up)) {
        if (CWnd* owner = FromHandlePermanent(up)) {
            owner->EndOnFault();
            return;
        }
    }
}

void AfxEndOnFault(CWnd* wnd, UINT message)
{
    wchar_t note[96];
    wsprintfW(note, L"Oroscape: a handler of message 0x%04X failed; its dialog is ended\n", message);
    ::OutputDebugStringW(note);
    if (wnd != nullptr && wnd->m_hWnd != nullptr)
        wnd->EndOnFault();
}
