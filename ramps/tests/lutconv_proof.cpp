// lutconv against the real tools and against itself:
//  1. a layering of the sample grid exported as GDAL text and drawn by the real
//     `gdaldem color-relief`: every cell not within 1e-4 of a layer limit has exactly the colour
//     the host's layer rule (LayerFor) gives it;
//  2. GDAL's colour names as gdaldem itself draws them;
//  3. every file lutconv writes, read back and compared with what it was made from;
//  4. exit statuses and messages, and nothing written on a refusal;
//  5. the file named after -o is the only one written: the input and the grid stay as they were,
//     and an output that is the input or the grid (under any name) is refused.
//   lutconv_proof LUTCONV HEIGHTLUT_DIR TEST_DATA_DIR WORK_DIR
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "heightcolor/colortable.h"
#include "heightcolor/layers.h"
#include "ramps/ramp.h"
#include "terrain/ascgrid.h"
#include "terrain/samplescene.h"
#include "ramps/tests/proof.h"

namespace {

using proof::ReadPpm;
using proof::Run;
using proof::Slurp;
using proof::Spit;
using proof::work;

std::string lutconv;

bool HardLink(const std::string& from, const std::string& to)
{
    std::remove(to.c_str());
    return ::link(from.c_str(), to.c_str()) == 0;
}

bool Exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

int Lutconv(const std::string& args, std::string* err = nullptr) { return Run(lutconv + " " + args, err); }

bool Load(const std::string& path, ramps::Format format, ramps::Ramp* ramp)
{
    std::string text;
    ramps::Report report;
    if (!ramps::DecodeText(Slurp(path), &text, &report) || !ramps::ReadRamp(format, text, false, ramp, &report)) {
        std::printf("%s:%d: %s\n", path.c_str(), report.line, report.error.c_str());
        return false;
    }
    return true;
}

std::vector<LutColor> ReadTable(const std::string& path)
{
    const std::string bytes = Slurp(path);
    std::vector<LutColor> colors(kLutMaxEntries);
    const int n = DecodeLut(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), colors.data());
    colors.resize(n);
    return colors;
}

// 1. The host's layering of a table over the grid, through GDAL text, drawn by gdaldem.
void LayeringThroughGdaldem(const std::string& table, const proof::SampleGrid& sample)
{
    const std::vector<LutColor> colors = ReadTable(table);
    CHECK(!colors.empty(), "%s holds no table", table.c_str());
    if (colors.empty())
        return;
    const std::string txt = work + "/layers.txt";
    CHECK(Lutconv(table + " --dem " + sample.file + " -o " + txt + " --format gdal") == 0, "export of %s",
          table.c_str());
    // The host: the table spread over the grid's range, each cell coloured by LayerFor.
    const int n = static_cast<int>(colors.size());
    std::vector<float> limits(2 * n);
    SpreadTableLayers(sample.lo, sample.hi, n, reinterpret_cast<float (*)[2]>(limits.data()));
    proof::DrawnLikeTheHost(table.substr(table.rfind('/') + 1), Slurp(txt),
                            LayersOfRecord(reinterpret_cast<const float (*)[2]>(limits.data()), colors.data(), n),
                            sample);
}

// 2. GDAL's colour names: gdaldem's own drawing of each name (a cell on each entry's value)
// against the reader's value.
void GdalNamesAsGdaldemDrawsThem()
{
    const char* names[] = {"white", "black", "red", "green", "blue", "yellow", "magenta", "cyan",
                           "aqua", "grey", "gray", "orange", "brown", "purple", "violet", "indigo"};
    const int n = sizeof names / sizeof names[0];
    std::string ramp, asc = "ncols " + std::to_string(n) + "\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 1\n";
    for (int i = 0; i < n; ++i) {
        ramp += std::to_string(i) + " " + names[i] + "\n";
        asc += std::to_string(i) + " ";
    }
    Spit(work + "/names.txt", ramp);
    Spit(work + "/names.asc", asc + "\n");
    CHECK(Run("gdaldem color-relief -q " + work + "/names.asc " + work + "/names.txt " + work +
              "/names.ppm -of PNM") == 0,
          "gdaldem on names");
    int w = 0, h = 0;
    std::vector<unsigned char> rgb;
    ramps::Ramp mine;
    if (!ReadPpm(work + "/names.ppm", &w, &h, &rgb) || w != n || !Load(work + "/names.txt", ramps::Format::Gdal, &mine)) {
        CHECK(false, "names picture or ramp unreadable");
        return;
    }
    for (int i = 0; i < n; ++i) {
        ramps::Rgba c;
        ramps::ColorAt(mine, i, &c);
        CHECK(rgb[3 * i] == c.r && rgb[3 * i + 1] == c.g && rgb[3 * i + 2] == c.b, "%s: gdaldem %d,%d,%d, read %g,%g,%g",
              names[i], rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2], c.r, c.g, c.b);
    }
}

