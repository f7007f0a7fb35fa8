// What a screen reader learns about the colour layer list: a table whose rows are the layers
// and whose cells carry the column names of the titles above the list.
//   CLayerListParts
#pragma once
#include "afx/afxacc.h"

class CColorLayerList;

// The list's object is a table (named string 5100) whose children are its rows, objects of
// their own: row i + 1 is named "第 <layer> 层，<lower> 至 <upper>，<colour name>", its
// cells 1 to 4 are named "第 <layer> 层 <column>：<text>" (the colour cell's text is the
// colour's name and its value the red, green and blue values). The list's object also answers
// for every cell by the cell's own number (heightcolor/layercursor.h), which is what the list
// names when its cell cursor moves; its focus is the cursor's cell.
class CLayerListParts : public CAccessibleParts {
public:
    explicit CLayerListParts(CColorLayerList& list) : m_list(list) {}

    LONG AccChildCount(LONG scope) override;
    bool AccDescribe(LONG scope, LONG child, AFX_ACCITEM& item) override;
    bool AccChildIsObject(LONG child) override;
    LONG AccFocusedChild(LONG scope) override;
    LONG AccChildAt(LONG scope, POINT point) override;

private:
    CColorLayerList& m_list;

    void DescribeRow(int row, AFX_ACCITEM& item) const;
    void DescribeCell(int row, int column, AFX_ACCITEM& item) const;
    // The row's extent across all columns, false when the list has no such row.
    bool RowRect(int row, RECT* rc) const;
    // The focused row while the list has the keyboard focus, else -1.
    int FocusedRow() const;
};
