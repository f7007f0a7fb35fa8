// The layer list of the layering dialog: an owner-drawn report list of four columns (layer
// number, lower limit, upper limit, colour swatch) that frames the clicked cell and asks its
// parent to edit a double-clicked limit or colour cell, or the cell under its keyboard cursor.
#pragma once
#include "afx/afxacc.h"
#include "afx/afxcmn.h"
#include "heightcolor/layercolumns.h"
#include "heightcolor/layercursor.h"
#include "heightcolor/layerlistparts.h"
#include "include/oroscape.h"

// Rows are filled by the parent dialog: sub-item 0 the layer number, 1 and 2 the limits as
// text, 3 the colour as the decimal text of a COLORREF. Several rows may be selected; only the
// first selected row ever counts. The parent owns the object; the list window is the
// template's control, attached with DDX_Control and destroyed with the dialog.
//
// Keyboard, with the list focused: Up, Down, Home, End, Page Up and Page Down move the focused
// row as the list does; Left and Right move a cell cursor across the focused row (a dotted
// focus rectangle, starting on the colour column; a click on a cell moves it there too);
// Enter, F2 and Space ask the parent to edit the cursor's cell exactly as a double-click on
// that cell does. The list asks the dialog for Enter, so Enter does not press the default
// button while the list has the focus.
//
// Screen readers get the rows and cells by name (CLayerListParts); whenever the focused list's
// cursor lands on another cell (a key, a click, the focus coming to the list, a refill) the
// list raises the focus event for that cell.
class CColorLayerList : public CListCtrl {
public:
    CColorLayerList();

    // Runs once during the parent's start-up, before any row exists: fixes the column extents
    // from the width of the list's default font (scaled down to the client width when they
    // would not fit), the pixel sizes of its drawing from the resolution of its screen, and
    // clears the framed cell.
    void SetupColumns(short nColumns);

    // The pixel sizes the list draws with (image list, swatch inset, cell frame), as fixed by
    // SetupColumns; those of kBaseDpi before.
    const LayerListMetrics& Metrics() const { return m_metrics; }

    // Width of column i as laid out by SetupColumns (the parent inserts its columns so).
    int ColumnWidth(int i) const;

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

    // Runs after the parent has filled the rows anew (the rows were deleted and inserted):
    // the keyboard cursor goes back to the row it was on, or the last row when there are fewer
    // now, focused and selected; a list that had no focused row stays without one.
    void RestoreCursor();

    short m_nColumns;
    int m_nSelItem;        // row of the framed cell, -1 for none
    int m_nSelColumn;      // column of the framed cell, -1 for none
    RECT m_rcSelCell;      // the framed cell as it was framed (client coordinates), zero for none
    RECT m_rcColumn[kLayerColumns];  // left and right edge of each column; top, bottom unused
    // The keyboard cursor: its column, and its row as it was when the rows were last deleted.
    // The row the keys act on is always the list's focused row.
    LayerCellCursor m_cursor;

protected:
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    LRESULT OnGetDlgCode(WPARAM wParam, LPARAM lParam);
    LRESULT OnKeyDown(WPARAM wParam, LPARAM lParam);
    LRESULT OnDeleteAllItems(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetFocus(WPARAM wParam, LPARAM lParam);
    LRESULT OnKillFocus(WPARAM wParam, LPARAM lParam);

private:
    LayerListMetrics m_metrics;
    int m_nCursorDrawnRow;  // row whose cell shows the cursor rectangle, -1 for none
    CLayerListParts m_accParts;
    CAccessibleServer m_accServer;
    LayerCellCursor m_accAnnounced;  // the cell readers were last told of, row -1 for none

    // Raises the focus event for the cursor's cell of the focused row when the list has the
    // keyboard focus and that cell is not the one last announced (always: even when it is).
    void AnnounceCursorCell(bool always);

    // The column of the first selected row whose cell holds point, from firstColumn on; -1 when
    // no row is selected or no such cell holds it. cell receives that cell.
    int CellAt(CPoint point, int firstColumn, int* row, RECT* cell) const;
    // Asks the parent to edit a cell (WM_EDIT_LAYER_CELL, sent).
    void EditCell(int row, int column);
    // The part of the client area a row's cells cover, with the row's own bounds.
    RECT RowArea(const RECT& row) const;
    // Redraws the focused row (the cursor moved on it).
    void InvalidateFocusedRow();
    // Draws the frame of a clicked cell (its lines m_metrics.frameWidth wide) with brush.
    void FrameCell(HDC dc, const RECT& cell, HBRUSH brush) const;

    DECLARE_MESSAGE_MAP()
};
