#include "frame/accnames.h"

#include "frame/strings.h"
#include "heightcolor/colornames.h"
#include "res/resource.h"

static_assert(IDS_COLOR_NAME_LAST - IDS_COLOR_NAME_FIRST + 1 == kColourNameCount,
              "one string per colour term");

CString AccColourName(COLORREF color)
{
    CString name;
    LoadResString(IDS_COLOR_NAME_FIRST + ColourNameOf(GetRValue(color), GetGValue(color), GetBValue(color)), name);
    return name;
}

CString AccColourValue(COLORREF color)
{
    CString value;
    FormatResString(value, IDS_ACC_RGB_FORMAT, static_cast<int>(GetRValue(color)),
                    static_cast<int>(GetGValue(color)), static_cast<int>(GetBValue(color)));
    return value;
}
