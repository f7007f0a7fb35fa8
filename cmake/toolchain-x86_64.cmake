# Cross build for x86_64 Windows: clang and lld for the MinGW-w64 target (see toolchain-clang-mingw.cmake).
set(OROSCAPE_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-clang-mingw.cmake)
