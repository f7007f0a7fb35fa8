// The window procedure's look-up cache: a handle answers with its own object or not at all (never
// with another window's), a newer generation forgets everything, and the windows a dialog makes in
// a row keep their slots apart.
#include "afx/afxhandlecache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

struct Obj {
    int id;
};
Obj a{1}, b{2}, c{3};

// One step of a scenario: remember (object or null) or find, under a generation; for a find, the
// object expected (null: the caller must ask the window).
struct Step {
    enum Kind { kRemember, kFind } kind;
    uintptr_t handle;
    Obj* object;  // remembered, or expected
    long generation;
};

// A handle that shares its slot with h (another window the cache cannot hold beside it).
uintptr_t SameSlotAs(uintptr_t h)
{
    for (uintptr_t other = h + 2;; other += 2)
        if (AfxHandleCache<Obj>::Slot(other) == AfxHandleCache<Obj>::Slot(h))
            return other;
}

const uintptr_t kH = 0x1002C;
const uintptr_t kCollide = SameSlotAs(kH);

struct Scenario {
    const char* what;
    std::vector<Step> steps;
};

const Scenario kScenarios[] = {
    {"a window remembered is found in the same generation",
     {{Step::kRemember, kH, &a, 0}, {Step::kFind, kH, &a, 0}}},
    {"a window never remembered is not found",
     {{Step::kRemember, kH, &a, 0}, {Step::kFind, kH + 2, nullptr, 0}}},
    {"a newer generation forgets every window",
     {{Step::kRemember, kH, &a, 0}, {Step::kRemember, kH + 2, &b, 0}, {Step::kFind, kH, nullptr, 1},
      {Step::kFind, kH + 2, nullptr, 1}}},
    {"after forgetting, the new generation's answers count",
     {{Step::kRemember, kH, &a, 0}, {Step::kRemember, kH, &b, 1}, {Step::kFind, kH, &b, 1}}},
    {"a window without an object is not remembered and leaves its slot's window alone",
     {{Step::kRemember, kH, &a, 0}, {Step::kRemember, kCollide, nullptr, 0}, {Step::kFind, kH, &a, 0},
      {Step::kFind, kCollide, nullptr, 0}}},
    {"two windows of one slot: the later one stays, the earlier is asked again, never mistaken",
     {{Step::kRemember, kH, &a, 0}, {Step::kRemember, kCollide, &b, 0}, {Step::kFind, kH, nullptr, 0},
      {Step::kFind, kCollide, &b, 0}}},
    {"a handle made again with a new object answers with the new one",
     {{Step::kRemember, kH, &a, 0}, {Step::kRemember, kH, &c, 0}, {Step::kFind, kH, &c, 0}}},
    {"the null handle is never remembered",
     {{Step::kRemember, 0, &a, 0}, {Step::kFind, 0, nullptr, 0}}},
    {"an empty cache knows nothing, whatever the generation",
     {{Step::kFind, kH, nullptr, -1}, {Step::kFind, 0, nullptr, 0}}},
};

TEST(AfxHandleCache, ScenariosAnswerWithTheWindowsOwnObjectOrNone)
{
    for (const Scenario& s : kScenarios) {
        SCOPED_TRACE(s.what);
        AfxHandleCache<Obj> cache;
        for (size_t i = 0; i < s.steps.size(); ++i) {
            const Step& step = s.steps[i];
            if (step.kind == Step::kRemember)
                cache.Remember(step.handle, step.object, step.generation);
            else
                EXPECT_EQ(step.object, cache.Find(step.handle, step.generation)) << "step " << i;
        }
    }
}

// Handles of windows made one after another: Wine's and Windows' handles step by 2 in the low
// word, under a high word that differs between systems and runs; 64-bit handles too.
struct HandleRun {
    const char* what;
    uintptr_t first;
    uintptr_t step;
    int count;
    int distinctAtLeast;
};

const HandleRun kRuns[] = {
    {"Wine's first handles", 0x10020, 2, 64, 64},
    {"a dialog's controls on Windows", 0xA0B2C, 2, 64, 64},
    {"handles crossing a 64K boundary", 0x3FFF0, 2, 64, 64},
    {"64-bit handles with high bits set", static_cast<uintptr_t>(0x7FF3A0012ULL & UINTPTR_MAX), 2, 64, 64},
    {"every other handle (windows made in between)", 0x10020, 4, 64, 32},
};

TEST(AfxHandleCache, WindowsMadeInARowKeepTheirSlotsApart)
{
    for (const HandleRun& run : kRuns) {
        SCOPED_TRACE(run.what);
        std::set<int> slots;
        for (int i = 0; i < run.count; ++i)
            slots.insert(AfxHandleCache<Obj>::Slot(run.first + run.step * static_cast<uintptr_t>(i)));
        EXPECT_GE(static_cast<int>(slots.size()), run.distinctAtLeast);
        // And all of them are remembered at once.
        AfxHandleCache<Obj> cache;
        std::vector<Obj> objects(static_cast<size_t>(run.count));
        const int kept = std::min(run.count, run.distinctAtLeast);
        for (int i = 0; i < kept; ++i)
            cache.Remember(run.first + run.step * static_cast<uintptr_t>(i), &objects[static_cast<size_t>(i)], 7);
        for (int i = 0; i < kept; ++i)
            EXPECT_EQ(&objects[static_cast<size_t>(i)], cache.Find(run.first + run.step * static_cast<uintptr_t>(i), 7))
                << "window " << i;
    }
}

}  // namespace
