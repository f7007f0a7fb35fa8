// Colour ramps of the GIS tools, read and written: GDAL colour-relief text, GRASS colour rules,
// GMT palettes (.cpt), QGIS colour-map exports and ArcGIS colour maps (.clr); and the two ways
// a ramp meets this library: a colour table (colours only, spread evenly over whatever range
// the host has) and a host's layers (absolute limits and a colour each).
// Windows-free; text in and out is UTF-8 (a BOM, CRLF or UTF-16 are accepted in).
#pragma once

#include <stddef.h>

#include <string>
#include <vector>

#include "heightcolor/colortable.h"
#include "heightcolor/layers.h"

namespace ramps {

enum class Format { Unknown, Gdal, Grass, Cpt, Qgis, Clr, Lut };

// "gdal", "grass", "cpt", "qgis", "clr", "lut".
const char* FormatName(Format format);
// The format of a name as above (any case); Unknown when it is none.
Format FormatFromName(const std::string& name);
// The format an output file's extension names: .cpt, .clr, .lut; Unknown otherwise
// (.txt and the like are written by more than one tool).
Format FormatFromExtension(const std::string& path);

// 0 to 255 each; alpha 255 is opaque.
struct Rgba {
    double r = 0, g = 0, b = 0, a = 255;
};
bool operator==(const Rgba& x, const Rgba& y);
// A ramp colour in 8 bits: each component rounded to the nearest whole number and kept to 0 to
// 255 (alpha dropped); and an 8-bit colour as an opaque ramp colour. Tables and layers take a
// ramp's colours through these (and the colour core's conversions) only.
Rgb8 Rgb8Of(const Rgba& color);
Rgba RgbaOf(const Rgb8& color);

// Where a stop's value lives:
//   Absolute   an elevation;
//   Percent    0 to 100 of the range the ramp is laid over (GDAL and GRASS "P%", and palettes
//              normalised to 0..1, stored times 100);
//   Hinged     -1 to 1 of a palette with a hinge: -1..0 covers the range below elevation 0,
//              0..1 the range above it.
enum class Scale { Absolute, Percent, Hinged };

struct Stop {
    double value = 0;
    Scale scale = Scale::Absolute;
    Rgba color;
    std::string label;
};

// A ramp: stops in ascending value (a value given twice is a hard step: below it the first
// stop's colour applies, from it on the second's). Between stops the colour is interpolated
// linearly, before the first stop the first stop's colour applies and after the last the last
// stop's (GDAL's color-relief rule). An exact ramp (QGIS EXACT, ArcGIS .clr) colours only the
// stop values themselves.
struct Ramp {
    std::vector<Stop> stops;
    bool exact = false;
    // Hinged stops: a soft hinge is ignored for a range that does not hold elevation 0 (the
    // whole -1..1 is stretched over it); a hard one keeps the side of the hinge the range is on.
    bool softHinge = false;
    bool hasNodata = false, hasBelow = false, hasAbove = false;
    Rgba nodata, below, above;
};

// The kind of a refusal, for callers that say it in their own words (the layering dialog's
// messages); error holds the English text with the details.
enum class Fault {
    None,
    Text,      // not text: UTF-16 that cannot be decoded, a NUL or other binary bytes
    TooLarge,  // more bytes than any ramp needs (kMaxRampBytes)
    Lut,       // a binary .lut colour table, not a text ramp
    Value,     // a stop value that is no number
    Colour,    // a colour that cannot be read
    Shape,     // a line of none of the format's shapes
    Header,    // a header or declaration line (QGIS header, interpolation, colour model, RANGE)
    Empty,     // no colour entries at all
    Mixed,     // a palette mixing categories with slices
    Format,    // not a ramp text format
    NoRange,   // the range to lay the ramp over is empty
    Outside,   // the ramp's stops all lie at or beyond one end of the range
};

// What the host's layers cannot hold of a ramp (LayersFromRamp), as bits of Report::notes.
const unsigned kNoteTransparency = 1;  // alpha below 255 dropped
const unsigned kNoteNodata = 2;        // the no-data colour is not used
const unsigned kNoteResampled = 4;     // more pieces than layers: sampled into 256 even layers

// What reading or writing has to say: a refusal (line 0 when it concerns no line) and warnings
// about what the target cannot hold or what was guessed.
struct Report {
    int line = 0;
    Fault fault = Fault::None;
    std::string error;
    std::vector<std::string> warnings;
    unsigned notes = 0;
};

// Bytes of a text file as UTF-8: a UTF-8 BOM is dropped, UTF-16 (with a BOM, or recognised by
// its zero bytes) is converted. False, with report->error, for UTF-16 that cannot be decoded.
bool DecodeText(const std::string& bytes, std::string* utf8, Report* report);

// Which reader a file needs when none was asked for: the extension (.cpt, .clr, .lut); else
// the text alone (path empty for text that comes from no file, a paste): a .lut's magic, the
// QGIS export's header line, a GMT palette's marks (a "# COLOR_MODEL", "# HARD_HINGE",
// "# SOFT_HINGE" or "# RANGE" comment, a B, F or N line, or a first entry shaped
// Z0 COLOUR Z1 COLOUR: eight numbers, or colours written r/g/b, h-s-v or by name), a
// GRASS-only keyword ("default", "end") opening a line or a GRASS R:G:B colour; else GDAL
// (ArcGIS .clr lines have the shape of GDAL text and read the same).
Format DetectFormat(const std::string& path, const std::string& utf8);

// Reads a ramp of the given format (not Lut) from UTF-8 text. On refusal returns false with
// report->line and report->error set and leaves ramp untouched. guessed: the format was
// detected, not asked for (a GDAL colour name read then is reported with the dialect used).
bool ReadRamp(Format format, const std::string& utf8, bool guessed, Ramp* ramp, Report* report);

// Whether stop values need a range to become elevations (percent or hinged stops).
bool NeedsRange(const Ramp& ramp);
// Whether every stop is a percentage: the ramp is relative to any range.
bool IsRelative(const Ramp& ramp);
// The ramp with every stop an elevation, laid over lo .. hi.
Ramp Resolve(const Ramp& ramp, double lo, double hi);

// The colour at value v of a ramp whose stops share one scale (as Resolve leaves them). False
// only for an exact ramp at a value that is none of its stops, or a ramp without stops.
bool ColorAt(const Ramp& ramp, double v, Rgba* color);

// Writes a ramp as text of the given format (Gdal, Grass, Cpt, Qgis, Clr). CPT, QGIS and
// .clr need elevations: lo and hi (hasRange) lay percent or hinged stops over a range, and
// .clr writes one line per whole value of lo .. hi (at most kMaxClrValues). What the format
// cannot hold goes to report->warnings. False with report->error when refused.
const long kMaxClrValues = 65536;
bool WriteRamp(Format format, const Ramp& ramp, bool hasRange, double lo, double hi,
               std::string* text, Report* report);

// A table's colours as a ramp of hard-stepped classes: with a range, layer i of n spans the
// limits the layering dialog gives it (SpreadTableLayers); without one, i * 100 / n to
// (i + 1) * 100 / n percent. Each class is labelled with its limits.
Ramp RampFromTable(const LutColor* colors, int n, bool hasRange, float lo, float hi);

// n layer colours of a ramp for a table: a relative ramp is sampled at the middle of each
// layer's even share; otherwise the ramp is laid over lo .. hi (hasRange must then be true)
// and layer i takes the colour at the middle of lo + i * step .. lo + (i + 1) * step. Colours
// are rounded to 8 bits and stored times 256. *largest receives the largest difference of a
// component (0 to 255) between the ramp and the layer that stands for it, over the range, and
// *where the value (elevation, or percent for a relative ramp) where it occurs.
// False, with report->error, when a range is needed and missing or n is outside 1 to 256.
bool SampleTable(const Ramp& ramp, int n, bool hasRange, double lo, double hi,
                 LutColor* colors, double* largest, double* where, Report* report);

// A ramp as a host's layers (the colour core's ColorLayer, at most kMaxLayers of them) over a
// grid's range lo .. hi. Percent and hinged stops are laid
// over the range first; an exact ramp becomes classes. The ramp is cut at its stops: a piece
// between two stops of one colour is a class and becomes one layer; a piece whose colour
// changes (a continuous segment) is sampled into even layers, each taking the colour at its
// middle, the segments sharing what the classes leave of the 256 layers in proportion to their
// share of the range (at least one each). Below the first stop and above the last the end
// colours hold (GDAL's rule): pieces outside the range are dropped and the end ones cut at it,
// so the layers cover exactly lo .. hi, ascending, each upper limit the next lower one. More
// classes and segments inside the range than 256 layers hold: the range is sampled into 256
// even layers instead, with a warning. What the layers cannot hold (transparency, a no-data
// colour) is warned about. False, with report->error and layers untouched, for a ramp without
// stops, a range that is empty, or a ramp whose stops all lie at or beyond one end of the
// range (it would paint the grid one colour).
bool LayersFromRamp(const Ramp& ramp, double lo, double hi, std::vector<ColorLayer>* layers,
                    Report* report);

// The most bytes a ramp source may have: a .clr of kMaxClrValues lines fits with room to
// spare; anything larger (a 50 MB paste, a grid dropped by mistake) is refused unread.
const size_t kMaxRampBytes = 4u << 20;

// A ramp source as a host's layers: what a file (path names it, for its extension) or pasted
// text (path empty) becomes over lo .. hi, the same for every program that imports ramps.
// Refused, with report->fault, report->line and report->error: more than kMaxRampBytes
// (TooLarge, nothing looked at); a .lut colour table, by extension or magic (Lut: the caller
// decides what a table means to it); text that cannot be decoded or holds a NUL or another
// control character than tab, CR, LF and FF (Text); then what ReadRamp and LayersFromRamp
// refuse. *format receives the format used (Lut or Unknown when refused before reading).
// layers and ramp are written only on success; report->notes and warnings say what the layers
// do not hold.
bool ImportLayers(const std::string& path, const std::string& bytes, double lo, double hi,
                  Format* format, Ramp* ramp, std::vector<ColorLayer>* layers, Report* report);

// Whether decoded text has only what a ramp text holds: no NUL, no control character other than
// tab, CR, LF and FF.
bool IsPlainText(const std::string& utf8);

// Layers as the GDAL colour text lutconv writes: hard-stepped classes, each layer from its
// lower to its upper limit (RampFromLayers), laid over lo .. hi. Reads back through
// ImportLayers over the same range as the same layers, save that neighbouring layers of one
// colour come back as one. False with report->error for no layers.
bool LayersAsGdalText(const std::vector<ColorLayer>& layers, double lo, double hi, std::string* text,
                      Report* report);

// A host's layers as a ramp of hard-stepped classes, for the writers: each layer from its
// lower to its upper limit in its colour, labelled with its limits. Layers are taken in
// ascending order (limits the wrong way round are swapped); where two overlap the lower one
// keeps the overlap, a gap between two is split at its middle (the host colours a gap by the
// nearer layer).
Ramp RampFromLayers(const std::vector<ColorLayer>& layers);

// An exact ramp as classes: each stop value colours the values nearer to it than to its
// neighbours (a ramp that is not exact comes back as it is).
Ramp ExactAsClasses(const Ramp& ramp);

// Shortest decimal text of a number that reads back to the same double ('.' whatever the
// locale).
std::string FormatNumber(double v);

}  // namespace ramps
