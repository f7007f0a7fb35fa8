// Windows, dialogs, message maps, device contexts and the application object.
//   CCmdTarget, CWnd, CDialog, CWinApp, CDC / CPaintDC / CClientDC, CPoint, CRect; the readable-font hook
#pragma once
#include <windows.h>
#include <windowsx.h>
#undef SubclassWindow  // windowsx.h macro; CWnd has a member of that name

#include "afx/afxrtti.h"
#include "afx/afxstate.h"
#include "afx/afxstr.h"

class CDataExchange;
struct AFX_DDX_FAILURE;

struct CPoint : POINT {
    CPoint() { x = 0; y = 0; }
    CPoint(int ix, int iy) { x = ix; y = iy; }
};

struct CRect : RECT {
    CRect() { left = top = right = bottom = 0; }
    CRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
    CRect(const RECT& r) : RECT(r) {}
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool PtInRect(POINT pt) const { return ::PtInRect(this, pt) != FALSE; }
    void DeflateRect(int dx, int dy) { left += dx; top += dy; right -= dx; bottom -= dy; }
};

// A device context handle with the drawing calls the dialogs use. Does not own
// the handle; CPaintDC and CClientDC do.
class CDC {
public:
    explicit CDC(HDC hdc = nullptr) : m_hDC(hdc) {}
    virtual ~CDC() = default;
    HDC GetSafeHdc() const { return m_hDC; }
    void FillSolidRect(const RECT& rc, COLORREF color);
    void FrameRect(const RECT& rc, HBRUSH brush) { ::FrameRect(m_hDC, &rc, brush); }
    int DrawText(const wchar_t* text, RECT* rc, UINT format) { return ::DrawTextW(m_hDC, text, -1, rc, format); }
    BOOL GetTextMetrics(TEXTMETRICW* tm) const { return ::GetTextMetricsW(m_hDC, tm); }
    HGDIOBJ SelectObject(HGDIOBJ obj) { return ::SelectObject(m_hDC, obj); }
    BOOL PatBlt(int x, int y, int w, int h, DWORD rop) { return ::PatBlt(m_hDC, x, y, w, h, rop); }
    BOOL DPtoLP(RECT* rc) const { return ::DPtoLP(m_hDC, reinterpret_cast<POINT*>(rc), 2); }
    HDC m_hDC;

    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;
};

class CWnd;

class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps;
private:
    HWND m_hWnd;
};

class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;
private:
    HWND m_hWnd;
};

// Root of the objects that receive messages.
class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
};

// ---------------------------------------------------------------------------
// Message maps. Each entry is a plain `if` on the message (and the control id
// and notification code) that calls the handler with typed arguments, so a
// handler of the wrong signature does not compile. A map that handles nothing
// falls through to its base class's map; the last base, CWnd, hands the message
// to the default window procedure.

#define DECLARE_MESSAGE_MAP() \
protected: \
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass) \
    BOOL theClass::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) \
    { \
        typedef baseClass TheBaseClass;

#define END_MESSAGE_MAP() \
        return TheBaseClass::OnWndMsg(message, wParam, lParam, pResult); \
    }

#define AFX_IS_COMMAND_(code, id) \
    (message == WM_COMMAND && HIWORD(wParam) == (code) && LOWORD(wParam) == (id))

#define ON_COMMAND(id, memberFxn) \
    if (AFX_IS_COMMAND_(0, id)) { memberFxn(); *pResult = 0; return TRUE; }
#define ON_CONTROL(code, id, memberFxn) \
    if (AFX_IS_COMMAND_(code, id)) { memberFxn(); *pResult = 0; return TRUE; }
#define ON_CONTROL_RANGE(code, id, idLast, memberFxn) \
    if (message == WM_COMMAND && HIWORD(wParam) == (code) && \
        LOWORD(wParam) >= (id) && LOWORD(wParam) <= (idLast)) { \
        memberFxn(static_cast<UINT>(LOWORD(wParam))); *pResult = 0; return TRUE; }
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)

// LRESULT memberFxn(WPARAM, LPARAM)
#define ON_MESSAGE(msg, memberFxn) \
    if (message == (msg)) { *pResult = memberFxn(wParam, lParam); return TRUE; }

// void OnPaint()
#define ON_WM_PAINT() \
    if (message == WM_PAINT) { OnPaint(); *pResult = 0; return TRUE; }
// BOOL OnEraseBkgnd(CDC*)
#define ON_WM_ERASEBKGND() \
    if (message == WM_ERASEBKGND) { \
        CDC dc_(reinterpret_cast<HDC>(wParam)); *pResult = OnEraseBkgnd(&dc_); return TRUE; }
// void OnLButtonDown(UINT nFlags, CPoint point)
#define ON_WM_LBUTTONDOWN() \
    if (message == WM_LBUTTONDOWN) { \
        OnLButtonDown(static_cast<UINT>(wParam), CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))); \
        *pResult = 0; return TRUE; }
