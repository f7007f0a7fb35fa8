// lutconv: colour ramps of the GIS tools to colour tables and back, and between the tools.
// See kUsage. Exit status 0 done, 1 input refused (or output not written), 2 usage.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "heightcolor/colortable.h"
#include "ramps/ramp.h"
#include "terrain/ascgrid.h"

namespace {

const char kUsage[] =
    "usage: lutconv INPUT -o OUTPUT [--from gdal|grass|cpt|qgis|clr|lut]\n"
    "               [--format gdal|grass|cpt|qgis|clr|lut] [--range LO HI | --dem GRID.asc] [--layers N]\n"
    "       lutconv --help | --version\n"
    "\n"
    "Converts colour ramps between GDAL colour-relief text, GRASS colour rules, GMT palettes (.cpt),\n"
    "QGIS colour-map exports, ArcGIS colour maps (.clr) and Oroscape colour tables (.lut).\n"
    "\n"
    "  --from F        format of INPUT; else from its extension (.cpt, .clr, .lut), the QGIS header,\n"
    "                  a GRASS keyword (default, end), or GDAL text\n"
    "  --format F      format of OUTPUT; else from its extension (.lut, .cpt, .clr); .txt needs it\n"
    "  --range LO HI   the elevations the ramp or table covers\n"
    "  --dem GRID.asc  the same, from the lowest and highest cell of an ESRI ASCII grid\n"
    "  --layers N      layers of a table written (1 to 256, default 256)\n"
    "\n"
    "Ramp to table: a ramp in percent or normalised needs no range, each layer takes the colour at\n"
    "the middle of its even share; a ramp in elevations needs the range the table will be spread\n"
    "over. The largest colour difference between the ramp and the table is reported.\n"
    "Table to ramp: with a range, each layer becomes a class (its limits and colour); without one,\n"
    "GDAL and GRASS text is written in percent, and CPT, QGIS and .clr need a range.\n"
    "A .lut is named after OUTPUT's title, which must be representable in code page 936.\n"
    "\n"
    "OUTPUT is the only file written: it is replaced as a whole once the conversion has succeeded,\n"
    "and it may not be INPUT or the --dem grid.\n"
    "\n"
    "Exit status: 0 done, 1 input refused (file, line and fault on stderr; nothing written), 2 usage.\n";

int Usage(const std::string& what)
{
    std::fprintf(stderr, "lutconv: %s\n%.*s(lutconv --help tells more)\n", what.c_str(),
                 static_cast<int>(std::strstr(kUsage, "\n\n") - kUsage + 1), kUsage);
    return 2;
}

int Refused(const std::string& file, int line, const std::string& what)
{
    if (line > 0)
        std::fprintf(stderr, "lutconv: %s:%d: %s\n", file.c_str(), line, what.c_str());
    else
        std::fprintf(stderr, "lutconv: %s: %s\n", file.c_str(), what.c_str());
    return 1;
}

// --- files: UTF-8 names on every system ----------------------------------------------------

#ifdef _WIN32
std::wstring Wide(const std::string& utf8)
{
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring w(n > 0 ? n : 1, L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &w[0], n);
    w.resize(w.size() - 1);
    return w;
}

std::string Utf8(const wchar_t* w)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n : 1, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, w, -1, &s[0], n, nullptr, nullptr);
    s.resize(s.size() - 1);
    return s;
}

FILE* Open(const std::string& path, const char* mode)
{
    return _wfopen(Wide(path).c_str(), Wide(mode).c_str());
}

int Remove(const std::string& path) { return _wremove(Wide(path).c_str()); }