// 3. What lutconv writes reads back to what it was made from.
void FilesReadBack(const std::string& table, const std::string& gridFile, float lo, float hi, const std::string& data,
                   const std::string& shipped)
{
    const std::vector<LutColor> colors = ReadTable(table);
    const int n = static_cast<int>(colors.size());
    std::vector<float> limits(2 * n);
    SpreadTableLayers(lo, hi, n, reinterpret_cast<float (*)[2]>(limits.data()));
    struct Out {
        const char* file;
        const char* args;
        ramps::Format format;
        bool percent;
    } outs[] = {
        {"t.gdal.txt", "--format gdal", ramps::Format::Gdal, false},
        {"t.grass.txt", "--format grass", ramps::Format::Grass, false},
        {"t.cpt", "", ramps::Format::Cpt, false},
        {"t.qgis.txt", "--format qgis", ramps::Format::Qgis, false},
        {"t.clr", "", ramps::Format::Clr, false},
        {"p.gdal.txt", "--format gdal", ramps::Format::Gdal, true},
        {"p.grass.txt", "--format grass", ramps::Format::Grass, true},
    };
    int files = 0;
    for (const Out& o : outs) {
        const std::string path = work + "/" + o.file;
        const std::string range = o.percent ? "" : " --dem " + gridFile;
        std::string err;
        CHECK(Lutconv(table + range + " -o " + path + " " + o.args, &err) == 0, "%s: %s", o.file, err.c_str());
        ramps::Ramp back;
        if (!Load(path, o.format, &back)) {
            CHECK(false, "%s does not read back", o.file);
            continue;
        }
        ++files;
        const ramps::Ramp r = ramps::Resolve(back, lo, hi);
        long wrong = 0;
        for (int i = 0; i < n; ++i) {
            double at = (static_cast<double>(limits[2 * i]) + limits[2 * i + 1]) / 2;
            if (o.format == ramps::Format::Clr) {
                at = std::round(at);  // whole values only; one inside the layer, when there is one
                if (at <= limits[2 * i] || at >= limits[2 * i + 1])
                    continue;
            }
            ramps::Rgba c;
            if (!ramps::ColorAt(r, at, &c) || c.r != colors[i].r >> 8 || c.g != colors[i].g >> 8 || c.b != colors[i].b >> 8)
                ++wrong;
        }
        CHECK(wrong == 0, "%s: %ld layers read back in another colour", o.file, wrong);
    }

    // Ramp to table: a relative ramp with no range, one in elevations over a range, a Chinese title.
    const std::string gbk = work + "/\xe5\x9c\xb0\xe5\xbd\xa2.lut";  // 地形 (code page 936: B5D8 D0CE)
    std::string err;
    CHECK(Lutconv(data + "/gdal_percent.txt --layers 5 -o " + gbk) == 0, "ramp to %s", gbk.c_str());
    const std::string bytes = Slurp(gbk);
    CHECK(bytes.size() == kLutHeaderSize + 5 * kLutEntrySize && bytes.compare(8, 5, "\xb5\xd8\xd0\xce\0", 5) == 0,
          "table of 5 layers named in code page 936");
    const std::vector<LutColor> five = ReadTable(gbk);
    // 0% black, 50% red, 100% white: the middles 10%, 30%, 50%, 70%, 90%.
    const int wantRed[5] = {51, 153, 255, 255, 255}, wantGreen[5] = {0, 0, 0, 102, 204};
    for (int i = 0; i < 5 && i < static_cast<int>(five.size()); ++i)
        CHECK(five[i].r == wantRed[i] * 256 && five[i].g == wantGreen[i] * 256, "layer %d: %d,%d", i, five[i].r >> 8,
              five[i].g >> 8);
    ++files;
    CHECK(Lutconv(shipped + "/srtm.txt --from gdal --range -500 3000 -o " + work + "/srtm.lut") == 0, "srtm to table");
    CHECK(Slurp(work + "/stdout.txt").find("largest colour difference") != std::string::npos, "difference reported");
    CHECK(ReadTable(work + "/srtm.lut").size() == 256, "srtm table of 256 layers");
    ++files;

    // Ramp to ramp: a GMT palette written by lutconv draws as the GDAL text it came from.
    for (const char* name : {"geo", "srtm"}) {
        const std::string cpt = work + "/" + name + ".cpt";
        CHECK(Lutconv(shipped + "/" + name + ".txt --from gdal -o " + cpt) == 0, "%s to cpt", name);
        ramps::Ramp a, b;
        if (Load(shipped + "/" + name + ".txt", ramps::Format::Gdal, &a) && Load(cpt, ramps::Format::Cpt, &b)) {
            ++files;
            long wrong = 0;
            for (double v = -12000; v <= 10000; v += 3.7) {
                ramps::Rgba x, y;
                ramps::ColorAt(a, v, &x);
                ramps::ColorAt(b, v, &y);
                wrong += std::fabs(x.r - y.r) > 1e-9 || std::fabs(x.g - y.g) > 1e-9 || std::fabs(x.b - y.b) > 1e-9;
            }
            CHECK(wrong == 0, "%s.cpt differs at %ld points", name, wrong);
        }
    }
    std::printf("%d files written by lutconv read back\n", files);
}

