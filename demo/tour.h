// The scripted tour and the benchmark of terrainview (the tour's parts: demo/tour/steps.h).
//   RunTour, RunBenchmark, RunCrackCheck, TourLog, Pump.
//
// The tour drives every dialog of the library through a realistic change from inside the
// program: the user-interface thread makes the library call exactly as the menu does, while a
// driver thread finds the dialog by its caption, types and clicks, and takes pictures. Every
// wait is bounded; a dialog that does not come up (an export that answers "not done") is
// logged and skipped. After each change the tour checks that the view shows it.
#pragma once

#include <string>

class TerrainViewer;

// Runs the tour, writing tour_*.png and tour_log.txt into outDir (created when missing).
// Returns 0 when every dialog that came up took its change and the view showed it, else 1.
int RunTour(TerrainViewer& viewer, const std::wstring& outDir);

// Measures the frame rate over a camera orbit and the time from WM_MODEL_APPLY to the
// re-rendered frame; prints the figures and, when figuresFile is not empty, writes them there
// as a figures file (demo/commandline.h). Returns 1 when a check failed or the file could not
// be written.
int RunBenchmark(TerrainViewer& viewer, const std::wstring& figuresFile);

// Renders the open grid (ownGrid: the one named on the command line) or else a 1201 x 1201 tile
// made for the check from straight above in flat colours at x1 and x10 and looks for background
// inside the terrain's footprint. Returns 0 when there is none.
int RunCrackCheck(TerrainViewer& viewer, bool ownGrid);

// Lets the user-interface thread handle what is queued, for about ms milliseconds.
void Pump(unsigned long ms);

// A line for the tour's log (kept until the log file is open; also printed). Any thread.
void TourLog(const std::wstring& line);
