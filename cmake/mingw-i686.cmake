# 32-bit Windows: the program we ship for 32-bit Windows.
set(TVX_MINGW_ARCH i686)
set(TVX_WINE_LOADER /usr/lib/wine/wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