// A UTF-8 title in code page 936; false when a character has no place there.
bool ToCp936(const std::string& utf8, std::string* out)
{
    const std::wstring w = Wide(utf8);
    if (w.empty()) {
        out->clear();
        return true;
    }
    BOOL lost = FALSE;
    const int n = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, w.c_str(), static_cast<int>(w.size()), nullptr, 0,
                                      nullptr, &lost);
    if (n <= 0 || lost)
        return false;
    out->assign(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, w.c_str(), static_cast<int>(w.size()), &(*out)[0], n, nullptr,
                        &lost);
    return !lost;
}
#else
FILE* Open(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

int Remove(const std::string& path) { return std::remove(path.c_str()); }

bool ToCp936(const std::string& utf8, std::string* out)
{
    iconv_t cd = iconv_open("CP936", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    std::string in = utf8;
    std::string buf(in.size() * 2 + 4, '\0');
    char* src = &in[0];
    size_t srcLeft = in.size();
    char* dst = &buf[0];
    size_t dstLeft = buf.size();
    const size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1) || srcLeft != 0)
        return false;
    out->assign(buf.data(), buf.size() - dstLeft);
    return true;
}
#endif

bool ReadFile(const std::string& path, std::string* bytes, std::string* why)
{
    FILE* f = Open(path, "rb");
    if (f == nullptr) {
        *why = std::strerror(errno);
        return false;
    }
    bytes->clear();
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
        bytes->append(buf, n);
        if (bytes->size() > (64u << 20)) {
            std::fclose(f);
            *why = "larger than 64 MB";
            return false;
        }
    }
    const bool bad = std::ferror(f) != 0;
    std::fclose(f);
    if (bad)
        *why = "read error";
    return !bad;
}

// One file on disk, however it is named: a second spelling of a path, a link.
struct FileIdentity {
    bool exists = false;
    unsigned long long volume = 0, index = 0;
};

#ifdef _WIN32
FileIdentity IdentityOf(const std::string& path)
{
    FileIdentity id;
    HANDLE h = CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return id;
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(h, &info)) {
        id.exists = true;
        id.volume = info.dwVolumeSerialNumber;
        id.index = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    }
    CloseHandle(h);
    return id;
}

// Creates path only when no file of that name exists.
FILE* CreateNew(const std::string& path)
{
    HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return nullptr;
    CloseHandle(h);
    return Open(path, "r+b");
}

bool ReplaceWith(const std::string& from, const std::string& to)
{
    return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
#else
FileIdentity IdentityOf(const std::string& path)
{
    FileIdentity id;
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) {
        id.exists = true;
        id.volume = static_cast<unsigned long long>(st.st_dev);
        id.index = static_cast<unsigned long long>(st.st_ino);
    }
    return id;
}

FILE* CreateNew(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    return fd < 0 ? nullptr : ::fdopen(fd, "wb");
}

bool ReplaceWith(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }
#endif

bool SameFile(const std::string& a, const std::string& b)
{
    if (a == b)
        return true;
    const FileIdentity x = IdentityOf(a), y = IdentityOf(b);
    return x.exists && y.exists && x.volume == y.volume && x.index == y.index;
}

// Writes the whole output or nothing: the bytes go to a new file beside OUTPUT, which then takes
// OUTPUT's place in one step. A failed write leaves OUTPUT as it was (absent, or the earlier file)
// and no file of its own behind; no other file is ever opened for writing.
bool WriteFile(const std::string& path, const std::string& bytes)
{
    std::string scratch;
    FILE* f = nullptr;
    for (int n = 0; f == nullptr && n < 100; ++n) {
        scratch = path + ".lutconv-" + std::to_string(n) + ".part";
        f = CreateNew(scratch);
    }
    if (f == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed || !ReplaceWith(scratch, path)) {
        Remove(scratch);
        return false;
    }
    return true;
}

std::string TitleOf(const std::string& path)
{
    std::string s = path;
    const size_t slash = s.find_last_of("/\\");
    if (slash != std::string::npos)
        s.erase(0, slash + 1);
    const size_t dot = s.rfind('.');
    if (dot != std::string::npos && dot > 0)
        s.erase(dot);
    return s;
}

