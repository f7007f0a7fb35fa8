#include "model/lightpage.h"

#include "res/resource.h"

IMPLEMENT_DYNCREATE(CLightPage, CPropertyPage)

namespace {
const UINT kSwatchIds[5] = {IDC_BACK_COLOR_SAMPLE, IDC_LINE_COLOR_SAMPLE, IDC_LIGHT_SPECULAR_SAMPLE,
                            IDC_LIGHT_DIFFUSE_SAMPLE, IDC_LIGHT_AMBIENT_SAMPLE};
const UINT kSpinIds[15] = {
    IDC_BACK_COLOR_B_SPIN,     IDC_BACK_COLOR_G_SPIN,     IDC_BACK_COLOR_R_SPIN,
    IDC_LINE_COLOR_B_SPIN,     IDC_LINE_COLOR_G_SPIN,     IDC_LINE_COLOR_R_SPIN,
    IDC_LIGHT_SPECULAR_B_SPIN, IDC_LIGHT_SPECULAR_G_SPIN, IDC_LIGHT_SPECULAR_R_SPIN,
    IDC_LIGHT_DIFFUSE_B_SPIN,  IDC_LIGHT_DIFFUSE_G_SPIN,  IDC_LIGHT_DIFFUSE_R_SPIN,
    IDC_LIGHT_AMBIENT_B_SPIN,  IDC_LIGHT_AMBIENT_G_SPIN,  IDC_LIGHT_AMBIENT_R_SPIN};
}  // namespace

BEGIN_MESSAGE_MAP(CLightPage, CPropertyPage)
    ON_CONTROL_RANGE(EN_CHANGE, IDC_LIGHT_AMBIENT_R, IDC_BACK_COLOR_B, OnChangeColor)
END_MESSAGE_MAP()

CLightPage::CLightPage()
    : CPropertyPage(IDD_LIGHT_PAGE),
      m_LightAmbient{0, 0, 0},
      m_LightDiffuse{0, 0, 0},
      m_LightSpecular{0, 0, 0},
      m_LineColor{0, 0, 0},
      m_BackColor{0, 0, 0},
      m_bActive(FALSE)
{
    MODELCOLOR* const values[model::kLightRowCount] = {&m_LightAmbient, &m_LightDiffuse, &m_LightSpecular,
                                                       &m_LineColor, &m_BackColor};
    modelpage::BindRows(m_rows, model::kLightRows, model::kLightRowCount, values, m_wndSwatch, kSwatchIds, 5,
                        m_spin, kSpinIds, 15);
}

CLightPage::~CLightPage() = default;

void CLightPage::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    modelpage::ExchangeControls(pDX, m_wndSwatch, kSwatchIds, 5, m_spin, kSpinIds, 15);
    modelpage::ExchangeColors(pDX, m_rows, model::kLightRowCount);
}

BOOL CLightPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    modelpage::InitColorRows(m_rows, model::kLightRowCount, m_bActive);
    return FALSE;
}

BOOL CLightPage::OnSetActive()
{
    return modelpage::Activate(*this, m_bActive, m_rows, model::kLightRowCount);
}

BOOL CLightPage::OnKillActive()
{
    return modelpage::Deactivate(*this, m_bActive);
}

void CLightPage::OnChangeColor(UINT nID)
{
    if (nID < IDC_LIGHT_AMBIENT_R || nID > IDC_BACK_COLOR_B)
        return;
    modelpage::ColorChanged(*this, m_bActive, m_rows, model::kLightRowCount, nID);
}
