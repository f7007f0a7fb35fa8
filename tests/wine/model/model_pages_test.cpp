// The three pages as a user edits them: fields, spins and swatches, the
// standard prompts, the colour-material radio group, values the host sets
// while the sheet is open, and the pages with values of the host's (the
// screenshots of docs/screens come from there).
#include <gtest/gtest.h>

#include "model_support.h"
#include "res/resource.h"

namespace {

using namespace modeltest;

const uint32_t kBlack = ui::Rgb(0, 0, 0);

class ModelPages : public SheetTest {};

TEST_F(ModelPages, BackgroundRedRecoloursItsSwatchAndSetsItsBit)
{
    uint32_t before = 1, after = 1, ambientAfter = 1;
    bool applyEnabled = false;
    ui::Script s;
    s.Step("type 128 into 背景色 red, Apply, OK", [&](ui::Ctx& c) {
        HWND d = WaitSheet(c);
        before = SwatchPixel(c, c.Item(d, IDC_BACK_COLOR_SAMPLE));
        c.SetText(c.Item(d, IDC_BACK_COLOR_R), L"128");
        after = SwatchPixel(c, c.Item(d, IDC_BACK_COLOR_SAMPLE));
        ambientAfter = SwatchPixel(c, c.Item(d, IDC_LIGHT_AMBIENT_SAMPLE));
        applyEnabled = Enabled(c.Item(d, kApplyButton));
        c.Click(d, kApplyButton);
        CloseSheet(c, d, IDOK);
    });
    EXPECT_EQ(1, Show(s));
    EXPECT_EQ(kBlack, before) << "a swatch of default values is black";
    EXPECT_EQ(ui::Rgb(128, 0, 0), after);
    EXPECT_EQ(kBlack, ambientAfter) << "the other rows keep their colour";
    EXPECT_TRUE(applyEnabled);
    const std::vector<ApplyRecord> applies = host.Applies();
    ASSERT_EQ(1u, applies.size());
    EXPECT_EQ(0x0010u, applies[0].wParam);
}

// 300 is stored, then refused with the range prompt; the swatch shows its low
// byte (44). An emptied field brings the integer prompt and keeps the member.
TEST_F(ModelPages, OutOfRangeAndEmptyFieldsBringTheStandardPrompts)
{
    const MODELCOLOR start = {12, 34, 56};
    ASSERT_EQ(1, _SetBackColor_(sheet, &start));
    std::wstring rangePrompt, integerPrompt;
    MODELCOLOR afterRange{}, afterEmpty{};
    uint32_t swatch = 0;
    ui::Script s;
    s.Step("type 300 into 背景色 red, then empty 背景色 green, Cancel", [&](ui::Ctx& c) {
        HWND d = WaitSheet(c);
        later.SetLater(c.Item(d, IDC_BACK_COLOR_R), L"300");
        rangePrompt = DismissPrompt(c);
        afterRange = ValuesNow(c).backColor;
        // The page recolours the swatch once the prompt has gone: wait for that paint.
        HWND sample = c.Item(d, IDC_BACK_COLOR_SAMPLE);
        c.WaitFor([&] { return SwatchPixel(c, sample) == ui::Rgb(44, 34, 56); }, "the swatch in 44, 34, 56");
        swatch = SwatchPixel(c, sample);
        c.SetText(c.Item(d, IDC_BACK_COLOR_R), L"100");
        later.SetLater(c.Item(d, IDC_BACK_COLOR_G), L"");
        integerPrompt = DismissPrompt(c);
        afterEmpty = ValuesNow(c).backColor;
        CloseSheet(c, d, IDCANCEL);
    });
    EXPECT_EQ(1, Show(s));
    EXPECT_EQ(kPromptColorRange, rangePrompt);
    EXPECT_TRUE(SameColor(MODELCOLOR{300, 34, 56}, afterRange)) << Describe(afterRange);
    EXPECT_EQ(ui::Rgb(44, 34, 56), swatch);
    EXPECT_EQ(kPromptInteger, integerPrompt);
    EXPECT_TRUE(SameColor(MODELCOLOR{100, 34, 56}, afterEmpty)) << Describe(afterEmpty);
    EXPECT_TRUE(host.Applies().empty());
}

TEST_F(ModelPages, ShininessSpinStopsAt128AndTyping129IsRefused)
{
    ASSERT_EQ(1, _SetMaterial_Shininess_(sheet, 127));
    std::wstring afterOne, afterTwo, prompt;
    short stored = 0, storedTyped = 0;
    ui::Script s;
    s.Step("spin the exponent up twice, then type 129", [&](ui::Ctx& c) {
        HWND d = WaitSheet(c);
        SelectPage(c, d, 1);
        HWND field = c.Item(d, IDC_MAT_SHININESS);
        ClickSpin(c, c.Item(d, IDC_MAT_SHININESS_SPIN), true);
        afterOne = c.Text(field);
        ClickSpin(c, c.Item(d, IDC_MAT_SHININESS_SPIN), true);
        afterTwo = c.Text(field);
        stored = ValuesNow(c).shininess;
        later.SetLater(field, L"129");
        prompt = DismissPrompt(c);
        storedTyped = ValuesNow(c).shininess;
        CloseSheet(c, d, IDCANCEL);
    });
    EXPECT_EQ(1, Show(s));
    EXPECT_EQ(L"128", afterOne);
    EXPECT_EQ(L"128", afterTwo);
    EXPECT_EQ(128, stored);
    EXPECT_EQ(kPromptShininessRange, prompt);
    EXPECT_EQ(129, storedTyped);
}

// The first row's spins are not in id order: spin 2015 belongs to the blue field.
TEST_F(ModelPages, Spin2015StepsTheAmbientBlueField)
{
    std::wstring red, green, blue;
    uint32_t swatch = 0;
    ui::Script s;
    s.Step("click spin 2015 up, Apply, OK", [&](ui::Ctx& c) {
        HWND d = WaitSheet(c);
        SelectPage(c, d, 1);
        ClickSpin(c, c.Item(d, IDC_MAT_AMBIENT_B_SPIN), true);
        ClickSpin(c, c.Item(d, IDC_MAT_AMBIENT_B_SPIN), true);
        red = c.Text(d, IDC_MAT_AMBIENT_R);
        green = c.Text(d, IDC_MAT_AMBIENT_G);
        blue = c.Text(d, IDC_MAT_AMBIENT_B);
        swatch = SwatchPixel(c, c.Item(d, IDC_MAT_AMBIENT_SAMPLE));
        c.Click(d, kApplyButton);
        CloseSheet(c, d, IDOK);
    });
    EXPECT_EQ(1, Show(s));
    EXPECT_EQ(L"0", red);
    EXPECT_EQ(L"0", green);
    EXPECT_EQ(L"2", blue);
    EXPECT_EQ(ui::Rgb(0, 0, 2), swatch);
    const std::vector<ApplyRecord> applies = host.Applies();
    ASSERT_EQ(1u, applies.size());
    EXPECT_EQ(0x0020u, applies[0].wParam);
    EXPECT_TRUE(SameColor(MODELCOLOR{0, 0, 2}, applies[0].values.matAmbient));
}

// A mode the radio group cannot show selects nothing; the page's first read-back
// then stores -1 (no button selected).
TEST_F(ModelPages, HostModeSevenShowsNoRadioAndReadsBackAsMinusOne)
{
    ASSERT_EQ(1, _SetMatMode_(sheet, 7));
    int checked = 0;
    short before = 0, after = 0;
    ui::Script s;
    s.Step("look at the radio group, type a density", [&](ui::Ctx& c) {
        HWND d = WaitSheet(c);
        SelectPage(c, d, 2);
        for (int id = IDC_MATMODE_AMBIENT; id <= IDC_MATMODE_AMBIENT_DIFFUSE; ++id)
            checked += c.Checked(c.Item(d, id)) ? 1 : 0;
        before = ValuesNow(c).matMode;
        c.SetText(c.Item(d, IDC_FOG_DENSITY), L"0.5");
        after = ValuesNow(c).matMode;
        CloseSheet(c, d, IDOK);
    });
    EXPECT_EQ(1, Show(s));
    EXPECT_EQ(0, checked);
    EXPECT_EQ(7, before);
    EXPECT_EQ(-1, after);
}

// A Set while the sheet is open changes the member only. Leaving the page reads
// its fields back over it; a page activated again shows the members, swatch
// included, and that writing is not read back as an edit.
TEST_F(ModelPages, SetWhileOpenShowsOnReactivation)
{
    const MODELCOLOR start = {10, 20, 30}, first = {1, 2, 3}, second = {200, 100, 50};
    ASSERT_EQ(1, _SetBackColor_(sheet, &start));
    std::wstring fieldAfterSet, fieldsAgain[3];
    uint32_t pixelBefore = 0, pixelAfterSet = 0, pixelAgain = 0;
    MODELCOLOR valueAfterLeaving{}, valueAgain{};
    bool applyAgain = true;
    ui::Script s;
    s.Step("set the background while open, leave the page, set again, come back", [&](ui::Ctx& c) {
        HWND d = WaitSheet(c);
        HWND swatch = c.Item(d, IDC_BACK_COLOR_SAMPLE);
        pixelBefore = SwatchPixel(c, swatch);
        c.RunOnUi([&] { EXPECT_EQ(1, _SetBackColor_(sheet, &first)); });
        fieldAfterSet = c.Text(d, IDC_BACK_COLOR_R);
        pixelAfterSet = SwatchPixel(c, swatch);
        SelectPage(c, d, 1);
        valueAfterLeaving = ValuesNow(c).backColor;
        c.RunOnUi([&] { EXPECT_EQ(1, _SetBackColor_(sheet, &second)); });
        SelectPage(c, d, 0);
        fieldsAgain[0] = c.Text(d, IDC_BACK_COLOR_R);
        fieldsAgain[1] = c.Text(d, IDC_BACK_COLOR_G);
        fieldsAgain[2] = c.Text(d, IDC_BACK_COLOR_B);
        pixelAgain = SwatchPixel(c, swatch);
        valueAgain = ValuesNow(c).backColor;
        applyAgain = Enabled(c.Item(d, kApplyButton));
        CloseSheet(c, d, IDOK);
    });
    EXPECT_EQ(1, Show(s));
    EXPECT_EQ(ui::Rgb(10, 20, 30), pixelBefore);
    EXPECT_EQ(L"10", fieldAfterSet);
    EXPECT_EQ(ui::Rgb(10, 20, 30), pixelAfterSet);
    EXPECT_TRUE(SameColor(start, valueAfterLeaving)) << Describe(valueAfterLeaving);
    EXPECT_EQ(L"200", fieldsAgain[0]);
    EXPECT_EQ(L"100", fieldsAgain[1]);
    EXPECT_EQ(L"50", fieldsAgain[2]);
    EXPECT_EQ(ui::Rgb(200, 100, 50), pixelAgain);
    EXPECT_TRUE(SameColor(second, valueAgain)) << Describe(valueAgain);
    EXPECT_FALSE(applyAgain) << "writing the fields is no edit of the user's";
}

// Values of a host on every page: each field shows its number, each swatch its
// row's colour from the first display on, the radio group the mode.
TEST_F(ModelPages, HostValuesOnEveryPage)
{
    ModelValues v;
    v.lightAmbient = {64, 64, 64};
    v.lightDiffuse = {230, 220, 180};
    v.lightSpecular = {255, 255, 255};
    v.lineColor = {40, 90, 40};
    v.backColor = {90, 140, 210};
    v.matAmbient = {120, 100, 60};
    v.matDiffuse = {200, 170, 110};
    v.matSpecular = {80, 80, 80};
    v.matEmission = {0, 0, 30};
    v.shininess = 48;
    v.matMode = 4;
    v.fogColor = {180, 190, 200};
    v.fogDensity = 0.35f;
    WriteValues(sheet, v);

    struct Row {
        int firstEdit;
        int swatch;
        MODELCOLOR color;
    };
    const Row lightRows[] = {{IDC_LIGHT_AMBIENT_R, IDC_LIGHT_AMBIENT_SAMPLE, v.lightAmbient},
                             {IDC_LIGHT_DIFFUSE_R, IDC_LIGHT_DIFFUSE_SAMPLE, v.lightDiffuse},
                             {IDC_LIGHT_SPECULAR_R, IDC_LIGHT_SPECULAR_SAMPLE, v.lightSpecular},
                             {IDC_LINE_COLOR_R, IDC_LINE_COLOR_SAMPLE, v.lineColor},
                             {IDC_BACK_COLOR_R, IDC_BACK_COLOR_SAMPLE, v.backColor}};
    const Row materialRows[] = {{IDC_MAT_AMBIENT_R, IDC_MAT_AMBIENT_SAMPLE, v.matAmbient},
                                {IDC_MAT_DIFFUSE_R, IDC_MAT_DIFFUSE_SAMPLE, v.matDiffuse},
                                {IDC_MAT_SPECULAR_R, IDC_MAT_SPECULAR_SAMPLE, v.matSpecular},
                                {IDC_MAT_EMISSION_R, IDC_MAT_EMISSION_SAMPLE, v.matEmission}};
    const Row fogRows[] = {{IDC_FOG_COLOR_R, IDC_FOG_COLOR_SAMPLE, v.fogColor}};

    auto checkRows = [](ui::Ctx& c, HWND d, const Row* rows, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            const short parts[3] = {rows[i].color.r, rows[i].color.g, rows[i].color.b};
            for (int k = 0; k < 3; ++k)
                EXPECT_EQ(std::to_wstring(parts[k]), c.Text(d, rows[i].firstEdit + k)) << "field " << rows[i].firstEdit + k;
            EXPECT_EQ(PixelOf(rows[i].color), SwatchPixel(c, c.Item(d, rows[i].swatch))) << "swatch " << rows[i].swatch;
        }
    };
    auto screenshot = [](ui::Ctx& c, HWND d, const wchar_t* name) {
        c.RunOnUi([&] {
            RedrawWindow(d, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            ui::SaveScreenshotIfRequested(d, name);
        });
    };

    std::wstring shininess, density;
    int modeChecked = -1;
    ui::Script s;
    s.Step("visit the three pages, Cancel", [&](ui::Ctx& c) {
        HWND d = WaitSheet(c);
        checkRows(c, d, lightRows, 5);
        screenshot(c, d, L"model_light_page");
        SelectPage(c, d, 1);
        checkRows(c, d, materialRows, 4);
        shininess = c.Text(d, IDC_MAT_SHININESS);
        screenshot(c, d, L"model_material_page");
        SelectPage(c, d, 2);
        checkRows(c, d, fogRows, 1);
        density = c.Text(d, IDC_FOG_DENSITY);
        for (int id = IDC_MATMODE_AMBIENT; id <= IDC_MATMODE_AMBIENT_DIFFUSE; ++id) {
            if (c.Checked(c.Item(d, id)))
                modeChecked = id;
        }
        screenshot(c, d, L"model_fog_page");
        CloseSheet(c, d, IDCANCEL);
    });
    EXPECT_EQ(1, Show(s));
    EXPECT_EQ(L"48", shininess);
    EXPECT_EQ(L"0.35", density);
    EXPECT_EQ(IDC_MATMODE_AMBIENT_DIFFUSE, modeChecked);
    EXPECT_TRUE(host.Applies().empty());
    // Visiting and leaving the pages read back what they showed: nothing changed.
    const ModelValues after = ReadValues(sheet);
    EXPECT_TRUE(SameColor(v.backColor, after.backColor));
    EXPECT_TRUE(SameColor(v.matEmission, after.matEmission));
    EXPECT_EQ(v.shininess, after.shininess);
    EXPECT_EQ(v.fogDensity, after.fogDensity);
    EXPECT_EQ(v.matMode, after.matMode);
}

}  // namespace
