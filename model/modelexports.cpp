// Exports of the model sheet: create, show and delete it, and the 26 accessors.
#include <windows.h>

#include <string.h>

#include "afx/afxstate.h"
#include "frame/barrier.h"
#include "frame/strings.h"
#include "include/oroscape.h"
#include "model/modelsheet.h"
#include "res/resource.h"

namespace {

// The handle the host keeps is the sheet object's address.
CModelSheet* SheetOf(HMODELSHEET handle)
{
    return reinterpret_cast<CModelSheet*>(handle);
}

// Every accessor answers 1 for a copy done; a null sheet or value pointer is
// refused with 0 rather than followed.
short SetColorValue(HMODELSHEET s, ModelColor which, const MODELCOLOR* c)
{
    if (s == nullptr || c == nullptr)
        return 0;
    SheetOf(s)->SetColor(which, *c);
    return 1;
}

short GetColorValue(HMODELSHEET s, ModelColor which, MODELCOLOR* c)
{
    if (s == nullptr || c == nullptr)
        return 0;
    SheetOf(s)->GetColor(which, c);
    return 1;
}

}  // namespace

extern "C" {

short __cdecl _CreateModelDialog(OROSCAPE_HOSTWND* pHostWnd, HMODELSHEET* ppSheet)
{
    if (ppSheet == nullptr)
        return 0;
    bool captionMissing = false;
    CModelSheet* sheet = ExportBarrier<CModelSheet*>(nullptr, [&]() -> CModelSheet* {
        CString caption;
        if (!LoadResString(IDS_MODEL_SHEET_CAPTION, caption)) {
            captionMissing = true;
            return nullptr;
        }
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        return new CModelSheet(caption, pHostWnd, 0);
    });
    if (captionMissing)
        return 0;  // the host's handle is left as it was
    // No memory for the sheet or a page: reported as not created, the handle null.
    *ppSheet = reinterpret_cast<HMODELSHEET>(sheet);
    return sheet != nullptr ? 1 : 0;
}

short __cdecl _DeleteModelDialog(HMODELSHEET* ppSheet)
{
    if (ppSheet == nullptr)
        return 1;
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    delete SheetOf(*ppSheet);  // destroys windows and frees memory: throws nothing
    *ppSheet = nullptr;
    return 1;
}

short __cdecl _ShowModelDialog(HMODELSHEET s)
{
    if (s == nullptr)
        return 0;
    return ExportBarrier<short>(0, [&]() -> short {
        AFX_MANAGE_STATE(AfxGetStaticModuleState());
        // However the user closes it, 1; a sheet that could not be shown or could not go on
        // reports 0, as a null sheet does.
        return SheetOf(s)->DoModal() == -1 ? 0 : 1;
    });
}

#define OROSCAPE_COLOR_ACCESSORS(setName, getName, which) \
    short __cdecl setName(HMODELSHEET s, const MODELCOLOR* c) { return SetColorValue(s, which, c); } \
    short __cdecl getName(HMODELSHEET s, MODELCOLOR* c) { return GetColorValue(s, which, c); }

OROSCAPE_COLOR_ACCESSORS(_SetMaterial_Ambient_, _GetMaterial_Ambient_, ModelColor::MatAmbient)
OROSCAPE_COLOR_ACCESSORS(_SetMaterial_Diffuse_, _GetMaterial_Diffuse_, ModelColor::MatDiffuse)
OROSCAPE_COLOR_ACCESSORS(_SetMaterial_Specular_, _GetMaterial_Specular_, ModelColor::MatSpecular)
OROSCAPE_COLOR_ACCESSORS(_SetMaterial_Emission_, _GetMaterial_Emission_, ModelColor::MatEmission)
OROSCAPE_COLOR_ACCESSORS(_SetLight_Ambient_, _GetLight_Ambient_, ModelColor::LightAmbient)
OROSCAPE_COLOR_ACCESSORS(_SetLight_Diffuse_, _GetLight_Diffuse_, ModelColor::LightDiffuse)
OROSCAPE_COLOR_ACCESSORS(_SetLight_Specular_, _GetLight_Specular_, ModelColor::LightSpecular)
OROSCAPE_COLOR_ACCESSORS(_SetLineColor_, _GetLineColor_, ModelColor::LineColor)
OROSCAPE_COLOR_ACCESSORS(_SetBackColor_, _GetBackColor_, ModelColor::BackColor)
OROSCAPE_COLOR_ACCESSORS(_SetFogColor_, _GetFogColor_, ModelColor::FogColor)
#undef OROSCAPE_COLOR_ACCESSORS

short __cdecl _SetMaterial_Shininess_(HMODELSHEET s, short v)
{
    if (s == nullptr)
        return 0;
    SheetOf(s)->SetShininess(v);
    return 1;
}

short __cdecl _GetMaterial_Shininess_(HMODELSHEET s, short* v)
{
    if (s == nullptr || v == nullptr)
        return 0;
    SheetOf(s)->GetShininess(v);
    return 1;
}

short __cdecl _SetMatMode_(HMODELSHEET s, short mode)
{
    if (s == nullptr)
        return 0;
    SheetOf(s)->SetMatMode(mode);
    return 1;
}

short __cdecl _GetMatMode_(HMODELSHEET s, short* mode)
{
    if (s == nullptr || mode == nullptr)
        return 0;
    SheetOf(s)->GetMatMode(mode);
    return 1;
}

// The density travels as its 32 bits, read from and written to memory.
short __cdecl _SetFogDensity_(HMODELSHEET s, float density)
{
    if (s == nullptr)
        return 0;
    uint32_t bits;
    memcpy(&bits, &density, sizeof(bits));
    SheetOf(s)->SetFogDensityBits(bits);
    return 1;
}

short __cdecl _GetFogDensity_(HMODELSHEET s, float* density)
{
    if (s == nullptr || density == nullptr)
        return 0;
    const uint32_t bits = SheetOf(s)->GetFogDensityBits();
    memcpy(density, &bits, sizeof(bits));
    return 1;
}

}  // extern "C"
