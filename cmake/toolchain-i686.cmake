# Cross build for i686 Windows: clang and lld for the MinGW-w64 target (see toolchain-clang-mingw.cmake).
set(OROSCAPE_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-clang-mingw.cmake)