// 4. Exit statuses; a refusal names file and line and writes nothing.
void Statuses(const std::string& table, const std::string& data)
{
    const std::string bad = work + "/bad.txt", out = work + "/never.lut";
    Spit(bad, "0 0 0 0\n100 0 0\n");
    std::string err;
    CHECK(Lutconv(bad + " -o " + out, &err) == 1, "malformed input");
    CHECK(err.find(bad + ":2:") != std::string::npos, "message names file and line: %s", err.c_str());
    CHECK(!Exists(out), "nothing written on refusal");
    struct Case {
        std::string args;
        int status;
    } cases[] = {
        {"--help", 0},
        {data + "/gdal_percent.txt", 2},                                   // no output
        {table + " -o " + work + "/x.cpt", 2},                             // a table as CPT needs a range
        {table + " -o " + work + "/x.txt", 2},                             // .txt needs --format
        {data + "/classes.clr -o " + work + "/x.lut", 2},                  // elevations need a range
        {table + " -o x.lut --layers 257", 2},
        {table + " -o x.lut --range 5 1", 2},
        {work + "/missing.txt -o " + work + "/x.lut", 1},
        {data + "/gdal_percent.txt -o " + work + "/\xe0\xb8\x81.lut", 1},  // Thai: not in code page 936
        {table + " --range 0 100000 -o " + work + "/x.clr", 1},            // more than 65,536 lines
    };
    for (const Case& c : cases) {
        const int status = Lutconv(c.args, &err);
        CHECK(status == c.status, "lutconv %s: status %d, expected %d (%s)", c.args.c_str(), status, c.status, err.c_str());
    }
    CHECK(!Exists(work + "/x.cpt") && !Exists(work + "/x.txt") && !Exists(work + "/x.clr") &&
              !Exists(work + "/\xe0\xb8\x81.lut"),
          "a refused conversion left a file");
}

// Every file of a folder and its bytes.
std::map<std::string, std::string> Folder(const std::string& dir)
{
    std::map<std::string, std::string> files;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            const std::string name = e->d_name;
            if (name != "." && name != ".." && name != "stdout.txt" && name != "stderr.txt")
                files[name] = Slurp(dir + "/" + name);
        }
        closedir(d);
    }
    return files;
}

