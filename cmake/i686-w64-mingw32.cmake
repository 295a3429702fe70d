# Kovalin.exe as shipped: a 32-bit Windows program. Its tests run under
# Debian's 32-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KOVALIN_MINGW_TRIPLE i686-w64-mingw32)
set(KOVALIN_WINE_COMMAND wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
