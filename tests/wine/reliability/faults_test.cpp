// Fault injection through the real DLL: host folders that are missing, read-only or files, colour
// tables locked, deleted or by the thousand, a disk that fills while a table is saved, an OpenGL
// driver that answers nothing, and videos that are not videos. For each: the call comes back, the
// specified warning or fallback shows, the host's record stays consistent, nothing is written
// outside HeightLut, and no window or GDI object is left behind.
//
// Wine, run as root here, honours neither a read-only folder nor a full disk, so those two faults
// are injected where the library meets them: its own imports of CreateFileA, DeleteFileA and
// WriteFile are swapped for functions that answer as the system would (access denied, disk full).
#include <gtest/gtest.h>

#include <windows.h>

#include <stdint.h>
#include <string.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "include/oroscape.h"
#include "levels.h"
#include "passes.h"
#include "res/resource.h"
#include "test_hostdir.h"
#include "texparam_imports.h"
#include "uidriver_gtest.h"
#include "res/captions.h"

namespace {

const wchar_t* const kLayering = kCaptionHeightColor;
const wchar_t* const kSaveName = kCaptionSaveTable;
const wchar_t* const kWarning = kCaptionWarning;
const wchar_t kSaveFailed[] = L"保存色表失败!";
const wchar_t* const kPlayer = kCaptionPlayer;
const unsigned char kGuard = 0xA5;

HMODULE Library() { return GetModuleHandleW(L"Oroscape.dll"); }

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool Under(const std::string& path, const std::string& folder)
{
    const std::string p = Lower(path), f = Lower(folder) + "\\";
    return p.compare(0, f.size(), f) == 0;
}

// ---------------------------------------------------------------------------
// The library's file calls, watched and failed on purpose

struct FileFaults {
    std::mutex lock;
    std::string readOnlyFolder;          // writes and deletions under it are refused
    std::atomic<long> writeBudget{-1};   // bytes WriteFile may still write; -1: no limit
    std::vector<std::string> writeOpens; // every path the library opened with write access
};
FileFaults g_files;

HANDLE(WINAPI* realCreateFileA)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
BOOL(WINAPI* realDeleteFileA)(LPCSTR);
BOOL(WINAPI* realWriteFile)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);

bool ReadOnlyHere(const char* path)
{
    std::lock_guard<std::mutex> l(g_files.lock);
    return path != nullptr && !g_files.readOnlyFolder.empty() && Under(path, g_files.readOnlyFolder);
}

HANDLE WINAPI FaultyCreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD disposition,
                                DWORD flags, HANDLE templ)
{
    const bool writes = (access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE)) != 0 ||
                        disposition != OPEN_EXISTING;
    if (writes) {
        {
            std::lock_guard<std::mutex> l(g_files.lock);
            g_files.writeOpens.push_back(name ? name : "(null)");
        }
        if (ReadOnlyHere(name)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
    }
    return realCreateFileA(name, access, share, sa, disposition, flags, templ);
}

