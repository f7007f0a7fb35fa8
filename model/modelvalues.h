// The model sheet's values and rules that need no window: which controls edit
// which colour row and which change bit it sets, the screen colour of a row,
// the colour-material mode as the host sees it, the spin position argument and
// the wizard button layout of the sheet.
//   ColorRowIds / k*Rows, FindColorRow, SwatchColor, MatMode*, SpinPosParam, LayoutWizardButtons
#pragma once
#include <stdint.h>

namespace model {

// Change mask bits (WM_MODEL_APPLY's wParam), one per group of values. The
// colour-material mode shares the shininess bit.
enum ChangeBit : uint16_t {
    kLightAmbientBit = 0x0001,
    kLightDiffuseBit = 0x0002,
    kLightSpecularBit = 0x0004,
    kLineColorBit = 0x0008,
    kBackColorBit = 0x0010,
    kMatAmbientBit = 0x0020,
    kMatDiffuseBit = 0x0040,
    kMatSpecularBit = 0x0080,
    kMatEmissionBit = 0x0100,
    kMatShininessBit = 0x0200,
    kMatModeBit = 0x0200,
    kFogColorBit = 0x0400,
    kFogDensityBit = 0x0800,
};

// Ranges the pages enforce.
constexpr int kColorMin = 0;
constexpr int kColorMax = 255;
constexpr int kShininessMin = 0;
constexpr int kShininessMax = 128;
constexpr float kFogDensityMin = 0.0f;
constexpr float kFogDensityMax = 1.0f;
constexpr int32_t kMatModeNone = -1;

// One red-green-blue row of a model page: its three edits (red, green, blue,
// consecutive ids), the spin of each, its swatch and its change bit.
struct ColorRowIds {
    uint16_t edit[3];
    uint16_t spin[3];
    uint16_t swatch;
    uint16_t changeBit;
};

constexpr int kLightRowCount = 5;     // ambient, diffuse, specular, line, background
constexpr int kMaterialRowCount = 4;  // ambient, diffuse, specular, emission
constexpr int kFogRowCount = 1;       // fog colour
extern const ColorRowIds kLightRows[kLightRowCount];
extern const ColorRowIds kMaterialRows[kMaterialRowCount];
extern const ColorRowIds kFogRows[kFogRowCount];

// The row whose edits include id, or -1.
int FindColorRow(const ColorRowIds* rows, int count, unsigned id);

// The screen colour (0x00BBGGRR) of three components: the low byte of each.
uint32_t SwatchColor(int16_t r, int16_t g, int16_t b);

// The mode as stored from the host's 16-bit value (sign-extended) and back
// (its low 16 bits).
inline int32_t MatModeFromHost(int16_t mode) { return mode; }
inline int16_t MatModeToHost(int32_t mode) { return static_cast<int16_t>(static_cast<uint16_t>(mode & 0xFFFF)); }

// The position argument of a spin for a 16-bit value: zero-extended.
inline uint32_t SpinPosParam(int16_t value) { return static_cast<uint16_t>(value); }

// Screen rectangle of a window.
struct Rect {
    int left, top, right, bottom;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// Where one button goes: client coordinates and size, as 16-bit values.
struct ButtonPlace {
    int16_t x, y, cx, cy;
};

struct WizardButtonLayout {
    int sheetWidth;  // the sheet's new window width
    ButtonPlace back, next, finish;
};

// The sheet's re-layout of its Back, Next and Finish buttons: the sheet loses
// Finish's width; the buttons become three quarters of Finish's width, keep
// Finish's top and height, and line up from the right edge, a gap apart (the
// gap between Next and Finish). finishClientTop: Finish's top in the sheet's
// client coordinates.
WizardButtonLayout LayoutWizardButtons(const Rect& sheet, const Rect& next, const Rect& finish,
                                       int finishClientTop);

}  // namespace model
