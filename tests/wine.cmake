# The Windows test programs, cross-built, run under Wine.

# GoogleTest is built from the sources that libgtest-dev ships, with its own
# flags: its strings are ASCII, and the C++ library's <chrono> holds a "µ"
# that code page 932 lacks.
function(kovalin_add_googletest)
  string(REPLACE "-fexec-charset=CP932" "" CMAKE_CXX_FLAGS "${CMAKE_CXX_FLAGS}")
  set(BUILD_GMOCK OFF CACHE BOOL "No test uses gmock" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set_target_properties(gtest gtest_main PROPERTIES COMPILE_WARNING_AS_ERROR OFF)
  # Its speed does not matter; at -O3 it alone compiles for half a minute.
  target_compile_options(gtest PRIVATE -O0)
endfunction()
kovalin_add_googletest()
include(GoogleTest)

# Test sources may include <chrono>, whose C++20 part holds that "µ" too:
# here what code page 932 lacks is transliterated instead of refused.
string(REPLACE "-fexec-charset=CP932" "-fexec-charset=CP932//TRANSLIT" CMAKE_CXX_FLAGS
       "${CMAKE_CXX_FLAGS}")

# A Wine prefix of the build's own, so nothing is written to the home folder.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(KOVALIN_WINEARCH win64)
else()
  set(KOVALIN_WINEARCH win32)
endif()
set(KOVALIN_WINE_ENV
  WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix
  WINEARCH=${KOVALIN_WINEARCH}
  WINEDEBUG=-all
  # No desktop menu entries; no offer to install .NET or a browser engine.
  WINEDLLOVERRIDES=winemenubuilder.exe,mscoree,mshtml=
)
list(JOIN CMAKE_CROSSCOMPILING_EMULATOR " " KOVALIN_WINE)

# Wine's helper processes would keep CTest's output pipe open after each
# test: wine_up starts a persistent wineserver (and creates the prefix) with
# its output elsewhere, and wine_down stops it.
add_test(NAME wine_up COMMAND sh -c
  "wineserver -p </dev/null >/dev/null 2>&1; ${KOVALIN_WINE} cmd /c exit </dev/null >/dev/null 2>&1")
add_test(NAME wine_down COMMAND wineserver -k)
set_tests_properties(wine_up PROPERTIES FIXTURES_SETUP wine ENVIRONMENT "${KOVALIN_WINE_ENV}")
set_tests_properties(wine_down PROPERTIES FIXTURES_CLEANUP wine ENVIRONMENT "${KOVALIN_WINE_ENV}")

# Makes tests run inside the Wine fixture.
function(kovalin_wine_tests)
  set_property(TEST ${ARGV} APPEND PROPERTY FIXTURES_REQUIRED wine)
  set_property(TEST ${ARGV} APPEND PROPERTY ENVIRONMENT ${KOVALIN_WINE_ENV})
endfunction()

# Listing a program's tests would start Wine at build time, outside the
# fixture. Here each test program is one CTest test instead, with the same
# properties.
function(gtest_discover_tests target)
  cmake_parse_arguments(ARG "" "DISCOVERY_TIMEOUT;DISCOVERY_MODE;TEST_PREFIX;TEST_SUFFIX"
                        "PROPERTIES;EXTRA_ARGS;TEST_LIST" ${ARGN})
  add_test(NAME ${target} COMMAND ${target} ${ARG_EXTRA_ARGS})
  if(ARG_PROPERTIES)
    set_tests_properties(${target} PROPERTIES ${ARG_PROPERTIES})
  endif()
  kovalin_wine_tests(${target})
endfunction()
