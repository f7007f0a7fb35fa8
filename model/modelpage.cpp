#include "model/modelpage.h"

#include "model/modelsheet.h"

namespace modelpage {

namespace {

template <class T>
T* MemberWithId(T* members, const UINT* ids, int count, UINT id)
{
    for (int i = 0; i < count; ++i) {
        if (ids[i] == id)
            return &members[i];
    }
    return nullptr;
}

short& Component(MODELCOLOR& value, int c)
{
    return c == 0 ? value.r : c == 1 ? value.g : value.b;
}

}  // namespace

void BindRows(ColorRow* rows, const model::ColorRowIds* table, int count, MODELCOLOR* const* values,
              CColorSwatch* swatches, const UINT* swatchIds, int swatchCount,
              CSpinButtonCtrl* spins, const UINT* spinIds, int spinCount)
{
    for (int i = 0; i < count; ++i) {
        rows[i].ids = &table[i];
        rows[i].value = values[i];
        rows[i].swatch = MemberWithId(swatches, swatchIds, swatchCount, table[i].swatch);
        for (int c = 0; c < 3; ++c)
            rows[i].spin[c] = MemberWithId(spins, spinIds, spinCount, table[i].spin[c]);
    }
}

void ExchangeControls(CDataExchange* pDX, CColorSwatch* swatches, const UINT* swatchIds, int swatchCount,
                      CSpinButtonCtrl* spins, const UINT* spinIds, int spinCount)
{
    for (int i = 0; i < swatchCount; ++i)
        DDX_Control(pDX, static_cast<int>(swatchIds[i]), swatches[i]);
    for (int i = 0; i < spinCount; ++i)
        DDX_Control(pDX, static_cast<int>(spinIds[i]), spins[i]);
}

void ExchangeColors(CDataExchange* pDX, const ColorRow* rows, int count)
{
    for (int i = 0; i < count; ++i) {
        for (int c = 0; c < 3; ++c) {
            short& component = Component(*rows[i].value, c);
            DDX_Text(pDX, rows[i].ids->edit[c], component);
            DDV_MinMaxInt(pDX, component, model::kColorMin, model::kColorMax);
        }
    }
}

void InitSpin(CSpinButtonCtrl& spin, short upper, short value)
{
    if (spin.m_hWnd == nullptr)
        return;
    spin.SendMessage(UDM_SETRANGE, 0, MAKELPARAM(upper, 0));
    spin.SendMessage(UDM_SETPOS, 0, static_cast<LPARAM>(model::SpinPosParam(value)));
}

COLORREF RowColor(const ColorRow& row)
{
    return model::SwatchColor(row.value->r, row.value->g, row.value->b);
}

void InitColorRows(const ColorRow* rows, int count, BOOL bRedraw)
{
    for (int i = 0; i < count; ++i) {
        for (int c = 0; c < 3; ++c)
            InitSpin(*rows[i].spin[c], model::kColorMax, Component(*rows[i].value, c));
        rows[i].swatch->SetColor(RowColor(rows[i]), bRedraw);
    }
}

BOOL Activate(CPropertyPage& page, BOOL& bActive, const ColorRow* rows, int count)
{
    bActive = TRUE;
    const BOOL accepted = page.CPropertyPage::OnSetActive();
    for (int i = 0; i < count; ++i)
        rows[i].swatch->SetColor(RowColor(rows[i]), TRUE);
    return accepted;
}

BOOL Deactivate(CPropertyPage& page, BOOL& bActive)
{
    bActive = FALSE;
    return page.CPropertyPage::OnKillActive();
}

void ColorChanged(CPropertyPage& page, BOOL bActive, const ColorRow* rows, int count, UINT nID)
{
    // The rows are bound in the order of their table.
    const int row = count > 0 ? model::FindColorRow(rows[0].ids, count, nID) : -1;
    if (row < 0)
        return;
    CModelSheet* sheet = nullptr;
    if (bActive) {
        page.UpdateData(TRUE);
        page.SetModified(TRUE);
        sheet = SheetOf(page);
    }
    rows[row].swatch->SetColor(RowColor(rows[row]), bActive);
    if (sheet != nullptr)
        sheet->m_wChangeMask |= rows[row].ids->changeBit;
}

void ValueChanged(CPropertyPage& page, BOOL bActive, WORD changeBit)
{
    if (!bActive)
        return;
    page.UpdateData(TRUE);
    page.SetModified(TRUE);
    if (CModelSheet* sheet = SheetOf(page))
        sheet->m_wChangeMask |= changeBit;
}

CModelSheet* SheetOf(const CPropertyPage& page)
{
    if (page.m_hWnd == nullptr)
        return nullptr;
    return DYNAMIC_DOWNCAST(CModelSheet, CWnd::FromHandle(::GetParent(page.m_hWnd)));
}

}  // namespace modelpage