// 5. lutconv writes the file after -o and nothing else. Each case runs in a folder holding a
// ramp, a table, a grid and an earlier output; afterwards every file but the named output is
// byte for byte what it was, no other file has appeared, and the status says what happened.
void OnlyTheOutput(const std::string& table, const std::string& data, const std::string& gridFile)
{
    const std::string dir = work + "/only";
    std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str());
    const std::string ramp = dir + "/ramp.txt", lut = dir + "/table.lut", grid = dir + "/grid.asc",
                      earlier = dir + "/earlier.cpt", link = dir + "/link.txt";
    const std::string rampBytes = Slurp(data + "/gdal_percent.txt");
    const std::map<std::string, std::string> seed = {{"ramp.txt", rampBytes}, {"table.lut", Slurp(table)},
                                                     {"grid.asc", Slurp(gridFile)}, {"earlier.cpt", "# mine\n"}};
    struct Case {
        std::string args;
        int status;
        const char* written;   // the one file that may change; nullptr: none
        const char* message;   // in stderr when refused
    } cases[] = {
        {ramp + " -o " + dir + "/new.lut", 0, "new.lut", ""},
        {lut + " --dem " + grid + " -o " + dir + "/new.txt --format gdal", 0, "new.txt", ""},
        {ramp + " --range 0 100 -o " + earlier, 0, "earlier.cpt", ""},           // an output replaced
        {ramp + " -o " + ramp + " --format gdal", 2, nullptr, "is the input"},
        {ramp + " -o " + dir + "/./ramp.txt --format gdal", 2, nullptr, "is the input"},
        {"-o " + dir + "/../only/ramp.txt " + ramp + " --format gdal", 2, nullptr, "is the input"},
        {ramp + " -o " + link + " --format gdal", 2, nullptr, "is the input"},  // a hard link to the input
        {lut + " -o " + lut, 2, nullptr, "is the input"},
        {lut + " --dem " + grid + " -o " + grid + " --format gdal", 2, nullptr, "is the grid"},
        {ramp + " -o " + dir + "/a.lut -o " + dir + "/b.lut", 2, nullptr, "more than one output"},
        {dir + "/missing.txt -o " + earlier, 1, nullptr, "missing.txt"},        // refused: earlier.cpt kept
        {ramp + " -o " + dir + "/nofolder/x.lut", 1, nullptr, "cannot write"},
    };
    for (const Case& c : cases) {
        for (const auto& file : Folder(dir))
            std::remove((dir + "/" + file.first).c_str());
        for (const auto& file : seed)
            Spit(dir + "/" + file.first, file.second);
        CHECK(HardLink(ramp, link), "hard link %s", link.c_str());
        std::string err;
        const int status = Lutconv(c.args, &err);
        CHECK(status == c.status, "lutconv %s: status %d, expected %d (%s)", c.args.c_str(), status, c.status, err.c_str());
        CHECK(c.status == 0 || err.find(c.message) != std::string::npos, "lutconv %s: message '%s' lacks '%s'",
              c.args.c_str(), err.c_str(), c.message);
        std::map<std::string, std::string> after = Folder(dir);
        if (c.written != nullptr) {
            CHECK(after.count(c.written) && !after[c.written].empty() && after[c.written] != "# mine\n",
                  "lutconv %s: %s not written", c.args.c_str(), c.written);
            after.erase(c.written);
        }
        std::map<std::string, std::string> before = seed;
        before["link.txt"] = rampBytes;
        if (c.written != nullptr)
            before.erase(c.written);
        for (const auto& file : before)
            CHECK(after.count(file.first) && after[file.first] == file.second, "lutconv %s: %s changed or gone",
                  c.args.c_str(), file.first.c_str());
        for (const auto& file : after)
            CHECK(before.count(file.first), "lutconv %s: wrote %s", c.args.c_str(), file.first.c_str());
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: lutconv_proof LUTCONV HEIGHTLUT_DIR TEST_DATA_DIR WORK_DIR\n");
        return 2;
    }
    lutconv = argv[1];
    const std::string luts = argv[2], data = argv[3];
    const std::string shipped = data + "/../../shipped";
    proof::SampleGrid sample;
    if (!proof::Prepare(argv[4], &sample))
        return 1;
    const std::string& gridFile = sample.file;
    const float lo = sample.lo, hi = sample.hi;

    // A table of 7 layers made by lutconv itself, and the shipped tables.
    const std::string seven = work + "/seven.lut";
    CHECK(Lutconv(shipped + "/etopo2.txt --from gdal --range 150 1500 --layers 7 -o " + seven) == 0, "seven layers");
    for (const std::string& table : {luts + "/terrain.lut", luts + "/dem3.lut", seven})
        LayeringThroughGdaldem(table, sample);
    GdalNamesAsGdaldemDrawsThem();
    FilesReadBack(luts + "/terrain.lut", gridFile, lo, hi, data, shipped);
    Statuses(luts + "/terrain.lut", data);
    OnlyTheOutput(luts + "/terrain.lut", data, gridFile);
    return proof::Verdict();
}