BOOL WINAPI FaultyDeleteFileA(LPCSTR name)
{
    if (ReadOnlyHere(name)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return realDeleteFileA(name);
}

BOOL WINAPI FaultyWriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
{
    const long budget = g_files.writeBudget.load();
    if (budget < 0 || static_cast<DWORD>(budget) >= size) {
        if (budget >= 0)
            g_files.writeBudget -= static_cast<long>(size);
        return realWriteFile(file, data, size, written, overlapped);
    }
    // The disk fills: what fits is written, then the write fails.
    DWORD part = 0;
    if (budget > 0)
        realWriteFile(file, data, static_cast<DWORD>(budget), &part, overlapped);
    g_files.writeBudget = 0;
    if (written)
        *written = part;
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

// Installs the three swaps for the life of a test.
class FileHooks {
public:
    FileHooks()
        : create_(Library(), "kernel32.dll", "CreateFileA", reinterpret_cast<void*>(&FaultyCreateFileA),
                  reinterpret_cast<void**>(&realCreateFileA)),
          remove_(Library(), "kernel32.dll", "DeleteFileA", reinterpret_cast<void*>(&FaultyDeleteFileA),
                  reinterpret_cast<void**>(&realDeleteFileA)),
          write_(Library(), "kernel32.dll", "WriteFile", reinterpret_cast<void*>(&FaultyWriteFile),
                 reinterpret_cast<void**>(&realWriteFile))
    {
        std::lock_guard<std::mutex> l(g_files.lock);
        g_files.readOnlyFolder.clear();
        g_files.writeOpens.clear();
        g_files.writeBudget = -1;
    }
    ~FileHooks()
    {
        std::lock_guard<std::mutex> l(g_files.lock);
        g_files.readOnlyFolder.clear();
        g_files.writeBudget = -1;
    }
    // The library opens and writes files; whether it deletes any is its own business (a library
    // that never calls DeleteFileA has no slot for it).
    bool Installed() const { return create_.Installed() && write_.Installed(); }
    void ReadOnly(const std::string& folder)
    {
        std::lock_guard<std::mutex> l(g_files.lock);
        g_files.readOnlyFolder = folder;
    }
    void DiskFullAfter(long bytes) { g_files.writeBudget = bytes; }
    std::vector<std::string> WriteOpens() const
    {
        std::lock_guard<std::mutex> l(g_files.lock);
        return g_files.writeOpens;
    }

private:
    texparam::ImportHook create_, remove_, write_;
};

// ---------------------------------------------------------------------------
// Folders and records

// Every file and folder under dir (relative names) with its size and last write time.
std::map<std::string, std::string> Tree(const std::string& dir)
{
    std::map<std::string, std::string> out;
    std::vector<std::string> pending = {""};
    while (!pending.empty()) {
        const std::string rel = pending.back();
        pending.pop_back();
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((dir + (rel.empty() ? "" : "\\" + rel) + "\\*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE)
            continue;
        do {
            const std::string name = fd.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string child = rel.empty() ? name : rel + "\\" + name;
            out[child] = std::to_string(fd.nFileSizeLow) + "@" + std::to_string(fd.ftLastWriteTime.dwLowDateTime);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                pending.push_back(child);
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    return out;
}

std::string Parent(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }
std::string Leaf(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

// Table files and HeightLut folders beside the host folder (in its parent, which other test programs
// share): what a library that lost its way would have written there.
std::vector<std::string> Beside(const std::string& hostDir)
{
    std::vector<std::string> names;
    for (const auto& entry : Tree(Parent(hostDir))) {
        const std::string name = Lower(entry.first);
        if (name.find('\\') == std::string::npos && name != Lower(Leaf(hostDir)) &&
            (name.find(".lut") != std::string::npos || name == "heightlut"))
            names.push_back(entry.first);
    }
    return names;
}

// The host's record with guard bytes behind it.
struct Record {
    HeightColorInfo info;
    unsigned char after[256];

    Record(const char* name, short layers)
    {
        memset(&info, 0, sizeof info);
        strncpy(info.szName, name, sizeof info.szName - 1);
        for (int i = 0; i < OROSCAPE_MAX_LAYERS; ++i) {
            info.fLimit[i][0] = -100.0f - i;
            info.fLimit[i][1] = -50.0f - i;
            info.wColor[i] = LayerColor{0x1100, 0x2200, 0x3300};
        }
        info.nLayers = layers;
        memset(after, kGuard, sizeof after);
    }
    bool GuardIntact() const
    {
        return std::all_of(after, after + sizeof after, [](unsigned char b) { return b == kGuard; });
    }
    bool ColoursAre(const LayerColor& c, int from, int to) const
    {
        for (int i = from; i < to; ++i)
            if (info.wColor[i].r != c.r || info.wColor[i].g != c.g || info.wColor[i].b != c.b)
                return false;
        return true;
    }
    bool GreyRamp() const
    {
        for (int i = 0; i < 256; ++i)
            if (info.wColor[i].r != i || info.wColor[i].g != i || info.wColor[i].b != i)
                return false;
        return true;
    }
};

void ExpectGreyFallback(const char* name, const char* why)
{
    LayerColor colors[257];
    colors[256] = LayerColor{0xDEAD, 0xDEAD, 0xDEAD};
    short count = -1;
    EXPECT_EQ(0, _ReadColorTable(name, colors, &count)) << why;
    EXPECT_EQ(256, count) << why;
    EXPECT_EQ(0, colors[0].r);
    EXPECT_EQ(255, colors[255].b) << why << ": not the grey ramp";
    EXPECT_EQ(0xDEAD, colors[256].r) << why << ": written past 256 entries";
}

int RunLayering(ui::Script& s, const float range[2], Record& rec)
{
    const int result = s.Run([&] { return _SetHeightColorDlg(range, &rec.info); });
    EXPECT_TRUE(s.Succeeded());
    return result;
}

// In the layering dialog: Save, type the name, OK; returns the warning's text ("" when none came).
std::wstring SaveAs(ui::Ctx& c, HWND dlg, const std::wstring& name)
{
    c.Click(dlg, IDC_SAVE);
    HWND ask = c.WaitWindow(kSaveName, L"#32770");
    c.SetText(c.Item(ask, IDC_TABLE_NAME), name);
    c.Click(ask, IDOK);
    c.WaitGone(ask);
    std::wstring warning;
    for (int i = 0; i < 20 && warning.empty(); ++i) {
        if (HWND box = c.FindTop(kWarning, L"#32770"))
            warning = c.DismissMessageBox(box);
        else
            c.Sleep(25);
    }
    return warning;
}

// Every test runs with the library's file calls watched: whatever it opens for writing must lie in
// HeightLut, and no table file or HeightLut folder may appear beside the host folder.
class Faults : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(files.Installed());
        host.WriteTable("terrain.lut", test::TableBytes("terrain", 256));
        host.WriteTable("ocean.lut", test::TableBytes("ocean", 16));
        beside = Beside(host.Path());
    }
    void TearDown() override
    {
        EXPECT_EQ(beside, Beside(host.Path())) << "a table was written beside the host folder";
        // The host folder the test left in force (some point the library elsewhere).
        char dir[MAX_PATH] = "";
        GetEnvironmentVariableA("OROSCAPE_HOST_DIR", dir, MAX_PATH);
        for (const std::string& path : files.WriteOpens())
            EXPECT_TRUE(Under(path, std::string(dir) + "\\HeightLut")) << "the library opened " << path << " for writing";
    }

    FileHooks files;
    test::HostDir host;
    std::vector<std::string> beside;
    const float range[2] = {0.0f, 600.0f};
};

// ---------------------------------------------------------------------------
// The host folder: missing, a file, a HeightLut that is a file

// What the library does with a host folder it cannot use: the reader gives the grey ramp; the
// dialog on a named table ends with -1 and the grey ramp; in custom mode it opens with an empty
// table list and refuses to save. Nothing is created.
void ExpectUnusableFolder(const char* what)
{
    SCOPED_TRACE(what);
    ExpectGreyFallback("terrain", what);

    auto named = std::make_unique<Record>("terrain", 256);
    const HeightColorInfo before = named->info;
    ui::Script none;
    EXPECT_EQ(-1, none.Run([&] {
        const float range[2] = {0.0f, 600.0f};
        return _SetHeightColorDlg(range, &named->info);
    }));
    EXPECT_TRUE(named->GreyRamp());
    EXPECT_STREQ("terrain", named->info.szName);
    EXPECT_EQ(256, named->info.nLayers);
    EXPECT_EQ(0, memcmp(before.fLimit, named->info.fLimit, sizeof before.fLimit));

    auto custom = std::make_unique<Record>("", 6);
    std::wstring warning;
    int tables = -1;
    ui::Script s;
    s.Step("empty list of tables; Save is refused", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kLayering, L"#32770");
        tables = c.ComboCount(c.Item(d, IDC_TABLES));
        warning = SaveAs(c, d, L"hills");
        c.Click(d, IDOK);
        c.WaitGone(d);
    });
    const float range[2] = {0.0f, 600.0f};
    EXPECT_EQ(IDOK, RunLayering(s, range, *custom));
    EXPECT_EQ(0, tables);
    EXPECT_EQ(kSaveFailed, warning);
    EXPECT_EQ(6, custom->info.nLayers);
    EXPECT_STREQ("", custom->info.szName);
    EXPECT_TRUE(custom->GuardIntact());
}

TEST_F(Faults, HostFolderMissing)
{
    const std::string gone = host.Path() + "\\gone";
    SetEnvironmentVariableA("OROSCAPE_HOST_DIR", gone.c_str());
    ExpectUnusableFolder("host folder missing");
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(gone.c_str())) << "the library made the host folder";
}

TEST_F(Faults, HostFolderIsAFile)
{
    const std::string file = host.WriteFile("host.txt", "not a folder");
    SetEnvironmentVariableA("OROSCAPE_HOST_DIR", file.c_str());
    const auto before = Tree(host.Path());
    ExpectUnusableFolder("host folder is a file");
    EXPECT_EQ(before, Tree(host.Path()));
}

TEST_F(Faults, HeightLutIsAFile)
{
    DeleteFileA(host.LutPath("terrain").c_str());
    DeleteFileA(host.LutPath("ocean").c_str());
    ASSERT_TRUE(RemoveDirectoryA((host.Path() + "\\HeightLut").c_str()));
    host.WriteFile("HeightLut", "a file where the folder should be");
    const auto before = Tree(host.Path());
    ExpectUnusableFolder("HeightLut is a file");
    EXPECT_EQ(before, Tree(host.Path()));
}

// A read-only host folder: tables are still read and listed, saving is refused with the warning,
// and the library never asks for write access to read.
TEST_F(Faults, ReadOnlyHostFolder)
{
    files.ReadOnly(host.Path());
    const auto before = Tree(host.Path());

    LayerColor colors[256];
    short count = 0;
    EXPECT_EQ(1, _ReadColorTable("terrain", colors, &count));
    EXPECT_EQ(256, count);
    EXPECT_TRUE(files.WriteOpens().empty()) << "reading asked for write access";

    auto rec = std::make_unique<Record>("terrain", 256);
    std::wstring warning;
    ui::Script s;
    s.Step("table mode works; custom colours cannot be saved", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kLayering, L"#32770");
        HWND combo = c.Item(d, IDC_TABLES);
        EXPECT_EQ(2, c.ComboCount(combo));
        EXPECT_EQ(256, c.ListCount(c.Item(d, IDC_LAYER_LIST)));
        c.SelectComboText(combo, L"ocean");
        EXPECT_EQ(16, c.ListCount(c.Item(d, IDC_LAYER_LIST)));
        c.Click(d, IDC_CUSTOM_LAYERS);
        warning = SaveAs(c, d, L"hills");
        EXPECT_EQ(2, c.ComboCount(combo)) << "a table that was not saved is listed";
        c.Click(d, IDCANCEL);
        c.WaitGone(d);
    });
    EXPECT_EQ(IDCANCEL, RunLayering(s, range, *rec));
    EXPECT_EQ(kSaveFailed, warning);
    EXPECT_STREQ("terrain", rec->info.szName);
    EXPECT_EQ(256, rec->info.nLayers);
    EXPECT_EQ(before, Tree(host.Path()));
    const std::vector<std::string> opens = files.WriteOpens();
    ASSERT_EQ(1u, opens.size());
    EXPECT_EQ(Lower(host.LutPath("hills")), Lower(opens[0]));
}

