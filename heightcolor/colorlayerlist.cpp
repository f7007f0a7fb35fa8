#include "heightcolor/colorlayerlist.h"

#include "heightcolor/layers.h"

static_assert(kLayerKeyReturn == VK_RETURN && kLayerKeySpace == VK_SPACE && kLayerKeyLeft == VK_LEFT &&
                  kLayerKeyRight == VK_RIGHT && kLayerKeyF2 == VK_F2,
              "the cursor's keys are the virtual-key codes");

BEGIN_MESSAGE_MAP(CColorLayerList, CListCtrl)
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_MESSAGE(WM_GETDLGCODE, OnGetDlgCode)
    ON_MESSAGE(WM_KEYDOWN, OnKeyDown)
    ON_MESSAGE(LVM_DELETEALLITEMS, OnDeleteAllItems)
    ON_MESSAGE(WM_GETOBJECT, OnGetObject)
    ON_MESSAGE(WM_SETFOCUS, OnSetFocus)
    ON_MESSAGE(WM_KILLFOCUS, OnKillFocus)
END_MESSAGE_MAP()

namespace {

// Longest cell text the list reads back.
const int kCellTextMax = 100;

RECT CellRect(const RECT& column, const RECT& row)
{
    RECT cell = {column.left, row.top, column.right, row.bottom};
    return cell;
}

}  // namespace

