// The colour sample at the end of each red-green-blue row of the model pages.
//   CColorSwatch
#pragma once
#include "afx/afxacc.h"
#include "afx/afxcmn.h"

// A static control that paints itself in one solid colour, leaving a margin inside its
// client area of one pixel at 96 dots per inch (two at 144 and 192). Attached to a template's static with DDX_Control.
//
// Screen readers get it as a graphic named by its row's label (the text of the static at the
// left of the row, without its colon) and the colour's basic term, e.g. "环境光，深灰", with
// the red, green and blue values as its value.
class CColorSwatch : public CStatic, private CAccessibleParts {
public:
    CColorSwatch() : m_accServer(this) {}
    ~CColorSwatch() override = default;

    // Stores the colour; with bRedraw, repaints the whole control (only once
    // the control is attached to its window and shown: a hidden one is painted
    // whole when it appears). Otherwise the colour shows at the next repaint
    // that happens for another reason.
    void SetColor(COLORREF color, BOOL bRedraw);

    COLORREF m_crColor = 0;

protected:
    void OnPaint();
    LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    CAccessibleServer m_accServer;

    LONG AccChildCount(LONG scope) override { return 0; }
    bool AccDescribe(LONG scope, LONG child, AFX_ACCITEM& item) override;
    // The text of the row's label: the nearest static with text left of the swatch whose middle
    // lies within the swatch's height, without a trailing colon.
    CString RowLabel() const;
};
