// levels.h: how much of the system a process holds, and whether repeating something makes it hold more.
//   rel::Levels (GDI objects, windows, menus, kernel handles, private bytes), rel::MeasureLevels,
//   rel::LevelTrack (samples per cycle, the level after the first cycles, the final level, the growth).
//
// Under Wine several counters of Windows are stubs (GetGuiResources and GetProcessHandleCount answer 0,
// PROCESS_MEMORY_COUNTERS_EX::PrivateUsage stays 0). Where the system does not count, this counts itself:
//   GDI objects     the used entries of the process's GDI handle table (test::GdiObjectCount);
//   windows         every window of the process on the thread's desktop, message-only windows included,
//                   children included (enumerated);
//   menus           user handles that IsMenu accepts, probed by index (Wine takes a handle without its
//                   generation word); the other USER objects of Wine (cursors and icons) hold GDI
//                   bitmaps, so a leaked icon shows in the GDI count;
//   kernel handles  handle values that GetHandleInformation accepts, probed upwards until a long run of
//                   unused values;
//   private bytes   PrivateUsage, or PagefileUsage where PrivateUsage is not kept (Wine fills it with the
//                   process's anonymous memory).
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace rel {

struct Levels {
    long gdi = 0;
    std::map<int, long> gdiByType;  // Wine's GDI object types (0x01 DC, 0x05 bitmap, 0x0a font, 0x10 brush, ...)
    long windows = 0;
    long menus = 0;
    long handles = 0;
    long long privateBytes = 0;
};

// Lets the calling thread's pending messages run (deferred destruction), then counts.
Levels MeasureLevels();

// Fills the system's cache of window device contexts to its limit: holds many at once, then gives
// them back. Wine keeps up to 64 cached DCs (each a DC, a region and a bitmap in the GDI count) and
// makes a new one whenever all are in use, so its count climbs in steps during the first hundred
// showings of a dialog whose controls paint nested; filled first, it stays put.
void FillDcCache();

// Empties the calling thread's message queue, at most `ms` milliseconds.
void PumpMessages(DWORD ms = 20);

// Per-counter allowance: how far a level may end above its level after the first cycles. GDI objects
// get 8: besides its DC cache (see FillDcCache), Wine keeps a few brushes and pens of its own that
// it makes in small steps during the first hundred showings of the layering dialog (measured: +6
// once, +2 later, then flat through 300 cycles). A leak of one object a cycle passes that in nine.
struct Margins {
    long gdi = 8;
    long windows = 2;
    long menus = 2;
    long handles = 8;
    long long privateBytes = 1536 * 1024;
};

// Samples taken after each cycle of a repeated action. The level "after the first cycles" is the
// sample after cycle `warmup` (the caches of the system and of Wine fill during the first ones); the
// final level is the last sample; the growth of a counter is its largest excess over that level after
// warm-up. A counter fails when its final level exceeds the first one by more than its margin.
class LevelTrack {
public:
    LevelTrack(std::string name, int warmup, Margins margins = Margins());
    void Sample();                      // after each cycle
    int Cycles() const { return static_cast<int>(samples_.size()); }
    // Prints the figures (stdout, one line per counter) and records a gtest failure for each counter
    // that grew beyond its margin; for grown GDI objects, which kinds grew. Returns whether all held.
    bool Report(double seconds) const;

private:
    std::string name_;
    int warmup_;
    Margins margins_;
    std::vector<Levels> samples_;
};

}  // namespace rel