// ---------------------------------------------------------------------------
// Saving

// The folder turns read-only while the dialog is open: the first table is saved, the second is
// refused with the warning and not listed, the first stays whole.
TEST_F(Faults, SaveIntoAFolderThatBecameReadOnly)
{
    auto rec = std::make_unique<Record>("", 6);
    std::wstring first, second;
    std::vector<unsigned char> saved;
    ui::Script s;
    s.Step("save, the folder turns read-only, save again", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kLayering, L"#32770");
        HWND combo = c.Item(d, IDC_TABLES);
        first = SaveAs(c, d, L"hills");
        EXPECT_EQ(3, c.ComboCount(combo));
        saved = test::HostDir::ReadFile(host.LutPath("hills"));
        files.ReadOnly(host.Path() + "\\HeightLut");
        second = SaveAs(c, d, L"vale");
        EXPECT_EQ(3, c.ComboCount(combo)) << "a table that was not saved is listed";
        c.Click(d, IDOK);
        c.WaitGone(d);
    });
    EXPECT_EQ(IDOK, RunLayering(s, range, *rec));
    EXPECT_EQ(L"", first);
    EXPECT_EQ(kSaveFailed, second);
    EXPECT_EQ(432u, saved.size());
    EXPECT_EQ(saved, test::HostDir::ReadFile(host.LutPath("hills")));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(host.LutPath("vale").c_str()));
    EXPECT_EQ(6, rec->info.nLayers);
    EXPECT_STREQ("", rec->info.szName);
    EXPECT_TRUE(rec->GuardIntact());
}

