// terrainview's command line, and the rules for the files it writes.
//   ParseCommandLine, CheckFiguresFile, CheckTourFolder, WriteFiguresFile, MakeScratchFolder.
//
// Every word that is not an option is the grid, wherever it stands; an option never takes the
// grid's place. What the program writes is named by an option of its own (--figures FILE,
// --tour FOLDER) and never replaces a file the program did not write itself:
//  - a figures file starts with the line kFiguresMarker; an existing FILE is replaced only when
//    its first line is that marker;
//  - the tour writes tour_log.txt, whose first line is kTourLogMarker, and tour_*.png pictures;
//    FOLDER may hold anything else, which the tour leaves alone, but a tour_log.txt without the
//    marker or a tour_*.png that is not a PNG image makes the tour refuse the folder.
#pragma once

#include <string>
#include <vector>

#include "demo/viewer.h"

extern const char kFiguresMarker[];   // "# terrainview figures"
extern const char kTourLogMarker[];   // "# terrainview tour log"

// Exit statuses of the program.
const int kExitDone = 0;
const int kExitFailed = 1;    // the run failed: a grid that cannot be used, a check that failed
const int kExitRefused = 2;   // the command line: a usage error, or an output that is not ours

extern const wchar_t kUsageText[];

// Reads the words after the program's name into options. False with *error set (one line,
// without the usage) when the command line is malformed.
bool ParseCommandLine(const std::vector<std::wstring>& args, TerrainViewer::Options* options, bool* help,
                      std::wstring* error);

// Empty when --figures FILE may be written (FILE is absent, or an earlier figures file); else
// why not.
std::wstring CheckFiguresFile(const std::wstring& path);

// Empty when the tour may write into folder (absent, or a folder whose tour_log.txt and
// tour_*.png, if any, are the tour's own); else why not.
std::wstring CheckTourFolder(const std::wstring& folder);

// Writes kFiguresMarker and then text to path, replacing it only when CheckFiguresFile allows;
// the earlier file stays as it was when the write fails. Empty on success, else why not.
std::wstring WriteFiguresFile(const std::wstring& path, const std::string& text);

// Creates a new, empty folder of the program's own under the temporary folder (never one that
// was there before). Empty on failure.
std::wstring MakeScratchFolder();

// The first line of a file (without its line end), at most limit bytes; false when it cannot be read.
bool FirstLine(const std::wstring& path, std::string* line, size_t limit = 256);