bool IsGbkLead(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

bool ParseDouble(const char* s, double* v)
{
    char* end = nullptr;
    errno = 0;
    const double x = std::strtod(s, &end);
    if (end == s || *end != '\0' || errno != 0 || !std::isfinite(x))
        return false;
    *v = x;
    return true;
}

void PrintWarnings(const ramps::Report& report)
{
    for (const std::string& w : report.warnings)
        std::fprintf(stderr, "lutconv: warning: %s\n", w.c_str());
}

int Run(const std::vector<std::string>& args)
{
    std::string input, output, dem;
    ramps::Format from = ramps::Format::Unknown, to = ramps::Format::Unknown;
    bool hasRange = false;
    double lo = 0, hi = 0;
    int layers = 256;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](size_t count) { return i + count < args.size(); };
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--version") {
            std::fputs("lutconv (Oroscape) " LUTCONV_VERSION "\n", stdout);
            return 0;
        } else if (a == "-o") {
            if (!value(1))
                return Usage("-o needs a file");
            if (!output.empty())
                return Usage("more than one output ('" + output + "', '" + args[i + 1] + "')");
            output = args[++i];
        } else if (a == "--from" || a == "--format") {
            if (!value(1))
                return Usage(a + " needs a format");
            const ramps::Format f = ramps::FormatFromName(args[++i]);
            if (f == ramps::Format::Unknown)
                return Usage("unknown format '" + args[i] + "'");
            (a == "--from" ? from : to) = f;
        } else if (a == "--range") {
            if (!value(2) || !ParseDouble(args[i + 1].c_str(), &lo) || !ParseDouble(args[i + 2].c_str(), &hi))
                return Usage("--range needs two numbers");
            if (!(lo < hi))
                return Usage("--range: LO must lie below HI");
            hasRange = true;
            i += 2;
        } else if (a == "--dem") {
            if (!value(1))
                return Usage("--dem needs a grid file");
            dem = args[++i];
        } else if (a == "--layers") {
            double n = 0;
            if (!value(1) || !ParseDouble(args[++i].c_str(), &n) || n != std::floor(n) || n < 1 || n > 256)
                return Usage("--layers needs a whole number from 1 to 256");
            layers = static_cast<int>(n);
        } else if (a.size() > 1 && a[0] == '-') {
            return Usage("unknown option '" + a + "'");
        } else if (input.empty()) {
            input = a;
        } else {
            return Usage("more than one input ('" + input + "', '" + a + "')");
        }
    }
    if (input.empty())
        return Usage("no input given");
    if (output.empty())
        return Usage("no output given (-o OUTPUT)");
    if (hasRange && !dem.empty())
        return Usage("give --range or --dem, not both");
    // OUTPUT is the one file written: never the input or the grid, under any of their names.
    if (SameFile(output, input))
        return Usage("the output '" + output + "' is the input: name another file after -o");
    if (!dem.empty() && SameFile(output, dem))
        return Usage("the output '" + output + "' is the grid given with --dem: name another file after -o");
    if (to == ramps::Format::Unknown)
        to = ramps::FormatFromExtension(output);
    if (to == ramps::Format::Unknown)
        return Usage("the output's format cannot be told from its name: give --format");

    if (!dem.empty()) {
        std::string bytes, why;
        if (!ReadFile(dem, &bytes, &why))
            return Refused(dem, 0, "cannot read: " + why);
        AscGrid grid;
        AscError error;
        if (!ParseAscGrid(bytes.data(), bytes.size(), &grid, &error))
            return Refused(dem, error.line, "not an ESRI ASCII grid this tool reads" +
                                                (error.key.empty() ? std::string() : " (" + error.key + ")"));
        float l = 0, h = 0;
        if (!AscGridRange(grid, &l, &h) || !(l < h))
            return Refused(dem, 0, "the grid has no range of elevations");
        lo = l, hi = h;
        hasRange = true;
    }

    std::string bytes, why;
    if (!ReadFile(input, &bytes, &why))
        return Refused(input, 0, "cannot read: " + why);
    const bool isLut = from == ramps::Format::Lut ||
                       (from == ramps::Format::Unknown && (ramps::FormatFromExtension(input) == ramps::Format::Lut ||
                                                           bytes.compare(0, 8, "COLORLUT") == 0));
    ramps::Ramp ramp;
    ramps::Report report;
    if (isLut) {
        LutColor colors[kLutMaxEntries];
        if (bytes.size() < kLutHeaderSize || std::memcmp(bytes.data(), kLutMagic, kLutMagicSize) != 0)
            return Refused(input, 0, "not a colour table (no COLORLUT header)");
        const int n = DecodeLut(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), colors);
        if (n == 0)
            return Refused(input, 0, "the colour table holds no entries");
        if (n != LutHeaderCount(reinterpret_cast<const unsigned char*>(bytes.data())))
            report.warnings.push_back("the table's count says " +
                                      std::to_string(LutHeaderCount(reinterpret_cast<const unsigned char*>(bytes.data()))) +
                                      " entries; " + std::to_string(n) + " are read");
        ramp = ramps::RampFromTable(colors, n, hasRange, static_cast<float>(lo), static_cast<float>(hi));
        if (to != ramps::Format::Lut && !hasRange && to != ramps::Format::Gdal && to != ramps::Format::Grass)
            return Usage(std::string("a table written as ") + ramps::FormatName(to) +
                         " needs the range it covers: give --range LO HI or --dem GRID.asc");
    } else {
        std::string text;
        if (!ramps::DecodeText(bytes, &text, &report))
            return Refused(input, report.line, report.error);
        const bool guessed = from == ramps::Format::Unknown;
        const ramps::Format format = guessed ? ramps::DetectFormat(input, text) : from;
        if (!ramps::ReadRamp(format, text, guessed, &ramp, &report))
            return Refused(input, report.line, report.error);
    }

    std::string out;
    if (to == ramps::Format::Lut) {
        const std::string title = TitleOf(output);
        std::string name;
        if (!ToCp936(title, &name))
            return Refused(output, 0, "the title '" + title + "' cannot be written in code page 936");
        if (!IsValidTableName(name.c_str(), IsGbkLead))
            return Refused(output, 0, "'" + title + "' cannot name a colour table");
        if (ramps::NeedsRange(ramp) && !ramps::IsRelative(ramp) && !hasRange)
            return Usage("this ramp needs the range the table will be spread over: give --range LO HI or --dem GRID.asc");
        if (!ramps::IsRelative(ramp) && !ramps::NeedsRange(ramp) && !hasRange)
            return Usage("this ramp holds elevations: give the range the table will be spread over "
                         "(--range LO HI or --dem GRID.asc)");
        LutColor colors[kLutMaxEntries];
        double largest = 0, where = 0;
        if (!ramps::SampleTable(ramp, layers, hasRange, lo, hi, colors, &largest, &where, &report))
            return Refused(input, 0, report.error);
        unsigned char data[kLutMaxFileBytes];
        const size_t size = EncodeLut(data, sizeof data, name.c_str(), kLutUserKind, colors, layers, IsGbkLead);
        if (size == 0)
            return Refused(output, 0, "the table cannot be encoded");
        out.assign(reinterpret_cast<const char*>(data), size);
        PrintWarnings(report);
        if (!WriteFile(output, out))
            return Refused(output, 0, "cannot write");
        std::printf("%s: %d layers; largest colour difference %.1f of 255 at %s%s\n", output.c_str(), layers, largest,
                    ramps::FormatNumber(std::round(where * 1000) / 1000).c_str(),
                    ramps::IsRelative(ramp) ? "%" : "");
        return 0;
    }
    if (!ramps::WriteRamp(to, ramp, hasRange, lo, hi, &out, &report)) {
        PrintWarnings(report);
        if (report.error.find("needs the range") != std::string::npos)
            return Usage(report.error);
        return Refused(output, 0, report.error);
    }
    PrintWarnings(report);
    if (!WriteFile(output, out))
        return Refused(output, 0, "cannot write");
    return 0;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv)
{
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(Utf8(argv[i]));
    return Run(args);
}
#else
int main(int argc, char** argv)
{
    return Run(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