// The disk fills in the middle of a table: the warning shows and no half table stays behind to be
// listed and read back wrong; the next save, with room again, works.
TEST_F(Faults, DiskFullLeavesNoHalfTable)
{
    auto rec = std::make_unique<Record>("", 6);
    std::wstring partEntry, partHeader, roomy;
    bool halfHills = true, halfDale = true;
    ui::Script s;
    s.Step("save on a full disk twice, then with room", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kLayering, L"#32770");
        HWND combo = c.Item(d, IDC_TABLES);
        files.DiskFullAfter(400);  // the header and part of the first entry
        partEntry = SaveAs(c, d, L"hills");
        halfHills = GetFileAttributesA(host.LutPath("hills").c_str()) != INVALID_FILE_ATTRIBUTES;
        files.DiskFullAfter(100);  // not even the header
        partHeader = SaveAs(c, d, L"dale");
        halfDale = GetFileAttributesA(host.LutPath("dale").c_str()) != INVALID_FILE_ATTRIBUTES;
        EXPECT_EQ(2, c.ComboCount(combo)) << "a table that was not saved is listed";
        files.DiskFullAfter(-1);
        roomy = SaveAs(c, d, L"hills");
        EXPECT_EQ(3, c.ComboCount(combo));
        c.Click(d, IDOK);
        c.WaitGone(d);
    });
    EXPECT_EQ(IDOK, RunLayering(s, range, *rec));
    EXPECT_EQ(kSaveFailed, partEntry);
    EXPECT_EQ(kSaveFailed, partHeader);
    EXPECT_FALSE(halfHills) << "half a table stayed behind";
    EXPECT_FALSE(halfDale) << "part of a header stayed behind";
    EXPECT_EQ(L"", roomy);
    EXPECT_EQ(432u, test::HostDir::ReadFile(host.LutPath("hills")).size());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(host.LutPath("dale").c_str()));
}

