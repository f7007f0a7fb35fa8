// _ReadColorTable: the host reads a stored colour table by name.
// Loads no resources, so it runs in whatever module context the host is in.
#include "include/oroscape.h"

#include "frame/barrier.h"
#include "heightcolor/colortable.h"
#include "heightcolor/colortable_file.h"

extern "C" short __cdecl _ReadColorTable(const char* name, LayerColor* colors, short* count)
{
    if (ExportBarrier(false, [&] { return ReadColorTableFile(name, colors, count); }))
        return 1;
    // Nothing readable: the grey ramp stands in, with 256 entries.
    if (colors != nullptr) {
        LutColor grey[kLutMaxEntries];
        FillGreyLut(grey);
        for (int i = 0; i < kLutMaxEntries; ++i) {
            colors[i].r = grey[i].r;
            colors[i].g = grey[i].g;
            colors[i].b = grey[i].b;
        }
    }
    if (count != nullptr)
        *count = static_cast<short>(kLutMaxEntries);
    return 0;
}
