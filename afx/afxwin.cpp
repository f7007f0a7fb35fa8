#include "afx/afxwin.h"
#include "afx/afxcenter.h"
#include "afx/afxdd.h"

#include <new>
#include <string>
#include <unordered_map>
#include <vector>

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)
IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)
IMPLEMENT_DYNAMIC(CDialog, CWnd)
IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

namespace {

// The window property that holds a window's permanent object.
const wchar_t kObjectProp[] = L"OroscapeAfxWnd";

// Temporary objects of the calling thread, per module.
struct TempMap {
    std::unordered_map<HWND, CWnd*> windows;
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

// ---------------------------------------------------------------------------
// Device contexts

void CDC::FillSolidRect(const RECT& rc, COLORREF color)
{
    COLORREF old = ::SetBkColor(m_hDC, color);
    ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, old);
}

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd->m_hWnd)
{
    m_hDC = ::BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC()
{
    ::EndPaint(m_hWnd, &m_ps);
}

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(wnd->m_hWnd)
{
    m_hDC = ::GetDC(m_hWnd);
}

CClientDC::~CClientDC()
{
    if (m_hDC)
        ::ReleaseDC(m_hWnd, m_hDC);
}

// ---------------------------------------------------------------------------
// CWnd

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
    return static_cast<CWnd*>(::GetPropW(hWnd, kObjectProp));
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
    if (!::SetPropW(hWnd, kObjectProp, this))
        return FALSE;
    m_hWnd = hWnd;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    if (hWnd != nullptr && FromHandlePermanent(hWnd) == this)
        ::RemovePropW(hWnd, kObjectProp);
    m_hWnd = nullptr;
    return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    // A window to route, an object without one, a window no other object routes.
    AFX_ASSERT(hWnd != nullptr && m_hWnd == nullptr && FromHandlePermanent(hWnd) == nullptr);
    if (!Attach(hWnd))
        return FALSE;
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::AfxWndProc)));
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    HWND item = parent != nullptr ? ::GetDlgItem(parent->m_hWnd, static_cast<int>(id)) : nullptr;
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
    return FromHandle(::GetDlgItem(m_hWnd, id));
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
    BOOL outerLockout = m_bLockoutNotify;
    m_bLockoutNotify = TRUE;
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    m_bLockoutNotify = outerLockout;
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
    CWnd* wnd = FromHandlePermanent(hWnd);
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

// ---------------------------------------------------------------------------
// CDialog

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
    INT_PTR result = ::DialogBoxParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIDTemplate), owner,
                                       &CDialog::AfxDlgProc, reinterpret_cast<LPARAM>(this));
    // The window is gone by now; make sure the object does not hold on to it.
    if (m_hWnd != nullptr)
        Detach();
    m_pfnSuper = nullptr;
    LeaveModal();
    return result;
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

