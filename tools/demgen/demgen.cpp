// demgen: writes the viewer's sample scene into a folder.
//
//   demgen OUTDIR
//
// OUTDIR/sample.asc          257 x 257 elevation grid (ESRI ASCII), a fractal relief with a
//                            river valley and a lake, 30 m cells
// OUTDIR/sample_texture.bmp  256 x 256 texture picture of it (24-bit)
// OUTDIR/sample_scene.img    256 x 256 four-band image of it (blue, green, red, near infrared;
// OUTDIR/sample_scene.hdr    bytes, band-sequential) with its ENVI header
// The seed is fixed: every run writes the same bytes.
#include <cstdio>
#include <string>
#include <vector>

#include "terrain/ascgrid.h"
#include "terrain/samplescene.h"

namespace {

bool WriteFile(const std::string& path, const void* data, size_t size)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::perror(path.c_str());
        return false;
    }
    const bool ok = std::fwrite(data, 1, size, f) == size;
    if (std::fclose(f) != 0 || !ok) {
        std::fprintf(stderr, "%s: write failed\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: demgen OUTDIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    const int kPictureSide = 256;

    SampleFeatures features;
    const AscGrid grid = MakeSampleRelief(SampleReliefOptions(), &features);
    if (grid.z.empty()) {
        std::fprintf(stderr, "demgen: no relief\n");
        return 1;
    }
    const std::string asc = WriteAscGrid(grid);
    const std::vector<uint8_t> bmp = EncodeBmp24(kPictureSide, kPictureSide,
                                                 MakeSampleTexture(grid, features, kPictureSide));
    const std::vector<uint8_t> bands = MakeSampleBands(grid, features, kPictureSide);
    const std::string hdr = SampleBandsHeader(kPictureSide);
    if (!WriteFile(dir + "/sample.asc", asc.data(), asc.size()) ||
        !WriteFile(dir + "/sample_texture.bmp", bmp.data(), bmp.size()) ||
        !WriteFile(dir + "/sample_scene.img", bands.data(), bands.size()) ||
        !WriteFile(dir + "/sample_scene.hdr", hdr.data(), hdr.size()))
        return 1;
    std::printf("demgen: %dx%d grid, lake of %d cells at %.1f m\n", grid.ncols, grid.nrows,
                features.lakeCells, features.lakeLevel);
    return 0;
}
