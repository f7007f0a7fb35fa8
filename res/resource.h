/*
 * resource.h - identifiers of Oroscape.dll's resources and dialog controls.
 *
 * Included by the resource script (windres) and by the C/C++ sources, so it
 * holds plain #defines only. Every number here is fixed: hosts and tests look
 * resources and controls up by these values.
 */
#ifndef OROSCAPE_RESOURCE_H
#define OROSCAPE_RESOURCE_H

/* Dialog templates. */
#define IDD_LIGHT_PAGE                  1000    /* model sheet, light tab      */
#define IDD_MATERIAL_PAGE               2000    /* model sheet, material tab   */
#define IDD_FOG_PAGE                    3000    /* model sheet, fog tab        */
#define IDD_SAVE_COLORTABLE             4014    /* name of a new colour table  */
#define IDD_HEIGHT_COLOR                4015    /* elevation colour layering   */
#define IDD_THRESHOLD                   4016    /* new value of a layer limit  */
#define IDD_AVI_PLAY                    4017    /* scene playback window       */
#define IDD_PREVIEW_TEX                 4018    /* child of the texture chooser */
#define IDD_TEX_PARAM                   14010   /* texture bands and format    */

/* Bitmap and icon. */
#define IDB_LAYER_IMAGES                4003    /* 14 x 16, 16 colours, mask 0xC0C0C0 */
#define IDI_HEIGHT_COLOR                4019    /* 32 x 32 and 48 x 48, 256 colours   */

/* String table: 4020 to 4036 (4019 and 4037 absent); blocks of their own below from 5000 (ramps)
   and 5100 (screen readers). */
#define IDS_NEED_COLORS                 4020
#define IDS_FILE_EXISTS                 4021
#define IDS_SAVE_FAILED                 4022
#define IDS_WARNING_CAPTION             4023
#define IDS_MODEL_SHEET_CAPTION         4024
#define IDS_TEXTURE_TITLE               4025
#define IDS_PREVIEW_LABEL               4026
#define IDS_BAND_FORMAT                 4027
#define IDS_FMT_RGB8                    4028    /* RGB8                            */
#define IDS_FMT_R5G6B5                  4029    /* R5G6B5 and A1_RGB5              */
#define IDS_FMT_RGB5_A1                 4030    /* RGB5_A1                         */
#define IDS_FMT_RGBA8                   4031    /* RGBA8                           */
#define IDS_FMT_BGRA8                   4032    /* BGRA8                           */
#define IDS_FMT_ARB_RGB                 4033    /* RGB_ARB                         */
#define IDS_FMT_ARB_RGBA                4034    /* RGBA_ARB                        */
#define IDS_FMT_S3TC_RGB                4035    /* RGB_S3TC_DXT1                   */
#define IDS_FMT_S3TC_RGBA               4036    /* RGBA_S3TC_DXT1, _DXT3, _DXT5    */

/* Ramps pasted, dropped or copied in the layering dialog: a block of its own from 5000 (5000 to
   5099). The fault texts 5010 to 5021 follow the ramp reader's fault kinds. */
#define IDS_RAMP_NO_TEXT                5000    /* clipboard without text          */
#define IDS_RAMP_UNREADABLE             5001    /* %ls format, %ls fault           */
#define IDS_RAMP_UNREADABLE_LINE        5002    /* %ls format, %d line, %ls fault  */
#define IDS_RAMP_FILE_UNREADABLE        5003    /* %ls file name                   */
#define IDS_RAMP_NOT_HELD               5004    /* %d layers; notes follow         */
#define IDS_RAMP_COPY_FAILED            5005
#define IDS_RAMP_LUT_UNREADABLE         5006    /* %ls file name                   */
#define IDS_RAMP_FAULT_TEXT             5010
#define IDS_RAMP_FAULT_TOO_LARGE        5011    /* %d megabytes                    */
#define IDS_RAMP_FAULT_LUT              5012
#define IDS_RAMP_FAULT_VALUE            5013
#define IDS_RAMP_FAULT_COLOUR           5014
#define IDS_RAMP_FAULT_SHAPE            5015
#define IDS_RAMP_FAULT_HEADER           5016
#define IDS_RAMP_FAULT_EMPTY            5017
#define IDS_RAMP_FAULT_MIXED            5018
#define IDS_RAMP_FAULT_FORMAT           5019
#define IDS_RAMP_FAULT_NO_RANGE         5020
#define IDS_RAMP_FAULT_OUTSIDE          5021    /* range %ls to %ls                */
#define IDS_RAMP_NOTE_TRANSPARENCY      5030
#define IDS_RAMP_NOTE_NODATA            5031
#define IDS_RAMP_NOTE_RESAMPLED         5032

