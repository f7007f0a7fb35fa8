// Controls: thin objects over the standard and common controls.
//   CButton, CEdit, CStatic, CComboBox, CListCtrl, CSpinButtonCtrl, CImageList
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "afx/afxwin.h"

class CButton : public CWnd {
public:
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int state) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(state)); }
};

class CEdit : public CWnd {
public:
    void SetLimitText(UINT nMax) { SendMessage(EM_LIMITTEXT, nMax); }
    void SetSel(int start, int end) { SendMessage(EM_SETSEL, static_cast<WPARAM>(start), end); }
};

class CStatic : public CWnd {
public:
    // Creates the static as a child of parent; the object owns the window
    // until it is destroyed with its parent.
    BOOL Create(const wchar_t* text, DWORD style, const RECT& rc, CWnd* parent, UINT id = 0xFFFF);
};

class CComboBox : public CWnd {
public:
    int AddString(const wchar_t* text) { return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text))); }
    // Appends count texts packed one after another, each with its terminator; returns how many
    // went in (it stops at the first the list refuses). They go straight to the control's own
    // procedure, which is what the layer would hand them to: tens of thousands of items then
    // cost what they cost in a plain program.
    int AddStrings(const wchar_t* packed, int count);
    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
    // Reserves room for items more entries holding bytes of text in all; CB_ERRSPACE when refused.
    int InitStorage(int items, UINT bytes) {
        return static_cast<int>(SendMessage(CB_INITSTORAGE, static_cast<WPARAM>(items), static_cast<LPARAM>(bytes)));
    }
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int SetCurSel(int index) { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index))); }
    void GetLBText(int index, CString& text) const;
    void ResetContent() { SendMessage(CB_RESETCONTENT); }
    // The first entry after startAfter (wrapping) whose text begins with prefix, case-insensitive.
    int FindString(int startAfter, const wchar_t* prefix) const {
        return static_cast<int>(SendMessage(CB_FINDSTRING, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(prefix)));
    }
    int SelectString(int startAfter, const wchar_t* prefix) {
        return static_cast<int>(SendMessage(CB_SELECTSTRING, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(prefix)));
    }
};

class CImageList {
public:
    CImageList() = default;
    ~CImageList() { DeleteImageList(); }
    // Images of `image` size cut from bitmap resource id of the current module state, the
    // bitmap stretched to bitmapSize first (its own size where bitmapSize is zero); pixels of
    // the mask colour are transparent.
    BOOL Create(UINT bitmapId, SIZE bitmapSize, SIZE image, int grow, COLORREF mask);
    BOOL DeleteImageList();
    HIMAGELIST m_hImageList = nullptr;
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;
};

class CListCtrl : public CWnd {
public:
    int InsertColumn(int col, const wchar_t* heading, int format, int width, int subItem = -1);
    int InsertItem(int item, const wchar_t* text);
    BOOL SetItemText(int item, int subItem, const wchar_t* text);
    CString GetItemText(int item, int subItem, int maxChars = 260) const;
    BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    BOOL GetItemRect(int item, RECT* rc, UINT code) const;
    int GetNextItem(int start, int flags) const { return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(start), flags)); }
    HIMAGELIST SetImageList(CImageList* list, int which) {
        return reinterpret_cast<HIMAGELIST>(SendMessage(LVM_SETIMAGELIST, static_cast<WPARAM>(which), reinterpret_cast<LPARAM>(list->m_hImageList)));
    }
    // Owner drawing of one row (LVS_OWNERDRAWFIXED).
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {}

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class CSpinButtonCtrl : public CWnd {
public:
    void SetRange(short lower, short upper) { SendMessage(UDM_SETRANGE, 0, MAKELPARAM(upper, lower)); }
    void SetRange32(int lower, int upper) { SendMessage(UDM_SETRANGE32, static_cast<WPARAM>(lower), upper); }
    int SetPos(int pos) { return static_cast<int>(SendMessage(UDM_SETPOS, 0, MAKELPARAM(pos, 0))); }
    // The position query's answer: the position in the low word, an error flag in the high word.
    int GetPos() const { return static_cast<int>(SendMessage(UDM_GETPOS)); }
};
