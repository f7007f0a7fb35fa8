/*
 * oroscape.h - public interface of Oroscape.dll for host programs.
 *
 * Every export of the library with its ordinal and C prototype, the records
 * the host passes in, the private messages the library sends and the bits
 * they carry. Usable from C (C89 and later) and C++ hosts. All exports use
 * the C calling convention (the caller removes the arguments). Strings at the
 * exports are ANSI, in the system code page.
 */
#ifndef OROSCAPE_H
#define OROSCAPE_H

#include <stddef.h>
#include <windows.h>

/* The release of the library this header belongs to. A host tests for it at compile time
   (#if OROSCAPE_VERSION_MAJOR > 1 || ...); the build, lutconv --version and the release
   archives take the version from these three lines. */
#define OROSCAPE_VERSION_MAJOR 1
#define OROSCAPE_VERSION_MINOR 0
#define OROSCAPE_VERSION_PATCH 0
#define OROSCAPE_VERSION_TEXT_(n) #n
#define OROSCAPE_VERSION_TEXT(n) OROSCAPE_VERSION_TEXT_(n)
/* "1.0.0" */
#define OROSCAPE_VERSION_STRING OROSCAPE_VERSION_TEXT(OROSCAPE_VERSION_MAJOR) "." \
    OROSCAPE_VERSION_TEXT(OROSCAPE_VERSION_MINOR) "." OROSCAPE_VERSION_TEXT(OROSCAPE_VERSION_PATCH)

