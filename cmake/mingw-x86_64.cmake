# 64-bit Windows: the same program for 64-bit Windows, and the tree that can be tested on
# machines that execute no 32-bit code.
set(TVX_MINGW_ARCH x86_64)
set(TVX_WINE_LOADER /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
