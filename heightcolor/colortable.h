// Colour-table files: the .lut format, the table-name and path rules, and the grey fallback.
// Windows-free: the file access on top of this lives in colortable_file.h.
#pragma once
#include <stddef.h>
#include <stdint.h>

// One table entry: red, green, blue, each an unsigned 16-bit component holding the 8-bit
// intensity in its high byte (value * 256). Same layout as the public LayerColor, so a
// caller's LayerColor array converts entry by entry.
struct LutColor {
    uint16_t r, g, b;
};
static_assert(sizeof(LutColor) == 6, "LutColor is three 16-bit components");

// File layout (all integers little-endian):
//   0    8 bytes   magic "COLORLUT", no terminator
//   8    128 bytes table name, NUL-terminated, zero-padded
//   136  256 bytes kind of table ("USER_DEFINE" for tables the user saved), zero-padded
//   392  int32     entry count
//   396  6 * count entries: r, g, b as uint16
const size_t kLutMagicSize = 8;
const size_t kLutNameOffset = 8;
const size_t kLutNameSize = 128;
const size_t kLutKindOffset = 136;
const size_t kLutKindSize = 256;
const size_t kLutCountOffset = 392;
const size_t kLutHeaderSize = 396;
const size_t kLutEntrySize = 6;
const int kLutMaxEntries = 256;
// A reader never needs more than this many bytes of a file.
const size_t kLutMaxFileBytes = kLutHeaderSize + kLutMaxEntries * kLutEntrySize;
// Paths are composed in buffers of this many characters, terminator included.
const size_t kLutPathCap = 128;
// Longest table name: it must fit the header's name field with its terminator.
const size_t kLutMaxNameLength = kLutNameSize - 1;

extern const char kLutMagic[kLutMagicSize];   // "COLORLUT"
extern const char kLutUserKind[];             // "USER_DEFINE"
extern const char kLutFolder[];               // "HeightLut"
extern const char kLutExtension[];            // ".lut"

// Fills the 256-entry grey ramp that stands in for a table that cannot be read: entry i is
// (i, i, i) - the plain index, not index * 256. Returns its count, 256.
int FillGreyLut(LutColor* colors);

// Tells whether a byte opens a two-byte character in the ANSI code page that table names are
// written in (Windows: IsDBCSLeadByte). Without one, names are read as single-byte text.
typedef bool (*LeadByteTest)(unsigned char byte);

// Table names are file titles in HeightLut, in the ANSI code page; ".lut" always follows them.
// A valid name is non-empty, at most 127 bytes, and names a file inside the folder: no
// character below 0x20, none of
//   \ / : < > " | ? *
// and not a device name (CON, PRN, AUX, NUL, COM0-9, LPT0-9, CONIN$, CONOUT$, with or without
// an extension or trailing blanks), which would open a device instead of a file. The test runs
// per character: a lead byte and its trail byte are one character (the trail byte may be 0x5C
// or 0x7C under code page 936), and a lead byte without its trail byte ends no valid name.
// Trailing blanks and dots, and names of blanks or dots only, are ordinary titles: the file
// "abc .lut" is a file like any other.
bool IsValidTableName(const char* name, LeadByteTest isLeadByte = nullptr);

// Composes hostDir + "\HeightLut\" + name + ".lut" into out (cap bytes). Refused (false, out
// emptied when cap > 0) when hostDir is null or empty, name is not a valid table name, or the
// path with its terminator would not fit cap or would reach kLutPathCap characters.
bool ComposeTablePath(const char* hostDir, const char* name, char* out, size_t cap,
                      LeadByteTest isLeadByte = nullptr);

// Composes hostDir + "\HeightLut\*.lut", the search pattern of the listing, under the same
// limits as ComposeTablePath.
bool ComposeTableSearchPattern(const char* hostDir, char* out, size_t cap);

// Turns a file name found in HeightLut into the table's title: the name without its ".lut"
// extension (any case). False for names with another extension (a search for *.lut can also
// return "x.lutx" through its short name) and for titles that are not valid table names,
// which the reader would refuse anyway. title receives at most cap bytes; false when the
// title does not fit.
bool TableTitleFromFileName(const char* fileName, char* title, size_t cap,
                            LeadByteTest isLeadByte = nullptr);

// Builds the 396-byte header: all zeros, then the magic, name (at most 127 bytes), kind (at
// most 255 bytes) and count. False, with header untouched, for a null or too long text.
bool BuildLutHeader(unsigned char* header, const char* name, const char* kind, int32_t count);

// Encodes a whole table file into out (cap bytes): header then count entries. count must lie
// between 1 and 256 and the name must be a valid table name. Returns the number of bytes of
// the file (396 + 6 * count), or 0 when refused or out is too small.
size_t EncodeLut(unsigned char* out, size_t cap, const char* name, const char* kind,
                 const LutColor* colors, int count, LeadByteTest isLeadByte = nullptr);

// The signed 32-bit count stored in a header of at least kLutHeaderSize bytes.
int32_t LutHeaderCount(const unsigned char* header);

// Decodes a table from the first size bytes of a file into colors (room for 256 entries).
// Only the count and the entries are looked at, not the magic, name or kind. Rule for counts
// that the caller's 256 entries cannot hold as they stand:
//   - fewer than 396 bytes (no whole header): no table, returns 0;
//   - count zero or negative: no table, returns 0 - a table without entries gives the caller
//     no layer to show, so it is treated as unreadable and the caller falls back to grey;
//   - count above 256: the first 256 entries are taken and 256 is returned;
//   - fewer entry bytes than the count promises: the whole entries present are taken and
//     their number is returned (a trailing partial entry is ignored); none at all returns 0.
// So the result is always 0 or 1 to 256, equals the number of entries written to colors, and
// nothing is ever written at or past colors[256]. Entries from the result on, and the whole
// array when the result is 0, are left as they were.
int DecodeLut(const unsigned char* data, size_t size, LutColor* colors);
