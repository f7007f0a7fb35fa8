// Where CWnd::CenterWindow puts a top-level window: centred over its owner (or over the work area of
// a monitor), then kept inside that monitor's work area. Windows-free, so that the arithmetic is
// tested natively; CWnd::CenterWindow (afxwnd.cpp) measures the windows and the monitor.
//   AfxRect, AfxPoint, AfxCenteredPosition
#pragma once

// A rectangle in screen coordinates (the fields of a RECT); on a system with several monitors
// the coordinates may be negative (a monitor left of or above the primary one).
struct AfxRect {
    int left, top, right, bottom;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

struct AfxPoint {
    int x, y;
};

// The top-left corner for a window of `width` x `height` centred over `over` (the owner's window
// rectangle; the work area itself when there is no visible owner) and moved the least distance
// that keeps it inside `work`, the work area of the monitor that shows the owner (or the active
// window). A window larger than the work area keeps its left and top edges inside.
AfxPoint AfxCenteredPosition(int width, int height, const AfxRect& over, const AfxRect& work);
