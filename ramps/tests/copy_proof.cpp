// The text the layering dialog copies (ramps::LayersAsGdalText, lines ended in CR LF as on the
// clipboard), drawn by the real `gdaldem color-relief` on the sample grid: every cell not within
// 1e-4 of a layer limit has exactly the colour the host's layer rule (LayerFor) gives it. The
// layerings are those a dialog holds when the user copies: a table spread over the range, a
// ramp pasted (the shipped ramps through ImportLayers), custom even layers, 256 thin layers.
//   copy_proof HEIGHTLUT_DIR SHIPPED_RAMPS_DIR WORK_DIR
#include <string>
#include <vector>

#include "heightcolor/colortable.h"
#include "heightcolor/layers.h"
#include "ramps/ramp.h"
#include "ramps/tests/proof.h"

namespace {

using proof::Slurp;

// A layering as the clipboard holds it after a copy, drawn by gdaldem, against LayerFor.
void CopiedTextThroughGdaldem(const std::string& name, const std::vector<ColorLayer>& layers,
                              const proof::SampleGrid& sample)
{
    std::string text;
    ramps::Report report;
    CHECK(ramps::LayersAsGdalText(layers, sample.lo, sample.hi, &text, &report), "%s: %s", name.c_str(),
          report.error.c_str());
    std::string crlf;
    for (char c : text) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    proof::DrawnLikeTheHost(name, crlf, layers, sample);
}

std::vector<ColorLayer> TableLayers(const std::string& path, float lo, float hi)
{
    const std::string bytes = Slurp(path);
    LutColor colors[kLutMaxEntries];
    const int n = DecodeLut(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), colors);
    CHECK(n > 0, "%s holds no table", path.c_str());
    float limits[kLutMaxEntries][2];
    SpreadTableLayers(lo, hi, n, limits);
    return LayersOfRecord(limits, colors, n);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: copy_proof HEIGHTLUT_DIR SHIPPED_RAMPS_DIR WORK_DIR\n");
        return 2;
    }
    const std::string luts = argv[1], shipped = argv[2];
    proof::SampleGrid sample;
    if (!proof::Prepare(argv[3], &sample))
        return 1;
    const float lo = sample.lo, hi = sample.hi;

    // Table mode: a shipped table spread over the range.
    for (const char* table : {"terrain", "dem3"})
        CopiedTextThroughGdaldem(std::string("table_") + table, TableLayers(luts + "/" + table + ".lut", lo, hi),
                                 sample);
    // A ramp pasted: the shipped ramps as the dialog takes them.
    for (const char* ramp : {"srtm", "etopo2", "geo", "relief"}) {
        ramps::Format format = ramps::Format::Unknown;
        ramps::Ramp read;
        std::vector<ColorLayer> layers;
        ramps::Report report;
        const bool ok = ramps::ImportLayers("", Slurp(shipped + "/" + ramp + ".txt"), lo, hi, &format, &read, &layers,
                                            &report);
        CHECK(ok, "%s: %s", ramp, report.error.c_str());
        if (ok)
            CopiedTextThroughGdaldem(std::string("pasted_") + ramp, layers, sample);
    }
    // Custom mode: even layers with the green ramp, 6 of them and 256.
    for (int n : {6, 256}) {
        float limits[kMaxLayers][2];
        LutColor colors[kMaxLayers];
        MakeEvenLayers(lo, hi, n, limits, colors);
        CopiedTextThroughGdaldem("custom_" + std::to_string(n), LayersOfRecord(limits, colors, n), sample);
    }
    return proof::Verdict();
}
