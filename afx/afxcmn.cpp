#include "afx/afxcmn.h"

BOOL CStatic::Create(const wchar_t* text, DWORD style, const RECT& rc, CWnd* parent, UINT id)
{
    HWND hWnd = ::CreateWindowExW(0, L"STATIC", text, style, rc.left, rc.top, rc.right - rc.left,
                                  rc.bottom - rc.top, parent ? parent->m_hWnd : nullptr,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                  AfxGetInstanceHandle(), nullptr);
    if (hWnd == nullptr)
        return FALSE;
    return SubclassWindow(hWnd);
}

int CComboBox::AddStrings(const wchar_t* packed, int count)
{
    int added = 0;
    for (const wchar_t* text = packed; added < count; text += lstrlenW(text) + 1) {
        const LRESULT at = m_pfnSuper != nullptr
                               ? ::CallWindowProcW(m_pfnSuper, m_hWnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text))
                               : ::SendMessageW(m_hWnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        if (at < 0)
            break;
        ++added;
    }
    return added;
}

void CComboBox::GetLBText(int index, CString& text) const
{
    LRESULT n = SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (n == CB_ERR) {
        text.Empty();
        return;
    }
    std::wstring buf(static_cast<size_t>(n) + 1, L'\0');
    SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&buf[0]));
    buf.resize(static_cast<size_t>(n));
    text = CString(buf);
}

BOOL CImageList::Create(UINT bitmapId, SIZE bitmapSize, SIZE image, int grow, COLORREF mask)
{
    DeleteImageList();
    // Stretched while loaded: a larger bitmap repeats each pixel, so the mask colour stays exact.
    HBITMAP bitmap = static_cast<HBITMAP>(::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(bitmapId),
                                                       IMAGE_BITMAP, bitmapSize.cx, bitmapSize.cy, 0));
    if (bitmap == nullptr)
        return FALSE;
    m_hImageList = ImageList_Create(image.cx, image.cy, ILC_COLOR24 | ILC_MASK, 1, grow);
    if (m_hImageList != nullptr)
        ImageList_AddMasked(m_hImageList, bitmap, mask);  // as many whole images as it holds
    ::DeleteObject(bitmap);
    return m_hImageList != nullptr;
}

BOOL CImageList::DeleteImageList()
{
    if (m_hImageList == nullptr)
        return FALSE;
    ImageList_Destroy(m_hImageList);
    m_hImageList = nullptr;
    return TRUE;
}

int CListCtrl::InsertColumn(int col, const wchar_t* heading, int format, int width, int subItem)
{
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = format;
    column.cx = width;
    column.pszText = const_cast<wchar_t*>(heading ? heading : L"");
    if (subItem >= 0) {
        column.mask |= LVCF_SUBITEM;
        column.iSubItem = subItem;
    }
    return static_cast<int>(SendMessage(LVM_INSERTCOLUMNW, static_cast<WPARAM>(col), reinterpret_cast<LPARAM>(&column)));
}

int CListCtrl::InsertItem(int item, const wchar_t* text)
{
    LVITEMW lvi = {};
    lvi.mask = LVIF_TEXT;
    lvi.iItem = item;
    lvi.pszText = const_cast<wchar_t*>(text);
    return static_cast<int>(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&lvi)));
}

BOOL CListCtrl::SetItemText(int item, int subItem, const wchar_t* text)
{
    LVITEMW lvi = {};
    lvi.iSubItem = subItem;
    lvi.pszText = const_cast<wchar_t*>(text);
    return static_cast<BOOL>(SendMessage(LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lvi)));
}

CString CListCtrl::GetItemText(int item, int subItem, int maxChars) const
{
    // A cell's text is short: the stack holds it (owner drawing asks for every cell it paints).
    wchar_t small[128];
    std::wstring large;
    const size_t cap = static_cast<size_t>(maxChars < 0 ? 0 : maxChars) + 1;
    wchar_t* buf = small;
    if (cap > 128) {
        large.assign(cap, L'\0');
        buf = &large[0];
    }
    LVITEMW lvi = {};
    lvi.iSubItem = subItem;
    lvi.pszText = buf;
    lvi.cchTextMax = static_cast<int>(cap);
    const LRESULT n = SendMessage(LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lvi));
    const size_t length = n > 0 ? (static_cast<size_t>(n) < cap ? static_cast<size_t>(n) : cap - 1) : 0;
    return CString(std::wstring(buf, length));
}

BOOL CListCtrl::GetItemRect(int item, RECT* rc, UINT code) const
{
    rc->left = static_cast<LONG>(code);
    return static_cast<BOOL>(SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(rc)));
}

BOOL CListCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_DRAWITEM) {
        DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
        *pResult = TRUE;
        return TRUE;
    }
    return FALSE;
}
