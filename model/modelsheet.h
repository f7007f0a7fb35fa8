// The model parameter sheet: three pages over the scene's model values, shown
// modally as often as the host likes, telling the host about applied changes.
//   CModelSheet, ModelColor (which colour an accessor copies)
#pragma once
#include "afx/afxsheet.h"
#include "include/oroscape.h"

class CLightPage;
class CMaterialPage;
class CFogPage;

// The colours the accessors copy, each owned by one page.
enum class ModelColor {
    LightAmbient,
    LightDiffuse,
    LightSpecular,
    LineColor,
    BackColor,
    MatAmbient,
    MatDiffuse,
    MatSpecular,
    MatEmission,
    FogColor,
};

// The sheet object lives from _CreateModelDialog to _DeleteModelDialog; its
// window only while _ShowModelDialog runs. It owns the three pages, which own
// the values. The host window object is the host's (a window object of its own
// framework, see OROSCAPE_HOSTWND): the sheet only reads its handle.
class CModelSheet : public CPropertySheet {
    DECLARE_DYNAMIC(CModelSheet)
public:
    // Runs in _CreateModelDialog under the library's module state: builds the
    // light, material and fog pages with their defaults, in tab order.
    CModelSheet(const wchar_t* pszCaption, const OROSCAPE_HOSTWND* pHostWnd, UINT iSelectPage);
    ~CModelSheet() override;

    // The accessors: copies into and out of the owning page's members, nothing
    // else (no window, no modified mark, no change bit).
    void SetColor(ModelColor which, const MODELCOLOR& c);
    void GetColor(ModelColor which, MODELCOLOR* c) const;
    void SetShininess(short value);
    void GetShininess(short* value) const;
    void SetMatMode(short mode);
    void GetMatMode(short* mode) const;
    void SetFogDensityBits(uint32_t bits);
    uint32_t GetFogDensityBits() const;

    const OROSCAPE_HOSTWND* m_pHostWnd;  // receives WM_MODEL_APPLY; not owned; may be null (no notification)
    CLightPage* m_pLightPage;
    CMaterialPage* m_pMaterialPage;
    CFogPage* m_pFogPage;
    WORD m_wChangeMask;  // bits set by the pages since the last Apply

    // Runs in _ShowModelDialog: the host's window, read as it is now, owns the
    // sheet; without one the active window does.
    INT_PTR DoModal() override;

    // The host's window as its object names it now, or null when that is no
    // window of this process (no object, zero, destroyed, another process's).
    HWND HostWindow() const;

    // The Back, Next and Finish buttons are re-laid out where the sheet has them.
    BOOL OnInitDialog() override;

protected:
    // The Apply button: the platform applies, then the host is told the mask.
    void OnApplyNow();
    DECLARE_MESSAGE_MAP()
};
