# Shared part of the cross toolchains: clang for the MinGW-w64 target, linked with lld against
# the MinGW-w64 runtime and GCC's libstdc++ (the -posix variant: GoogleTest needs std::mutex).
# Every Windows program of the build (the library, the host stand-ins, the demo host, the tests
# and GoogleTest) is built by this one compiler with the same flags, with CodeView debug
# information, so that the library ships with a PDB that Windows debuggers read.
# Expects OROSCAPE_ARCH (i686 or x86_64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${OROSCAPE_ARCH})
set(OROSCAPE_TRIPLE ${OROSCAPE_ARCH}-w64-mingw32)
set(OROSCAPE_MINGW_ROOT /usr/${OROSCAPE_TRIPLE})
# GCC's folder of the -posix variant: libstdc++ and its headers, libgcc, and the crtbegin.o and
# crtend.o that register the DWARF unwind tables of an i686 module with libgcc's unwinder
# (clang does not recognise the "12-posix" folder name, so it is named here).
file(GLOB OROSCAPE_GCC_DIR LIST_DIRECTORIES true /usr/lib/gcc/${OROSCAPE_TRIPLE}/*-posix)
list(GET OROSCAPE_GCC_DIR -1 OROSCAPE_GCC_DIR)
if(NOT IS_DIRECTORY "${OROSCAPE_GCC_DIR}/include/c++")
  message(FATAL_ERROR "No -posix variant of ${OROSCAPE_TRIPLE} GCC's libstdc++ found (g++-mingw-w64-*)")
endif()

set(CMAKE_C_COMPILER   clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET   ${OROSCAPE_TRIPLE})
set(CMAKE_CXX_COMPILER_TARGET ${OROSCAPE_TRIPLE})
set(CMAKE_RC_COMPILER  ${OROSCAPE_TRIPLE}-windres)
set(CMAKE_DLLTOOL      ${OROSCAPE_TRIPLE}-dlltool)
set(CMAKE_FIND_ROOT_PATH ${OROSCAPE_MINGW_ROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Tests run under Wine in the project's prefix, inside the Xvfb display of the test run.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/wine/run-wine.sh)

# -g -gcodeview: CodeView debug information, collected by lld into a PDB (--pdb).
# Thread-local variables are native (clang's default here), not GCC's emulated ones: clang 14's
# CodeView names an emulated variable by a symbol that does not exist, and the link fails.
# libstdc++'s own emulated ones (std::call_once's) stay inside it; code that used call_once from
# the headers would not link, rather than misbehave.
set(_flags "--sysroot=${OROSCAPE_MINGW_ROOT} -B${OROSCAPE_GCC_DIR} -g -gcodeview")
if(OROSCAPE_ARCH STREQUAL "i686")
  # Floating point in SSE registers: float values (the fog density, single-precision
  # layer arithmetic) keep exactly their 32 bits, with no x87 excess precision and no
  # quieting of signalling NaNs on the way through.
  string(APPEND _flags " -msse2 -mfpmath=sse")
endif()
set(CMAKE_C_FLAGS_INIT "${_flags}")
set(CMAKE_CXX_FLAGS_INIT "${_flags} -nostdinc++ -isystem ${OROSCAPE_GCC_DIR}/include/c++ -isystem ${OROSCAPE_GCC_DIR}/include/c++/${OROSCAPE_TRIPLE} -isystem ${OROSCAPE_GCC_DIR}/include/c++/backward")
# -pthread: winpthreads, which the -posix libstdc++ needs (GCC's -posix driver adds it itself);
# the compile-only flags above reach the link too, where clang would call them unused.
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT
      "-fuse-ld=lld -pthread -L${OROSCAPE_GCC_DIR} -Wno-unused-command-line-argument")
endforeach()
unset(_flags)
