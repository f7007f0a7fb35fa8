// The model sheet's life and its 26 accessors as a host calls them through
// the real DLL: defaults, values kept as given, the mode's sign, distinct
// storage for every value, deletion, and refused null pointers; and the page templates the DLL
// holds against the control ids the pages' code drives.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <malloc.h>
#include <string.h>

#include <map>

#include "dlgtemplate.h"
#include "model/modelvalues.h"
#include "model_support.h"
#include "res/resource.h"

namespace {

using modeltest::Describe;
using modeltest::ModelValues;
using modeltest::ReadValues;
using modeltest::SameColor;
using modeltest::WriteValues;

class ModelAccessors : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(1, _CreateModelDialog(host.Object(), &sheet));
        ASSERT_NE(nullptr, sheet);
    }
    void TearDown() override { _DeleteModelDialog(&sheet); }

    modeltest::HostWindow host;
    HMODELSHEET sheet = nullptr;
};

TEST_F(ModelAccessors, DefaultsAfterCreate)
{
    const ModelValues v = ReadValues(sheet);
    const MODELCOLOR black = {0, 0, 0};
    for (const MODELCOLOR& c : {v.lightAmbient, v.lightDiffuse, v.lightSpecular, v.lineColor, v.backColor,
                                v.matAmbient, v.matDiffuse, v.matSpecular, v.matEmission, v.fogColor})
        EXPECT_TRUE(SameColor(black, c)) << Describe(c);
    EXPECT_EQ(0, v.shininess);
    EXPECT_EQ(-1, v.matMode);
    EXPECT_EQ(0.0f, v.fogDensity);
    // No window yet: the sheet only exists as an object.
    EXPECT_EQ(nullptr, FindWindowW(L"#32770", modeltest::kSheetCaption));
}

// Values outside the pages' ranges are stored as given.
TEST_F(ModelAccessors, OutOfRangeValuesComeBackUnchanged)
{
    const MODELCOLOR odd = {300, -5, 256};
    EXPECT_EQ(1, _SetBackColor_(sheet, &odd));
    EXPECT_EQ(1, _SetMaterial_Emission_(sheet, &odd));
    EXPECT_EQ(1, _SetMaterial_Shininess_(sheet, 300));
    EXPECT_EQ(1, _SetFogDensity_(sheet, 2.5f));
    const ModelValues v = ReadValues(sheet);
    EXPECT_TRUE(SameColor(odd, v.backColor)) << Describe(v.backColor);
    EXPECT_TRUE(SameColor(odd, v.matEmission)) << Describe(v.matEmission);
    EXPECT_EQ(300, v.shininess);
    EXPECT_EQ(2.5f, v.fogDensity);
}

TEST_F(ModelAccessors, MatModeKeepsItsSign)
{
    for (short mode : {4, -1, 7, -32768, 0}) {
        short back = 12345;
        EXPECT_EQ(1, _SetMatMode_(sheet, mode));
        EXPECT_EQ(1, _GetMatMode_(sheet, &back));
        EXPECT_EQ(mode, back);
    }
}

// The density's 32 bits travel untouched, a signalling NaN's payload too.
TEST_F(ModelAccessors, FogDensityKeepsItsBits)
{
    for (uint32_t bits : {0x80000000u, 0x7F800001u, 0x3E800000u}) {
        float in;
        memcpy(&in, &bits, sizeof in);
#if defined(__i386__)
        // Passed as its bits: a float argument loaded into the x87 unit would be quieted by the test itself.
        auto set = reinterpret_cast<short(__cdecl*)(HMODELSHEET, uint32_t)>(
            reinterpret_cast<void (*)()>(&_SetFogDensity_));
        EXPECT_EQ(1, set(sheet, bits));
#else
        EXPECT_EQ(1, _SetFogDensity_(sheet, in));
#endif
        float out = 1.0f;
        EXPECT_EQ(1, _GetFogDensity_(sheet, &out));
        uint32_t outBits;
        memcpy(&outBits, &out, sizeof outBits);
        EXPECT_EQ(bits, outBits);
    }
}