#define IDS_FIRST                       IDS_NEED_COLORS
#define IDS_LAST                        IDS_FMT_S3TC_RGBA

/* Controls without an identifier of their own. */
#ifndef IDC_STATIC
#define IDC_STATIC                      (-1)
#endif

/* Light page (1000): edits R, G, B per row, their spins, the row swatches. */
#define IDC_LIGHT_AMBIENT_R             1001
#define IDC_LIGHT_AMBIENT_G             1002
#define IDC_LIGHT_AMBIENT_B             1003
#define IDC_LIGHT_DIFFUSE_R             1004
#define IDC_LIGHT_DIFFUSE_G             1005
#define IDC_LIGHT_DIFFUSE_B             1006
#define IDC_LIGHT_SPECULAR_R            1007
#define IDC_LIGHT_SPECULAR_G            1008
#define IDC_LIGHT_SPECULAR_B            1009
#define IDC_LINE_COLOR_R                1010
#define IDC_LINE_COLOR_G                1011
#define IDC_LINE_COLOR_B                1012
#define IDC_BACK_COLOR_R                1013
#define IDC_BACK_COLOR_G                1014
#define IDC_BACK_COLOR_B                1015
#define IDC_LIGHT_AMBIENT_R_SPIN        1016
#define IDC_LIGHT_AMBIENT_G_SPIN        1017
#define IDC_LIGHT_AMBIENT_B_SPIN        1018
#define IDC_LIGHT_DIFFUSE_R_SPIN        1019
#define IDC_LIGHT_DIFFUSE_G_SPIN        1020
#define IDC_LIGHT_DIFFUSE_B_SPIN        1021
#define IDC_LIGHT_SPECULAR_R_SPIN       1022
#define IDC_LIGHT_SPECULAR_G_SPIN       1023
#define IDC_LIGHT_SPECULAR_B_SPIN       1024
#define IDC_LINE_COLOR_R_SPIN           1025
#define IDC_LINE_COLOR_G_SPIN           1026
#define IDC_LINE_COLOR_B_SPIN           1027
#define IDC_BACK_COLOR_R_SPIN           1028
#define IDC_BACK_COLOR_G_SPIN           1029
#define IDC_BACK_COLOR_B_SPIN           1030
#define IDC_LIGHT_AMBIENT_SAMPLE        1031
#define IDC_LIGHT_DIFFUSE_SAMPLE        1032
#define IDC_LIGHT_SPECULAR_SAMPLE       1033
#define IDC_LINE_COLOR_SAMPLE           4004
#define IDC_BACK_COLOR_SAMPLE           4005
#define IDC_LIGHT_FIRST_EDIT            IDC_LIGHT_AMBIENT_R
#define IDC_LIGHT_LAST_EDIT             IDC_BACK_COLOR_B

/* Material page (2000). The first row's spins are not in id order:
 * red 2014, green 2016, blue 2015. */
