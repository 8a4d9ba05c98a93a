# Packages (cmake --build <dir> --target package, written at the top of the
# build folder): a .tar.gz and a .deb installing under /usr on Linux, a .zip of
# the flat Windows folder when the target is Windows. Name and version are
# the project's.
set(CPACK_PACKAGE_NAME kam)
set(CPACK_PACKAGE_VENDOR "KAM")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Antenna pattern host library: radiation gains and contours of earth and space stations")
set(CPACK_PACKAGE_CONTACT "KAM developers <kam@localhost>")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES OFF)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR TGZ DEB)
  # The .deb installs under /usr (its default packaging prefix).
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION libs)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
include(CPack)
