// ENVI image headers: the text file beside an ENVI image that describes it.
// Windows-free, part of the terrain core: the viewer reads the pixel layout with it
// (ReadEnviKeys, ParseEnviWhole, in enviraster), and the RimBase.dll stand-in reads
// band counts and display bands with it.
//
// A header begins with the line "ENVI", followed by "key = value" lines. Keys
// are case-insensitive; a value that opens with '{' runs to the matching '}',
// across line breaks. Lines opening with ';' are comments. Of the keys
// ParseEnviHeader looks at only two:
//   bands = N                   the number of bands, 1 to kEnviMaxBands
//   default bands = {r, g, b}   the bands shown as red, green, blue (1-based);
//                               one value {k} shows band k as grey
// The pixel data are never read.
#pragma once
#include <stddef.h>

#include <map>
#include <string>
#include <vector>

// Most bands a header may declare; more is taken as a damaged header.
const int kEnviMaxBands = 65535;
// Longest header read; a longer file is not a header.
const size_t kEnviMaxHeaderBytes = 1u << 20;

struct EnviHeader {
    int bands = 0;
    // Red, green and blue display bands, 0-based. As the header gives them:
    // they may lie beyond the band count, which is the reader's concern.
    int defaultBands[3] = {0, 0, 0};
    bool hasDefaultBands = false;  // false: the bands above were chosen here
};

enum class EnviStatus {
    Ok,
    TooLarge,         // more than kEnviMaxHeaderBytes
    NoMagic,          // first line is not "ENVI"
    Syntax,           // a line that is not "key = value", an unclosed brace, a NUL byte
    NoBands,          // no "bands" key
    BadBands,         // "bands" is not a whole number from 1 to kEnviMaxBands
    BadDefaultBands,  // "default bands" is not {k} or {r, g, b} of whole numbers from 1
};

// The "key = value" lines of size bytes of header text, into values: keys in lower
// case with runs of blanks made one space ("Data  Type" -> "data type"), values
// trimmed, a braced value whole from '{' to '}' (nothing may follow the '}');
// the last of a repeated key wins. Ok, TooLarge, NoMagic or Syntax (see
// EnviStatus); values may hold some keys when the status is not Ok.
EnviStatus ReadEnviKeys(const char* text, size_t size, std::map<std::string, std::string>* values);

// A whole number of decimal digits only (blanks around it allowed), no larger
// than maxValue (0 or more). False, value untouched, otherwise.
bool ParseEnviWhole(const std::string& text, long long maxValue, long long& value);

// Parses size bytes of header text. On Ok fills out; otherwise leaves it as it was.
// Without a "default bands" key the display bands are 0, 1, 2, each limited to
// the last band (a one-band image shows band 0 as grey, a two-band one 0, 1, 1).
EnviStatus ParseEnviHeader(const char* text, size_t size, EnviHeader* out);

// Where the header of a data file may be, in the order to try (the order ENVI
// readers commonly use): the data file's name with ".hdr" in place of its
// extension ("a.hdr") when it has one, then with ".hdr" appended ("a.img.hdr").
// Both '\' and '/' separate folders. Empty for an empty name.
std::vector<std::string> EnviHeaderPaths(const std::string& dataFile);
