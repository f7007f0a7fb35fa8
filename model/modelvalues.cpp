#include "model/modelvalues.h"

#include "res/resource.h"

namespace model {

const ColorRowIds kLightRows[kLightRowCount] = {
    {{IDC_LIGHT_AMBIENT_R, IDC_LIGHT_AMBIENT_G, IDC_LIGHT_AMBIENT_B},
     {IDC_LIGHT_AMBIENT_R_SPIN, IDC_LIGHT_AMBIENT_G_SPIN, IDC_LIGHT_AMBIENT_B_SPIN},
     IDC_LIGHT_AMBIENT_SAMPLE, kLightAmbientBit},
    {{IDC_LIGHT_DIFFUSE_R, IDC_LIGHT_DIFFUSE_G, IDC_LIGHT_DIFFUSE_B},
     {IDC_LIGHT_DIFFUSE_R_SPIN, IDC_LIGHT_DIFFUSE_G_SPIN, IDC_LIGHT_DIFFUSE_B_SPIN},
     IDC_LIGHT_DIFFUSE_SAMPLE, kLightDiffuseBit},
    {{IDC_LIGHT_SPECULAR_R, IDC_LIGHT_SPECULAR_G, IDC_LIGHT_SPECULAR_B},
     {IDC_LIGHT_SPECULAR_R_SPIN, IDC_LIGHT_SPECULAR_G_SPIN, IDC_LIGHT_SPECULAR_B_SPIN},
     IDC_LIGHT_SPECULAR_SAMPLE, kLightSpecularBit},
    {{IDC_LINE_COLOR_R, IDC_LINE_COLOR_G, IDC_LINE_COLOR_B},
     {IDC_LINE_COLOR_R_SPIN, IDC_LINE_COLOR_G_SPIN, IDC_LINE_COLOR_B_SPIN},
     IDC_LINE_COLOR_SAMPLE, kLineColorBit},
    {{IDC_BACK_COLOR_R, IDC_BACK_COLOR_G, IDC_BACK_COLOR_B},
     {IDC_BACK_COLOR_R_SPIN, IDC_BACK_COLOR_G_SPIN, IDC_BACK_COLOR_B_SPIN},
     IDC_BACK_COLOR_SAMPLE, kBackColorBit},
};

// The first row's spins are not in id order: red 2014, green 2016, blue 2015.
const ColorRowIds kMaterialRows[kMaterialRowCount] = {
    {{IDC_MAT_AMBIENT_R, IDC_MAT_AMBIENT_G, IDC_MAT_AMBIENT_B},
     {IDC_MAT_AMBIENT_R_SPIN, IDC_MAT_AMBIENT_G_SPIN, IDC_MAT_AMBIENT_B_SPIN},
     IDC_MAT_AMBIENT_SAMPLE, kMatAmbientBit},
    {{IDC_MAT_DIFFUSE_R, IDC_MAT_DIFFUSE_G, IDC_MAT_DIFFUSE_B},
     {IDC_MAT_DIFFUSE_R_SPIN, IDC_MAT_DIFFUSE_G_SPIN, IDC_MAT_DIFFUSE_B_SPIN},
     IDC_MAT_DIFFUSE_SAMPLE, kMatDiffuseBit},
    {{IDC_MAT_SPECULAR_R, IDC_MAT_SPECULAR_G, IDC_MAT_SPECULAR_B},
     {IDC_MAT_SPECULAR_R_SPIN, IDC_MAT_SPECULAR_G_SPIN, IDC_MAT_SPECULAR_B_SPIN},
     IDC_MAT_SPECULAR_SAMPLE, kMatSpecularBit},
    {{IDC_MAT_EMISSION_R, IDC_MAT_EMISSION_G, IDC_MAT_EMISSION_B},
     {IDC_MAT_EMISSION_R_SPIN, IDC_MAT_EMISSION_G_SPIN, IDC_MAT_EMISSION_B_SPIN},
     IDC_MAT_EMISSION_SAMPLE, kMatEmissionBit},
};

const ColorRowIds kFogRows[kFogRowCount] = {
    {{IDC_FOG_COLOR_R, IDC_FOG_COLOR_G, IDC_FOG_COLOR_B},
     {IDC_FOG_COLOR_R_SPIN, IDC_FOG_COLOR_G_SPIN, IDC_FOG_COLOR_B_SPIN},
     IDC_FOG_COLOR_SAMPLE, kFogColorBit},
};

int FindColorRow(const ColorRowIds* rows, int count, unsigned id)
{
    for (int i = 0; i < count; ++i) {
        for (uint16_t edit : rows[i].edit) {
            if (edit == id)
                return i;
        }
    }
    return -1;
}

uint32_t SwatchColor(int16_t r, int16_t g, int16_t b)
{
    return (static_cast<uint32_t>(r) & 0xFFu) | (static_cast<uint32_t>(g) & 0xFFu) << 8 |
           (static_cast<uint32_t>(b) & 0xFFu) << 16;
}

WizardButtonLayout LayoutWizardButtons(const Rect& sheet, const Rect& next, const Rect& finish,
                                       int finishClientTop)
{
    WizardButtonLayout layout;
    const int gap = finish.left - next.right;
    layout.sheetWidth = sheet.Width() - finish.Width();
    const int buttonWidth = 3 * finish.Width() / 4;

    const int16_t top = static_cast<int16_t>(finishClientTop);
    const int16_t height = static_cast<int16_t>(finish.Height());
    const int16_t width = static_cast<int16_t>(buttonWidth);
    const int finishX = layout.sheetWidth - 2 * gap - buttonWidth;
    const int nextX = finishX - (buttonWidth + gap);
    const int backX = nextX - (buttonWidth + gap);
    layout.finish = {static_cast<int16_t>(finishX), top, width, height};
    layout.next = {static_cast<int16_t>(nextX), top, width, height};
    layout.back = {static_cast<int16_t>(backX), top, width, height};
    return layout;
}

}  // namespace model
