/* captions.h: the captions of the library's windows, written once for the resource script and the
 * programs that find the windows by caption (the demo's tour, the tests).
 *   OROSCAPE_CAPTION_* (narrow UTF-8 literals for the .rc), kCaption* (wide, for C++).
 * The .rc compiles under #pragma code_page(65001), so the UTF-8 text becomes the right UTF-16
 * resource; in C++ L"" OROSCAPE_CAPTION_X is the same text as a wide literal. */
#pragma once

#define OROSCAPE_CAPTION_HEIGHT_COLOR  "高程分层设色设置"
#define OROSCAPE_CAPTION_SAVE_TABLE    "保存自定义色表"
#define OROSCAPE_CAPTION_THRESHOLD     "编辑阈值"
#define OROSCAPE_CAPTION_LIGHT_PAGE    "光源"
#define OROSCAPE_CAPTION_MATERIAL_PAGE "材质"
#define OROSCAPE_CAPTION_FOG_PAGE      "雾"
#define OROSCAPE_CAPTION_MODEL_SHEET   "模型参数设置"
#define OROSCAPE_CAPTION_TEX_PARAM     "纹理参数设置"
#define OROSCAPE_CAPTION_TEXTURE_FILE  "请选择纹理数据(大小不超过256*256)"
#define OROSCAPE_CAPTION_PLAYER        "三维场景播放窗口"
#define OROSCAPE_CAPTION_WARNING       "系统信息提示"

#if defined(__cplusplus) && !defined(RC_INVOKED)
inline constexpr wchar_t kCaptionHeightColor[] = L"" OROSCAPE_CAPTION_HEIGHT_COLOR;
inline constexpr wchar_t kCaptionSaveTable[] = L"" OROSCAPE_CAPTION_SAVE_TABLE;
inline constexpr wchar_t kCaptionThreshold[] = L"" OROSCAPE_CAPTION_THRESHOLD;
inline constexpr wchar_t kCaptionLightPage[] = L"" OROSCAPE_CAPTION_LIGHT_PAGE;
inline constexpr wchar_t kCaptionMaterialPage[] = L"" OROSCAPE_CAPTION_MATERIAL_PAGE;
inline constexpr wchar_t kCaptionFogPage[] = L"" OROSCAPE_CAPTION_FOG_PAGE;
inline constexpr wchar_t kCaptionModelSheet[] = L"" OROSCAPE_CAPTION_MODEL_SHEET;
inline constexpr wchar_t kCaptionTexParam[] = L"" OROSCAPE_CAPTION_TEX_PARAM;
inline constexpr wchar_t kCaptionTextureFile[] = L"" OROSCAPE_CAPTION_TEXTURE_FILE;
inline constexpr wchar_t kCaptionPlayer[] = L"" OROSCAPE_CAPTION_PLAYER;
inline constexpr wchar_t kCaptionWarning[] = L"" OROSCAPE_CAPTION_WARNING;
#endif
