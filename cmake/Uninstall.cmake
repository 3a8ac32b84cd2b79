# Removes exactly the files an install wrote, as its manifest lists them, and nothing else:
# folders such as share/icons/hicolor may hold other programs' files. The manifest lists the
# paths under the prefix without DESTDIR, so the same DESTDIR must be given as to the install.
# Usage: [DESTDIR=...] cmake -DMANIFEST=build/install_manifest.txt -P cmake/Uninstall.cmake
if(NOT MANIFEST OR NOT EXISTS "${MANIFEST}")
  message(FATAL_ERROR "uninstall: no install manifest \"${MANIFEST}\": nothing was installed from this build")
endif()
file(STRINGS "${MANIFEST}" installed)
foreach(installed_path IN LISTS installed)
  set(path "$ENV{DESTDIR}${installed_path}")
  if(EXISTS "${path}" OR IS_SYMLINK "${path}")
    message(STATUS "Removing ${path}")
    file(REMOVE "${path}")
  endif()
endforeach()
