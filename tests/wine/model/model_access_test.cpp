// The swatches of the three pages as a screen reader meets them: named by their row's label and
// their colour's basic term, the red, green and blue values as value, a graphic; the name
// follows an edit. oleacc.dll comes into the process only when a reader first asks. These cases
// also run under code page 1252.
#include <gtest/gtest.h>

#include <stdlib.h>

#include "acc_reader.h"
#include "model_support.h"
#include "res/resource.h"

namespace {

using namespace modeltest;

class ModelAccess : public SheetTest {};

struct SwatchCase {
    int page;
    int swatch;
    const wchar_t* name;
    const wchar_t* value;
};

// What a reader gets from a swatch, read on the UI thread.
test::AccPart ReadSwatch(ui::Ctx& c, HWND swatch)
{
    test::AccPart part;
    part.hr = E_FAIL;
    c.RunOnUi([&] {
        if (IAccessible* acc = test::AccOfWindow(swatch)) {
            part = test::AccReadPart(acc, CHILDID_SELF);
            acc->Release();
        }
    });
    return part;
}

}  // namespace

TEST_F(ModelAccess, SwatchesAreGraphicsNamedByRowLabelAndColourWithTheirValues)
{
    if (const char* expected = getenv("OROSCAPE_EXPECT_ACP")) {
        EXPECT_EQ(GetACP(), static_cast<UINT>(atoi(expected)));
    }
    ModelValues v = ReadValues(sheet);
    v.lightAmbient = {64, 64, 64};
    v.lightDiffuse = {255, 255, 255};
    v.lightSpecular = {250, 240, 30};
    v.lineColor = {0, 100, 0};
    v.backColor = {135, 206, 235};
    v.matAmbient = {150, 75, 0};
    v.matDiffuse = {255, 0, 0};
    v.matSpecular = {128, 128, 128};
    v.matEmission = {0, 0, 0};
    v.fogColor = {192, 192, 192};
    WriteValues(sheet, v);
    const SwatchCase cases[] = {
        {0, IDC_LIGHT_AMBIENT_SAMPLE, L"环境光，深灰", L"红 64，绿 64，蓝 64"},
        {0, IDC_LIGHT_DIFFUSE_SAMPLE, L"漫反射光，白", L"红 255，绿 255，蓝 255"},
        {0, IDC_LIGHT_SPECULAR_SAMPLE, L"镜面光，黄", L"红 250，绿 240，蓝 30"},
        {0, IDC_LINE_COLOR_SAMPLE, L"实体色，深绿", L"红 0，绿 100，蓝 0"},
        {0, IDC_BACK_COLOR_SAMPLE, L"背景色，天蓝", L"红 135，绿 206，蓝 235"},
        {1, IDC_MAT_AMBIENT_SAMPLE, L"环境光，棕", L"红 150，绿 75，蓝 0"},
        {1, IDC_MAT_DIFFUSE_SAMPLE, L"漫反射光，红", L"红 255，绿 0，蓝 0"},
        {1, IDC_MAT_SPECULAR_SAMPLE, L"镜面光，灰", L"红 128，绿 128，蓝 128"},
        {1, IDC_MAT_EMISSION_SAMPLE, L"辐射光，黑", L"红 0，绿 0，蓝 0"},
        {2, IDC_FOG_COLOR_SAMPLE, L"雾颜色，浅灰", L"红 192，绿 192，蓝 192"},
    };

    bool oleaccBefore = true, oleaccAfterOtherObject = true, oleaccAfterClient = false;
    ui::Script s;
    s.Step("read every swatch, edit one, read it again", [&](ui::Ctx& c) {
        HWND d = WaitSheet(c);
        HWND first = c.Item(d, IDC_LIGHT_AMBIENT_SAMPLE);
        // Shown and painted, with no reader: oleacc.dll is not in the process. A request for
        // another object than the client area leaves it out too; the client area's brings it.
        c.RunOnUi([&] {
            oleaccBefore = GetModuleHandleW(L"oleacc.dll") != nullptr;
            SendMessageW(first, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_WINDOW));
            oleaccAfterOtherObject = GetModuleHandleW(L"oleacc.dll") != nullptr;
            SendMessageW(first, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));
            oleaccAfterClient = GetModuleHandleW(L"oleacc.dll") != nullptr;
        });
        int page = 0;
        for (const SwatchCase& k : cases) {
            if (k.page != page)
                SelectPage(c, d, page = k.page);
            const test::AccPart part = ReadSwatch(c, c.Item(d, k.swatch));
            EXPECT_EQ(part.hr, S_OK) << "swatch " << k.swatch;
            EXPECT_EQ(part.name, k.name) << "swatch " << k.swatch;
            EXPECT_EQ(part.value, k.value) << "swatch " << k.swatch;
            EXPECT_EQ(part.role, ROLE_SYSTEM_GRAPHIC) << "swatch " << k.swatch;
            EXPECT_EQ(part.state, STATE_SYSTEM_READONLY) << "swatch " << k.swatch;
        }
        // An edit: the name and value follow the colour.
        SelectPage(c, d, 0);
        c.SetText(c.Item(d, IDC_LINE_COLOR_G), L"0");
        const test::AccPart edited = ReadSwatch(c, c.Item(d, IDC_LINE_COLOR_SAMPLE));
        EXPECT_EQ(edited.name, L"实体色，黑");
        EXPECT_EQ(edited.value, L"红 0，绿 0，蓝 0");
        CloseSheet(c, d, IDCANCEL);
    });
    Show(s);
    EXPECT_FALSE(oleaccBefore) << "oleacc.dll was loaded before any reader asked";
    EXPECT_FALSE(oleaccAfterOtherObject) << "a request for another object loaded oleacc.dll";
    EXPECT_TRUE(oleaccAfterClient) << "the swatch did not answer its client area's request";
}
