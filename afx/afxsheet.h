// Property sheets and their pages.
//   CPropertyPage (one tab, a dialog template), CPropertySheet (modal sheet of pages)
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <vector>

#include "afx/afxwin.h"

// Buttons of the platform's property sheet frame.
#ifndef ID_APPLY_NOW
#define ID_APPLY_NOW 0x3021
#endif
#ifndef ID_WIZBACK
#define ID_WIZBACK 0x3023
#endif
#ifndef ID_WIZNEXT
#define ID_WIZNEXT 0x3024
#endif
#ifndef ID_WIZFINISH
#define ID_WIZFINISH 0x3025
#endif

class CPropertySheet;

// One page of a property sheet, made by the platform from a dialog template of
// the current module state when its tab is first selected. The object outlives
// its window: it is attached at the page's WM_INITDIALOG and let go when the
// window is destroyed with the sheet. Its owner (the code that adds it to a
// sheet) deletes it.
class CPropertyPage : public CDialog {
    DECLARE_DYNAMIC(CPropertyPage)
public:
    explicit CPropertyPage(UINT nIDTemplate);

    // The sheet's notifications, each translated once into a plain result.
    // Runs when the page becomes the current page: TRUE accepts. The base
    // writes the members into the controls, except on the first activation
    // after the window was made (OnInitDialog has just done so).
    virtual BOOL OnSetActive();
    // Runs when the page is to stop being current (another tab, OK, Apply):
    // TRUE lets it go. The base reads and validates the controls.
    virtual BOOL OnKillActive();
    // Runs for every page that has a window when the sheet applies (OK, Apply):
    // TRUE accepts. The base calls OnOK.
    virtual BOOL OnApply();
    // Runs for every page that has a window when the sheet is cancelled. The
    // base calls OnCancel.
    virtual void OnReset();
    // Runs when the user cancels: TRUE lets the sheet close.
    virtual BOOL OnQueryCancel();
    // A page ends nothing itself: the sheet owns OK and Cancel.
    void OnOK() override {}
    void OnCancel() override {}
    // A page that cannot go on ends the sheet around it.
    void EndOnFault() override;

    // What the page answered when the sheet last asked it to stop being current
    // (OK, Apply, another tab): TRUE when it let go. TRUE until first asked.
    BOOL LetGoWhenLastAsked() const { return m_bLetGo; }

    // Marks the page changed (the sheet enables Apply) or unchanged (Apply is
    // disabled once no page is changed). Does nothing while the page has no window.
    void SetModified(BOOL bChanged = TRUE);

    // The page's entry for the platform: template of the current module state,
    // the layer's page procedure, this object as its parameter.
    PROPSHEETPAGEW BuildPage() const;

protected:
    // Sheet notifications from the parent sheet go to the overridables above;
    // the rest of the messages to the dialog's map.
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

private:
    static INT_PTR CALLBACK AfxPropPageProc(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp);
    BOOL m_bFirstSetActive = TRUE;
    BOOL m_bLetGo = TRUE;  // the last OnKillActive's result
};

// A modal property sheet over the pages added to it (pages are not owned).
// The object is attached to the sheet window as soon as it is created, so its
// message map sees every message of the window (WM_INITDIALOG, the Apply
// button's command) before the platform's procedure does.
class CPropertySheet : public CWnd {
    DECLARE_DYNAMIC(CPropertySheet)
public:
    // pParentWnd: the window that owns the sheet while it runs; without one
    // the calling thread's active window does. iSelectPage: the start page.
    CPropertySheet(const wchar_t* pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);

    void AddPage(CPropertyPage* pPage);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CPropertyPage* GetPage(int nPage) const;
    // The page now shown, or null when the sheet has no window.
    CPropertyPage* GetActivePage() const;

    // Runs the sheet with PropertySheetW; returns the platform's result (IDOK,
    // IDCANCEL / 0), or -1 when the sheet could not be made or could not go on,
    // or the object already has a window (a failed AFX_ASSERT).
    virtual INT_PTR DoModal();
    // Cancels the sheet as one that could not go on: DoModal reports -1.
    void EndOnFault() override;
    // Runs once the platform has handled the sheet's WM_INITDIALOG: frame, tabs,
    // buttons and start page built, the sheet sized. The base does nothing and
    // returns TRUE.
    virtual BOOL OnInitDialog();

    PROPSHEETHEADERW m_psh;

protected:
    // The sheet's WM_INITDIALOG: the platform's handling, then OnInitDialog.
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    CString m_strCaption;
    CWnd* m_pParentWnd;
    std::vector<CPropertyPage*> m_pages;

private:
    BOOL m_bFaulted = FALSE;  // ended by EndOnFault during this DoModal
    HHOOK m_hCreateHook = nullptr;  // the hook that waits for the frame, until it is found
    // Thread hook around PropertySheetW: attaches the object to the sheet window
    // as soon as it is created.
    static LRESULT CALLBACK AfxSheetCreateHook(int code, WPARAM wp, LPARAM lp);
};
