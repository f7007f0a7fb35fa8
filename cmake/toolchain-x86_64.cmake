# Cross build for x86_64 Windows with MinGW-w64 (see toolchain-mingw.cmake).
set(OROSCAPE_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
