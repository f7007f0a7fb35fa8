#include "model/fogpage.h"

#include <string.h>

#include "res/resource.h"

IMPLEMENT_DYNCREATE(CFogPage, CPropertyPage)

namespace {
const UINT kSwatchIds[1] = {IDC_FOG_COLOR_SAMPLE};
const UINT kSpinIds[3] = {IDC_FOG_COLOR_B_SPIN, IDC_FOG_COLOR_G_SPIN, IDC_FOG_COLOR_R_SPIN};
}  // namespace

BEGIN_MESSAGE_MAP(CFogPage, CPropertyPage)
    ON_CONTROL_RANGE(EN_CHANGE, IDC_FOG_COLOR_R, IDC_FOG_COLOR_B, OnChangeColor)
    ON_CONTROL_RANGE(BN_CLICKED, IDC_MATMODE_AMBIENT, IDC_MATMODE_AMBIENT_DIFFUSE, OnClickMatMode)
    ON_EN_CHANGE(IDC_FOG_DENSITY, OnChangeFogDensity)
END_MESSAGE_MAP()

CFogPage::CFogPage()
    : CPropertyPage(IDD_FOG_PAGE),
      m_FogColor{0, 0, 0},
      m_fFogDensity(0.0f),
      m_nMatMode(model::kMatModeNone),
      m_bActive(FALSE)
{
    MODELCOLOR* const values[model::kFogRowCount] = {&m_FogColor};
    modelpage::BindRows(m_rows, model::kFogRows, model::kFogRowCount, values, &m_wndSwatch, kSwatchIds, 1,
                        m_spin, kSpinIds, 3);
}

CFogPage::~CFogPage() = default;

// Copied as bits: a float move through the x87 stack (i686) would quiet a
// signalling NaN.
void CFogPage::SetFogDensityBits(uint32_t bits)
{
    memcpy(&m_fFogDensity, &bits, sizeof(bits));
}

uint32_t CFogPage::GetFogDensityBits() const
{
    uint32_t bits;
    memcpy(&bits, &m_fFogDensity, sizeof(bits));
    return bits;
}

void CFogPage::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    modelpage::ExchangeControls(pDX, &m_wndSwatch, kSwatchIds, 1, m_spin, kSpinIds, 3);
    modelpage::ExchangeColors(pDX, m_rows, model::kFogRowCount);
    DDX_Text(pDX, IDC_FOG_DENSITY, m_fFogDensity);
    DDV_MinMaxFloat(pDX, m_fFogDensity, model::kFogDensityMin, model::kFogDensityMax);
    DDX_Radio(pDX, IDC_MATMODE_AMBIENT, m_nMatMode);
}

BOOL CFogPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    modelpage::InitColorRows(m_rows, model::kFogRowCount, m_bActive);
    return FALSE;
}

BOOL CFogPage::OnSetActive()
{
    return modelpage::Activate(*this, m_bActive, m_rows, model::kFogRowCount);
}

BOOL CFogPage::OnKillActive()
{
    return modelpage::Deactivate(*this, m_bActive);
}

void CFogPage::OnChangeColor(UINT nID)
{
    if (nID < IDC_FOG_COLOR_R || nID > IDC_FOG_COLOR_B)
        return;
    modelpage::ColorChanged(*this, m_bActive, m_rows, model::kFogRowCount, nID);
}

void CFogPage::OnClickMatMode(UINT nID)
{
    if (nID < IDC_MATMODE_AMBIENT || nID > IDC_MATMODE_AMBIENT_DIFFUSE)
        return;
    modelpage::ValueChanged(*this, m_bActive, model::kMatModeBit);
}

void CFogPage::OnChangeFogDensity()
{
    modelpage::ValueChanged(*this, m_bActive, model::kFogDensityBit);
}
