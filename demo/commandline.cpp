// terrainview's command line and the rules for the files it writes.
#include "demo/commandline.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>

#include "demo/wintext.h"

const char kFiguresMarker[] = "# terrainview figures";
const char kTourLogMarker[] = "# terrainview tour log";

const wchar_t kUsageText[] =
    L"usage: terrainview [GRID]                        opens GRID (.asc or .hgt; default: the sample)\n"
    L"       terrainview [GRID] --bench [--figures FILE]  measures; figures on standard output\n"
    L"       terrainview [GRID] --crack-check          GRID (or a 1201 x 1201 tile) from above: no cracks\n"
    L"       terrainview [GRID] --tour FOLDER          the scripted tour: tour_*.png, tour_log.txt in FOLDER\n"
    L"Options go in any order; every other word is the grid, and one grid at most.\n"
    L"--figures FILE writes the figures to FILE too; an existing FILE is replaced only when its first\n"
    L"line is \"# terrainview figures\" (an earlier figures file). --tour writes only tour_log.txt and\n"
    L"tour_*.png into FOLDER and refuses a folder where such a name is taken by a file not the tour's.\n"
    L"Exit status: 0 done, 1 the run failed, 2 the command line was refused (nothing written).\n";

namespace {

bool IsOption(const std::wstring& word) { return word.size() > 1 && word[0] == L'-'; }

std::wstring Lower(std::wstring s)
{
    for (wchar_t& c : s)
        c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

// INVALID_FILE_ATTRIBUTES when nothing is there.
DWORD Attributes(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

bool StartsWithPngSignature(const std::wstring& path)
{
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    unsigned char head[8] = {};
    DWORD read = 0;
    const bool ok = ReadFile(f, head, sizeof head, &read, nullptr) && read == sizeof head;
    CloseHandle(f);
    static const unsigned char kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return ok && std::equal(head, head + 8, kPng);
}

}  // namespace

bool FirstLine(const std::wstring& path, std::string* line, size_t limit)
{
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    std::string head(limit, '\0');
    DWORD read = 0;
    const bool ok = ReadFile(f, &head[0], static_cast<DWORD>(limit), &read, nullptr) != 0;
    CloseHandle(f);
    if (!ok)
        return false;
    head.resize(read);
    const size_t end = head.find_first_of("\r\n");
    *line = end == std::string::npos ? head : head.substr(0, end);
    return true;
}

bool ParseCommandLine(const std::vector<std::wstring>& args, TerrainViewer::Options* options, bool* help,
                      std::wstring* error)
{
    *help = false;
    int modes = 0;
    bool figures = false;
    // An option's value: the next word, which must not itself be an option.
    auto value = [&](size_t* i, std::wstring* out) {
        if (*i + 1 >= args.size() || IsOption(args[*i + 1])) {
            *error = args[*i] + (args[*i] == L"--tour" ? L" needs a folder" : L" needs a file name");
            return false;
        }
        *out = args[++*i];
        return true;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        if (arg == L"--help" || arg == L"-h" || arg == L"/?") {
            *help = true;
        } else if (arg == L"--bench") {
            options->bench = true;
            ++modes;
        } else if (arg == L"--crack-check") {
            options->crackCheck = true;
            ++modes;
        } else if (arg == L"--tour") {
            options->tour = true;
            ++modes;
            if (!value(&i, &options->tourDir))
                return false;
        } else if (arg == L"--figures") {
            if (figures) {
                *error = L"--figures is given twice";
                return false;
            }
            figures = true;
            if (!value(&i, &options->figuresFile))
                return false;
        } else if (IsOption(arg)) {
            *error = L"unknown option " + arg;
            return false;
        } else if (!options->gridPath.empty()) {
            *error = L"two grids: " + options->gridPath + L" and " + arg + L" (one grid at most)";
            return false;
        } else {
            options->gridPath = arg;
        }
    }
    if (modes > 1) {
        *error = L"--bench, --crack-check and --tour each run alone: give one of them";
        return false;
    }
    if (figures && !options->bench) {
        *error = L"--figures goes with --bench";
        return false;
    }
    return true;
}

std::wstring CheckFiguresFile(const std::wstring& path)
{
    const DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND
                   ? std::wstring()
                   : path + L": cannot be looked at (error " + std::to_wstring(GetLastError()) + L")";
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return path + L" is a folder, not a figures file";
    std::string first;
    if (!FirstLine(path, &first, sizeof kFiguresMarker + 2) || first != kFiguresMarker)
        return path + L" exists and is not a figures file (its first line is not \"" + Wide(kFiguresMarker) +
               L"\"): not replaced";
    return std::wstring();
}

std::wstring CheckTourFolder(const std::wstring& folder)
{
    const DWORD attributes = Attributes(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return std::wstring();   // made by the tour
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return folder + L" is a file, not a folder: the tour writes into a folder";
    std::wstring base = folder;
    if (!base.empty() && base.back() != L'\\' && base.back() != L'/')
        base += L'\\';
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((base + L"tour_*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return std::wstring();
    std::wstring why;
    do {
        const std::wstring name = found.cFileName;
        const std::wstring lower = Lower(name);
        const bool log = lower == L"tour_log.txt";
        const bool picture = lower.size() > 4 && lower.compare(lower.size() - 4, 4, L".png") == 0;
        if (!log && !picture)
            continue;   // a name the tour never writes
        const std::wstring path = base + name;
        std::string first;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            why = path + L" is a folder";
        else if (log && (!FirstLine(path, &first, sizeof kTourLogMarker + 2) || first != kTourLogMarker))
            why = path + L" is not a tour log (its first line is not \"" + Wide(kTourLogMarker) + L"\")";
        else if (picture && !StartsWithPngSignature(path))
            why = path + L" is not a PNG picture";
    } while (why.empty() && FindNextFileW(find, &found));
    FindClose(find);
    return why.empty() ? why : why + L": the tour would replace it; choose another folder";
}

std::wstring WriteFiguresFile(const std::wstring& path, const std::string& text)
{
    const std::wstring refused = CheckFiguresFile(path);
    if (!refused.empty())
        return refused;
    const std::string bytes = std::string(kFiguresMarker) + "\n" + text;
    // A new file beside path, which then takes path's place in one step.
    for (int n = 0; n < 100; ++n) {
        const std::wstring scratch = path + L".part" + std::to_wstring(n);
        HANDLE f = CreateFileW(scratch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS)
                continue;
            return path + L": cannot be written (error " + std::to_wstring(GetLastError()) + L")";
        }
        DWORD written = 0;
        const bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                        written == bytes.size();
        CloseHandle(f);
        if (ok && MoveFileExW(scratch.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return std::wstring();
        const DWORD code = GetLastError();
        DeleteFileW(scratch.c_str());
        return path + L": cannot be written (error " + std::to_wstring(code) + L")";
    }
    return path + L": cannot be written (no free name beside it)";
}

std::wstring MakeScratchFolder()
{
    wchar_t temp[MAX_PATH];
    const DWORD t = GetTempPathW(MAX_PATH, temp);
    if (t == 0 || t >= MAX_PATH)
        return std::wstring();
    for (unsigned n = 0; n < 1000; ++n) {
        const std::wstring dir = std::wstring(temp) + L"terrainview_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                                 std::to_wstring(GetTickCount() + n);
        if (CreateDirectoryW(dir.c_str(), nullptr))
            return dir;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return std::wstring();
    }
    return std::wstring();
}
