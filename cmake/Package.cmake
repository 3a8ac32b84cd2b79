# `make package`: a Debian package of the Linux build, a zip of the Windows build, made by CPack
# from the install rules (cmake/Install.cmake).
set(CPACK_PACKAGE_NAME magnifier)
set(CPACK_PACKAGE_VENDOR Orlenda)
set(CPACK_PACKAGE_CONTACT "${MAGNIFIER_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "screen magnifier that enlarges pixel for pixel")
set(CPACK_PACKAGE_HOMEPAGE_URL "${MAGNIFIER_HOME_URL}")
set(CPACK_STRIP_FILES ON)
# Only the install rules' own component: CPack's install then writes install_manifest_Unspecified.txt
# and leaves build/install_manifest.txt, which make uninstall reads, as `make install` wrote it.
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};Unspecified;/")

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME magnifier-${PROJECT_VERSION}-windows-x64)
  # One folder in the zip, so unpacking it does not scatter files.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${MAGNIFIER_MAINTAINER}")
  set(CPACK_DEBIAN_PACKAGE_SECTION x11)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The dependencies are read from the libraries the program is linked with, not written by hand.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The long description; CPack puts the summary above it.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "One small always-on-top window shows the screen around the mouse pointer,
enlarged by a whole factor from 1 to 18 and refreshed every 10 ms. Every
screen pixel becomes an exact square, with no smoothing. The keypad plus and
minus keys or the mouse wheel change the zoom; a context menu switches the
interface between English and Hungarian. Needs an X11 session (or Xwayland).")
endif()

include(CPack)
