// Where a centred window goes on systems with several monitors: over its owner, kept inside the work
// area of the monitor that shows the owner (or the active window), in screen coordinates that may be
// negative.
#include "afx/afxcenter.h"

#include <gtest/gtest.h>

namespace {

// Monitors (their work areas, a 40-pixel task bar at the bottom of the primary one).
const AfxRect kPrimaryWork{0, 0, 1920, 1040};
const AfxRect kRightWork{1920, 0, 3200, 1024};   // 1280 x 1024, right of the primary
const AfxRect kLeftWork{-1280, -200, 0, 824};    // 1280 x 1024, left of the primary and 200 higher

struct Case {
    const char* what;
    int width, height;
    AfxRect over;  // the owner's rectangle, or the work area when there is no visible owner
    AfxRect work;  // the work area of the owner's (or the active window's) monitor
    int x, y;      // expected top-left
};

const Case kCases[] = {
    {"over an owner inside the primary monitor", 400, 300, {100, 100, 900, 700}, kPrimaryWork, 300, 250},
    {"over an owner on the monitor to the right", 400, 300, {2000, 100, 3000, 900}, kRightWork, 2300, 350},
    {"no visible owner, the host on the monitor to the right: its work area's middle", 400, 300, kRightWork,
     kRightWork, 2360, 362},
    {"over an owner on the monitor left of the primary (negative coordinates)", 400, 300,
     {-1200, -150, -400, 450}, kLeftWork, -1000, 0},
    {"no visible owner, the host on the left monitor", 400, 300, kLeftWork, kLeftWork, -840, 162},
    {"an owner near the left monitor's left edge: kept inside it", 600, 400, {-1300, -250, -1000, 50}, kLeftWork,
     -1280, -200},
    // Most of the owner is on the right monitor (its monitor): the window stays whole on that one.
    {"an owner straddling the primary and the right monitor", 500, 300, {1700, 200, 2500, 600}, kRightWork, 1920,
     250},
    // Most of the owner is on the primary: the window stays whole on the primary.
    {"an owner straddling, mostly on the primary", 500, 300, {1500, 200, 2100, 600}, kPrimaryWork, 1420, 250},
    {"an owner straddling the left monitor and the primary, mostly left", 500, 300, {-500, 300, 300, 700},
     kLeftWork, -500, 350},
    {"an owner below the left monitor's work area: the bottom edge holds", 400, 300, {-900, 700, -500, 900},
     kLeftWork, -900, 524},
    {"a window larger than the work area: its left and top edges stay inside", 1400, 1100, {2000, 0, 3000, 800},
     kRightWork, 1920, 0},
};

TEST(CenteredPosition, OverTheOwnerInsideTheWorkAreaOfItsMonitor)
{
    for (const Case& k : kCases) {
        SCOPED_TRACE(k.what);
        const AfxPoint p = AfxCenteredPosition(k.width, k.height, k.over, k.work);
        EXPECT_EQ(k.x, p.x);
        EXPECT_EQ(k.y, p.y);
        if (k.width <= k.work.Width() && k.height <= k.work.Height()) {
            EXPECT_GE(p.x, k.work.left);
            EXPECT_GE(p.y, k.work.top);
            EXPECT_LE(p.x + k.width, k.work.right);
            EXPECT_LE(p.y + k.height, k.work.bottom);
        }
    }
}

}  // namespace