#define IDC_MAT_AMBIENT_R               2001
#define IDC_MAT_AMBIENT_G               2002
#define IDC_MAT_AMBIENT_B               2003
#define IDC_MAT_DIFFUSE_R               2004
#define IDC_MAT_DIFFUSE_G               2005
#define IDC_MAT_DIFFUSE_B               2006
#define IDC_MAT_SPECULAR_R              2007
#define IDC_MAT_SPECULAR_G              2008
#define IDC_MAT_SPECULAR_B              2009
#define IDC_MAT_EMISSION_R              2010
#define IDC_MAT_EMISSION_G              2011
#define IDC_MAT_EMISSION_B              2012
#define IDC_MAT_SHININESS               2013
#define IDC_MAT_AMBIENT_R_SPIN          2014
#define IDC_MAT_AMBIENT_B_SPIN          2015
#define IDC_MAT_AMBIENT_G_SPIN          2016
#define IDC_MAT_DIFFUSE_R_SPIN          2017
#define IDC_MAT_DIFFUSE_G_SPIN          2018
#define IDC_MAT_DIFFUSE_B_SPIN          2019
#define IDC_MAT_SPECULAR_R_SPIN         2020
#define IDC_MAT_SPECULAR_G_SPIN         2021
#define IDC_MAT_SPECULAR_B_SPIN         2022
#define IDC_MAT_EMISSION_R_SPIN         2023
#define IDC_MAT_EMISSION_G_SPIN         2024
#define IDC_MAT_EMISSION_B_SPIN         2025
#define IDC_MAT_SHININESS_SPIN          2026
#define IDC_MAT_AMBIENT_SAMPLE          2027
#define IDC_MAT_DIFFUSE_SAMPLE          2028
#define IDC_MAT_SPECULAR_SAMPLE         2029
#define IDC_MAT_EMISSION_SAMPLE         2030
#define IDC_MAT_FIRST_EDIT              IDC_MAT_AMBIENT_R
#define IDC_MAT_LAST_EDIT               IDC_MAT_EMISSION_B

/* Colour-material mode radio group on the fog page, in value order 0 to 4. */
#define IDC_MATMODE_AMBIENT             2031
#define IDC_MATMODE_DIFFUSE             2032
#define IDC_MATMODE_SPECULAR            2033
#define IDC_MATMODE_EMISSION            2034
#define IDC_MATMODE_AMBIENT_DIFFUSE     2035
#define IDC_MATMODE_FIRST               IDC_MATMODE_AMBIENT
#define IDC_MATMODE_LAST                IDC_MATMODE_AMBIENT_DIFFUSE

/* Fog page (3000). */
#define IDC_FOG_COLOR_R                 3001
#define IDC_FOG_COLOR_G                 3002
#define IDC_FOG_COLOR_B                 3003
#define IDC_FOG_DENSITY                 3004
#define IDC_FOG_COLOR_R_SPIN            3005
#define IDC_FOG_COLOR_G_SPIN            3006
#define IDC_FOG_COLOR_B_SPIN            3007
#define IDC_FOG_COLOR_SAMPLE            3009

/* Height colour layering dialog (4015). */
#define IDC_SAVE                        4001    /* "保存" */
#define IDC_APPLY                       4002    /* "应用" */
#define IDC_LAYER_LIST                  4006
#define IDC_TABLES                      4007
#define IDC_ALLOW_LIMIT_EDIT            4008
#define IDC_CONTINUOUS                  4009
#define IDC_CUSTOM_LAYERS               4010
#define IDC_LAYER_COUNT                 4011
#define IDC_LAYER_SPIN                  4012

/* The single edit of the name (4014) and threshold (4016) dialogs: the same
 * number as the layer count edit of 4015. */
#define IDC_TABLE_NAME                  4011
#define IDC_THRESHOLD_VALUE             4011

/* Texture parameter dialog (14010). */
#define IDC_RED_BAND                    14046
#define IDC_GREEN_BAND                  14047
#define IDC_BLUE_BAND                   14048
#define IDC_FORMAT_INFO                 14060
#define IDC_FORMAT                      14061

/* Strings 5100 to 5199: what the library tells screen readers about the parts it draws
 * itself (the layer list, the model pages' swatches, the texture preview pane). */
#define IDS_ACC_LAYER_LIST              5100    /* the layer list's own name          */
#define IDS_ACC_COLUMN_FIRST            5101    /* 5101 to 5104: the four column names */
#define IDS_ACC_ROW_FORMAT              5105    /* layer number, limits, colour name  */
#define IDS_ACC_CELL_FORMAT             5106    /* layer number, column name, text    */
#define IDS_ACC_RGB_FORMAT              5107    /* red, green, blue                   */
#define IDS_ACC_SWATCH_FORMAT           5108    /* row label, colour name             */
#define IDS_ACC_PREVIEW_PICTURE         5109    /* file name, width, height           */
#define IDS_ACC_PREVIEW_NONE            5110
#define IDS_COLOR_NAME_FIRST            5120    /* 5120 to 5142: heightcolor/colornames.h */
#define IDS_COLOR_NAME_LAST             5142

#endif /* OROSCAPE_RESOURCE_H */
