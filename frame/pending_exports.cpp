// Exports whose dialogs are not built yet: each answers "not done" and touches
// none of its arguments. A block goes away when its subsystem provides the export.
#include <windows.h>

#include "include/oroscape.h"

extern "C" {

// --- elevation colour layering
int __cdecl _SetHeightColorDlg(const float*, HeightColorInfo*) { return -1; }

// --- model parameter sheet
short __cdecl _CreateModelDialog(OROSCAPE_HOSTWND*, HMODELSHEET* ppSheet)
{
    if (ppSheet != nullptr)
        *ppSheet = nullptr;
    return 0;
}
short __cdecl _DeleteModelDialog(HMODELSHEET* ppSheet)
{
    if (ppSheet != nullptr)
        *ppSheet = nullptr;
    return 1;
}
short __cdecl _ShowModelDialog(HMODELSHEET) { return 1; }
#define OROSCAPE_PENDING_COLOR_ACCESSOR(name, type) short __cdecl name(HMODELSHEET, type) { return 1; }
OROSCAPE_PENDING_COLOR_ACCESSOR(_SetMaterial_Ambient_, const MODELCOLOR*)
OROSCAPE_PENDING_COLOR_ACCESSOR(_GetMaterial_Ambient_, MODELCOLOR*)
OROSCAPE_PENDING_COLOR_ACCESSOR(_SetMaterial_Diffuse_, const MODELCOLOR*)
OROSCAPE_PENDING_COLOR_ACCESSOR(_GetMaterial_Diffuse_, MODELCOLOR*)
OROSCAPE_PENDING_COLOR_ACCESSOR(_SetMaterial_Specular_, const MODELCOLOR*)
OROSCAPE_PENDING_COLOR_ACCESSOR(_GetMaterial_Specular_, MODELCOLOR*)
OROSCAPE_PENDING_COLOR_ACCESSOR(_SetMaterial_Emission_, const MODELCOLOR*)
OROSCAPE_PENDING_COLOR_ACCESSOR(_GetMaterial_Emission_, MODELCOLOR*)
OROSCAPE_PENDING_COLOR_ACCESSOR(_SetMaterial_Shininess_, short)
OROSCAPE_PENDING_COLOR_ACCESSOR(_GetMaterial_Shininess_, short*)
OROSCAPE_PENDING_COLOR_ACCESSOR(_SetMatMode_, short)
OROSCAPE_PENDING_COLOR_ACCESSOR(_GetMatMode_, short*)
OROSCAPE_PENDING_COLOR_ACCESSOR(_SetLight_Ambient_, const MODELCOLOR*)
OROSCAPE_PENDING_COLOR_ACCESSOR(_GetLight_Ambient_, MODELCOLOR*)
OROSCAPE_PENDING_COLOR_ACCESSOR(_SetLight_Diffuse_, const MODELCOLOR*)
OROSCAPE_PENDING_COLOR_ACCESSOR(_GetLight_Diffuse_, MODELCOLOR*)
OROSCAPE_PENDING_COLOR_ACCESSOR(_SetLight_Specular_, const MODELCOLOR*)
OROSCAPE_PENDING_COLOR_ACCESSOR(_GetLight_Specular_, MODELCOLOR*)
OROSCAPE_PENDING_COLOR_ACCESSOR(_SetLineColor_, const MODELCOLOR*)
OROSCAPE_PENDING_COLOR_ACCESSOR(_GetLineColor_, MODELCOLOR*)
OROSCAPE_PENDING_COLOR_ACCESSOR(_SetBackColor_, const MODELCOLOR*)
OROSCAPE_PENDING_COLOR_ACCESSOR(_GetBackColor_, MODELCOLOR*)
OROSCAPE_PENDING_COLOR_ACCESSOR(_SetFogColor_, const MODELCOLOR*)
OROSCAPE_PENDING_COLOR_ACCESSOR(_GetFogColor_, MODELCOLOR*)
OROSCAPE_PENDING_COLOR_ACCESSOR(_SetFogDensity_, float)
OROSCAPE_PENDING_COLOR_ACCESSOR(_GetFogDensity_, float*)

}  // extern "C"
