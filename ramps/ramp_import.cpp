// A ramp source (a file's bytes or pasted text) as a host's layers, and layers as the text a
// copy gives: the one rule every program that imports or exports layers follows.
#include <cstring>

#include "heightcolor/colortable.h"
#include "ramps/ramp.h"

namespace ramps {

namespace {

bool Refuse(Report* report, Fault fault, const std::string& what)
{
    report->line = 0;
    report->fault = fault;
    report->error = what;
    return false;
}

}  // namespace

bool IsPlainText(const std::string& utf8)
{
    for (const char ch : utf8) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if ((c < 0x20 && c != '\t' && c != '\r' && c != '\n' && c != '\f') || c == 0x7F)
            return false;
    }
    return true;
}

bool ImportLayers(const std::string& path, const std::string& bytes, double lo, double hi,
                  Format* format, Ramp* ramp, std::vector<ColorLayer>* layers, Report* report)
{
    *format = Format::Unknown;
    if (bytes.size() > kMaxRampBytes)
        return Refuse(report, Fault::TooLarge, "more than " + std::to_string(kMaxRampBytes >> 20) +
                                                   " MB: no ramp is that large");
    if ((!path.empty() && FormatFromExtension(path) == Format::Lut) ||
        bytes.compare(0, kLutMagicSize, kLutMagic, kLutMagicSize) == 0) {
        *format = Format::Lut;
        return Refuse(report, Fault::Lut, "a colour table (.lut), not a ramp text");
    }
    std::string text;
    if (!DecodeText(bytes, &text, report))
        return false;
    if (!IsPlainText(text))
        return Refuse(report, Fault::Text, "binary data, not text");
    const Format detected = DetectFormat(path, text);
    *format = detected;
    Ramp read;
    std::vector<ColorLayer> out;
    if (!ReadRamp(detected, text, true, &read, report) || !LayersFromRamp(read, lo, hi, &out, report))
        return false;
    *ramp = read;
    layers->swap(out);
    return true;
}

bool LayersAsGdalText(const std::vector<ColorLayer>& layers, double lo, double hi, std::string* text,
                      Report* report)
{
    if (layers.empty())
        return Refuse(report, Fault::Empty, "no layers to write");
    return WriteRamp(Format::Gdal, RampFromLayers(layers), true, lo, hi, text, report);
}

}  // namespace ramps
