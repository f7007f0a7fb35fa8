// Colour-table files on disk: reading, writing and listing the tables of <host dir>\HeightLut.
// The format and the name and path rules are in colortable.h.
#pragma once
#include <string>
#include <vector>

#include "include/oroscape.h"

// Reads the table name into colors (room for 256 entries) and count. True when a table was
// read: count holds its entry count (1 to 256) and colors[0..count) its entries, the rest of
// colors is left as it was. False when there is none to read (null or invalid name, no host
// directory, path too long, file missing or locked, no whole header, no entry); colors and
// count are then left untouched - the caller decides what stands in (_ReadColorTable fills
// the grey ramp). The bad-count rule is DecodeLut's, in colortable.h.
bool ReadColorTableFile(const char* name, LayerColor* colors, short* count);

// Writes colors[0..count) as the user table name ("USER_DEFINE"), creating the file or
// replacing one of that name. Only a valid table name is written, and only inside the
// HeightLut folder; count must lie between 1 and 256. True when the whole file was written;
// a file that could not be completed is removed again.
bool WriteColorTableFile(const char* name, const LayerColor* colors, int count);

// Lists the titles of the tables in HeightLut, in the order the file system returns them.
// Files whose title is not a valid table name (longer than 127 characters, say) and folders
// are skipped. False, with titles emptied, when the host gives no directory; true otherwise,
// also for a missing or empty folder.
bool EnumColorTables(std::vector<std::string>* titles);
