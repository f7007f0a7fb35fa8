# Shared part of the cross toolchains: GCC for MinGW-w64 (its -posix driver), linked by GNU ld.
# Every Windows program of the build (the library, the host stand-ins, the demo host, the tests
# and GoogleTest) is built by this one compiler with the same flags. Shipped modules also get a
# PDB from the linker (ld --pdb): its public symbols, matched to the module by the module's
# CodeView record, for Windows debuggers.
#
# GCC's libstdc++ comes in two threading variants, and the build uses both:
#  - win32 (the default here): the library and the host stand-ins. Its locks are made when they
#    are constructed; the posix variant's locks (winpthreads) are made with malloc at their
#    first use, and the first use of the exception runtime's emergency lock comes exactly when
#    malloc fails - which then recursed until the stack overflowed instead of reporting
#    std::bad_alloc.
#  - posix: the programs that need std::thread and std::mutex (GoogleTest and the tests, the
#    demo host with its tour, the capture library they share). Their folders switch to it with
#    oroscape_posix_runtime() (top-level CMakeLists.txt).
# The C++ standard library's types are laid out alike in both, so a white-box test program links
# the library's own objects as the library does.
# Expects OROSCAPE_ARCH (i686 or x86_64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${OROSCAPE_ARCH})
set(OROSCAPE_TRIPLE ${OROSCAPE_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER   ${OROSCAPE_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${OROSCAPE_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${OROSCAPE_TRIPLE}-windres)
set(CMAKE_DLLTOOL      ${OROSCAPE_TRIPLE}-dlltool)
set(CMAKE_FIND_ROOT_PATH /usr/${OROSCAPE_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Tests run under Wine in the project's prefix, inside the Xvfb display of the test run.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/wine/run-wine.sh)

# The win32 variant's headers and libraries, taken before the driver's own (posix) ones: -L
# folders are searched before the standard ones, so libstdc++, libgcc and libgcc_eh come from it.
file(GLOB _dir LIST_DIRECTORIES true /usr/lib/gcc/${OROSCAPE_TRIPLE}/*-win32)
list(GET _dir -1 _dir)
if(NOT IS_DIRECTORY "${_dir}/include/c++")
  message(FATAL_ERROR "No -win32 variant of ${OROSCAPE_TRIPLE} GCC's libstdc++ found (g++-mingw-w64-*)")
endif()
set(OROSCAPE_RUNTIME_WIN32_CXX
    "-nostdinc++ -isystem ${_dir}/include/c++ -isystem ${_dir}/include/c++/${OROSCAPE_TRIPLE} -isystem ${_dir}/include/c++/backward")
set(OROSCAPE_RUNTIME_WIN32_LINK "-L${_dir}")
unset(_dir)

set(_flags "")
if(OROSCAPE_ARCH STREQUAL "i686")
  # Floating point in SSE registers: float values (the fog density, single-precision
  # layer arithmetic) keep exactly their 32 bits, with no x87 excess precision and no
  # quieting of signalling NaNs on the way through.
  set(_flags "-msse2 -mfpmath=sse")
endif()
set(CMAKE_C_FLAGS_INIT "${_flags}")
set(CMAKE_CXX_FLAGS_INIT "${_flags} ${OROSCAPE_RUNTIME_WIN32_CXX}")
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "${OROSCAPE_RUNTIME_WIN32_LINK}")
endforeach()
unset(_flags)
