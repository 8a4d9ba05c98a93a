# Helpers shared by every target of the tree.

# Warnings are errors on everything we write.
function(kam_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# Exports exactly the symbols a linker script (ELF) or .def file (PE) lists,
# undecorated on 32-bit Windows.
function(kam_export_only target map_file def_file)
  if(WIN32)
    if(def_file AND EXISTS ${def_file})
      target_sources(${target} PRIVATE ${def_file})
    endif()
    target_link_options(${target} PRIVATE -Wl,--kill-at)
    set_target_properties(${target} PROPERTIES PREFIX "")
  else()
    target_link_options(${target} PRIVATE -Wl,--version-script=${map_file})
    set_target_properties(${target} PROPERTIES LINK_DEPENDS ${map_file})
  endif()
endfunction()

# Links the standard pattern library as a load-time dependency, found beside
# the binary ($ORIGIN) on ELF.
function(kam_link_standard_library target)
  if(WIN32)
    target_link_libraries(${target} PRIVATE KAM_Std)
  else()
    target_link_libraries(${target} PRIVATE -Wl,--no-as-needed KAM_Std -Wl,--as-needed)
    set_target_properties(${target} PROPERTIES BUILD_RPATH "\$ORIGIN" INSTALL_RPATH "\$ORIGIN")
  endif()
endfunction()

# A pattern library built from the public plug-in header alone.
function(kam_add_pattern_library target)
  cmake_parse_arguments(ARG "" "OUTPUT_NAME;RC" "SOURCES;DEFINITIONS" ${ARGN})
  add_library(${target} SHARED ${ARG_SOURCES})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/include)
  target_compile_definitions(${target} PRIVATE ${ARG_DEFINITIONS})
  set_target_properties(${target} PROPERTIES CXX_VISIBILITY_PRESET hidden C_VISIBILITY_PRESET hidden
                                             VISIBILITY_INLINES_HIDDEN ON)
  if(ARG_OUTPUT_NAME)
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${ARG_OUTPUT_NAME})
  endif()
  if(WIN32 AND ARG_RC)
    target_sources(${target} PRIVATE ${ARG_RC})
  endif()
  kam_warnings(${target})
  kam_export_only(${target} ${CMAKE_SOURCE_DIR}/plugins/std/std.map "")
endfunction()
