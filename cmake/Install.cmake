# What `make install` puts where, the way each system expects it. Linux: the program, its desktop
# entry, icons in the hicolor theme, AppStream metainfo, manual page and package documents under
# the prefix. Windows: the .exe and a plain-text README, which is all the zip holds.
include(GNUInstallDirs)
# Installing (and CPack) needs the program and its data, not the tests and benchmarks that `all`
# builds; the Makefile builds those two targets first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

# The date of the release named by the version: the metainfo, manual page and Debian changelog.
set(MAGNIFIER_RELEASE_DATE 2026-12-08)
set(MAGNIFIER_RELEASE_DATE_RFC2822 "Tue, 08 Dec 2026 12:00:00 +0000")
set(MAGNIFIER_SCREENSHOT_URL "${MAGNIFIER_HOME_URL}magnifier/screenshot.png" CACHE STRING
    "The screenshot the AppStream metainfo points software centres to")
set(MAGNIFIER_MAINTAINER "Orlenda <magnifier@orlenda.hu>" CACHE STRING "The Debian package's maintainer")

set(data_in ${PROJECT_SOURCE_DIR}/data)
set(data_out ${PROJECT_BINARY_DIR}/data)

if(WIN32)
  # Notepad's line ends, for the reader who opens it from the zip.
  configure_file(${data_in}/README-windows.txt.in ${data_out}/README.txt @ONLY NEWLINE_STYLE CRLF)
  install(TARGETS magnifier RUNTIME DESTINATION .)
  install(FILES ${data_out}/README.txt DESTINATION .)
  return()
endif()

find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(MAGNIFIER_ICON_SIZES 16 22 24 32 48 64 128 256)

configure_file(${data_in}/magnifier.desktop.in ${data_out}/${MAGNIFIER_APP_ID}.desktop @ONLY)
configure_file(${data_in}/magnifier.metainfo.xml.in ${data_out}/${MAGNIFIER_APP_ID}.metainfo.xml @ONLY)
configure_file(${data_in}/magnifier.1.in ${data_out}/magnifier.1 @ONLY)
configure_file(${data_in}/debian-changelog.in ${data_out}/changelog @ONLY)
configure_file(${data_in}/copyright.in ${data_out}/copyright @ONLY)

# Manual pages and changelogs are kept compressed, without a time stamp, so the files are
# reproducible; man reads them either way.
add_custom_command(
  OUTPUT ${data_out}/magnifier.1.gz ${data_out}/changelog.gz
  COMMAND gzip -9nkf ${data_out}/magnifier.1 ${data_out}/changelog
  DEPENDS ${data_out}/magnifier.1 ${data_out}/changelog
  VERBATIM)

# The theme's icons are the Windows icon's drawing, at the sizes desktops look for.
set(icon_files)
foreach(size IN LISTS MAGNIFIER_ICON_SIZES)
  list(APPEND icon_files ${data_out}/icons/${size}x${size}/${MAGNIFIER_APP_ID}.png)
endforeach()
add_custom_command(
  OUTPUT ${icon_files}
  COMMAND Python3::Interpreter ${data_in}/make_png_icons.py ${data_out}/icons ${MAGNIFIER_APP_ID}
          ${MAGNIFIER_ICON_SIZES}
  DEPENDS ${data_in}/make_png_icons.py ${PROJECT_SOURCE_DIR}/src/platform/win32/resources/make_icon.py
  COMMENT "Drawing the theme icons"
  VERBATIM)
add_custom_target(magnifier_data ALL DEPENDS ${icon_files} ${data_out}/magnifier.1.gz ${data_out}/changelog.gz)

install(TARGETS magnifier RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${data_out}/${MAGNIFIER_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${data_out}/${MAGNIFIER_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${data_out}/magnifier.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${data_out}/copyright ${data_out}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
foreach(size IN LISTS MAGNIFIER_ICON_SIZES)
  install(FILES ${data_out}/icons/${size}x${size}/${MAGNIFIER_APP_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
