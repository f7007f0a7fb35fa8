// What the proofs against the real GDAL tools share: checks that count instead of stopping, files
// in and out, commands run with their output kept in the work folder, gdaldem's pictures, the
// sample grid, and the cell-by-cell comparison of a picture with the host's layer rule.
#pragma once
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "heightcolor/layers.h"
#include "terrain/ascgrid.h"
#include "terrain/samplescene.h"

namespace proof {

inline int failures = 0;
inline std::string work;   // the folder of the files a proof writes

#define CHECK(cond, ...)                                                  \
    do {                                                                  \
        if (!(cond)) {                                                    \
            std::printf("FAILED %s:%d: %s: ", __FILE__, __LINE__, #cond); \
            std::printf(__VA_ARGS__);                                     \
            std::printf("\n");                                            \
            ++proof::failures;                                            \
        }                                                                 \
    } while (0)

inline std::string Slurp(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

inline void Spit(const std::string& path, const std::string& bytes)
{
    std::ofstream f(path, std::ios::binary);
    f << bytes;
}

// Runs a command line; its exit status, stderr kept in *err.
inline int Run(const std::string& cmd, std::string* err = nullptr)
{
    const std::string errFile = work + "/stderr.txt";
    const int rc = std::system((cmd + " >" + work + "/stdout.txt 2>" + errFile).c_str());
    if (err != nullptr)
        *err = Slurp(errFile);
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

// A binary PPM as gdaldem's PNM driver writes it.
inline bool ReadPpm(const std::string& path, int* w, int* h, std::vector<unsigned char>* rgb)
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

// Empties the work folder and writes the sample relief into it as grid.asc: its file name, the
// grid as read back and its range. False (said) when gdaldem is missing or the grid does not read.
struct SampleGrid {
    std::string file;
    AscGrid grid;
    float lo = 0, hi = 0;
};
inline bool Prepare(const std::string& folder, SampleGrid* sample)
{
    work = folder;
    std::system(("rm -rf '" + work + "' && mkdir -p '" + work + "'").c_str());
    if (Run("command -v gdaldem") != 0) {
        std::printf("FAILED: gdaldem not found (Debian's gdal-bin; scripts/install-deps.sh installs it)\n");
        return false;
    }
    SampleReliefOptions options;
    SampleFeatures features;
    sample->file = work + "/grid.asc";
    Spit(sample->file, WriteAscGrid(MakeSampleRelief(options, &features)));
    const std::string text = Slurp(sample->file);
    AscError error;
    if (!ParseAscGrid(text.data(), text.size(), &sample->grid, &error)) {
        std::printf("FAILED: the sample grid does not read back\n");
        return false;
    }
    AscGridRange(sample->grid, &sample->lo, &sample->hi);
    return true;
}

// gdaldem's drawing of text (a GDAL colour file) on the grid, against the host's layer rule: every
// cell not within 1e-4 of a layer limit must have exactly the colour LayerFor gives it.
inline void DrawnLikeTheHost(const std::string& name, const std::string& text, const std::vector<ColorLayer>& layers,
                             const SampleGrid& sample)
{
    const AscGrid& grid = sample.grid;
    const std::string txt = work + "/" + name + ".txt", ppm = work + "/" + name + ".ppm";
    Spit(txt, text);
    std::string err;
    CHECK(Run("gdaldem color-relief -q " + sample.file + " " + txt + " " + ppm + " -of PNM", &err) == 0,
          "%s: gdaldem color-relief failed: %s", name.c_str(), err.c_str());
    int w = 0, h = 0;
    std::vector<unsigned char> rgb;
    CHECK(ReadPpm(ppm, &w, &h, &rgb) && w == grid.ncols && h == grid.nrows, "%s: gdaldem's picture", name.c_str());
    if (rgb.empty() || layers.empty())
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

inline int Verdict()
{
    std::printf(failures == 0 ? "all checks passed\n" : "%d checks failed\n", failures);
    return failures == 0 ? 0 : 1;
}

}  // namespace proof
