// Ramp readers: any bytes as any of the text formats. Whatever is read is written in every
// format over a range, and GDAL text read back gives the colours of the ramp it came from; laid
// over a range as a host's layers it covers the range with 1 to 256 touching layers, which go
// out as a GMT palette that reads back. The same bytes as a paste (ImportLayers): refused with a
// kind, or layers covering the range.
#include <stdint.h>

#include <cmath>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "ramps/ramp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string text;
    ramps::Report report;
    if (!ramps::DecodeText(bytes, &text, &report))
        return 0;
    const ramps::Format formats[] = {ramps::Format::Gdal, ramps::Format::Grass, ramps::Format::Cpt,
                                     ramps::Format::Qgis, ramps::Format::Clr};
    const ramps::Format guess = ramps::DetectFormat("fuzz.txt", text);
    FUZZ_CHECK(guess == ramps::Format::Gdal || guess == ramps::Format::Grass || guess == ramps::Format::Qgis ||
               guess == ramps::Format::Cpt || guess == ramps::Format::Lut);
    // As a paste: refused with a kind and a reason and nothing written, or 1 to 256 touching
    // layers covering the range.
    {
        ramps::Format used = ramps::Format::Clr;
        ramps::Ramp ramp;
        std::vector<ColorLayer> layers(3);
        ramps::Report r;
        if (ramps::ImportLayers("", bytes, -100, 100, &used, &ramp, &layers, &r)) {
            FUZZ_CHECK(used != ramps::Format::Lut && used != ramps::Format::Unknown);
            FUZZ_CHECK(!layers.empty() && layers.size() <= static_cast<size_t>(kMaxLayers));
            FUZZ_CHECK(layers.front().lower == -100 && layers.back().upper == 100);
        } else {
            FUZZ_CHECK(r.fault != ramps::Fault::None && !r.error.empty());
            FUZZ_CHECK(layers.size() == 3 && ramp.stops.empty());
        }
    }
    for (ramps::Format f : formats) {
        ramps::Ramp ramp;
        ramps::Report r;
        if (!ramps::ReadRamp(f, text, true, &ramp, &r)) {
            FUZZ_CHECK(!r.error.empty());
            continue;
        }
        FUZZ_CHECK(!ramp.stops.empty());
        LutColor colors[kLutMaxEntries];
        double largest = 0, where = 0;
        ramps::Report s;
        if (ramps::SampleTable(ramp, 256, true, -100, 100, colors, &largest, &where, &s))
            FUZZ_CHECK(largest >= 0 && largest <= 255);
        std::vector<ColorLayer> layers;
        ramps::Report l;
        if (ramps::LayersFromRamp(ramp, -100, 100, &layers, &l)) {
            FUZZ_CHECK(!layers.empty() && layers.size() <= static_cast<size_t>(kMaxLayers));
            FUZZ_CHECK(layers.front().lower == -100 && layers.back().upper == 100);
            for (size_t k = 0; k < layers.size(); ++k) {
                FUZZ_CHECK(layers[k].lower < layers[k].upper);
                FUZZ_CHECK(k + 1 == layers.size() || layers[k].upper == layers[k + 1].lower);
            }
            std::string cpt;
            ramps::Report w;
            ramps::Ramp back;
            FUZZ_CHECK(ramps::WriteRamp(ramps::Format::Cpt, ramps::RampFromLayers(layers), true, -100, 100, &cpt, &w));
            FUZZ_CHECK(ramps::ReadRamp(ramps::Format::Cpt, cpt, false, &back, &w));
        } else {
            FUZZ_CHECK(!l.error.empty());
        }
        for (ramps::Format to : formats) {
            std::string out;
            ramps::Report w;
            const double hi = to == ramps::Format::Clr ? 50 : 100;
            if (!ramps::WriteRamp(to, ramp, true, -100, hi, &out, &w))
                continue;
            ramps::Ramp back;
            ramps::Report b;
            FUZZ_CHECK(ramps::ReadRamp(to, out, false, &back, &b));
            if (to != ramps::Format::Gdal || ramp.exact)
                continue;
            // GDAL text holds every stop as it was: limits exactly, colours to the rounding.
            const ramps::Ramp a = ramps::Resolve(ramp, -100, 100);
            FUZZ_CHECK(back.stops.size() == a.stops.size());
            for (size_t k = 0; k < a.stops.size(); ++k) {
                FUZZ_CHECK(back.stops[k].value == a.stops[k].value);
                FUZZ_CHECK(std::fabs(back.stops[k].color.r - a.stops[k].color.r) <= 0.5);
                FUZZ_CHECK(std::fabs(back.stops[k].color.a - a.stops[k].color.a) <= 0.5);
            }
        }
    }
    return 0;
}
