# Debian package: the program folder under /opt, a launcher, a desktop entry, an icon, the
# copyright, changelog and manual pages.
# `cpack -G DEB` in the build folder makes qs310-manager_<version>_<arch>.deb.

set(QS_PKG_NAME qs310-manager)
set(QS_PKG_PROGRAM_DIR opt/${QS_PKG_NAME})   # relative to the packaging prefix "/"
set(QS_PKG_BIN_DIR usr/bin)

# The desktop icon, drawn at build time from one geometry (SVG and PNG sizes).
set(QS_ICON_DIR ${PROJECT_BINARY_DIR}/packaging/icons)
set(QS_ICON_SIZES 48 64 128 256)
set(_icon_outputs ${QS_ICON_DIR}/qs310-manager.svg)
foreach(_s ${QS_ICON_SIZES})
  list(APPEND _icon_outputs ${QS_ICON_DIR}/${_s}x${_s}/qs310-manager.png)
endforeach()
add_executable(qs_mkicon ${PROJECT_SOURCE_DIR}/packaging/mkicon.cpp)
target_link_libraries(qs_mkicon PRIVATE Qt6::Gui)
add_custom_command(OUTPUT ${_icon_outputs}
  COMMAND qs_mkicon ${QS_ICON_DIR} ${QS_ICON_SIZES}
  DEPENDS qs_mkicon COMMENT "Desktop icon")
add_custom_target(qs_icon ALL DEPENDS ${_icon_outputs})
# The program sets the same icon on its windows, from its own folder.
add_custom_command(OUTPUT ${QS_PROGRAM_DIR}/qs310-manager.png
  COMMAND ${CMAKE_COMMAND} -E copy ${QS_ICON_DIR}/256x256/qs310-manager.png ${QS_PROGRAM_DIR}/qs310-manager.png
  DEPENDS ${QS_ICON_DIR}/256x256/qs310-manager.png COMMENT "Window icon")
add_custom_target(qs_window_icon DEPENDS ${QS_PROGRAM_DIR}/qs310-manager.png)
add_dependencies(qs_program qs_window_icon)

# The rest is the Debian package; a Windows build ships its deployed program folder instead.
if(WIN32)
  return()
endif()

# The package's own documents: copyright, changelog and manual pages (compressed without
# a time stamp, as Debian wants them).
find_program(QS_GZIP gzip REQUIRED)
set(_pkg ${PROJECT_BINARY_DIR}/packaging)
set(_pkg_gz)
foreach(_doc changelog qs310-manager.1 qs310-standin.1)
  set(_src ${PROJECT_SOURCE_DIR}/packaging/${_doc})
  if(EXISTS ${_src}.in)
    set(_src ${_src}.in)
  endif()
  configure_file(${_src} ${_pkg}/${_doc} @ONLY)
  add_custom_command(OUTPUT ${_pkg}/${_doc}.gz
    COMMAND ${QS_GZIP} -9n -c ${_doc} > ${_doc}.gz
    WORKING_DIRECTORY ${_pkg} DEPENDS ${_pkg}/${_doc} COMMENT "Package document ${_doc}")
  list(APPEND _pkg_gz ${_pkg}/${_doc}.gz)
endforeach()
add_custom_target(qs_package_docs ALL DEPENDS ${_pkg_gz})

# The launcher finds the program folder relative to its own place.
file(RELATIVE_PATH QS_LAUNCHER_TO_PROGRAM /${QS_PKG_BIN_DIR} /${QS_PKG_PROGRAM_DIR})
configure_file(${PROJECT_SOURCE_DIR}/packaging/qs310-manager.in ${PROJECT_BINARY_DIR}/packaging/qs310-manager @ONLY)

# The read-only program folder: executable, panel resources, texts, tones, documents, the
# live view's page, README.
# Only these items: a program folder used by ./run.sh also holds the developer's own
# configuration, times and port links, which must not end up in a package.
install(TARGETS QS310Manager RUNTIME DESTINATION ${QS_PKG_PROGRAM_DIR})
file(GLOB _uir_dirs LIST_DIRECTORIES true RELATIVE ${PROJECT_SOURCE_DIR}/panels ${PROJECT_SOURCE_DIR}/panels/*.uir)
foreach(_uir ${_uir_dirs})
  install(DIRECTORY ${QS_PROGRAM_DIR}/${_uir} DESTINATION ${QS_PKG_PROGRAM_DIR})
endforeach()
install(DIRECTORY ${QS_PROGRAM_DIR}/Texts DESTINATION ${QS_PKG_PROGRAM_DIR} FILES_MATCHING PATTERN "*.gentxt")
install(DIRECTORY ${QS_PROGRAM_DIR}/Doc DESTINATION ${QS_PKG_PROGRAM_DIR} FILES_MATCHING PATTERN "*.pdf")
install(DIRECTORY ${QS_PROGRAM_DIR}/Web DESTINATION ${QS_PKG_PROGRAM_DIR})
foreach(_f 444 533 695 888)
  install(FILES ${QS_PROGRAM_DIR}/Bip${_f}Hz.wav DESTINATION ${QS_PKG_PROGRAM_DIR})
endforeach()

install(FILES ${QS_PROGRAM_DIR}/README.md ${QS_PROGRAM_DIR}/qs310-manager.png DESTINATION ${QS_PKG_PROGRAM_DIR})

install(PROGRAMS ${PROJECT_BINARY_DIR}/packaging/qs310-manager DESTINATION ${QS_PKG_BIN_DIR})
# The stand-in clock, for training and trying the serial link without a clock.
install(TARGETS qs310-standin RUNTIME DESTINATION ${QS_PKG_BIN_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/qs310-manager.desktop DESTINATION usr/share/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${_pkg}/changelog.gz DESTINATION usr/share/doc/${QS_PKG_NAME})
install(FILES ${_pkg}/qs310-manager.1.gz ${_pkg}/qs310-standin.1.gz DESTINATION usr/share/man/man1)
install(FILES ${QS_ICON_DIR}/qs310-manager.svg DESTINATION usr/share/icons/hicolor/scalable/apps)
foreach(_s ${QS_ICON_SIZES})
  install(FILES ${QS_ICON_DIR}/${_s}x${_s}/qs310-manager.png DESTINATION usr/share/icons/hicolor/${_s}x${_s}/apps)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${QS_PKG_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /)
set(CPACK_PACKAGE_VENDOR "QS-310 Manager team")
set(CPACK_PACKAGE_CONTACT "QS-310 Manager team <qs310-manager@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop manager for the QS-310 sports-timing start clock")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Drives a QS-310 start clock over RS-232: a live mirror of the clock (ring of
60 lights, hands, big light, digits, beeps), its parameters, start programs,
runs and synchronisation, the times it measures, a full-screen second display
for the public and a competitor-number unit. A simulated clock is built in for
training without a clock.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The runtime libraries (Qt 6, spreadsheet readers, C++ runtime) come from dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The font the panels are laid out for.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
# Qt's own dialogs (the file dialog, OK and Cancel) in French, German and Italian.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
# The build keeps debug information; the package does not need it.
set(CPACK_STRIP_FILES ON)
include(CPack)