// void OnLButtonDblClk(UINT nFlags, CPoint point)
#define ON_WM_LBUTTONDBLCLK() \
    if (message == WM_LBUTTONDBLCLK) { \
        OnLButtonDblClk(static_cast<UINT>(wParam), CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))); \
        *pResult = 0; return TRUE; }
// void OnVScroll(UINT nSBCode, UINT nPos, CWnd* pScrollBar)
#define ON_WM_VSCROLL() \
    if (message == WM_VSCROLL) { \
        OnVScroll(LOWORD(wParam), HIWORD(wParam), CWnd::FromHandle(reinterpret_cast<HWND>(lParam))); \
        *pResult = 0; return TRUE; }
// void OnSize(UINT nType, int cx, int cy)
#define ON_WM_SIZE() \
    if (message == WM_SIZE) { \
        OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)); *pResult = 0; return TRUE; }
// void OnClose()
#define ON_WM_CLOSE() \
    if (message == WM_CLOSE) { OnClose(); *pResult = 0; return TRUE; }

// ---------------------------------------------------------------------------

// A window object. Permanent objects are attached to their window (the
// window's property holds the object) and receive its messages through the
// layer's window procedure; temporary objects from FromHandle only wrap a
// handle for calls.
class CWnd : public CCmdTarget {
    DECLARE_DYNAMIC(CWnd)
public:
    CWnd() = default;
    ~CWnd() override;

    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // The permanent object of hWnd, else a temporary one that lives until the
    // thread's outermost modal loop ends (AfxUnlockTempMaps).
    static CWnd* FromHandle(HWND hWnd);
    static CWnd* FromHandlePermanent(HWND hWnd);

    BOOL Attach(HWND hWnd);
    HWND Detach();
    // Routes the window's messages through this object (DDX_Control uses it).
    // Asserts (AFX_ASSERT) and returns FALSE when there is no such window, the
    // object already has a window or the window already has an object.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();

    LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::SendMessageW(m_hWnd, msg, wp, lp); }
    BOOL PostMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::PostMessageW(m_hWnd, msg, wp, lp); }
    CWnd* GetDlgItem(int id) const;
    // The handle of child id (null when there is none). A handle found is remembered and used
    // again while it is still this window's child with that id: under Wine GetDlgItem asks the
    // window server for the window's children each time, and data exchange asks for every field
    // on every pass.
    void GetDlgItem(int id, HWND* phWnd) const;
    CWnd* GetParent() const;
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
    // Suspends (FALSE) or resumes (TRUE) the window's redrawing, e.g. while a list fills.
    void SetRedraw(BOOL redraw = TRUE) { SendMessage(WM_SETREDRAW, static_cast<WPARAM>(redraw)); }
    void SetWindowText(const wchar_t* text) { ::SetWindowTextW(m_hWnd, text); }
    void GetWindowText(CString& text) const;
    int GetWindowTextLength() const { return ::GetWindowTextLengthW(m_hWnd); }
    void GetClientRect(RECT* rc) const { ::GetClientRect(m_hWnd, rc); }
    void GetWindowRect(RECT* rc) const { ::GetWindowRect(m_hWnd, rc); }
    void ScreenToClient(RECT* rc) const;
    void ClientToScreen(RECT* rc) const;
    BOOL SetWindowPos(const CWnd* after, int x, int y, int cx, int cy, UINT flags);
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void InvalidateRect(const RECT* rc, BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, rc, erase); }
    BOOL RedrawWindow(const RECT* rc, HRGN rgn, UINT flags) { return ::RedrawWindow(m_hWnd, rc, rgn, flags); }
    void CenterWindow(CWnd* alternateOwner = nullptr);
    CWnd* SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
    BOOL DestroyWindow();

    // Runs DoDataExchange. While it runs, the notifications of this window's
    // controls (an edit's EN_CHANGE from the exchange's own writing) are not
    // delivered to the window. FALSE when a field failed.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // Runs when data exchange stopped at a field that failed (inside UpdateData).
    // The base shows the standard prompt for it (AfxDataExchangePrompt), then
    // gives the field the focus and selects an edit field's text.
    virtual void OnDataExchangeFailure(const AFX_DDX_FAILURE& failure);

    // The window's default processing of the message now being handled.
    LRESULT Default();

    // Runs in a modal dialog's loop (CDialog::DoModal's message filter hook) for each message
    // taken from the queue for this window or a child of it, before the dialog manager sees
    // it: keys pressed while a button or the list has the focus reach the dialog here. TRUE
    // when handled: the loop then drops the message. The base handles nothing.
    virtual BOOL PreTranslateMessage(MSG* pMsg) { return FALSE; }
    // Offers msg to PreTranslateMessage of the permanent objects this module routes, from its
    // window up to its top-level window, innermost first; TRUE as soon as one handled it.
    static BOOL WalkPreTranslateTree(MSG* pMsg);

    // Window procedure of every window the layer routes: switches to the
    // module's own state for each message, as windows of a regular DLL do.
    // No exception leaves it: a handler that throws ends its dialog (EndOnFault).
    static LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp);

    // Runs when a handler of this window threw (no memory for a string, say):
    // the dialog the window belongs to cannot go on and is ended, as one that
    // failed. Here: passed to the nearest window above that has an object.
    virtual void EndOnFault();

