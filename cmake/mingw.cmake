# Cross-compiling to Windows with Debian's MinGW-w64 (posix thread model, for std::thread).
# Included by the toolchain file of each width, which sets TVX_MINGW_ARCH (i686 or x86_64) and
# TVX_WINE_LOADER (the Wine loader that runs programs of that width).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${TVX_MINGW_ARCH})
set(CMAKE_C_COMPILER ${TVX_MINGW_ARCH}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${TVX_MINGW_ARCH}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${TVX_MINGW_ARCH}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TVX_MINGW_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# SSE2 arithmetic: the x87 unit's extra precision would round zoom fitting differently from
# plain doubles (640 x 111 / 100 would come out as zoom 110). x86-64 uses SSE2 already.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
# Line tables only: backtraces keep their functions and lines, the build of both widths' many
# statically linked programs takes less time.
set(CMAKE_C_FLAGS_RELWITHDEBINFO_INIT "-O2 -g1 -DNDEBUG")
set(CMAKE_CXX_FLAGS_RELWITHDEBINFO_INIT "-O2 -g1 -DNDEBUG")
# A full static link: the posix runtime would otherwise import libwinpthread-1.dll.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
# Tests run under the loader of this width, called directly: Debian's /usr/bin/wine picks the
# 32-bit loader whenever it is installed, even on machines that cannot execute it.
set(CMAKE_CROSSCOMPILING_EMULATOR ${TVX_WINE_LOADER})
