# What the MinGW-w64 toolchains share; the toolchain file of each target sets
# CMAKE_SYSTEM_PROCESSOR, KOVALIN_MINGW_TRIPLE and KOVALIN_WINE_COMMAND first.
# The -posix compilers are the ones whose C++ runtime has std::thread and
# std::mutex; everything is linked statically, so each .exe runs alone on a
# stock Windows. Programs built here run under Wine.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${KOVALIN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KOVALIN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KOVALIN_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KOVALIN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Sources are UTF-8; the program's strings are in the ANSI code page of a
# Japanese Windows, code page 932.
# GCC 12 warns falsely about overlapping copies when it inlines string
# concatenation for this target (GCC bug 105329).
set(CMAKE_CXX_FLAGS_INIT "-finput-charset=UTF-8 -fexec-charset=CP932 -Wno-restrict")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Wine runs the test programs. It reads the ANSI code page from the locale, so
# the locale is set for the wine command alone.
set(CMAKE_CROSSCOMPILING_EMULATOR env LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 ${KOVALIN_WINE_COMMAND})