protected:
    virtual void DoDataExchange(CDataExchange* pDX) {}
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The message map. The base handles messages reflected to child controls.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // A parent's message about this control (owner drawing): TRUE when handled.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Runs after the window is gone (WM_NCDESTROY).
    virtual void PostNcDestroy() {}
    // Attach for a window known to have no object and an object known to have none.
    BOOL AttachFree(HWND hWnd);

    WNDPROC m_pfnSuper = nullptr;

private:
    friend class CDialog;
    struct CurrentMsg { UINT message; WPARAM wParam; LPARAM lParam; };
    CurrentMsg m_currentMsg = {0, 0, 0};
    BOOL m_bLockoutNotify = FALSE;  // UpdateData is running
    // Children found by GetDlgItem(id, HWND*), the oldest replaced first (no allocation).
    struct KnownItem { int id; HWND hWnd; };
    static const int kKnownItems = 16;
    mutable KnownItem m_knownItems[kKnownItems] = {};
    mutable int m_nextKnownItem = 0;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
};

// A modal dialog from a template of the current module state's resources.
class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr)
        : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

    // Runs the dialog; the value given to EndDialog, or -1 when the window
    // could not be created or the object already has one (a failed AFX_ASSERT).
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    // Ends the dialog with -1, the result of a dialog that could not run.
    void EndOnFault() override;

protected:
    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

    // Owner of a modal window: the parent given, else the calling thread's
    // active top-level window (which is disabled while the dialog runs).
    static HWND GetSafeOwner(CWnd* parent);
    static INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp);
    // After OnInitDialog: centres a modal pop-up that kept its place and stayed hidden.
    static void AutoCenter(HWND hWnd, DWORD styleBefore, const RECT& rectBefore);
    // Attaches and subclasses a window created from a template with AfxDlgProc.
    static void AttachDialog(HWND hWnd, CDialog* dlg);
    // The message filter hook the outermost DoModal of a thread installs: a dialog box's loop
    // hands it each message, which goes to WalkPreTranslateTree.
    static LRESULT CALLBACK AfxMsgFilterHook(int code, WPARAM wp, LPARAM lp);
    // Modal loops in progress on this thread: temporaries are freed at the outermost end.
    static void EnterModal();
    static void LeaveModal();
    friend class CPropertyPage;
    friend class CPropertySheet;

    DECLARE_MESSAGE_MAP()
};

// Called where a procedure of the layer caught an exception from a handler of
// wnd's message: notes it for a debugger and ends wnd's dialog.
void AfxEndOnFault(CWnd* wnd, UINT message);

// A dialog's or sheet's face may lack the glyphs of the texts its module gives it. The framework
// calls the module's readable-font hook, if one is installed, with every dialog at WM_INITDIALOG and
// every property sheet once the platform has built it; the hook may give the window and its
// children another font. Which face, and when, is the module's choice.
typedef void (*AFX_READABLE_FONT_HOOK)(HWND hWnd);
// Installs the hook (nullptr removes it): at load, before any dialog runs.
void AfxSetReadableFontHook(AFX_READABLE_FONT_HOOK hook);
// Runs the installed hook for hWnd (nothing when there is none or hWnd is null): the framework calls
// it from the dialog and sheet paths; call it for controls made later.
void AfxUseReadableFont(HWND hWnd);

// Sets a window's text unless it holds that text already: no change notification, repaint of a
// static, or caret, selection and undo of an edit lost for nothing (data exchange writes its
// fields with it).
void AfxSetWindowText(HWND hWnd, const wchar_t* text);

// The application object of a module.
class CWinApp : public CCmdTarget {
    DECLARE_DYNAMIC(CWinApp)
public:
    explicit CWinApp(const wchar_t* lpszAppName = nullptr);
    ~CWinApp() override;
    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return 0; }
    const wchar_t* m_pszAppName;
    HINSTANCE m_hInstance = nullptr;
};

CWinApp* AfxGetApp();
// Caption of the layer's own message boxes (data exchange prompts): the module's name.
const wchar_t* AfxGetAppName();
// The layer's message box: owner is the thread's active window.
int AfxMessageBox(const wchar_t* text, UINT type = MB_OK);
