// The layer list of the layering dialog: an owner-drawn report list of four columns (layer
// number, lower limit, upper limit, colour swatch) that frames the clicked cell and asks its
// parent to edit a double-clicked limit or colour cell.
#pragma once
#include "afx/afxcmn.h"
#include "heightcolor/layercolumns.h"
#include "include/oroscape.h"

// Rows are filled by the parent dialog: sub-item 0 the layer number, 1 and 2 the limits as
// text, 3 the colour as the decimal text of a COLORREF. Several rows may be selected; only the
// first selected row ever counts. The parent owns the object; the list window is the
// template's control, attached with DDX_Control and destroyed with the dialog.
class CColorLayerList : public CListCtrl {
public:
    CColorLayerList();

    // Runs once during the parent's start-up, before any row exists: fixes the column extents
    // from the width of the list's default font (scaled down to the client width when they
    // would not fit) and clears the framed cell.
    void SetupColumns(short nColumns);

    // Width of column i as laid out by SetupColumns (the parent inserts its columns so).
    int ColumnWidth(int i) const;

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

    short m_nColumns;
    int m_nSelItem;        // row of the framed cell, -1 for none
    int m_nSelColumn;      // column of the framed cell, -1 for none
    RECT m_rcSelCell;      // the framed cell as it was framed (client coordinates), zero for none
    RECT m_rcColumn[kLayerColumns];  // left and right edge of each column; top, bottom unused

protected:
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);

private:
    // The column of the first selected row whose cell holds point, from firstColumn on; -1 when
    // no row is selected or no such cell holds it. cell receives that cell.
    int CellAt(CPoint point, int firstColumn, int* row, RECT* cell) const;

    DECLARE_MESSAGE_MAP()
};
