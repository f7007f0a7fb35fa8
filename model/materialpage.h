// The second tab of the model sheet: the material's ambient, diffuse, specular
// and emission colours and its specular exponent.
//   CMaterialPage
#pragma once
#include "model/modelpage.h"

class CMaterialPage : public CPropertyPage {
    DECLARE_DYNCREATE(CMaterialPage)
public:
    CMaterialPage();
    ~CMaterialPage() override;

    // Spin 2026 of the specular exponent.
    CSpinButtonCtrl m_spinShininess;
    // Swatches 2030 (emission), 2029 (specular), 2028 (diffuse), 2027 (ambient).
    CColorSwatch m_wndSwatch[4];
    // Spins 2025 down to 2017, then 2015, 2016, 2014.
    CSpinButtonCtrl m_spin[12];

    // The values, 0..255 each and 0..128 for the exponent, 0 after construction.
    MODELCOLOR m_MatAmbient;
    MODELCOLOR m_MatDiffuse;
    MODELCOLOR m_MatSpecular;
    MODELCOLOR m_MatEmission;
    short m_nShininess;
    // TRUE while the page is the sheet's active page (OnSetActive to OnKillActive).
    BOOL m_bActive;

    // The accessors' copies: colours of row 0..3 (table order), the exponent.
    void SetRowColor(int row, const MODELCOLOR& c) { modelpage::CopyColor(*m_rows[row].value, c); }
    void GetRowColor(int row, MODELCOLOR* c) const { modelpage::CopyColor(*c, *m_rows[row].value); }
    void SetShininess(short value) { m_nShininess = value; }
    void GetShininess(short* value) const { *value = m_nShininess; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnKillActive() override;
    void OnChangeColor(UINT nID);
    void OnChangeShininess();
    DECLARE_MESSAGE_MAP()

private:
    ColorRow m_rows[model::kMaterialRowCount];
};