// ---------------------------------------------------------------------------
// Tables that cannot be read, or many

// A table held open by another program without sharing: the reader falls back to grey; the
// dialog naming it does not start; picked in the list it leaves the record alone. Freed, it reads.
TEST_F(Faults, LockedTable)
{
    HANDLE lock = CreateFileA(host.LutPath("terrain").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    ExpectGreyFallback("terrain", "locked table");

    auto named = std::make_unique<Record>("terrain", 256);
    ui::Script none;
    EXPECT_EQ(-1, RunLayering(none, range, *named));
    EXPECT_TRUE(named->GreyRamp());
    EXPECT_STREQ("terrain", named->info.szName);
    CloseHandle(lock);

    // Open on terrain; ocean is locked when picked.
    auto rec = std::make_unique<Record>("terrain", 256);
    ui::Script s;
    s.Step("pick a locked table, then the same one freed", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kLayering, L"#32770");
        HWND combo = c.Item(d, IDC_TABLES);
        HWND list = c.Item(d, IDC_LAYER_LIST);
        HANDLE held = CreateFileA(host.LutPath("ocean").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        c.SelectComboText(combo, L"ocean");
        EXPECT_EQ(256, c.ListCount(list));
        EXPECT_EQ(L"terrain", c.ComboText(combo, c.ComboSel(combo)));
        EXPECT_EQ(L"256", c.Text(d, IDC_LAYER_COUNT));
        CloseHandle(held);
        c.SelectComboText(combo, L"ocean");
        EXPECT_EQ(16, c.ListCount(list));
        c.Click(d, IDOK);
        c.WaitGone(d);
    });
    EXPECT_EQ(IDOK, RunLayering(s, range, *rec));
    EXPECT_STREQ("ocean", rec->info.szName);
    EXPECT_EQ(16, rec->info.nLayers);

    LayerColor colors[256];
    short count = 0;
    EXPECT_EQ(1, _ReadColorTable("terrain", colors, &count));
}