#ifdef __cplusplus
extern "C" {
#endif

#ifdef OROSCAPE_BUILDING_DLL
#define OROSCAPE_API __declspec(dllexport)
#else
#define OROSCAPE_API __declspec(dllimport)
#endif

/* One layer colour: 8-bit intensities stored in the high byte (value * 256). */
typedef struct LayerColor {
    unsigned short r, g, b;
} LayerColor;

#define OROSCAPE_MAX_LAYERS 256

/* The host's elevation layering record, edited in place by _SetHeightColorDlg. */
typedef struct HeightColorInfo {
    char       szName[128];                 /* table name, "" for custom layers */
    float      fLimit[OROSCAPE_MAX_LAYERS][2]; /* [0] lower, [1] upper limit   */
    LayerColor wColor[OROSCAPE_MAX_LAYERS];
    short      nLayers;                     /* 1 to 256                        */
} HeightColorInfo;

/* A colour of the model sheet: components 0 to 255, low byte used on screen. */
typedef struct MODELCOLOR {
    short r, g, b;
} MODELCOLOR;

/* The host window object given to _CreateModelDialog: a window object of the
   host's framework, laid out as MFC lays out a CWnd. A host on MFC passes its
   CWnd* (cast to this type) as it is; a plain C host fills one itself: zero
   it and set hWnd. The sheet reads only hWnd, at each Apply and when it is
   shown, and treats a value that is no window of the calling process (zero,
   destroyed, another process's) as no host at all.
   32-bit: MFC 4.2 - the vtable pointer, then CCmdTarget's m_dwRef,
           m_pOuterUnknown, m_xInnerUnknown, m_xDispatch, m_bResultExpected and
           m_xConnPtContainer (six 32-bit fields), then m_hWnd at byte 0x1C.
   64-bit: the current 64-bit MFC build, m_hWnd at byte 0x40.
   No other framework version's layout is probed. */
#if defined(_WIN64)
#define OROSCAPE_HOSTWND_HANDLE_OFFSET 0x40
#else
#define OROSCAPE_HOSTWND_HANDLE_OFFSET 0x1C
#endif
typedef struct OROSCAPE_HOSTWND {
    void*         pVtable;      /* the framework's; never called */
    unsigned char reserved[OROSCAPE_HOSTWND_HANDLE_OFFSET - sizeof(void*)]; /* CCmdTarget's members */
    HWND          hWnd;         /* CWnd::m_hWnd */
} OROSCAPE_HOSTWND;

/* Opaque handle of the model sheet. */
typedef struct CModelSheet_ CModelSheetHandle;
typedef CModelSheetHandle* HMODELSHEET;

/* Sent to the layering dialog by its layer list: wParam row, lParam column. */
#define WM_EDIT_LAYER_CELL   (WM_USER + 0x500)   /* 0x0900 */
/* Sent synchronously to the host window on Apply: wParam the change mask. */
#define WM_MODEL_APPLY       (WM_USER + 0x301)   /* 0x0701 */

/* Change mask bits carried by WM_MODEL_APPLY. */
#define MCF_LIGHT_AMBIENT    0x0001
#define MCF_LIGHT_DIFFUSE    0x0002
#define MCF_LIGHT_SPECULAR   0x0004
#define MCF_LINE_COLOR       0x0008
#define MCF_BACK_COLOR       0x0010
#define MCF_MAT_AMBIENT      0x0020
#define MCF_MAT_DIFFUSE      0x0040
#define MCF_MAT_SPECULAR     0x0080
#define MCF_MAT_EMISSION     0x0100
#define MCF_MAT_SHININESS    0x0200   /* also the colour-material mode */
#define MCF_FOG_COLOR        0x0400
#define MCF_FOG_DENSITY      0x0800

/* Texture format codes returned by _SetTexParamDlg. */
#define TEXFMT_NONE            0
#define TEXFMT_RGB8            1
#define TEXFMT_R5G6B5          2
#define TEXFMT_A1_RGB5         3
#define TEXFMT_RGB5_A1         4
#define TEXFMT_RGBA8           5
#define TEXFMT_BGRA8           6
#define TEXFMT_RGB_ARB         7
#define TEXFMT_RGBA_ARB        8
#define TEXFMT_RGB_S3TC_DXT1   9
#define TEXFMT_RGBA_S3TC_DXT1  10
#define TEXFMT_RGBA_S3TC_DXT3  11
#define TEXFMT_RGBA_S3TC_DXT5  12

/* Colour-material modes (_SetMatMode_ / _GetMatMode_). */
#define MATMODE_NONE                (-1)
#define MATMODE_AMBIENT             0
#define MATMODE_DIFFUSE             1
#define MATMODE_SPECULAR            2
#define MATMODE_EMISSION            3
#define MATMODE_AMBIENT_AND_DIFFUSE 4

/* Exports, by ordinal. */
/* @1  */ OROSCAPE_API short __cdecl _ReadColorTable(const char* name, LayerColor* colors, short* count);
/* @2  */ OROSCAPE_API int   __cdecl _SetHeightColorDlg(const float* heightRange, HeightColorInfo* info);
/* @3  */ OROSCAPE_API int   __cdecl _PlayAVIWnd(const char* fileName);
/* @4  */ OROSCAPE_API short __cdecl _SelectTextureFile(char* path /* 260 bytes */);
/* @5  */ OROSCAPE_API short __cdecl _CreateModelDialog(OROSCAPE_HOSTWND* pHostWnd, HMODELSHEET* ppSheet);
/* @6  */ OROSCAPE_API short __cdecl _DeleteModelDialog(HMODELSHEET* ppSheet);
/* @7  */ OROSCAPE_API short __cdecl _SetMaterial_Ambient_(HMODELSHEET s, const MODELCOLOR* c);
/* @8  */ OROSCAPE_API short __cdecl _GetMaterial_Ambient_(HMODELSHEET s, MODELCOLOR* c);
/* @9  */ OROSCAPE_API short __cdecl _SetMaterial_Diffuse_(HMODELSHEET s, const MODELCOLOR* c);
/* @10 */ OROSCAPE_API short __cdecl _GetMaterial_Diffuse_(HMODELSHEET s, MODELCOLOR* c);
/* @11 */ OROSCAPE_API short __cdecl _SetMaterial_Specular_(HMODELSHEET s, const MODELCOLOR* c);
/* @12 */ OROSCAPE_API short __cdecl _GetMaterial_Specular_(HMODELSHEET s, MODELCOLOR* c);
/* @13 */ OROSCAPE_API short __cdecl _SetMaterial_Emission_(HMODELSHEET s, const MODELCOLOR* c);
/* @14 */ OROSCAPE_API short __cdecl _GetMaterial_Emission_(HMODELSHEET s, MODELCOLOR* c);
/* @15 */ OROSCAPE_API short __cdecl _SetMaterial_Shininess_(HMODELSHEET s, short v);
/* @16 */ OROSCAPE_API short __cdecl _GetMaterial_Shininess_(HMODELSHEET s, short* v);
/* @17 */ OROSCAPE_API short __cdecl _SetMatMode_(HMODELSHEET s, short mode);
/* @18 */ OROSCAPE_API short __cdecl _GetMatMode_(HMODELSHEET s, short* mode);
/* @19 */ OROSCAPE_API short __cdecl _SetLight_Ambient_(HMODELSHEET s, const MODELCOLOR* c);
/* @20 */ OROSCAPE_API short __cdecl _GetLight_Ambient_(HMODELSHEET s, MODELCOLOR* c);
/* @21 */ OROSCAPE_API short __cdecl _SetLight_Diffuse_(HMODELSHEET s, const MODELCOLOR* c);
/* @22 */ OROSCAPE_API short __cdecl _GetLight_Diffuse_(HMODELSHEET s, MODELCOLOR* c);
/* @23 */ OROSCAPE_API short __cdecl _SetLight_Specular_(HMODELSHEET s, const MODELCOLOR* c);
/* @24 */ OROSCAPE_API short __cdecl _GetLight_Specular_(HMODELSHEET s, MODELCOLOR* c);
/* @25 */ OROSCAPE_API short __cdecl _SetLineColor_(HMODELSHEET s, const MODELCOLOR* c);
/* @26 */ OROSCAPE_API short __cdecl _GetLineColor_(HMODELSHEET s, MODELCOLOR* c);
/* @27 */ OROSCAPE_API short __cdecl _SetBackColor_(HMODELSHEET s, const MODELCOLOR* c);
/* @28 */ OROSCAPE_API short __cdecl _GetBackColor_(HMODELSHEET s, MODELCOLOR* c);
/* @29 */ OROSCAPE_API short __cdecl _SetFogColor_(HMODELSHEET s, const MODELCOLOR* c);
/* @30 */ OROSCAPE_API short __cdecl _GetFogColor_(HMODELSHEET s, MODELCOLOR* c);
/* @31 */ OROSCAPE_API short __cdecl _SetFogDensity_(HMODELSHEET s, float density);
/* @32 */ OROSCAPE_API short __cdecl _GetFogDensity_(HMODELSHEET s, float* density);
/* @33 */ OROSCAPE_API short __cdecl _ShowModelDialog(HMODELSHEET s);
/* @34 */ OROSCAPE_API short __cdecl _SetTexParamDlg(const char* imageFile, char* format,
                                                     int* redBand, int* greenBand, int* blueBand);

#ifdef __cplusplus
} /* extern "C" */
#endif

