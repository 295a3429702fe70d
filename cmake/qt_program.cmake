# kovalin: the Qt view, the tray program and what `cmake --install` puts on
# a Linux desktop.

add_library(kovalin_qt_view STATIC
  ui/qt/dialog_units.cpp
  ui/qt/byte_text.cpp
  ui/qt/limit_edit.cpp
  ui/qt/settings_dialog.cpp
  ui/qt/stop_bridge.cpp
  ui/qt/qt_watch_view.cpp
)
target_link_libraries(kovalin_qt_view PUBLIC kovalin_controller Qt6::Widgets)

set(KOVALIN_ICON_SIZES 16 24 32 48 64 128 256)
set(KOVALIN_ICON_FILES)
foreach(size IN LISTS KOVALIN_ICON_SIZES)
  list(APPEND KOVALIN_ICON_FILES res/icons/kovalin-${size}.png)
endforeach()
foreach(frame 1 2 3)
  foreach(size 16 32 48)
    list(APPEND KOVALIN_ICON_FILES res/icons/kovalin-anim${frame}-${size}.png)
  endforeach()
endforeach()
qt_add_resources(kovalin_qt_view kovalin_icons
  PREFIX /
  BASE res
  FILES ${KOVALIN_ICON_FILES}
)

add_executable(kovalin programs/qt_main.cpp ui/qt/single_instance.cpp)
target_link_libraries(kovalin PRIVATE kovalin_qt_view kovalin_programs Qt6::Network)

include(GNUInstallDirs)
install(TARGETS kovalin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT kovalin)
foreach(size IN LISTS KOVALIN_ICON_SIZES)
  install(FILES res/icons/kovalin-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME kovalin.png COMPONENT kovalin)
endforeach()
install(FILES res/kovalin.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
  COMPONENT kovalin)
install(FILES res/kovalin-autostart.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kovalin/examples
  COMPONENT kovalin)
