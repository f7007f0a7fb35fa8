#include "model/colorswatch.h"

BEGIN_MESSAGE_MAP(CColorSwatch, CStatic)
    ON_WM_PAINT()
END_MESSAGE_MAP()

void CColorSwatch::SetColor(COLORREF color, BOOL bRedraw)
{
    m_crColor = color;
    if (bRedraw && m_hWnd != nullptr)
        InvalidateRect(nullptr, TRUE);
}

void CColorSwatch::OnPaint()
{
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    // The margin is one pixel at 96 dots per inch and grows with the screen's resolution.
    const int dpi = ::GetDeviceCaps(dc.GetSafeHdc(), LOGPIXELSY);
    const int margin = dpi > 0 ? ::MulDiv(1, dpi, 96) : 1;
    rc.DeflateRect(margin, margin);
    dc.FillSolidRect(rc, m_crColor);
}
