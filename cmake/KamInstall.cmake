# Install rules: headers, libkam with the standard pattern library beside it,
# the kam tool, the CMake package (kamConfig.cmake, its version file, the
# exported targets and the pattern-library helper), kam.pc and, when present,
# the Python package. On Linux the GNU layout under the prefix; on Windows one
# flat folder (DLLs, tool, import libraries and .def together, headers in
# include/), as the zip ships it.
include(CMakePackageConfigHelpers)

if(WIN32)
  set(KAM_INSTALL_BINDIR .)
  set(KAM_INSTALL_LIBDIR .)
  set(KAM_INSTALL_CMAKEDIR cmake)
  set(KAM_INSTALL_PYTHONDIR python)
else()
  set(KAM_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR})
  set(KAM_INSTALL_LIBDIR ${CMAKE_INSTALL_LIBDIR})
  set(KAM_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/kam)
  # Debian's interpreter searches <prefix>/lib/python3/dist-packages.
  set(KAM_INSTALL_PYTHONDIR lib/python3/dist-packages)
endif()

install(FILES ${PROJECT_SOURCE_DIR}/include/kam/kam.h ${PROJECT_SOURCE_DIR}/include/kam/kam_plugin.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kam)

# libkam finds the standard library beside itself ($ORIGIN, set where it is
# linked); the tool finds both through a path relative to its own folder, so
# a moved prefix keeps working.
install(TARGETS kam KAM_Std kam_plugin EXPORT kamTargets
        RUNTIME DESTINATION ${KAM_INSTALL_BINDIR}
        LIBRARY DESTINATION ${KAM_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${KAM_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
if(TARGET kam_tool)
  if(NOT WIN32)
    file(RELATIVE_PATH tool_to_lib /prefix/${KAM_INSTALL_BINDIR} /prefix/${KAM_INSTALL_LIBDIR})
    set_target_properties(kam_tool PROPERTIES INSTALL_RPATH "\$ORIGIN/${tool_to_lib}")
  endif()
  install(TARGETS kam_tool RUNTIME DESTINATION ${KAM_INSTALL_BINDIR})
endif()

if(WIN32)
  # The .def of the exports and an import library for MSVC callers.
  include(KamMsvcImportLibrary)
  install(FILES ${PROJECT_SOURCE_DIR}/core/kam.def ${KAM_MSVC_IMPORT_LIBRARY}
          DESTINATION ${KAM_INSTALL_LIBDIR})
endif()

# ---- CMake package ----------------------------------------------------------
install(EXPORT kamTargets NAMESPACE kam:: DESTINATION ${KAM_INSTALL_CMAKEDIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/kamConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/kamConfig.cmake
                              INSTALL_DESTINATION ${KAM_INSTALL_CMAKEDIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/kamConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/kamConfig.cmake ${PROJECT_BINARY_DIR}/kamConfigVersion.cmake
              ${PROJECT_SOURCE_DIR}/cmake/KamPatternLibrary.cmake
              ${PROJECT_SOURCE_DIR}/cmake/kam_plugin.map
              ${PROJECT_SOURCE_DIR}/cmake/stdcall-implib.cmake
        DESTINATION ${KAM_INSTALL_CMAKEDIR})

# ---- pkg-config -------------------------------------------------------------
# The prefix is found from the .pc file's own folder, so a moved prefix works.
if(NOT WIN32)
  file(RELATIVE_PATH pc_to_prefix /prefix/${KAM_INSTALL_LIBDIR}/pkgconfig /prefix)
  string(REGEX REPLACE "/$" "" pc_to_prefix "${pc_to_prefix}")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/kam.pc.in ${PROJECT_BINARY_DIR}/kam.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/kam.pc DESTINATION ${KAM_INSTALL_LIBDIR}/pkgconfig)
endif()

# ---- Python package -------------------------------------------------------
# python/kam goes beside the library, with kam/_location.py naming the
# library's path relative to the package folder, computed at install time.
if(EXISTS ${PROJECT_SOURCE_DIR}/python/kam/__init__.py)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/python/kam DESTINATION ${KAM_INSTALL_PYTHONDIR}
          PATTERN "__pycache__" EXCLUDE PATTERN "*.pyc" EXCLUDE)
  install(CODE "
    set(package_dir \"${KAM_INSTALL_PYTHONDIR}/kam\")
    set(library \"${KAM_INSTALL_LIBDIR}/$<TARGET_FILE_NAME:kam>\")
    foreach(path package_dir library)
      if(NOT IS_ABSOLUTE \"\${\${path}}\")
        set(\${path} \"\${CMAKE_INSTALL_PREFIX}/\${\${path}}\")
      endif()
    endforeach()
    file(RELATIVE_PATH relative \"\${package_dir}\" \"\${library}\")
    set(location \"\$ENV{DESTDIR}\${package_dir}/_location.py\")
    message(STATUS \"Installing: \${location}\")
    file(WRITE \"\${location}\"
         \"# Written at install time: the KAM library relative to this folder.\\nLIBRARY = \\\"\${relative}\\\"\\n\")
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${location}\")
  ")
endif()