// Thirteen different values, each set through its own export, all come back:
// no two accessors share storage, and no copy spills into its neighbour.
TEST_F(ModelAccessors, ThirteenValuesKeptApart)
{
    ModelValues in;
    MODELCOLOR* colors[] = {&in.lightAmbient, &in.lightDiffuse, &in.lightSpecular, &in.lineColor,
                            &in.backColor,    &in.matAmbient,   &in.matDiffuse,    &in.matSpecular,
                            &in.matEmission,  &in.fogColor};
    short k = 1;
    for (MODELCOLOR* c : colors) {
        *c = {k, static_cast<short>(k + 1), static_cast<short>(k + 2)};
        k = static_cast<short>(k + 10);
    }
    in.shininess = 77;
    in.matMode = 3;
    in.fogDensity = 0.625f;
    WriteValues(sheet, in);

    const ModelValues out = ReadValues(sheet);
    const MODELCOLOR* outColors[] = {&out.lightAmbient, &out.lightDiffuse, &out.lightSpecular, &out.lineColor,
                                     &out.backColor,    &out.matAmbient,   &out.matDiffuse,    &out.matSpecular,
                                     &out.matEmission,  &out.fogColor};
    for (size_t i = 0; i < 10; ++i)
        EXPECT_TRUE(SameColor(*colors[i], *outColors[i])) << "colour " << i << ": " << Describe(*outColors[i]);
    EXPECT_EQ(77, out.shininess);
    EXPECT_EQ(3, out.matMode);
    EXPECT_EQ(0.625f, out.fogDensity);
}

// Two sheets are two sets of values.
TEST_F(ModelAccessors, SheetsDoNotShareValues)
{
    HMODELSHEET other = nullptr;
    ASSERT_EQ(1, _CreateModelDialog(host.Object(), &other));
    ASSERT_NE(other, sheet);
    const MODELCOLOR c = {9, 8, 7};
    EXPECT_EQ(1, _SetFogColor_(other, &c));
    EXPECT_EQ(1, _SetMatMode_(other, 2));
    const ModelValues mine = ReadValues(sheet);
    EXPECT_TRUE(SameColor(MODELCOLOR{0, 0, 0}, mine.fogColor));
    EXPECT_EQ(-1, mine.matMode);
    EXPECT_EQ(1, _DeleteModelDialog(&other));
}

// ---------------------------------------------------------------------------

// Bytes in use on the C runtime's heap, which the library's objects come from.
size_t HeapBytesInUse()
{
    _HEAPINFO info{};
    size_t used = 0;
    int status;
    while ((status = _heapwalk(&info)) == _HEAPOK) {
        if (info._useflag == _USEDENTRY)
            used += info._size;
    }
    return used;
}

TEST(ModelSheetLife, DeleteFreesTheSheetAndItsPagesAndNullsTheHandle)
{
    modeltest::HostWindow host;
    auto cycle = [&] {
        HMODELSHEET s = nullptr;
        ASSERT_EQ(1, _CreateModelDialog(host.Object(), &s));
        ASSERT_NE(nullptr, s);
        ASSERT_EQ(1, _DeleteModelDialog(&s));
        ASSERT_EQ(nullptr, s);
    };
    for (int i = 0; i < 20; ++i)
        cycle();
    const size_t before = HeapBytesInUse();
    ASSERT_GT(before, 0u) << "the heap can be walked";
    for (int i = 0; i < 400; ++i)
        cycle();
    // A sheet with its three pages takes several kilobytes: keeping any of them
    // 400 times would show as megabytes.
    EXPECT_LT(HeapBytesInUse(), before + 64 * 1024);
}

TEST(ModelSheetLife, DeleteOfANullSheetDoesNothingButAnswer1)
{
    HMODELSHEET s = nullptr;
    EXPECT_EQ(1, _DeleteModelDialog(&s));
    EXPECT_EQ(nullptr, s);
    EXPECT_EQ(1, _DeleteModelDialog(nullptr));
}

