/* A host of the release archive: built by consumer/CMakeLists.txt (find_package) and by
   release_test.sh with the flags pkg-config gives. */
#include "oroscape.h"

#if !defined(OROSCAPE_VERSION_MAJOR) || OROSCAPE_VERSION_MAJOR != 1
#error "the header states no release 1.x"
#endif

#ifdef _MSC_VER
int mainCRTStartup(void)  /* linked without a C runtime (see consumer/CMakeLists.txt) */
#else
int main(void)
#endif
{
    LayerColor colors[OROSCAPE_MAX_LAYERS];
    short count = 0;
    return _ReadColorTable("terrain", colors, &count) ? 0 : 1;
}
