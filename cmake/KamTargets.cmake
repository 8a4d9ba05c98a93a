# Helpers shared by every target of the tree. kam_warnings, kam_export_only
# and kam_add_pattern_library live in KamPatternLibrary.cmake, which is also
# installed for pattern-library authors.
include(${CMAKE_CURRENT_LIST_DIR}/KamPatternLibrary.cmake)

# Links the standard pattern library as a load-time dependency, found beside
# the binary ($ORIGIN) on ELF.
function(kam_link_standard_library target)
  if(WIN32)
    # Nothing calls the standard library through its import library (its
    # entry points are resolved at run time), so one of them is pulled in by
    # name to put KAM_Std.dll into the import table.
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      target_link_options(${target} PRIVATE -Wl,-u,_LIP_InitLibrary@0)
    else()
      target_link_options(${target} PRIVATE -Wl,-u,LIP_InitLibrary)
    endif()
    target_link_libraries(${target} PRIVATE KAM_Std)
  else()
    target_link_libraries(${target} PRIVATE -Wl,--no-as-needed KAM_Std -Wl,--as-needed)
    set_target_properties(${target} PROPERTIES BUILD_RPATH "\$ORIGIN" INSTALL_RPATH "\$ORIGIN")
  endif()
endfunction()
