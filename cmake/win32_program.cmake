# Kovalin.exe: the Win32 view over raw Win32 calls, the dialog, icons, string,
# version record and manifest from res/kovalin.rc. One file, statically
# linked, that runs on a stock Windows.
enable_language(RC)

add_executable(Kovalin WIN32
  ui/win32/browse_dialogs.cpp
  ui/win32/notify_icon.cpp
  ui/win32/watch_app.cpp
  ui/win32/win32_watch_view.cpp
  res/kovalin.rc
)
target_include_directories(Kovalin PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/res)
target_link_libraries(Kovalin PRIVATE kovalin_app comctl32 comdlg32 shell32 ole32)
set_source_files_properties(res/kovalin.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_CURRENT_SOURCE_DIR}/res/kovalin.manifest;${CMAKE_CURRENT_SOURCE_DIR}/res/icons/kovalin.ico;${CMAKE_CURRENT_SOURCE_DIR}/res/icons/kovalin-anim1.ico;${CMAKE_CURRENT_SOURCE_DIR}/res/icons/kovalin-anim2.ico;${CMAKE_CURRENT_SOURCE_DIR}/res/icons/kovalin-anim3.ico")
install(TARGETS Kovalin RUNTIME DESTINATION .)
