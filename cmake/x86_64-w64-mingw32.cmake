# The same Windows programs built for 64-bit Windows. Its tests run under
# Debian's 64-bit Wine, on machines whose kernel runs no 32-bit code. (The
# "wine" command would choose the 32-bit loader whenever it is installed.)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KOVALIN_MINGW_TRIPLE x86_64-w64-mingw32)
set(KOVALIN_WINE_COMMAND WINELOADER=/usr/lib/wine/wine64 /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
