#include "model/materialpage.h"

#include "res/resource.h"

IMPLEMENT_DYNCREATE(CMaterialPage, CPropertyPage)

namespace {
const UINT kSwatchIds[4] = {IDC_MAT_EMISSION_SAMPLE, IDC_MAT_SPECULAR_SAMPLE, IDC_MAT_DIFFUSE_SAMPLE,
                            IDC_MAT_AMBIENT_SAMPLE};
const UINT kSpinIds[12] = {
    IDC_MAT_EMISSION_B_SPIN, IDC_MAT_EMISSION_G_SPIN, IDC_MAT_EMISSION_R_SPIN,
    IDC_MAT_SPECULAR_B_SPIN, IDC_MAT_SPECULAR_G_SPIN, IDC_MAT_SPECULAR_R_SPIN,
    IDC_MAT_DIFFUSE_B_SPIN,  IDC_MAT_DIFFUSE_G_SPIN,  IDC_MAT_DIFFUSE_R_SPIN,
    IDC_MAT_AMBIENT_B_SPIN,  IDC_MAT_AMBIENT_G_SPIN,  IDC_MAT_AMBIENT_R_SPIN};  // 2015, 2016, 2014
}  // namespace

BEGIN_MESSAGE_MAP(CMaterialPage, CPropertyPage)
    ON_CONTROL_RANGE(EN_CHANGE, IDC_MAT_AMBIENT_R, IDC_MAT_EMISSION_B, OnChangeColor)
    ON_EN_CHANGE(IDC_MAT_SHININESS, OnChangeShininess)
END_MESSAGE_MAP()

CMaterialPage::CMaterialPage()
    : CPropertyPage(IDD_MATERIAL_PAGE),
      m_MatAmbient{0, 0, 0},
      m_MatDiffuse{0, 0, 0},
      m_MatSpecular{0, 0, 0},
      m_MatEmission{0, 0, 0},
      m_nShininess(0),
      m_bActive(FALSE)
{
    MODELCOLOR* const values[model::kMaterialRowCount] = {&m_MatAmbient, &m_MatDiffuse, &m_MatSpecular,
                                                          &m_MatEmission};
    modelpage::BindRows(m_rows, model::kMaterialRows, model::kMaterialRowCount, values, m_wndSwatch, kSwatchIds,
                        4, m_spin, kSpinIds, 12);
}

CMaterialPage::~CMaterialPage() = default;

void CMaterialPage::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_MAT_SHININESS_SPIN, m_spinShininess);
    modelpage::ExchangeControls(pDX, m_wndSwatch, kSwatchIds, 4, m_spin, kSpinIds, 12);
    modelpage::ExchangeColors(pDX, m_rows, model::kMaterialRowCount);
    DDX_Text(pDX, IDC_MAT_SHININESS, m_nShininess);
    DDV_MinMaxInt(pDX, m_nShininess, model::kShininessMin, model::kShininessMax);
}

BOOL CMaterialPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    modelpage::InitColorRows(m_rows, model::kMaterialRowCount, m_bActive);
    modelpage::InitSpin(m_spinShininess, model::kShininessMax, m_nShininess);
    return FALSE;
}

BOOL CMaterialPage::OnSetActive()
{
    return modelpage::Activate(*this, m_bActive, m_rows, model::kMaterialRowCount);
}

BOOL CMaterialPage::OnKillActive()
{
    return modelpage::Deactivate(*this, m_bActive);
}

void CMaterialPage::OnChangeColor(UINT nID)
{
    if (nID < IDC_MAT_AMBIENT_R || nID > IDC_MAT_EMISSION_B)
        return;
    modelpage::ColorChanged(*this, m_bActive, m_rows, model::kMaterialRowCount, nID);
}

void CMaterialPage::OnChangeShininess()
{
    modelpage::ValueChanged(*this, m_bActive, model::kMatShininessBit);
}