// ---------------------------------------------------------------------------
// Application object

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp(const wchar_t* lpszAppName) : m_pszAppName(lpszAppName)
{
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

CWinApp* AfxGetApp()
{
    return g_app;
}

const wchar_t* AfxGetAppName()
{
    static wchar_t name[MAX_PATH];
    if (g_app != nullptr && g_app->m_pszAppName != nullptr)
        return g_app->m_pszAppName;
    if (name[0] == 0) {
        wchar_t path[MAX_PATH];
        DWORD n = ::GetModuleFileNameW(AfxGetStaticModuleState()->m_hCurrentInstanceHandle, path, MAX_PATH);
        if (n == 0 || n >= MAX_PATH)
            return L"";
        const wchar_t* title = path;
        for (const wchar_t* p = path; *p; ++p)
            if (*p == L'\\' || *p == L'/')
                title = p + 1;
        size_t i = 0;
        for (; title[i] && title[i] != L'.' && i + 1 < MAX_PATH; ++i)
            name[i] = title[i];
        name[i] = 0;
    }
    return name;
}

int AfxMessageBox(const wchar_t* text, UINT type)
{
    return ::MessageBoxW(::GetActiveWindow(), text, AfxGetAppName(), type);
}

// ---------------------------------------------------------------------------
// Fonts that draw the library's Chinese text

namespace {

// The faces that EnumFontFamiliesExW lists; `complete` is false when memory ran out on the way.
struct FaceList {
    std::vector<std::wstring> faces;
    bool complete = true;
};

// The callbacks below run inside gdi32 and user32: no exception may leave them (it would unwind
// through the system's frames). Out of memory, each stops its enumeration.
int CALLBACK CollectFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM lp)
{
    FaceList* list = reinterpret_cast<FaceList*>(lp);
    try {
        if (font->lfFaceName[0] != L'@')  // vertical writing faces
            list->faces.push_back(font->lfFaceName);
        return 1;
    } catch (...) {
        list->complete = false;
        return 0;
    }
}

// A face of the system's with the Chinese (GB2312) character set, the usual ones first; empty
// when the system has none. Throws std::bad_alloc when memory ran out before all faces were seen
// (the next call looks again).
const std::wstring& ChineseFace()
{
    static const std::wstring face = [] {
        FaceList list;
        LOGFONTW want = {};
        want.lfCharSet = GB2312_CHARSET;
        HDC dc = ::GetDC(nullptr);
        ::EnumFontFamiliesExW(dc, &want, &CollectFace, reinterpret_cast<LPARAM>(&list), 0);
        ::ReleaseDC(nullptr, dc);
        if (!list.complete)
            throw std::bad_alloc();
        for (const wchar_t* preferred : {L"Microsoft YaHei", L"SimSun", L"NSimSun", L"SimHei"}) {
            for (const std::wstring& f : list.faces)
                if (f == preferred)
                    return f;
        }
        return list.faces.empty() ? std::wstring() : list.faces.front();
    }();
    return face;
}

// The fonts made so far, one per height, width and weight; they live as long as the module.
std::vector<HFONT>& MadeFonts()
{
    static std::vector<HFONT> fonts;
    return fonts;
}

HFONT ChineseFontLike(HFONT current)
{
    LOGFONTW font = {};
    if (current == nullptr || ::GetObjectW(current, sizeof font, &font) == 0)
        ::GetObjectW(::GetStockObject(SYSTEM_FONT), sizeof font, &font);
    for (HFONT made : MadeFonts()) {
        LOGFONTW have = {};
        ::GetObjectW(made, sizeof have, &have);
        if (have.lfHeight == font.lfHeight && have.lfWidth == font.lfWidth && have.lfWeight == font.lfWeight)
            return made;
    }
    font.lfCharSet = GB2312_CHARSET;
    font.lfOutPrecision = OUT_TT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(font.lfFaceName, ChineseFace().c_str(), LF_FACESIZE);
    HFONT made = ::CreateFontIndirectW(&font);
    if (made != nullptr) {
        try {
            MadeFonts().push_back(made);
        } catch (...) {
            ::DeleteObject(made);
            throw;
        }
    }
    return made;
}

BOOL CALLBACK UseChineseFont(HWND child, LPARAM)
{
    try {
        if (HFONT font = ChineseFontLike(reinterpret_cast<HFONT>(::SendMessageW(child, WM_GETFONT, 0, 0))))
            ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return TRUE;
    } catch (...) {
        return FALSE;  // the controls done so far keep their new font, the others their own
    }
}

}  // namespace

void AfxUseReadableFont(HWND hWnd)
{
    // Under the Chinese code page the template's face has the glyphs already.
    if (hWnd == nullptr || ::GetACP() == 936)
        return;
    try {
        if (ChineseFace().empty())
            return;
    } catch (const std::bad_alloc&) {
        return;  // memory is short: the controls keep the template's font this time
    }
    UseChineseFont(hWnd, 0);
    ::EnumChildWindows(hWnd, &UseChineseFont, 0);
}

void AfxFreeReadableFonts()
{
    for (HFONT font : MadeFonts())
        ::DeleteObject(font);
    MadeFonts().clear();
}
