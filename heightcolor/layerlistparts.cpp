#include "heightcolor/layerlistparts.h"

#include "frame/accnames.h"
#include "frame/strings.h"
#include "heightcolor/colorlayerlist.h"
#include "heightcolor/layers.h"
#include "res/resource.h"

namespace {

// Longest cell text read back.
const int kCellTextMax = 100;

}  // namespace

LONG CLayerListParts::AccChildCount(LONG scope)
{
    if (scope == CHILDID_SELF)
        return m_list.GetItemCount();
    return m_list.m_nColumns;
}

bool CLayerListParts::AccChildIsObject(LONG child)
{
    return LayerChildOf(child, m_list.GetItemCount(), m_list.m_nColumns).kind == LayerChild::kRow;
}

bool CLayerListParts::AccDescribe(LONG scope, LONG child, AFX_ACCITEM& item)
{
    const int rows = m_list.GetItemCount();
    const int columns = m_list.m_nColumns;
    if (scope != CHILDID_SELF) {
        // A row's object: itself, or one of its cells.
        const LayerChild row = LayerChildOf(scope, rows, columns);
        if (row.kind != LayerChild::kRow)
            return false;
        if (child == CHILDID_SELF) {
            DescribeRow(row.row, item);
            return true;
        }
        if (child < 1 || child > columns)
            return false;
        DescribeCell(row.row, child - 1, item);
        return true;
    }
    if (child == CHILDID_SELF) {
        LoadResString(IDS_ACC_LAYER_LIST, item.name);
        item.role = ROLE_SYSTEM_TABLE;
        item.state = STATE_SYSTEM_FOCUSABLE | (::GetFocus() == m_list.m_hWnd ? STATE_SYSTEM_FOCUSED : 0);
        return true;
    }
    const LayerChild part = LayerChildOf(child, rows, columns);
    switch (part.kind) {
    case LayerChild::kRow:
        DescribeRow(part.row, item);
        return true;
    case LayerChild::kCell:
        DescribeCell(part.row, part.column, item);
        return true;
    case LayerChild::kNone:
        break;
    }
    return false;
}

LONG CLayerListParts::AccFocusedChild(LONG scope)
{
    if (::GetFocus() != m_list.m_hWnd)
        return -1;
    const int focused = FocusedRow();
    if (scope == CHILDID_SELF)
        return focused < 0 ? CHILDID_SELF : LayerCellChildId(focused, m_list.m_cursor.column);
    const LayerChild row = LayerChildOf(scope, m_list.GetItemCount(), m_list.m_nColumns);
    if (row.kind != LayerChild::kRow || row.row != focused)
        return -1;
    return m_list.m_cursor.column + 1;
}

LONG CLayerListParts::AccChildAt(LONG scope, POINT point)
{
    LVHITTESTINFO hit = {};
    hit.pt = point;
    const int row = static_cast<int>(m_list.SendMessage(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    RECT rc;
    if (row < 0 || !RowRect(row, &rc) || !::PtInRect(&rc, point))
        return CHILDID_SELF;
    ColumnExtent extents[kLayerColumns];
    for (int i = 0; i < kLayerColumns; ++i)
        extents[i] = ColumnExtent{m_list.m_rcColumn[i].left, m_list.m_rcColumn[i].right};
    const int column = LayerColumnAt(extents, m_list.m_nColumns, point.x);
    if (scope == CHILDID_SELF)
        return column < 0 ? row + 1 : LayerCellChildId(row, column);
    if (scope != row + 1)
        return CHILDID_SELF;
    return column < 0 ? CHILDID_SELF : column + 1;
}

void CLayerListParts::DescribeRow(int row, AFX_ACCITEM& item) const
{
    const CString colour = AccColourName(ColorRefFromText(m_list.GetItemText(row, 3, kCellTextMax)));
    FormatResString(item.name, IDS_ACC_ROW_FORMAT, m_list.GetItemText(row, 0, kCellTextMax).GetString(),
                    m_list.GetItemText(row, 1, kCellTextMax).GetString(),
                    m_list.GetItemText(row, 2, kCellTextMax).GetString(), colour.GetString());
    item.role = ROLE_SYSTEM_ROW;
    const UINT state = static_cast<UINT>(m_list.SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(row),
                                                            LVIS_SELECTED | LVIS_FOCUSED));
    item.state = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
    if (state & LVIS_SELECTED)
        item.state |= STATE_SYSTEM_SELECTED;
    if (row == FocusedRow())
        item.state |= STATE_SYSTEM_FOCUSED;
    item.hasRect = RowRect(row, &item.rect);
    RECT client;
    m_list.GetClientRect(&client);
    RECT shown;
    if (!item.hasRect || !::IntersectRect(&shown, &item.rect, &client))
        item.state |= STATE_SYSTEM_OFFSCREEN;
}

void CLayerListParts::DescribeCell(int row, int column, AFX_ACCITEM& item) const
{
    CString columnName;
    LoadResString(IDS_ACC_COLUMN_FIRST + column, columnName);
    const CString text = m_list.GetItemText(row, column, kCellTextMax);
    CString said = text;
    item.value = text;
    if (column == kLayerColourColumn) {
        const COLORREF color = ColorRefFromText(text);
        said = AccColourName(color);
        item.value = AccColourValue(color);
    }
    FormatResString(item.name, IDS_ACC_CELL_FORMAT, m_list.GetItemText(row, 0, kCellTextMax).GetString(),
                    columnName.GetString(), said.GetString());
    item.role = ROLE_SYSTEM_CELL;
    item.state = STATE_SYSTEM_FOCUSABLE;
    if (column < kFirstEditableLayerColumn)
        item.state |= STATE_SYSTEM_READONLY;
    if (row == FocusedRow() && column == m_list.m_cursor.column)
        item.state |= STATE_SYSTEM_FOCUSED;
    RECT rc;
    if (RowRect(row, &rc)) {
        item.rect = RECT{m_list.m_rcColumn[column].left, rc.top, m_list.m_rcColumn[column].right, rc.bottom};
        item.hasRect = true;
        RECT client, shown;
        m_list.GetClientRect(&client);
        if (!::IntersectRect(&shown, &item.rect, &client))
            item.state |= STATE_SYSTEM_OFFSCREEN;
    }
}

bool CLayerListParts::RowRect(int row, RECT* rc) const
{
    CRect bounds;
    if (!m_list.GetItemRect(row, &bounds, LVIR_BOUNDS))
        return false;
    *rc = bounds;
    if (m_list.m_nColumns > 0) {
        rc->left = m_list.m_rcColumn[0].left;
        rc->right = m_list.m_rcColumn[m_list.m_nColumns - 1].right;
    }
    return true;
}

int CLayerListParts::FocusedRow() const
{
    if (::GetFocus() != m_list.m_hWnd)
        return -1;
    return m_list.GetNextItem(-1, LVNI_FOCUSED);
}
