// The colour sample at the end of each red-green-blue row of the model pages.
//   CColorSwatch
#pragma once
#include "afx/afxcmn.h"

// A static control that paints itself in one solid colour, leaving a margin inside its
// client area of one pixel at 96 dots per inch (two at 144 and 192). Attached to a template's static with DDX_Control.
class CColorSwatch : public CStatic {
public:
    CColorSwatch() = default;
    ~CColorSwatch() override = default;

    // Stores the colour; with bRedraw, repaints the whole control (only once
    // the control is attached to its window). Otherwise the colour shows at the
    // next repaint that happens for another reason.
    void SetColor(COLORREF color, BOOL bRedraw);

    COLORREF m_crColor = 0;

protected:
    void OnPaint();
    DECLARE_MESSAGE_MAP()
};
