// The shipped modules' export and import tables, read from the files in dist/ on this machine:
// no Windows and no Wine needed, so they are checked for every architecture wherever the tests
// run, also where 32-bit programs cannot be started.
//   pe_tables_test DIST_DIR      (dist/, holding i686/ and x86_64/)
// Exits 77 (skipped) when dist/ has not been laid out.
#include <gtest/gtest.h>

#include <strings.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

namespace {

std::string g_dist;

// The export table a host links against: names and fixed ordinals, written out here, never read
// from the module definition file the library is built with.
const char* const kExportNames[34] = {
    "_ReadColorTable", "_SetHeightColorDlg", "_PlayAVIWnd", "_SelectTextureFile", "_CreateModelDialog",
    "_DeleteModelDialog", "_SetMaterial_Ambient_", "_GetMaterial_Ambient_", "_SetMaterial_Diffuse_",
    "_GetMaterial_Diffuse_", "_SetMaterial_Specular_", "_GetMaterial_Specular_", "_SetMaterial_Emission_",
    "_GetMaterial_Emission_", "_SetMaterial_Shininess_", "_GetMaterial_Shininess_", "_SetMatMode_",
    "_GetMatMode_", "_SetLight_Ambient_", "_GetLight_Ambient_", "_SetLight_Diffuse_", "_GetLight_Diffuse_",
    "_SetLight_Specular_", "_GetLight_Specular_", "_SetLineColor_", "_GetLineColor_", "_SetBackColor_",
    "_GetBackColor_", "_SetFogColor_", "_GetFogColor_", "_SetFogDensity_", "_GetFogDensity_",
    "_ShowModelDialog", "_SetTexParamDlg"};

struct Export {
    uint32_t ordinal;
    std::string name;  // empty for an export by ordinal only
};

struct Import {
    std::string dll;
    bool byOrdinal;
    uint32_t ordinal;  // when byOrdinal
    std::string name;  // otherwise
};

// A PE file read whole, every read bounds-checked: a malformed file fails the test, never the
// reader.
class PeFile {
public:
    explicit PeFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (bytes_.size() < 0x40 || U16(0) != 0x5A4D) {
            Fail("no MZ header");
            return;
        }
        const uint32_t pe = U32(0x3C);
        if (U32(pe) != 0x00004550) {
            Fail("no PE signature");
            return;
        }
        machine_ = U16(pe + 4);
        const uint32_t sections = U16(pe + 6), optSize = U16(pe + 20), opt = pe + 24;
        const uint16_t magic = U16(opt);
        if (magic != 0x10B && magic != 0x20B) {
            Fail("unknown optional header");
            return;
        }
        pe32plus_ = magic == 0x20B;
        const uint32_t dirs = opt + (pe32plus_ ? 112 : 96);
        for (int i = 0; i < 2; ++i) {
            dirRva_[i] = U32(dirs + 8 * i);
            dirSize_[i] = U32(dirs + 8 * i + 4);
        }
        for (uint32_t s = 0, at = opt + optSize; s < sections; ++s, at += 40)
            sections_.push_back({U32(at + 12), std::max(U32(at + 8), U32(at + 16)), U32(at + 20)});
    }

    const std::string& error() const { return error_; }
    uint16_t machine() const { return machine_; }

    std::vector<Export> Exports(uint32_t* base, uint32_t* functions)
    {
        std::vector<Export> out;
        if (dirRva_[0] == 0)
            return out;
        const uint32_t ed = Offset(dirRva_[0]);
        *base = U32(ed + 16);
        *functions = U32(ed + 20);
        const uint32_t names = U32(ed + 24), funcs = Offset(U32(ed + 28)), nameRvas = Offset(U32(ed + 32)),
                       nameOrdinals = Offset(U32(ed + 36));
        for (uint32_t i = 0; i < *functions && i < 0x10000 && error_.empty(); ++i) {
            if (U32(funcs + 4 * i) == 0)
                continue;
            Export e{*base + i, std::string()};
            for (uint32_t n = 0; n < names && error_.empty(); ++n)
                if (U16(nameOrdinals + 2 * n) == i)
                    e.name = Text(Offset(U32(nameRvas + 4 * n)));
            out.push_back(e);
        }
        return out;
    }

