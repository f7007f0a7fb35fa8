// The first tab of the model sheet: the light's ambient, diffuse and specular
// colours, the line colour and the background colour.
//   CLightPage
#pragma once
#include "model/modelpage.h"

class CLightPage : public CPropertyPage {
    DECLARE_DYNCREATE(CLightPage)
public:
    CLightPage();
    ~CLightPage() override;

    // Swatches 4005 (background), 4004 (line), 1033 (specular), 1032 (diffuse), 1031 (ambient).
    CColorSwatch m_wndSwatch[5];
    // Spins 1030 down to 1016.
    CSpinButtonCtrl m_spin[15];

    // The values, 0..255 each, 0 after construction.
    MODELCOLOR m_LightAmbient;
    MODELCOLOR m_LightDiffuse;
    MODELCOLOR m_LightSpecular;
    MODELCOLOR m_LineColor;
    MODELCOLOR m_BackColor;
    // TRUE while the page is the sheet's active page (OnSetActive to OnKillActive).
    BOOL m_bActive;

    // The accessors' copies of row 0..4 (table order): red, green, blue.
    void SetRowColor(int row, const MODELCOLOR& c) { modelpage::CopyColor(*m_rows[row].value, c); }
    void GetRowColor(int row, MODELCOLOR* c) const { modelpage::CopyColor(*c, *m_rows[row].value); }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnKillActive() override;
    void OnChangeColor(UINT nID);
    DECLARE_MESSAGE_MAP()

private:
    ColorRow m_rows[model::kLightRowCount];
};
