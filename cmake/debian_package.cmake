# What a Linux install holds beyond the programs (man pages, systemd units,
# the example converter, the Debian copyright and changelog), and the CPack
# set-up that turns it into two Debian packages: kovalin (the tray program)
# and kovalin-headless (no Qt). scripts/package.sh builds them.
include(GNUInstallDirs)

set(KOVALIN_MAINTAINER "Kovalin developers <kovalin@example.org>"
  CACHE STRING "The packages' maintainer, as Debian writes it")
# Man pages and the changelog carry the build date; SOURCE_DATE_EPOCH fixes it.
string(TIMESTAMP KOVALIN_MAN_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP KOVALIN_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
# Programs for other programs to run (the example converter) live here.
set(KOVALIN_LIBEXEC_DIR lib/kovalin)
set(KOVALIN_MAN_LIBEXEC ${CMAKE_INSTALL_PREFIX}/${KOVALIN_LIBEXEC_DIR})

set(KOVALIN_PACKAGE_kovalin kovalin)
set(KOVALIN_PACKAGE_headless kovalin-headless)

# Debian wants man pages and changelogs compressed, without a time stamp.
# The file is made from packaging/NAME.in.
function(kovalin_gzip name)
  configure_file(packaging/${name}.in ${KOVALIN_GENERATED_DIR}/${name} @ONLY)
  add_custom_command(OUTPUT ${KOVALIN_GENERATED_DIR}/${name}.gz
    COMMAND gzip -9nkf ${name}
    WORKING_DIRECTORY ${KOVALIN_GENERATED_DIR}
    DEPENDS ${KOVALIN_GENERATED_DIR}/${name}
    VERBATIM)
  add_custom_target(gzip-${name} ALL DEPENDS ${KOVALIN_GENERATED_DIR}/${name}.gz)
endfunction()
kovalin_gzip(changelog)

# A package's man page, copyright and changelog.
function(kovalin_package_files component)
  set(package ${KOVALIN_PACKAGE_${component}})
  kovalin_gzip(${package}.1)
  install(FILES ${KOVALIN_GENERATED_DIR}/${package}.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
  install(FILES packaging/copyright ${KOVALIN_GENERATED_DIR}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endfunction()

kovalin_package_files(headless)
install(PROGRAMS examples/ffmpeg-convert.sh DESTINATION ${KOVALIN_LIBEXEC_DIR} COMPONENT headless)
foreach(unit kovalin-headless.service kovalin-headless@.service)
  configure_file(packaging/systemd/${unit}.in ${KOVALIN_GENERATED_DIR}/systemd/${unit} @ONLY)
endforeach()
install(FILES ${KOVALIN_GENERATED_DIR}/systemd/kovalin-headless.service
  DESTINATION lib/systemd/user COMPONENT headless)
install(FILES ${KOVALIN_GENERATED_DIR}/systemd/kovalin-headless@.service
  DESTINATION lib/systemd/system COMPONENT headless)
set(CPACK_COMPONENTS_ALL headless)
if(TARGET kovalin)
  kovalin_package_files(kovalin)
  list(APPEND CPACK_COMPONENTS_ALL kovalin)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KOVALIN_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_HEADLESS_PACKAGE_NAME kovalin-headless)
set(CPACK_DEBIAN_HEADLESS_PACKAGE_SUGGESTS ffmpeg)
set(CPACK_DEBIAN_HEADLESS_DESCRIPTION
  "recording converter for servers, without a window
Kovalin watches one folder for .flv recordings and hands them, oldest first
and one at a time, to a converter program of your choice. It keeps the
folder's .mp4 and .jpg files under a size limit by deleting the oldest .mp4
together with its .jpg.
.
This package holds kovalin-headless, which prints its status on standard
output, its systemd units (one for a user, one template for system
instances) and an example converter that uses ffmpeg.")

set(CPACK_DEBIAN_KOVALIN_PACKAGE_NAME kovalin)
# Qt's X11 and Wayland platform plugins are not among the libraries that
# dpkg-shlibdeps finds; Qt's own dialog texts in Japanese come with its
# translations.
set(CPACK_DEBIAN_KOVALIN_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_KOVALIN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_DEBIAN_KOVALIN_PACKAGE_SUGGESTS "kovalin-headless, ffmpeg")
set(CPACK_DEBIAN_KOVALIN_DESCRIPTION
  "tray program that converts the recordings of a folder
Kovalin watches one folder for .flv recordings and hands them, oldest first
and one at a time, to a converter program of your choice. It keeps the
folder's .mp4 and .jpg files under a size limit by deleting the oldest .mp4
together with its .jpg.
.
This package holds the tray program for Linux desktops, with a Japanese
interface: a tray icon whose tooltip is the status, a menu and a settings
dialog.")

include(CPack)
