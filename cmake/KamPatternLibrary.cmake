# kam_add_pattern_library(): builds a pattern library, a shared library that
# KAM loads. Used inside this tree and installed beside kamConfig.cmake for
# pattern-library authors; works in C, C++ and mixed projects.
#
#   kam_add_pattern_library(<target> SOURCES <file>...
#                           [VERSION <a.b.c.d>] [OUTPUT_NAME <name>]
#                           [RC <file.rc>] [DEFINITIONS <definition>...])
#
# The result is lib<target>.so on ELF and <target>.dll on Windows, exporting
# only the LIP_ entry points, undecorated on 32-bit Windows. VERSION writes
# the library's version stamp (the .kam_version section on ELF, a VERSIONINFO
# resource on Windows); without it a source file carries KAM_PLUGIN_VERSION
# and, on Windows, RC names the library's own resource script. Warnings are
# errors when KAM_WERROR is on.
include_guard(GLOBAL)

set_property(GLOBAL PROPERTY KAM_PATTERN_LIBRARY_DIR ${CMAKE_CURRENT_LIST_DIR})

# Warnings on; errors under KAM_WERROR.
function(kam_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 $<$<BOOL:${KAM_WERROR}>:/WX>)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra $<$<BOOL:${KAM_WERROR}>:-Werror>)
  endif()
endfunction()

# Exports exactly the symbols a linker script (ELF) or .def file (PE) lists,
# undecorated on 32-bit Windows.
function(kam_export_only target map_file def_file)
  get_property(dir GLOBAL PROPERTY KAM_PATTERN_LIBRARY_DIR)
  if(WIN32)
    target_link_options(${target} PRIVATE -Wl,--kill-at)
    set_target_properties(${target} PROPERTIES PREFIX "")
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      # __stdcall names are decorated (_KAM_Init@0): --kill-at exports them
      # undecorated, and the import library is rewritten from ld's list of
      # exports so that callers' decorated references still resolve.
      set(exports_def ${CMAKE_CURRENT_BINARY_DIR}/${target}.exports.def)
      target_link_options(${target} PRIVATE -Wl,--output-def,${exports_def})
      set_property(TARGET ${target} PROPERTY KAM_EXPORTS_DEF ${exports_def})
      add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -DDLLTOOL=${CMAKE_DLLTOOL} -DEXPORTS_DEF=${exports_def}
                -DDLL=$<TARGET_FILE_NAME:${target}> -DIMPLIB=$<TARGET_LINKER_FILE:${target}>
                -P ${dir}/stdcall-implib.cmake
        VERBATIM)
    elseif(def_file AND EXISTS ${def_file})
      target_sources(${target} PRIVATE ${def_file})
    endif()
  else()
    target_link_options(${target} PRIVATE -Wl,--version-script=${map_file})
    set_target_properties(${target} PROPERTIES LINK_DEPENDS ${map_file})
  endif()
endfunction()

# The version stamp of VERSION a.b.c.d, as a generated source of the target.
function(kam_pattern_library_version target version)
  if(NOT version MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
    message(FATAL_ERROR "kam_add_pattern_library(${target}): VERSION must be a.b.c.d, not '${version}'")
  endif()
  set(commas "${CMAKE_MATCH_1}, ${CMAKE_MATCH_2}, ${CMAKE_MATCH_3}, ${CMAKE_MATCH_4}")
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_version)
  if(WIN32)
    file(CONFIGURE OUTPUT ${out}.rc @ONLY CONTENT [[
#include <winver.h>
VS_VERSION_INFO VERSIONINFO
FILEVERSION @commas@
PRODUCTVERSION @commas@
FILEOS VOS_NT_WINDOWS32
FILETYPE VFT_DLL
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "040904b0"
    BEGIN
      VALUE "InternalName", "@target@"
      VALUE "ProductVersion", "@commas@"
    END
  END
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x0409, 1200
  END
END
]])
    target_sources(${target} PRIVATE ${out}.rc)
  else()
    get_property(languages GLOBAL PROPERTY ENABLED_LANGUAGES)
    if("C" IN_LIST languages)
      set(extension c)
    else()
      set(extension cpp)
    endif()
    file(CONFIGURE OUTPUT ${out}.${extension} @ONLY CONTENT [[
/* Version stamp of @target@, written by kam_add_pattern_library(). */
#include <kam/kam_plugin.h>
KAM_PLUGIN_VERSION("@commas@");
]])
    target_sources(${target} PRIVATE ${out}.${extension})
  endif()
endfunction()

function(kam_add_pattern_library target)
  cmake_parse_arguments(ARG "" "OUTPUT_NAME;RC;VERSION" "SOURCES;DEFINITIONS" ${ARGN})
  if(NOT ARG_SOURCES)
    message(FATAL_ERROR "kam_add_pattern_library(${target}): no SOURCES")
  endif()
  if(NOT TARGET kam::plugin)
    message(FATAL_ERROR "kam_add_pattern_library(${target}): kam::plugin is not defined (find_package(kam) first)")
  endif()
  add_library(${target} SHARED ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE kam::plugin)
  target_compile_definitions(${target} PRIVATE ${ARG_DEFINITIONS})
  set_target_properties(${target} PROPERTIES CXX_VISIBILITY_PRESET hidden C_VISIBILITY_PRESET hidden
                                             VISIBILITY_INLINES_HIDDEN ON)
  if(ARG_OUTPUT_NAME)
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${ARG_OUTPUT_NAME})
  endif()
  if(ARG_VERSION)
    kam_pattern_library_version(${target} ${ARG_VERSION})
  elseif(WIN32 AND ARG_RC)
    target_sources(${target} PRIVATE ${ARG_RC})
  endif()
  kam_warnings(${target})
  get_property(dir GLOBAL PROPERTY KAM_PATTERN_LIBRARY_DIR)
  kam_export_only(${target} ${dir}/kam_plugin.map "")
endfunction()