    std::vector<Import> Imports()
    {
        std::vector<Import> out;
        if (dirRva_[1] == 0)
            return out;
        const uint32_t width = pe32plus_ ? 8 : 4;
        for (uint32_t d = Offset(dirRva_[1]); error_.empty() && U32(d + 12) != 0; d += 20) {
            const std::string dll = Text(Offset(U32(d + 12)));
            const uint32_t lookup = U32(d) ? U32(d) : U32(d + 16);
            for (uint32_t t = Offset(lookup); error_.empty(); t += width) {
                const uint64_t thunk = pe32plus_ ? (uint64_t{U32(t + 4)} << 32 | U32(t)) : U32(t);
                if (thunk == 0)
                    break;
                const bool byOrdinal = pe32plus_ ? (thunk >> 63) != 0 : (thunk >> 31) != 0;
                Import imp{dll, byOrdinal, 0, std::string()};
                if (byOrdinal)
                    imp.ordinal = static_cast<uint32_t>(thunk & 0xFFFF);
                else
                    imp.name = Text(Offset(static_cast<uint32_t>(thunk & 0x7FFFFFFF)) + 2);
                out.push_back(imp);
            }
        }
        return out;
    }

private:
    struct Section {
        uint32_t rva, size, raw;
    };

    void Fail(const char* why)
    {
        if (error_.empty())
            error_ = why;
    }
    bool Has(uint64_t at, uint64_t n)
    {
        if (at + n <= bytes_.size())
            return true;
        Fail("a read past the end of the file");
        return false;
    }
    uint16_t U16(uint32_t at) { return Has(at, 2) ? uint16_t(uint8_t(bytes_[at]) | uint8_t(bytes_[at + 1]) << 8) : 0; }
    uint32_t U32(uint32_t at) { return Has(at, 4) ? uint32_t(U16(at)) | uint32_t(U16(at + 2)) << 16 : 0; }
    std::string Text(uint32_t at)
    {
        std::string s;
        while (Has(at, 1) && bytes_[at] != 0 && s.size() < 256)
            s += bytes_[at++];
        return s;
    }
    uint32_t Offset(uint32_t rva)
    {
        for (const Section& s : sections_)
            if (rva >= s.rva && rva - s.rva < s.size)
                return rva - s.rva + s.raw;
        Fail("an address outside every section");
        return 0;
    }

    std::vector<char> bytes_;
    std::string error_;
    uint16_t machine_ = 0;
    bool pe32plus_ = false;
    uint32_t dirRva_[2] = {}, dirSize_[2] = {};
    std::vector<Section> sections_;
};

