# Rewrites the import library of a 32-bit Windows DLL whose __stdcall exports
# are undecorated (--kill-at). ld's own import library then names the
# undecorated symbols, while callers' objects reference the decorated ones
# (_KAM_Init@0); dlltool -k writes one that maps each decorated symbol to the
# undecorated export.
#
# cmake -DDLLTOOL=<dlltool> -DEXPORTS_DEF=<ld --output-def file> -DDLL=<name.dll>
#       -DIMPLIB=<import library> -P stdcall-implib.cmake
foreach(var DLLTOOL EXPORTS_DEF DLL IMPLIB)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "stdcall-implib: ${var} is not set")
  endif()
endforeach()

file(STRINGS ${EXPORTS_DEF} lines)
set(def "LIBRARY \"${DLL}\"\nEXPORTS\n")
foreach(line IN LISTS lines)
  # "    Name = Name@N @ordinal" for decorated symbols, "    Name @ordinal" otherwise.
  if(line MATCHES "^[ \t]+([A-Za-z_][A-Za-z0-9_@]*)([ \t]*=[ \t]*([A-Za-z_][A-Za-z0-9_@]*))?[ \t]+@[0-9]+(.*)$")
    set(symbol ${CMAKE_MATCH_1})
    if(CMAKE_MATCH_3)
      set(symbol ${CMAKE_MATCH_3})
    endif()
    set(flags "")
    if(CMAKE_MATCH_4 MATCHES "DATA")
      set(flags " DATA")
    endif()
    string(APPEND def "    ${symbol}${flags}\n")
  endif()
endforeach()

get_filename_component(dir ${EXPORTS_DEF} DIRECTORY)
set(decorated ${EXPORTS_DEF}.decorated)
file(WRITE ${decorated} "${def}")
execute_process(COMMAND ${DLLTOOL} -k -d ${decorated} -D ${DLL} -l ${IMPLIB}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "stdcall-implib: ${DLLTOOL} failed for ${DLL}")
endif()
