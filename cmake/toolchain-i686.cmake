# Cross build for i686 Windows with MinGW-w64 (see toolchain-mingw.cmake).
set(OROSCAPE_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
