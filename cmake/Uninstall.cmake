# Removes exactly the files an install wrote, as its manifest lists them (DESTDIR included), and
# nothing else: folders such as share/icons/hicolor may hold other programs' files.
# Usage: cmake -DMANIFEST=build/install_manifest.txt -P cmake/Uninstall.cmake
if(NOT MANIFEST OR NOT EXISTS "${MANIFEST}")
  message(FATAL_ERROR "uninstall: no install manifest \"${MANIFEST}\": nothing was installed from this build")
endif()
file(STRINGS "${MANIFEST}" installed)
foreach(path IN LISTS installed)
  if(EXISTS "${path}" OR IS_SYMLINK "${path}")
    message(STATUS "Removing ${path}")
    file(REMOVE "${path}")
  endif()
endforeach()