CColorLayerList::CColorLayerList()
    : m_nColumns(kLayerColumns),
      m_nSelItem(-1),
      m_nSelColumn(-1),
      m_cursor{-1, kLayerColourColumn},
      m_metrics(LayerListMetricsAt(kBaseDpi)),
      m_nCursorDrawnRow(-1),
      m_accParts(*this),
      m_accServer(&m_accParts),
      m_accAnnounced{-1, -1}
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
    int dpi = kBaseDpi;
    {
        CClientDC dc(this);
        TEXTMETRICW tm;
        if (dc.GetSafeHdc() != nullptr && dc.GetTextMetrics(&tm))
            charWidth = tm.tmMaxCharWidth;
        if (dc.GetSafeHdc() != nullptr && ::GetDeviceCaps(dc.GetSafeHdc(), LOGPIXELSY) > 0)
            dpi = ::GetDeviceCaps(dc.GetSafeHdc(), LOGPIXELSY);
    }
    m_metrics = LayerListMetricsAt(dpi);
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
    m_cursor = ClampLayerCursor(LayerCellCursor{-1, kLayerColourColumn}, 0, m_nColumns);
    m_nCursorDrawnRow = -1;
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
    // The whole row is drawn afresh, also when the list asks only for its focus to be shown
    // or hidden: the focus rectangle is drawn inverting, so it must land on a clean row.
    dc.FillSolidRect(RowArea(row), RGB(255, 255, 255));
    // Plain black text on the white background, selected or not: the list shows no selection,
    // whatever colours it prepared for a selected row.
    const int oldMode = ::SetBkMode(dc.GetSafeHdc(), TRANSPARENT);
    const COLORREF oldText = ::SetTextColor(dc.GetSafeHdc(), RGB(0, 0, 0));
    for (int i = 0; i < m_nColumns; ++i) {
        CString text = GetItemText(item, i, kCellTextMax);
        RECT cell = CellRect(m_rcColumn[i], row);
        if (i == 3) {
            CRect swatch(cell);
            swatch.DeflateRect(m_metrics.swatchInset, m_metrics.swatchInset);
            if (swatch.Width() > 0 && swatch.Height() > 0)
                dc.FillSolidRect(swatch, ColorRefFromText(text));
        } else {
            // Centred horizontally; DT_VCENTER has no effect without DT_SINGLELINE, so the
            // text sits at the top of the cell.
            dc.DrawText(text, &cell, DT_CENTER | DT_VCENTER);
        }
        if (item == m_nSelItem && i == m_nSelColumn)
            FrameCell(dc.GetSafeHdc(), cell, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    }
    // The keyboard cursor: a dotted rectangle just inside its cell (inside a click's frame,
    // around a swatch), on the focused row of the focused list.
    const int cursorInset = m_metrics.frameWidth;
    const UINT state = lpDrawItemStruct->itemState;
    if ((state & ODS_FOCUS) && !(state & ODS_NOFOCUSRECT) && m_cursor.column >= 0 &&
        m_cursor.column < m_nColumns) {
        RECT cell = CellRect(m_rcColumn[m_cursor.column], row);
        ::InflateRect(&cell, -cursorInset, -cursorInset);
        if (cell.right > cell.left && cell.bottom > cell.top)
            ::DrawFocusRect(dc.GetSafeHdc(), &cell);
        m_nCursorDrawnRow = item;
    } else if (item == m_nCursorDrawnRow) {
        // The row has lost the cursor. The list redraws only its own part of a row that loses
        // the focus, which leaves out the first pixels of the first column: the whole row
        // is drawn again.
        m_nCursorDrawnRow = -1;
        const RECT area = RowArea(row);
        InvalidateRect(&area, FALSE);
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
        FrameCell(dc.GetSafeHdc(), m_rcSelCell, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    FrameCell(dc.GetSafeHdc(), cell, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    m_nSelItem = row;
    m_nSelColumn = column;
    m_rcSelCell = cell;
    // The keyboard cursor follows to the clicked cell.
    if (m_cursor.column != column) {
        m_cursor.column = column;
        InvalidateFocusedRow();
    }
    AnnounceCursorCell(false);
}

void CColorLayerList::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    Default();
    int row = -1;
    RECT cell;
    // Limits and colour only: the layer number is not editable.
    const int column = CellAt(point, kFirstEditableLayerColumn, &row, &cell);
    if (column < 0)
        return;
    EditCell(row, column);
}

void CColorLayerList::EditCell(int row, int column)
{
    ::SendMessageW(::GetParent(m_hWnd), WM_EDIT_LAYER_CELL, static_cast<WPARAM>(row),
                   static_cast<LPARAM>(column));
}

RECT CColorLayerList::RowArea(const RECT& row) const
{
    // The list's bounds of a row may start right of the first column's edge (where the cursor
    // of the first column lies): the cells count.
    RECT area = row;
    if (m_nColumns > 0) {
        if (m_rcColumn[0].left < area.left)
            area.left = m_rcColumn[0].left;
        if (m_rcColumn[m_nColumns - 1].right > area.right)
            area.right = m_rcColumn[m_nColumns - 1].right;
    }
    return area;
}

void CColorLayerList::InvalidateFocusedRow()
{
    const int focused = GetNextItem(-1, LVNI_FOCUSED);
    CRect rc;
    if (focused >= 0 && GetItemRect(focused, &rc, LVIR_BOUNDS)) {
        const RECT area = RowArea(rc);
        InvalidateRect(&area, FALSE);
    }
}

void CColorLayerList::FrameCell(HDC dc, const RECT& cell, HBRUSH brush) const
{
    RECT line = cell;
    for (int i = 0; i < m_metrics.frameWidth && line.right > line.left && line.bottom > line.top; ++i) {
        ::FrameRect(dc, &line, brush);
        ::InflateRect(&line, -1, -1);
    }
}

LRESULT CColorLayerList::OnGetDlgCode(WPARAM wParam, LPARAM lParam)
{
    // The dialog asks before it acts on a key (lParam is the message then): the list keeps
    // its edit keys, Enter among them, which would otherwise press the default button.
    LRESULT code = Default();
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (msg != nullptr && msg->message == WM_KEYDOWN &&
        LayerKeyActionFor(static_cast<unsigned>(msg->wParam)) == LayerKeyAction::kEditCell)
        code |= DLGC_WANTMESSAGE;
    return code;
}

LRESULT CColorLayerList::OnKeyDown(WPARAM wParam, LPARAM lParam)
{
    const unsigned key = static_cast<unsigned>(wParam);
    switch (LayerKeyActionFor(key)) {
    case LayerKeyAction::kMoveCursor: {
        const int column = LayerCursorColumnAfter(key, m_cursor.column, m_nColumns);
        if (column != m_cursor.column) {
            m_cursor.column = column;
            InvalidateFocusedRow();
            AnnounceCursorCell(false);
        }
        return 0;
    }
    case LayerKeyAction::kEditCell: {
        const LayerCellCursor cursor{GetNextItem(-1, LVNI_FOCUSED), m_cursor.column};
        const int column = LayerColumnToEdit(cursor, GetItemCount(), m_nColumns);
        if (column >= 0)
            EditCell(cursor.row, column);
        return 0;
    }
    case LayerKeyAction::kListOwn:
        break;
    }
    const LRESULT result = Default();
    AnnounceCursorCell(false);
    return result;
}

LRESULT CColorLayerList::OnDeleteAllItems(WPARAM wParam, LPARAM lParam)
{
    // The parent refills the list: the cursor's row is remembered for RestoreCursor.
    m_cursor.row = GetNextItem(-1, LVNI_FOCUSED);
    m_nCursorDrawnRow = -1;
    return Default();
}

void CColorLayerList::RestoreCursor()
{
    m_cursor = ClampLayerCursor(m_cursor, GetItemCount(), m_nColumns);
    if (m_cursor.row < 0)
        return;
    LVITEMW item = {};
    item.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
    item.state = LVIS_FOCUSED | LVIS_SELECTED;
    SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(m_cursor.row), reinterpret_cast<LPARAM>(&item));
    SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(m_cursor.row), FALSE);
    // The rows are new: the cell is announced again, also where the cursor stayed.
    AnnounceCursorCell(true);
}

LRESULT CColorLayerList::OnGetObject(WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (m_accServer.OnGetObject(m_hWnd, wParam, lParam, &result))
        return result;
    return Default();
}

LRESULT CColorLayerList::OnSetFocus(WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = Default();
    AnnounceCursorCell(true);
    return result;
}

LRESULT CColorLayerList::OnKillFocus(WPARAM wParam, LPARAM lParam)
{
    m_accAnnounced = LayerCellCursor{-1, -1};
    return Default();
}

void CColorLayerList::AnnounceCursorCell(bool always)
{
    if (::GetFocus() != m_hWnd)
        return;
    const LayerCellCursor cell{GetNextItem(-1, LVNI_FOCUSED), m_cursor.column};
    if (cell.row < 0 || cell.column < 0 || cell.column >= m_nColumns)
        return;
    if (!always && cell.row == m_accAnnounced.row && cell.column == m_accAnnounced.column)
        return;
    m_accAnnounced = cell;
    CAccessibleServer::NotifyFocus(m_hWnd, LayerCellChildId(cell.row, cell.column));
}
