# Cross-builds the 32-bit Windows programs with MinGW-w64 on Debian. The
# -posix compilers are the ones whose C++ runtime has std::thread and
# std::mutex; everything is linked statically, so each .exe runs alone on a
# stock Windows. Programs built here run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
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
set(CMAKE_CROSSCOMPILING_EMULATOR env LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 wine)
