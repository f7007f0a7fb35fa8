#include "heightcolor/colorlayerlist.h"

#include "heightcolor/layers.h"

BEGIN_MESSAGE_MAP(CColorLayerList, CListCtrl)
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

namespace {

// Longest cell text the list reads back.
const int kCellTextMax = 100;
// Gap between a colour swatch and its cell's edges.
const int kSwatchInset = 2;

RECT CellRect(const RECT& column, const RECT& row)
{
    RECT cell = {column.left, row.top, column.right, row.bottom};
    return cell;
}

}  // namespace

CColorLayerList::CColorLayerList() : m_nColumns(kLayerColumns), m_nSelItem(-1), m_nSelColumn(-1)
{
    m_rcSelCell = RECT{0, 0, 0, 0};
    for (RECT& rc : m_rcColumn)
        rc = RECT{0, 0, 0, 0};
}

void CColorLayerList::SetupColumns(short nColumns)
{
    m_nColumns = static_cast<short>(nColumns < 0 ? 0 : (nColumns > kLayerColumns ? kLayerColumns : nColumns));

    // The default font of a fresh device context, not the list's own: its widest character.
    int charWidth = 0;
    {
        CClientDC dc(this);
        TEXTMETRICW tm;
        if (dc.GetSafeHdc() != nullptr && dc.GetTextMetrics(&tm))
            charWidth = tm.tmMaxCharWidth;
    }
    // The columns must fit the client area also once the vertical scroll bar shows, or the
    // colour column slides out of reach under a wide (Chinese) system font.
    CRect client;
    GetClientRect(&client);
    int available = client.Width();
    if (!(GetStyle() & WS_VSCROLL))
        available -= ::GetSystemMetrics(SM_CXVSCROLL);

    ColumnExtent extents[kLayerColumns] = {};
    LayoutLayerColumns(charWidth, available, m_nColumns, extents);
    for (int i = 0; i < kLayerColumns; ++i) {
        m_rcColumn[i].left = extents[i].left;
        m_rcColumn[i].right = extents[i].right;
        m_rcColumn[i].top = m_rcColumn[i].bottom = 0;
    }

    m_nSelItem = -1;
    m_nSelColumn = -1;
    m_rcSelCell = RECT{0, 0, 0, 0};
}

int CColorLayerList::ColumnWidth(int i) const
{
    if (i < 0 || i >= kLayerColumns)
        return 0;
    return m_rcColumn[i].right - m_rcColumn[i].left;
}

BOOL CColorLayerList::OnEraseBkgnd(CDC* pDC)
{
    // Always white, whatever the system colours.
    CRect rc;
    GetClientRect(&rc);
    pDC->DPtoLP(&rc);
    HBRUSH white = ::CreateSolidBrush(RGB(255, 255, 255));
    HGDIOBJ old = pDC->SelectObject(white);
    pDC->PatBlt(rc.left, rc.top, rc.Width(), rc.Height(), PATCOPY);
    pDC->SelectObject(old);
    ::DeleteObject(white);
    return TRUE;
}

void CColorLayerList::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    CDC dc(lpDrawItemStruct->hDC);
    const int item = static_cast<int>(lpDrawItemStruct->itemID);
    CRect row;
    if (!GetItemRect(item, &row, LVIR_BOUNDS))
        return;
    // Plain black text on the white background, selected or not: the list shows no selection,
    // whatever colours it prepared for a selected row.
    const int oldMode = ::SetBkMode(dc.GetSafeHdc(), TRANSPARENT);
    const COLORREF oldText = ::SetTextColor(dc.GetSafeHdc(), RGB(0, 0, 0));
    for (int i = 0; i < m_nColumns; ++i) {
        CString text = GetItemText(item, i, kCellTextMax);
        RECT cell = CellRect(m_rcColumn[i], row);
        if (i == 3) {
            CRect swatch(cell);
            swatch.DeflateRect(kSwatchInset, kSwatchInset);
            if (swatch.Width() > 0 && swatch.Height() > 0)
                dc.FillSolidRect(swatch, ColorRefFromText(text));
        } else {
            // Centred horizontally; DT_VCENTER has no effect without DT_SINGLELINE, so the
            // text sits at the top of the cell.
            dc.DrawText(text, &cell, DT_CENTER | DT_VCENTER);
        }
        if (item == m_nSelItem && i == m_nSelColumn)
            dc.FrameRect(cell, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    }
    ::SetTextColor(dc.GetSafeHdc(), oldText);
    ::SetBkMode(dc.GetSafeHdc(), oldMode);
}

int CColorLayerList::CellAt(CPoint point, int firstColumn, int* row, RECT* cell) const
{
    const int first = GetNextItem(-1, LVNI_SELECTED);
    if (first < 0)
        return -1;
    CRect rcRow;
    if (!GetItemRect(first, &rcRow, LVIR_BOUNDS))
        return -1;
    if (point.y < rcRow.top || point.y >= rcRow.bottom)
        return -1;
    ColumnExtent extents[kLayerColumns];
    for (int i = 0; i < kLayerColumns; ++i)
        extents[i] = ColumnExtent{m_rcColumn[i].left, m_rcColumn[i].right};
    const int column = LayerColumnAt(extents, m_nColumns, point.x, firstColumn);
    if (column < 0)
        return -1;
    *row = first;
    *cell = CellRect(m_rcColumn[column], rcRow);
    return column;
}

void CColorLayerList::OnLButtonDown(UINT nFlags, CPoint point)
{
    // The list selects the row under the cursor first.
    Default();
    int row = -1;
    RECT cell;
    const int column = CellAt(point, 0, &row, &cell);
    if (column < 0)
        return;  // the old frame stays where it was
    CClientDC dc(this);
    if (m_rcSelCell.top != 0 || m_rcSelCell.bottom != 0)
        dc.FrameRect(m_rcSelCell, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    dc.FrameRect(cell, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    m_nSelItem = row;
    m_nSelColumn = column;
    m_rcSelCell = cell;
}

void CColorLayerList::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    Default();
    int row = -1;
    RECT cell;
    // Limits and colour only: the layer number is not editable.
    const int column = CellAt(point, 1, &row, &cell);
    if (column < 0)
        return;
    ::SendMessageW(::GetParent(m_hWnd), WM_EDIT_LAYER_CELL, static_cast<WPARAM>(row),
                   static_cast<LPARAM>(column));
}
