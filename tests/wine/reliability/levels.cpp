#include "levels.h"

#include <psapi.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <stdint.h>
#include <stdio.h>

#include <algorithm>

#include "chooser_support.h"

namespace rel {

namespace {

// Wine's user handles: index * 2 + 0x20 in the low word, a generation in the high word.
const UINT_PTR kFirstUserHandle = 0x20;
const UINT kUserHandles = 0x7FE8;

BOOL CALLBACK CountChild(HWND, LPARAM count)
{
    ++*reinterpret_cast<long*>(count);
    return TRUE;
}

bool Mine(HWND hwnd)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid == GetCurrentProcessId();
}

BOOL CALLBACK CountTop(HWND hwnd, LPARAM count)
{
    if (Mine(hwnd)) {
        ++*reinterpret_cast<long*>(count);
        EnumChildWindows(hwnd, CountChild, count);
    }
    return TRUE;
}

long CountWindows()
{
    long n = 0;
    EnumWindows(CountTop, reinterpret_cast<LPARAM>(&n));
    for (HWND w = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); w != nullptr;
         w = FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr))
        CountTop(w, reinterpret_cast<LPARAM>(&n));
    return n;
}

// Wine's GDI handle table, as test::GdiObjectCount reads it: kinds of the used entries.
struct GdiEntry {
    uint64_t object;
    uint32_t owner;
    uint16_t unique;
    uint8_t type;
    uint8_t flags;
    uint64_t user;
};

std::map<int, long> GdiTypes()
{
    std::map<int, long> types;
    const GdiEntry* table = nullptr;
#ifdef _WIN64
    const char* peb = reinterpret_cast<const char*>(NtCurrentTeb()->ProcessEnvironmentBlock);
    table = *reinterpret_cast<GdiEntry* const*>(peb + 0xF8);
#else
    const char* teb = reinterpret_cast<const char*>(NtCurrentTeb());
    const uint32_t teb64 = *reinterpret_cast<const uint32_t*>(teb + 0xF70);
    if (teb64 != 0) {
        const uint64_t peb64 = *reinterpret_cast<const uint64_t*>(static_cast<uintptr_t>(teb64) + 0x60);
        table = reinterpret_cast<const GdiEntry*>(
            static_cast<uintptr_t>(*reinterpret_cast<const uint64_t*>(static_cast<uintptr_t>(peb64) + 0xF8)));
    }
#endif
    if (table == nullptr || GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS) != 0)
        return types;  // not Wine: the system counts, by kind it does not tell
    for (int i = 0; i < 0x10000; ++i)
        if (table[i].type != 0)
            ++types[table[i].type];
    return types;
}

long CountMenus()
{
    long n = 0;
    for (UINT i = 0; i < kUserHandles; ++i)
        n += IsMenu(reinterpret_cast<HMENU>(kFirstUserHandle + (static_cast<UINT_PTR>(i) << 1))) != FALSE;
    return n;
}

long CountHandles()
{
    DWORD counted = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &counted) && counted != 0)
        return static_cast<long>(counted);
    long n = 0;
    UINT_PTR misses = 0;
    for (UINT_PTR h = 4; misses < 256 && h < (1u << 24); h += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(h), &flags)) {
            ++n;
            misses = 0;
        } else {
            ++misses;
        }
    }
    return n;
}

long long PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX pmc = {};
    pmc.cb = sizeof pmc;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc))
        return -1;
    return static_cast<long long>(pmc.PrivateUsage != 0 ? pmc.PrivateUsage : pmc.PagefileUsage);
}

}  // namespace

void PumpMessages(DWORD ms)
{
    const DWORD start = GetTickCount();
    MSG msg;
    do {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    } while (GetTickCount() - start < ms);
}

void FillDcCache()
{
    HWND wnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 16, 16, nullptr, nullptr, nullptr, nullptr);
    if (wnd == nullptr)
        return;
    std::vector<HDC> held;
    for (int i = 0; i < 96; ++i)
        if (HDC dc = GetDC(wnd))
            held.push_back(dc);
    for (HDC dc : held)
        ReleaseDC(wnd, dc);
    DestroyWindow(wnd);
}