// Listed, then deleted before the user picks it: the record keeps the table it had, and OK leaves
// it naming a table that exists, with that table's count.
TEST_F(Faults, TableDeletedBetweenListingAndPicking)
{
    auto rec = std::make_unique<Record>("terrain", 256);
    ui::Script s;
    s.Step("delete ocean, then pick it", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kLayering, L"#32770");
        HWND combo = c.Item(d, IDC_TABLES);
        ASSERT_EQ(2, c.ComboCount(combo));
        ASSERT_TRUE(DeleteFileA(host.LutPath("ocean").c_str()));
        c.SelectComboText(combo, L"ocean");
        EXPECT_EQ(256, c.ListCount(c.Item(d, IDC_LAYER_LIST)));
        EXPECT_EQ(L"256", c.Text(d, IDC_LAYER_COUNT));
        c.Click(d, IDOK);
        c.WaitGone(d);
    });
    EXPECT_EQ(IDOK, RunLayering(s, range, *rec));
    EXPECT_STREQ("terrain", rec->info.szName) << "the record names a table that is gone";
    EXPECT_EQ(256, rec->info.nLayers);
    EXPECT_EQ(0x0A00, rec->info.wColor[1].r) << "terrain's colours, not grey";
    EXPECT_TRUE(rec->GuardIntact());
}

