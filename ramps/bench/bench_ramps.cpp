// bench_ramps: the time lutconv spends converting a 256-stop ramp (GDAL text, in memory):
// reading it, sampling a 256-layer table with its largest difference, and writing it as a
// GMT palette; and the time terrainview's 导入色带 spends turning it into a host's layers over
// a grid's range. Prints "name: median <value> us".
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "ramps/ramp.h"

namespace {

std::string Ramp256()
{
    std::string text;
    for (int i = 0; i < 256; ++i)
        text += std::to_string(-500 + i * 17.25) + " " + std::to_string(i) + " " + std::to_string((i * 7) % 256) + " " +
                std::to_string(255 - i) + "\n";
    return text;
}

template <typename F>
double MedianMicroseconds(int runs, F f)
{
    std::vector<double> t;
    for (int r = 0; r < runs; ++r) {
        const auto a = std::chrono::steady_clock::now();
        f();
        const auto b = std::chrono::steady_clock::now();
        t.push_back(std::chrono::duration<double, std::micro>(b - a).count());
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

}  // namespace

int main()
{
    const std::string text = Ramp256();
    bool ok = true;
    const double toTable = MedianMicroseconds(51, [&] {
        ramps::Ramp ramp;
        ramps::Report report;
        LutColor colors[256];
        double largest = 0, where = 0;
        ok = ok && ramps::ReadRamp(ramps::Format::Gdal, text, false, &ramp, &report) &&
             ramps::SampleTable(ramp, 256, true, -500, 4000, colors, &largest, &where, &report);
    });
    const double toCpt = MedianMicroseconds(51, [&] {
        ramps::Ramp ramp;
        ramps::Report report;
        std::string out;
        ok = ok && ramps::ReadRamp(ramps::Format::Gdal, text, false, &ramp, &report) &&
             ramps::WriteRamp(ramps::Format::Cpt, ramp, false, 0, 0, &out, &report);
    });
    size_t layerCount = 0;
    const double toLayers = MedianMicroseconds(51, [&] {
        ramps::Ramp ramp;
        ramps::Report report;
        std::vector<ColorLayer> layers;
        ok = ok && ramps::ReadRamp(ramps::Format::Gdal, text, false, &ramp, &report) &&
             ramps::LayersFromRamp(ramp, -500, 4000, &layers, &report);
        layerCount = layers.size();
    });
    if (!ok) {
        std::printf("ramp_convert_256_stops: failed\n");
        return 1;
    }
    std::printf("ramp_convert_256_stops_to_lut: median %.1f us (read, 256 layers sampled, largest difference)\n", toTable);
    std::printf("ramp_convert_256_stops_to_cpt: median %.1f us (read, written as a GMT palette)\n", toCpt);
    std::printf("ramp_import_256_stops_to_layers: median %.1f us (read, laid over -500 .. 4000 as %zu host layers)\n",
                toLayers, layerCount);
    return 0;
}