Levels MeasureLevels()
{
    PumpMessages();
    Levels l;
    l.gdi = test::GdiObjectCount();
    l.gdiByType = GdiTypes();
    const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    l.windows = CountWindows();
    l.menus = user != 0 ? static_cast<long>(user) - l.windows : CountMenus();
    l.handles = CountHandles();
    l.privateBytes = PrivateBytes();
    return l;
}

LevelTrack::LevelTrack(std::string name, int warmup, Margins margins)
    : name_(std::move(name)), warmup_(warmup), margins_(margins)
{
}

void LevelTrack::Sample()
{
    samples_.push_back(MeasureLevels());
    // OROSCAPE_SOAK_TRACE=1 prints every sample, for following a level cycle by cycle.
    static const bool trace = GetEnvironmentVariableA("OROSCAPE_SOAK_TRACE", nullptr, 0) > 0;
    if (trace) {
        const Levels& l = samples_.back();
        printf("  %s cycle %d: gdi %ld, windows %ld, menus %ld, handles %ld, private %lld KiB\n", name_.c_str(),
               Cycles(), l.gdi, l.windows, l.menus, l.handles, l.privateBytes / 1024);
    }
}

bool LevelTrack::Report(double seconds) const
{
    if (samples_.empty()) {
        ADD_FAILURE() << name_ << ": no cycle ran";
        return false;
    }
    const size_t first = std::min(samples_.size(), static_cast<size_t>(std::max(warmup_, 1))) - 1;
    struct Counter {
        const char* what;
        long long Levels::*field_ll;
        long Levels::*field_l;
        long long margin;
        long long unit;  // printed in these units
        const char* unitName;
    };
    const Counter counters[] = {
        {"gdi objects", nullptr, &Levels::gdi, margins_.gdi, 1, ""},
        {"windows", nullptr, &Levels::windows, margins_.windows, 1, ""},
        {"menus", nullptr, &Levels::menus, margins_.menus, 1, ""},
        {"kernel handles", nullptr, &Levels::handles, margins_.handles, 1, ""},
        {"private bytes", &Levels::privateBytes, nullptr, margins_.privateBytes, 1024, " KiB"},
    };
    printf("soak %s: %d cycles in %.1f s (%.0f ms a cycle); level taken after cycle %d\n", name_.c_str(), Cycles(),
           seconds, Cycles() ? 1000.0 * seconds / Cycles() : 0.0, static_cast<int>(first) + 1);
    bool ok = true;
    for (const Counter& c : counters) {
        auto value = [&](const Levels& l) { return c.field_ll ? l.*(c.field_ll) : static_cast<long long>(l.*(c.field_l)); };
        const long long start = value(samples_[0]);
        const long long level = value(samples_[first]);
        const long long last = value(samples_.back());
        long long growth = 0;
        for (size_t i = first; i < samples_.size(); ++i)
            growth = std::max(growth, value(samples_[i]) - level);
        const bool held = last - level <= c.margin;
        printf("  %-15s after cycle 1: %lld%s, after first cycles: %lld%s, final: %lld%s, max growth: %lld%s "
               "(margin %lld%s) %s\n",
               c.what, start / c.unit, c.unitName, level / c.unit, c.unitName, last / c.unit, c.unitName,
               growth / c.unit, c.unitName, c.margin / c.unit, c.unitName, held ? "ok" : "GREW");
        if (!held && c.field_l == &Levels::gdi) {
            for (const auto& kind : samples_.back().gdiByType) {
                const auto was = samples_[first].gdiByType.find(kind.first);
                const long before = was == samples_[first].gdiByType.end() ? 0 : was->second;
                if (kind.second != before)
                    printf("    GDI objects of kind 0x%02x: %ld -> %ld\n", kind.first, before, kind.second);
            }
        }
        if (!held) {
            ADD_FAILURE() << name_ << ": " << c.what << " grew from " << level << " to " << last << " over "
                          << Cycles() - static_cast<int>(first) - 1 << " cycles (margin " << c.margin << ")";
            ok = false;
        }
    }
    fflush(stdout);
    return ok;
}

}  // namespace rel