bool SameText(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

struct Arch {
    const char* name;
    uint16_t machine;
};
const Arch kArchs[] = {{"i686", 0x14C}, {"x86_64", 0x8664}};
void PrintTo(const Arch& a, std::ostream* os) { *os << a.name; }

class ShippedModules : public ::testing::TestWithParam<Arch> {
protected:
    PeFile Open(const char* module)
    {
        PeFile f(g_dist + "/" + GetParam().name + "/" + module);
        EXPECT_EQ(f.error(), "") << module;
        EXPECT_EQ(f.machine(), GetParam().machine) << module << " is built for another processor";
        return f;
    }
};

TEST_P(ShippedModules, EveryExportHasItsNameAndFixedOrdinal)
{
    PeFile lib = Open("Oroscape.dll");
    uint32_t base = 0, functions = 0;
    const std::vector<Export> exports = lib.Exports(&base, &functions);
    EXPECT_EQ(lib.error(), "");
    EXPECT_EQ(base, 1u);
    EXPECT_EQ(functions, 34u);
    ASSERT_EQ(exports.size(), 34u);
    for (const Export& e : exports) {
        ASSERT_GE(e.ordinal, 1u);
        ASSERT_LE(e.ordinal, 34u);
        EXPECT_EQ(e.name, kExportNames[e.ordinal - 1]) << "ordinal " << e.ordinal;
    }
}

TEST_P(ShippedModules, LibraryNeedsOnlySystemAndHostLibrariesAndTakesTheHostDirectoryByOrdinal226)
{
    PeFile lib = Open("Oroscape.dll");
    const char* allowed[] = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "comdlg32.dll",
                             "opengl32.dll", "msvfw32.dll", "winmm.dll", "msvcrt.dll", "advapi32.dll",
                             "shell32.dll", "hubcore60.dll", "RimBase.dll"};
    int fromHub = 0;
    const std::vector<Import> imports = lib.Imports();
    EXPECT_EQ(lib.error(), "");
    EXPECT_FALSE(imports.empty());
    for (const Import& imp : imports) {
        bool ok = false;
        for (const char* a : allowed)
            ok = ok || SameText(imp.dll, a);
        EXPECT_TRUE(ok) << "unexpected dependency " << imp.dll;
        if (!SameText(imp.dll, "hubcore60.dll"))
            continue;
        ++fromHub;
        EXPECT_TRUE(imp.byOrdinal) << "imported by name: " << imp.name;
        EXPECT_EQ(imp.ordinal, 226u);
    }
    EXPECT_EQ(fromHub, 1);

    PeFile hub = Open("hubcore60.dll");
    uint32_t base = 0, functions = 0;
    const std::vector<Export> exports = hub.Exports(&base, &functions);
    ASSERT_EQ(exports.size(), 1u);
    EXPECT_EQ(exports[0].ordinal, 226u);
    EXPECT_EQ(exports[0].name, "") << "the stand-in exports a name";
}

TEST_P(ShippedModules, TheDemoHostLinksTheLibraryByOrdinalOnly)
{
    PeFile host = Open("terrainview.exe");
    int found = 0;
    for (const Import& imp : host.Imports()) {
        if (!SameText(imp.dll, "Oroscape.dll"))
            continue;
        ++found;
        EXPECT_TRUE(imp.byOrdinal) << "imported by name: " << imp.name;
        EXPECT_GE(imp.ordinal, 1u);
        EXPECT_LE(imp.ordinal, 34u);
    }
    EXPECT_GT(found, 0);
    EXPECT_EQ(host.error(), "");
}

INSTANTIATE_TEST_SUITE_P(BothArchitectures, ShippedModules, ::testing::ValuesIn(kArchs),
                         [](const ::testing::TestParamInfo<Arch>& i) { return std::string(i.param.name); });

// The reader itself refuses what is no PE file rather than reading past its end.
TEST(PeReader, TruncatedAndForeignFilesAreRefused)
{
    const std::string dir = ::testing::TempDir();
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"text", "ncols 3\nnrows 3\n"},
        {"MZ whose PE header lies past the end", std::string("MZ") + std::string(58, '\0') + "\xff\xff\x00\x00"},
    };
    for (const auto& c : cases) {
        const std::string path = dir + "/pe_reader_case.bin";
        std::ofstream(path, std::ios::binary) << c.bytes;
        PeFile f(path);
        EXPECT_NE(f.error(), "") << c.what;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        fprintf(stderr, "usage: pe_tables_test DIST_DIR\n");
        return 2;
    }
    g_dist = argv[1];
    for (const Arch& a : kArchs)
        if (!std::ifstream(g_dist + "/" + a.name + "/Oroscape.dll")) {
            printf("skipped: %s/%s/Oroscape.dll is missing (make dist lays it out)\n", g_dist.c_str(), a.name);
            return 77;
        }
    return RUN_ALL_TESTS();
}