// A thousand tables (and names the folder cannot serve): all usable ones are listed, one of them
// is picked and spread, _ReadColorTable reads another.
TEST_F(Faults, AThousandTables)
{
    for (int i = 0; i < 1000; ++i) {
        char name[32];
        snprintf(name, sizeof name, "t%04d", i);
        host.WriteTable(std::string(name) + ".lut", test::TableBytes(name, 1 + i % 8));
    }
    // Longer than a table name may be, and one that fits the name field but whose path would not.
    host.WriteTable(std::string(140, 'q') + ".lut", test::TableBytes("q", 3));
    const std::string deep(std::max<size_t>(20, 128 - host.Path().size() - 11 - 4 + 2), 'p');
    ASSERT_LE(deep.size(), 127u);
    host.WriteTable(deep + ".lut", test::TableBytes("p", 3));

    LayerColor colors[256];
    short count = 0;
    EXPECT_EQ(1, _ReadColorTable("t0999", colors, &count));
    EXPECT_EQ(8, count);

    auto rec = std::make_unique<Record>("t0500", 256);
    int listed = -1;
    bool hasLong = true;
    DWORD took = 0;
    ui::Script s;
    s.Step("the list holds them; pick the deep one, then t0998", [&](ui::Ctx& c) {
        HWND d = c.WaitWindow(kLayering, L"#32770");
        HWND combo = c.Item(d, IDC_TABLES);
        listed = c.ComboCount(combo);
        EXPECT_EQ(L"t0500", c.ComboText(combo, c.ComboSel(combo)));
        EXPECT_EQ(5, c.ListCount(c.Item(d, IDC_LAYER_LIST)));
        std::vector<std::wstring> items;
        c.RunOnUi([&] {
            for (int i = 0; i < listed; ++i) {
                wchar_t text[300] = L"";
                if (SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) < 300)
                    SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
                items.push_back(text);
            }
        });
        hasLong = std::any_of(items.begin(), items.end(), [](const std::wstring& t) { return t.size() > 127; });
        // Listed (the name is a valid one), but its path is too long to open: picking it changes nothing.
        c.SelectComboText(combo, std::wstring(deep.begin(), deep.end()));
        EXPECT_EQ(5, c.ListCount(c.Item(d, IDC_LAYER_LIST))) << "an unreadable pick changed the list";
        EXPECT_EQ(L"t0500", c.ComboText(combo, c.ComboSel(combo)));
        const DWORD start = GetTickCount();
        c.SelectComboText(combo, L"t0998");
        took = GetTickCount() - start;
        EXPECT_EQ(7, c.ListCount(c.Item(d, IDC_LAYER_LIST)));
        c.Click(d, IDOK);
        c.WaitGone(d);
    });
    const DWORD start = GetTickCount();
    EXPECT_EQ(IDOK, RunLayering(s, range, *rec));
    printf("a thousand tables: dialog opened, used and closed in %lu ms; one pick %lu ms\n",
           GetTickCount() - start, took);
    EXPECT_EQ(1003, listed);
    EXPECT_FALSE(hasLong) << "a name longer than a table name may be is listed";
    EXPECT_STREQ("t0998", rec->info.szName);
    EXPECT_EQ(7, rec->info.nLayers);
}

// ---------------------------------------------------------------------------
// The texture parameter dialog with no OpenGL driver answering

int(WINAPI* realChoosePixelFormat)(HDC, const PIXELFORMATDESCRIPTOR*);
HGLRC(WINAPI* realWglCreateContext)(HDC);
int WINAPI NoPixelFormat(HDC, const PIXELFORMATDESCRIPTOR*)
{
    SetLastError(ERROR_INVALID_PIXEL_FORMAT);
    return 0;
}
HGLRC WINAPI NoContext(HDC)
{
    SetLastError(ERROR_INVALID_PIXEL_FORMAT);
    return nullptr;
}

TEST_F(Faults, TexParamWithoutAnOpenGLDriver)
{
    const std::string image = rel::WriteEnviImage(host.Path(), "scene");
    texparam::ImportHook pixel(Library(), "gdi32.dll", "ChoosePixelFormat", reinterpret_cast<void*>(&NoPixelFormat),
                               reinterpret_cast<void**>(&realChoosePixelFormat));
    texparam::ImportHook context(Library(), "opengl32.dll", "wglCreateContext", reinterpret_cast<void*>(&NoContext),
                                 reinterpret_cast<void**>(&realWglCreateContext));
    ASSERT_TRUE(pixel.Installed());
    ASSERT_TRUE(context.Installed());
    rel::FillDcCache();
    const rel::Levels before = rel::MeasureLevels();
    for (int i = 0; i < 10; ++i) {
        char format = 0x5A;
        int bands[3] = {-7, -7, -7};
        ui::Script none;  // the dialog must end before it shows
        EXPECT_EQ(0, none.Run([&] { return _SetTexParamDlg(image.c_str(), &format, &bands[0], &bands[1], &bands[2]); }));
        EXPECT_EQ(0u, none.StepsDone());
        EXPECT_EQ(0x5A, format);
        EXPECT_EQ(-7, bands[0]);
        EXPECT_EQ(-7, bands[2]);
        EXPECT_EQ(nullptr, wglGetCurrentContext());
    }
    const rel::Levels after = rel::MeasureLevels();
    EXPECT_LE(after.gdi, before.gdi + 2) << "device contexts of the failed attempts were kept";
    EXPECT_EQ(before.windows, after.windows) << "the hidden window of a failed attempt stayed";
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    EXPECT_FALSE(GetClassInfoExW(Library(), L"OroscapeTexParamGL", &wc)) << "the window class stayed registered";
}

