# kam.lib, the import library for MSVC callers of kam.dll, written after each
# link of kam. llvm-dlltool writes the short import format that MSVC's linker
# reads; on 32-bit Windows every decorated __stdcall symbol
# (_KAM_EarthPatternGain@68, what MSVC callers reference) imports the
# undecorated export (KAM_EarthPatternGain). Without llvm-dlltool, GNU
# dlltool writes the same mapping in its own format, which MSVC reads too.
find_program(KAM_LLVM_DLLTOOL NAMES llvm-dlltool llvm-dlltool-16 llvm-dlltool-15 llvm-dlltool-14)
set(KAM_MSVC_IMPORT_LIBRARY ${PROJECT_BINARY_DIR}/lib/kam.lib)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # Decorated names, from the list of exports ld wrote at the link
  # (stdcall-implib.cmake rewrites it beside itself).
  get_target_property(exports_def kam KAM_EXPORTS_DEF)
  set(def ${exports_def}.decorated)
  set(machine i386)
else()
  set(def ${PROJECT_SOURCE_DIR}/core/kam.def)
  set(machine i386:x86-64)
endif()

if(KAM_LLVM_DLLTOOL)
  set(command ${KAM_LLVM_DLLTOOL} -m ${machine} -d ${def} -D kam.dll -l ${KAM_MSVC_IMPORT_LIBRARY})
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    list(APPEND command -k)
  endif()
else()
  set(command ${CMAKE_DLLTOOL} -d ${def} -D kam.dll -l ${KAM_MSVC_IMPORT_LIBRARY})
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    list(APPEND command -k)
  endif()
endif()
add_custom_command(TARGET kam POST_BUILD COMMAND ${command}
                   BYPRODUCTS ${KAM_MSVC_IMPORT_LIBRARY} VERBATIM)
