// Resource and command ids of terrainview.exe.
#pragma once

#define IDR_MAINMENU          100
#define IDR_ACCEL             101
#define IDI_TERRAINVIEW       102

// File
#define IDM_OPEN_GRID         1001
#define IDM_OPEN_IMAGE        1002
#define IDM_EXIT              1003
// View
#define IDM_WIRE              1101
#define IDM_RESET_VIEW        1102
#define IDM_CLEAR_TEXTURE     1103
#define IDM_GEOGRAPHIC        1104
#define IDM_START_LAYERS      1105
#define IDM_EXAGGERATE_1      1111
#define IDM_EXAGGERATE_2      1112
#define IDM_EXAGGERATE_5      1113
#define IDM_EXAGGERATE_10     1114
#define IDM_EXAGGERATE_TYPED  1115
// The typed exaggeration
#define IDD_EXAGGERATION      200
#define IDC_FACTOR            201
// Settings: the library's dialogs
#define IDM_HEIGHT_COLOR      1201
#define IDM_MODEL_PARAMS      1202
#define IDM_TEXTURE_FILE      1203
#define IDM_TEXTURE_PARAMS    1204
// Settings: colour ramps of the GIS tools in and out (rampmenu.cpp)
#define IDM_IMPORT_RAMP       1205
#define IDM_EXPORT_RAMP       1206
#define IDD_TABLE_NAME        210
#define IDC_TABLE_NAME        211
#define IDC_TABLE_NOTE        212
// Scene
#define IDM_RECORD_PLAY       1301
