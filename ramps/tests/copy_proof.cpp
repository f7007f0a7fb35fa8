// The text the layering dialog copies (ramps::LayersAsGdalText, lines ended in CR LF as on the
// clipboard), drawn by the real `gdaldem color-relief` on the sample grid: every cell not within
// 1e-4 of a layer limit has exactly the colour the host's layer rule (LayerFor) gives it. The
// layerings are those a dialog holds when the user copies: a table spread over the range, a
// ramp pasted (the shipped ramps through ImportLayers), custom even layers, 256 thin layers.
//   copy_proof HEIGHTLUT_DIR SHIPPED_RAMPS_DIR WORK_DIR
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "heightcolor/colortable.h"
#include "heightcolor/layers.h"
#include "ramps/ramp.h"
#include "terrain/ascgrid.h"
#include "terrain/samplescene.h"

namespace {

int failures = 0;
std::string work;

#define CHECK(cond, ...)                                                  \
    do {                                                                  \
        if (!(cond)) {                                                    \
            std::printf("FAILED %s:%d: %s: ", __FILE__, __LINE__, #cond); \
            std::printf(__VA_ARGS__);                                     \
            std::printf("\n");                                            \
            ++failures;                                                   \
        }                                                                 \
    } while (0)

std::string Slurp(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void Spit(const std::string& path, const std::string& bytes)
{
    std::ofstream f(path, std::ios::binary);
    f << bytes;
}

int Run(const std::string& cmd)
{
    const int rc = std::system((cmd + " >" + work + "/stdout.txt 2>" + work + "/stderr.txt").c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

bool ReadPpm(const std::string& path, int* w, int* h, std::vector<unsigned char>* rgb)
{
    const std::string data = Slurp(path);
    std::istringstream in(data);
    std::string magic;
    int maxval = 0;
    in >> magic >> *w >> *h >> maxval;
    if (magic != "P6" || maxval != 255)
        return false;
    in.get();
    const size_t at = static_cast<size_t>(in.tellg());
    const size_t n = static_cast<size_t>(*w) * *h * 3;
    if (data.size() < at + n)
        return false;
    rgb->assign(data.begin() + at, data.begin() + at + n);
    return true;
}

// A layering as the clipboard holds it after a copy, drawn by gdaldem, against LayerFor.
void CopiedTextThroughGdaldem(const std::string& name, const std::vector<ColorLayer>& layers, const AscGrid& grid,
                              const std::string& gridFile, float lo, float hi)
{
    std::string text;
    ramps::Report report;
    CHECK(ramps::LayersAsGdalText(layers, lo, hi, &text, &report), "%s: %s", name.c_str(), report.error.c_str());
    std::string crlf;
    for (char c : text) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    const std::string txt = work + "/" + name + ".txt", ppm = work + "/" + name + ".ppm";
    Spit(txt, crlf);
    CHECK(Run("gdaldem color-relief -q " + gridFile + " " + txt + " " + ppm + " -of PNM") == 0,
          "%s: gdaldem color-relief failed: %s", name.c_str(), Slurp(work + "/stderr.txt").c_str());
    int w = 0, h = 0;
    std::vector<unsigned char> rgb;
    CHECK(ReadPpm(ppm, &w, &h, &rgb) && w == grid.ncols && h == grid.nrows, "%s: gdaldem's picture", name.c_str());
    if (rgb.empty())
        return;
    const int n = static_cast<int>(layers.size());
    long compared = 0, skipped = 0, wrong = 0;
    for (int row = 0; row < grid.nrows; ++row) {
        for (int col = 0; col < grid.ncols; ++col) {
            const float z = grid.At(row, col);
            bool nearLimit = false;
            for (const ColorLayer& l : layers)
                nearLimit = nearLimit || std::fabs(static_cast<double>(z) - l.lower) < 1e-4 ||
                            std::fabs(static_cast<double>(z) - l.upper) < 1e-4;
            if (nearLimit) {
                ++skipped;
                continue;
            }
            const Rgb8& l = layers[LayerFor(layers.data(), n, z)].color;
            const unsigned char* p = &rgb[(static_cast<size_t>(row) * w + col) * 3];
            ++compared;
            if (p[0] != l.r || p[1] != l.g || p[2] != l.b) {
                if (wrong < 5)
                    std::printf("  cell %d,%d z=%.9g: gdaldem %d,%d,%d, host %d,%d,%d\n", row, col, z, p[0], p[1],
                                p[2], l.r, l.g, l.b);
                ++wrong;
            }
        }
    }
    std::printf("%s (%d layers): %ld cells compared with gdaldem, %ld within 1e-4 of a limit, %ld differ\n",
                name.c_str(), n, compared, skipped, wrong);
    CHECK(wrong == 0, "%s: %ld cells differ", name.c_str(), wrong);
    CHECK(compared > 0.95 * grid.ncols * grid.nrows, "%s: only %ld cells compared", name.c_str(), compared);
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
    work = argv[3];
    std::system(("rm -rf '" + work + "' && mkdir -p '" + work + "'").c_str());
    if (Run("command -v gdaldem") != 0) {
        std::printf("FAILED: gdaldem not found (Debian's gdal-bin; scripts/install-deps.sh installs it)\n");
        return 1;
    }
    SampleReliefOptions options;
    SampleFeatures features;
    const std::string gridFile = work + "/grid.asc";
    Spit(gridFile, WriteAscGrid(MakeSampleRelief(options, &features)));
    const std::string text = Slurp(gridFile);
    AscGrid grid;
    AscError error;
    if (!ParseAscGrid(text.data(), text.size(), &grid, &error)) {
        std::printf("FAILED: the sample grid does not read back\n");
        return 1;
    }
    float lo = 0, hi = 0;
    AscGridRange(grid, &lo, &hi);

    // Table mode: a shipped table spread over the range.
    for (const char* table : {"terrain", "dem3"})
        CopiedTextThroughGdaldem(std::string("table_") + table, TableLayers(luts + "/" + table + ".lut", lo, hi), grid,
                                 gridFile, lo, hi);
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
            CopiedTextThroughGdaldem(std::string("pasted_") + ramp, layers, grid, gridFile, lo, hi);
    }
    // Custom mode: even layers with the green ramp, 6 of them and 256.
    for (int n : {6, 256}) {
        float limits[kMaxLayers][2];
        LutColor colors[kMaxLayers];
        MakeEvenLayers(lo, hi, n, limits, colors);
        CopiedTextThroughGdaldem("custom_" + std::to_string(n), LayersOfRecord(limits, colors, n), grid, gridFile, lo,
                                 hi);
    }
    std::printf(failures == 0 ? "all checks passed\n" : "%d checks failed\n", failures);
    return failures == 0 ? 0 : 1;
}