// ---------------------------------------------------------------------------
// Videos that are not videos

// Runs _PlayAVIWnd on `path`, answering whatever comes up: an error box of the MCI window is
// dismissed, the playback window is closed with its close box. Returns the result; `boxes`
// counts the error boxes.
int PlayAndClose(const std::string& path, int* boxes)
{
    *boxes = 0;
    ui::Script s;
    s.Step("dismiss error boxes, close the window", [&](ui::Ctx& c) {
        for (int round = 0; round < 10 && !c.ModalReturned(); ++round) {
            HWND top = nullptr;
            c.WaitFor([&] {
                top = c.ModalReturned() ? nullptr : c.WaitModal(L"#32770");
                return true;
            }, "a window of the playback");
            if (top == nullptr)
                break;
            if (ui::Caption(top) == kPlayer) {
                c.RunOnUi([&] { PostMessageW(top, WM_CLOSE, 0, 0); });
                c.WaitReturned();
                break;
            }
            c.DismissMessageBox(top);
            ++*boxes;
            c.WaitGone(top);
        }
    });
    const int result = s.Run([&] { return _PlayAVIWnd(path.c_str()); });
    EXPECT_TRUE(s.Succeeded()) << path;
    return result;
}

TEST_F(Faults, VideosThatAreNotVideos)
{
    const std::vector<unsigned char> real = rel::AviBytes(32, 24, 4);
    std::vector<unsigned char> codec = real;
    for (size_t i = 0; i + 8 < codec.size(); ++i)
        if (memcmp(&codec[i], "vidsDIB ", 8) == 0)
            memcpy(&codec[i + 4], "XVID", 4);
    struct Case {
        const char* name;
        std::vector<unsigned char> bytes;
    };
    const std::vector<Case> cases = {
        {"empty.avi", {}},
        {"text.avi", std::vector<unsigned char>(1000, 'x')},
        {"cut.avi", std::vector<unsigned char>(real.begin(), real.begin() + 300)},
        {"riff_only.avi", std::vector<unsigned char>(real.begin(), real.begin() + 12)},
        {"codec.avi", codec},
        {"picture.avi", std::vector<unsigned char>{'B', 'M', 0, 0, 0, 0}},
    };
    rel::FillDcCache();
    const rel::Levels before = rel::MeasureLevels();
    for (const Case& k : cases) {
        const std::string path = host.Path() + "\\" + k.name;
        ASSERT_TRUE(rel::WriteBytes(path, k.bytes));
        int boxes = 0;
        const int result = PlayAndClose(path, &boxes);
        EXPECT_TRUE(result == IDCANCEL || result == -1) << k.name << " gave " << result;
        printf("%s: result %d, %d error box(es)\n", k.name, result, boxes);
    }
    for (const std::string& path : {host.Path() + "\\missing.avi", host.Path(), host.Path() + "\\" + std::string(300, 'v') + ".avi"}) {
        int boxes = 0;
        const int result = PlayAndClose(path, &boxes);
        EXPECT_TRUE(result == IDCANCEL || result == -1) << path.size() << "-character path gave " << result;
        printf("%zu-character path: result %d, %d error box(es)\n", path.size(), result, boxes);
    }
    const rel::Levels after = rel::MeasureLevels();
    EXPECT_EQ(before.windows, after.windows) << "a window of the playback stayed";
    EXPECT_LE(after.gdi, before.gdi + 8);
    EXPECT_LE(after.handles, before.handles + 8);
}

}  // namespace
