# Kovalin.exe: the Win32 view over raw Win32 calls, the dialog, icons, string,
# version record and manifest from res/kovalin.rc. One file, statically
# linked, that runs on a stock Windows.
enable_language(RC)

# The manifest names the processor the program is built for: 64-bit Windows
# refuses to start an x64 program whose manifest says x86.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(KOVALIN_MANIFEST_ARCH amd64)
else()
  set(KOVALIN_MANIFEST_ARCH x86)
endif()
configure_file(res/kovalin.manifest.in ${KOVALIN_GENERATED_DIR}/kovalin.manifest @ONLY)

add_executable(Kovalin WIN32
  ui/win32/browse_dialogs.cpp
  ui/win32/notify_icon.cpp
  ui/win32/single_instance.cpp
  programs/win32_main.cpp
  ui/win32/win32_watch_view.cpp
  res/kovalin.rc
)
target_include_directories(Kovalin PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/res ${KOVALIN_GENERATED_DIR})
target_link_libraries(Kovalin PRIVATE kovalin_programs comctl32 comdlg32 shell32 ole32)
set_source_files_properties(res/kovalin.rc PROPERTIES OBJECT_DEPENDS
  "${KOVALIN_GENERATED_DIR}/kovalin.manifest;${KOVALIN_GENERATED_DIR}/kovalin_version.h;${CMAKE_CURRENT_SOURCE_DIR}/res/icons/kovalin.ico;${CMAKE_CURRENT_SOURCE_DIR}/res/icons/kovalin-anim1.ico;${CMAKE_CURRENT_SOURCE_DIR}/res/icons/kovalin-anim2.ico;${CMAKE_CURRENT_SOURCE_DIR}/res/icons/kovalin-anim3.ico")
install(TARGETS Kovalin RUNTIME DESTINATION .)

# The batch converter that ships beside Kovalin.exe (its tests run this
# copy); cmd.exe reads it with CRLF line ends.
set(KOVALIN_FFMPEG_CONVERT_BAT ${KOVALIN_GENERATED_DIR}/ffmpeg-convert.bat)
configure_file(res/windows/ffmpeg-convert.bat ${KOVALIN_FFMPEG_CONVERT_BAT} @ONLY NEWLINE_STYLE CRLF)

# The zip for Windows users: Kovalin.exe, the batch converter and a README,
# in a folder named after the version and the word size.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(KOVALIN_ZIP_NAME Kovalin-${PROJECT_VERSION}-win64)
else()
  set(KOVALIN_ZIP_NAME Kovalin-${PROJECT_VERSION}-win32)
endif()
set(KOVALIN_ZIP ${CMAKE_BINARY_DIR}/${KOVALIN_ZIP_NAME}.zip)
set(KOVALIN_ZIP_STAGE ${CMAKE_BINARY_DIR}/zip-stage)
configure_file(res/windows/README.txt.in ${KOVALIN_GENERATED_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)
add_custom_command(OUTPUT ${KOVALIN_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${KOVALIN_ZIP_STAGE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KOVALIN_ZIP_STAGE}/${KOVALIN_ZIP_NAME}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Kovalin> ${KOVALIN_ZIP_STAGE}/${KOVALIN_ZIP_NAME}/Kovalin.exe
  COMMAND ${CMAKE_COMMAND} -E copy ${KOVALIN_GENERATED_DIR}/README.txt
          ${KOVALIN_ZIP_STAGE}/${KOVALIN_ZIP_NAME}/README.txt
  COMMAND ${CMAKE_COMMAND} -E copy ${KOVALIN_FFMPEG_CONVERT_BAT}
          ${KOVALIN_ZIP_STAGE}/${KOVALIN_ZIP_NAME}/ffmpeg-convert.bat
  COMMAND ${CMAKE_COMMAND} -E chdir ${KOVALIN_ZIP_STAGE}
          ${CMAKE_COMMAND} -E tar cf ${KOVALIN_ZIP} --format=zip ${KOVALIN_ZIP_NAME}
  DEPENDS Kovalin ${KOVALIN_GENERATED_DIR}/README.txt ${KOVALIN_FFMPEG_CONVERT_BAT}
  COMMENT "Packing ${KOVALIN_ZIP_NAME}.zip"
  VERBATIM)
add_custom_target(windows-zip ALL DEPENDS ${KOVALIN_ZIP})
