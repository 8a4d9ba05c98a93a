# Helpers shared by every target of the tree.

# Warnings are errors on everything we write.
function(kam_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# Exports exactly the symbols a linker script (ELF) or .def file (PE) lists,
# undecorated on 32-bit Windows.
function(kam_export_only target map_file def_file)
  if(WIN32)
    target_link_options(${target} PRIVATE -Wl,--kill-at)
    set_target_properties(${target} PROPERTIES PREFIX "")
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      # __stdcall names are decorated (_KAM_Init@0): --kill-at exports them
      # undecorated, and the import library is rewritten from ld's list of
      # exports so that callers' decorated references still resolve.
      set(exports_def ${CMAKE_CURRENT_BINARY_DIR}/${target}.exports.def)
      target_link_options(${target} PRIVATE -Wl,--output-def,${exports_def})
      add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -DDLLTOOL=${CMAKE_DLLTOOL} -DEXPORTS_DEF=${exports_def}
                -DDLL=$<TARGET_FILE_NAME:${target}> -DIMPLIB=$<TARGET_LINKER_FILE:${target}>
                -P ${CMAKE_SOURCE_DIR}/cmake/stdcall-implib.cmake
        VERBATIM)
    elseif(def_file AND EXISTS ${def_file})
      target_sources(${target} PRIVATE ${def_file})
    endif()
  else()
    target_link_options(${target} PRIVATE -Wl,--version-script=${map_file})
    set_target_properties(${target} PROPERTIES LINK_DEPENDS ${map_file})
  endif()
endfunction()

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
