#include "model/colorswatch.h"

#include "frame/accnames.h"
#include "frame/strings.h"
#include "res/resource.h"

BEGIN_MESSAGE_MAP(CColorSwatch, CStatic)
    ON_WM_PAINT()
    ON_MESSAGE(WM_GETOBJECT, OnGetObject)
END_MESSAGE_MAP()

void CColorSwatch::SetColor(COLORREF color, BOOL bRedraw)
{
    m_crColor = color;
    // A hidden swatch (its page not shown yet) is painted whole when it appears.
    if (bRedraw && m_hWnd != nullptr && ::IsWindowVisible(m_hWnd))
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

LRESULT CColorSwatch::OnGetObject(WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (m_accServer.OnGetObject(m_hWnd, wParam, lParam, &result))
        return result;
    return Default();
}

bool CColorSwatch::AccDescribe(LONG scope, LONG child, AFX_ACCITEM& item)
{
    if (scope != CHILDID_SELF || child != CHILDID_SELF)
        return false;
    FormatResString(item.name, IDS_ACC_SWATCH_FORMAT, RowLabel().GetString(), AccColourName(m_crColor).GetString());
    item.value = AccColourValue(m_crColor);
    item.role = ROLE_SYSTEM_GRAPHIC;
    item.state = STATE_SYSTEM_READONLY | (::IsWindowVisible(m_hWnd) ? 0 : STATE_SYSTEM_INVISIBLE);
    return true;
}

CString CColorSwatch::RowLabel() const
{
    HWND parent = ::GetParent(m_hWnd);
    RECT own;
    ::GetWindowRect(m_hWnd, &own);
    HWND best = nullptr;
    LONG bestRight = LONG_MIN;
    for (HWND w = ::GetWindow(parent, GW_CHILD); w != nullptr; w = ::GetWindow(w, GW_HWNDNEXT)) {
        wchar_t cls[16] = {};
        if (w == m_hWnd || !::GetClassNameW(w, cls, 16) || ::lstrcmpiW(cls, L"Static") != 0 ||
            ::GetWindowTextLengthW(w) == 0)
            continue;
        RECT rc;
        ::GetWindowRect(w, &rc);
        const LONG middle = (rc.top + rc.bottom) / 2;
        if (rc.right <= own.left && middle >= own.top && middle < own.bottom && rc.right > bestRight) {
            best = w;
            bestRight = rc.right;
        }
    }
    CString label;
    if (best == nullptr)
        return label;
    wchar_t text[64] = {};
    ::GetWindowTextW(best, text, 64);
    label = text;
    const int n = label.GetLength();
    if (n > 0 && (label.GetString()[n - 1] == L':' || label.GetString()[n - 1] == L'\xFF1A'))
        label = label.Left(n - 1);
    return label;
}
