#include "afx/afxcenter.h"

AfxPoint AfxCenteredPosition(int width, int height, const AfxRect& over, const AfxRect& work)
{
    // The midpoint in 64 bits: coordinates near the ends of the int range do not overflow.
    const long long midX = (static_cast<long long>(over.left) + over.right) / 2;
    const long long midY = (static_cast<long long>(over.top) + over.bottom) / 2;
    long long x = midX - width / 2;
    long long y = midY - height / 2;
    if (x + width > work.right)
        x = static_cast<long long>(work.right) - width;
    if (x < work.left)
        x = work.left;
    if (y + height > work.bottom)
        y = static_cast<long long>(work.bottom) - height;
    if (y < work.top)
        y = work.top;
    return AfxPoint{static_cast<int>(x), static_cast<int>(y)};
}