/* Layout checks: these records cross the library boundary byte for byte. */
#if defined(__cplusplus) && __cplusplus >= 201103L
#define OROSCAPE_STATIC_ASSERT(c, m) static_assert(c, #m)
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define OROSCAPE_STATIC_ASSERT(c, m) _Static_assert(c, #m)
#else
#define OROSCAPE_STATIC_ASSERT(c, m) typedef char oroscape_assert_##m[(c) ? 1 : -1]
#endif
OROSCAPE_STATIC_ASSERT(sizeof(LayerColor) == 6, layer_color_size);
OROSCAPE_STATIC_ASSERT(sizeof(MODELCOLOR) == 6, model_color_size);
OROSCAPE_STATIC_ASSERT(offsetof(HeightColorInfo, fLimit) == 128, hci_limits_offset);
OROSCAPE_STATIC_ASSERT(offsetof(HeightColorInfo, wColor) == 128 + 2048, hci_colors_offset);
OROSCAPE_STATIC_ASSERT(offsetof(HeightColorInfo, nLayers) == 128 + 2048 + 1536, hci_count_offset);
/* natural alignment: two bytes of tail padding after nLayers */
OROSCAPE_STATIC_ASSERT(sizeof(HeightColorInfo) == 3716, hci_size);
#if defined(_WIN64)
OROSCAPE_STATIC_ASSERT(offsetof(OROSCAPE_HOSTWND, hWnd) == 0x40, hostwnd_handle_offset);
#else
OROSCAPE_STATIC_ASSERT(offsetof(OROSCAPE_HOSTWND, hWnd) == 0x1C, hostwnd_handle_offset);
#endif

#endif /* OROSCAPE_H */
