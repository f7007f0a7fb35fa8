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
    rc.DeflateRect(1, 1);
    dc.FillSolidRect(rc, m_crColor);
}
