// The third tab of the model sheet: the fog colour and density and the
// colour-material mode.
//   CFogPage
#pragma once
#include "model/modelpage.h"

class CFogPage : public CPropertyPage {
    DECLARE_DYNCREATE(CFogPage)
public:
    CFogPage();
    ~CFogPage() override;

    // Swatch 3009.
    CColorSwatch m_wndSwatch;
    // Spins 3007, 3006, 3005.
    CSpinButtonCtrl m_spin[3];

    // The values: colour 0..255 each, density 0.0..1.0, the mode -1..4 (index
    // of the selected radio button 2031-2035, -1 for none).
    MODELCOLOR m_FogColor;
    float m_fFogDensity;
    int m_nMatMode;
    // TRUE while the page is the sheet's active page (OnSetActive to OnKillActive).
    BOOL m_bActive;

    // The accessors' copies. The density keeps its 32 bits as they are; the
    // mode is stored sign-extended and read back as its low 16 bits.
    void SetRowColor(int row, const MODELCOLOR& c) { modelpage::CopyColor(*m_rows[row].value, c); }
    void GetRowColor(int row, MODELCOLOR* c) const { modelpage::CopyColor(*c, *m_rows[row].value); }
    void SetFogDensityBits(uint32_t bits);
    uint32_t GetFogDensityBits() const;
    void SetMatMode(short mode) { m_nMatMode = model::MatModeFromHost(mode); }
    void GetMatMode(short* mode) const { *mode = model::MatModeToHost(m_nMatMode); }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnKillActive() override;
    void OnChangeColor(UINT nID);
    void OnClickMatMode(UINT nID);
    void OnChangeFogDensity();
    DECLARE_MESSAGE_MAP()

private:
    ColorRow m_rows[model::kFogRowCount];
};