// Null pointers are refused with 0 instead of followed.
TEST(ModelSheetLife, NullPointersAreRefused)
{
    EXPECT_EQ(0, _CreateModelDialog(nullptr, nullptr));
    EXPECT_EQ(0, _ShowModelDialog(nullptr));
    MODELCOLOR c = {1, 2, 3};
    short v = 5;
    float f = 0.5f;
    EXPECT_EQ(0, _SetLight_Ambient_(nullptr, &c));
    EXPECT_EQ(0, _GetFogColor_(nullptr, &c));
    EXPECT_EQ(0, _SetMaterial_Shininess_(nullptr, v));
    EXPECT_EQ(0, _GetMatMode_(nullptr, &v));
    EXPECT_EQ(0, _SetFogDensity_(nullptr, f));
    EXPECT_EQ(0, _GetFogDensity_(nullptr, &f));

    HMODELSHEET s = nullptr;
    ASSERT_EQ(1, _CreateModelDialog(nullptr, &s));  // a host that wants no notification
    EXPECT_EQ(0, _GetLight_Diffuse_(s, nullptr));
    EXPECT_EQ(0, _SetBackColor_(s, nullptr));
    EXPECT_EQ(0, _GetMaterial_Shininess_(s, nullptr));
    EXPECT_EQ(1, _DeleteModelDialog(&s));
}

// Every control a page's colour rows name is in that page's template, of the class the code
// drives it as, and each spin comes right after its edit in the template, so that UDS_AUTOBUDDY
// makes that edit its buddy (a spin placed after another channel's edit would step that one).
TEST(ModelTemplates, RowControlsAreInTheirPageWithTheirClassAndEachSpinBuddiesItsEdit)
{
    struct Page {
        const char* name;
        UINT templateId;
        const model::ColorRowIds* rows;
        int count;
    };
    const Page pages[] = {
        {"light", IDD_LIGHT_PAGE, model::kLightRows, model::kLightRowCount},
        {"material", IDD_MATERIAL_PAGE, model::kMaterialRows, model::kMaterialRowCount},
        {"fog", IDD_FOG_PAGE, model::kFogRows, model::kFogRowCount},
    };
    HMODULE dll = GetModuleHandleW(L"Oroscape.dll");
    ASSERT_NE(dll, nullptr);
    for (const Page& page : pages) {
        SCOPED_TRACE(page.name);
        const std::vector<test::DialogItem> items = test::ReadDialogTemplate(dll, page.templateId);
        ASSERT_FALSE(items.empty());
        std::map<unsigned, size_t> at;
        for (size_t i = 0; i < items.size(); ++i) {
            if (items[i].id != 0xFFFF && items[i].id != 0xFFFFFFFF)  // the labels share IDC_STATIC
                EXPECT_TRUE(at.emplace(items[i].id, i).second) << "id " << items[i].id << " twice";
        }
        const auto expectControl = [&](unsigned id, const wchar_t* className) -> size_t {
            auto found = at.find(id);
            if (found == at.end()) {
                ADD_FAILURE() << "no control " << id;
                return items.size();
            }
            // Class names are matched without regard to case (windres writes them in capitals).
            EXPECT_EQ(0, lstrcmpiW(items[found->second].className.c_str(), className))
                << "control " << id << " is a " << ui::Narrow(items[found->second].className);
            return found->second;
        };
        for (int r = 0; r < page.count; ++r) {
            const model::ColorRowIds& row = page.rows[r];
            for (int c = 0; c < 3; ++c) {
                const size_t edit = expectControl(row.edit[c], L"Edit");
                const size_t spin = expectControl(row.spin[c], UPDOWN_CLASSW);
                if (spin < items.size()) {
                    EXPECT_TRUE(items[spin].style & UDS_AUTOBUDDY) << "spin " << row.spin[c];
                    EXPECT_EQ(spin, edit + 1) << "spin " << row.spin[c] << " follows edit " << row.edit[c];
                }
            }
            expectControl(row.swatch, L"Static");
        }
    }
}

}  // namespace
