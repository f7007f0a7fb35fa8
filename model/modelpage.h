// The pattern the three model pages share: rows of red, green and blue fields,
// each with a spin, and a swatch showing the row's colour; every edit reads the
// page back, marks it modified and sets the row's bit in the sheet's mask.
//   ColorRow (a row bound to its value, swatch and spins), modelpage::* (the steps)
#pragma once
#include "afx/afxcmn.h"
#include "afx/afxdd.h"
#include "afx/afxsheet.h"
#include "include/oroscape.h"
#include "model/colorswatch.h"
#include "model/modelvalues.h"

class CModelSheet;

// One row as its page binds it: the ids and bit of the row table, the value
// member it edits, its swatch and its spins (red, green, blue).
struct ColorRow {
    const model::ColorRowIds* ids;
    MODELCOLOR* value;
    CColorSwatch* swatch;
    CSpinButtonCtrl* spin[3];
};

namespace modelpage {

// A colour copy: the three components one by one, red first.
inline void CopyColor(MODELCOLOR& to, const MODELCOLOR& from)
{
    to.r = from.r;
    to.g = from.g;
    to.b = from.b;
}

// Binds the rows of a page: for each row of the table, its value member
// (values[i]) and, among the page's swatch and spin members (listed with their
// control ids in member order), those with the row's ids.
void BindRows(ColorRow* rows, const model::ColorRowIds* table, int count, MODELCOLOR* const* values,
              CColorSwatch* swatches, const UINT* swatchIds, int swatchCount,
              CSpinButtonCtrl* spins, const UINT* spinIds, int spinCount);

// Attaches the page's swatches and spins (DDX_Control), in member order.
void ExchangeControls(CDataExchange* pDX, CColorSwatch* swatches, const UINT* swatchIds, int swatchCount,
                      CSpinButtonCtrl* spins, const UINT* spinIds, int spinCount);

// The colour fields in id order: DDX_Text into each component, then its range.
void ExchangeColors(CDataExchange* pDX, const ColorRow* rows, int count);

// A spin's range (0 to upper) and position (the value, zero-extended).
void InitSpin(CSpinButtonCtrl& spin, short upper, short value);

// OnInitDialog's part for the colour rows: each row's spins, then its swatch
// with the row's colour, repainted when bRedraw.
void InitColorRows(const ColorRow* rows, int count, BOOL bRedraw);

// The screen colour of a row's value.
COLORREF RowColor(const ColorRow& row);

// OnSetActive of every page: the page becomes active (bActive), the base writes
// the members into the fields (values the host set while the page's window
// existed), and the swatches follow. Returns the base's verdict.
BOOL Activate(CPropertyPage& page, BOOL& bActive, const ColorRow* rows, int count);

// OnKillActive of every page: the page stops being active before the base reads
// and validates its fields, so that a refused page stays shown inactive until it
// is activated again. Returns the base's verdict (FALSE: the page stays).
BOOL Deactivate(CPropertyPage& page, BOOL& bActive);

// OnChangeColor of every page: edit nID of one of the rows changed (typed or
// through its spin). While the page is active: read the page back (a failed
// field is reported and the rest goes on), mark it modified, recolour the
// row's swatch and set the row's bit. While it is not: only recolour the swatch
// from the members, without repainting.
void ColorChanged(CPropertyPage& page, BOOL bActive, const ColorRow* rows, int count, UINT nID);

// The same for a field without a swatch (shininess, fog density, the mode).
void ValueChanged(CPropertyPage& page, BOOL bActive, WORD changeBit);

// The sheet as the object of the page's parent window, or null.
CModelSheet* SheetOf(const CPropertyPage& page);

}  // namespace modelpage
