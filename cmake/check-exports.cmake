# Checks the export tables of the built binaries: the host exports exactly the
# KAM_/TMP_ functions that include/kam/kam.h declares (parsed from the header,
# undecorated on every target), and each pattern library exactly the three
# LIP_ entry points, or those three and the optional LIP_GetArrayInfo.
#
# cmake -DFORMAT=ELF|PE -DTOOL=<nm for ELF, objdump for PE> -DHEADER=<kam.h>
#       -DHOST=<libkam.so or kam.dll> -DPLUGINS=<file|file...> -P check-exports.cmake
# The script runs without a project: IN_LIST needs its policy set.
cmake_policy(SET CMP0057 NEW)
foreach(var FORMAT TOOL HEADER HOST)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "check-exports: ${var} is not set")
  endif()
endforeach()

# Every exported function is declared "KAM_API <type> KAM_CALL <name>(".
file(READ ${HEADER} header)
string(REGEX REPLACE "/\\*([^*]|\\*+[^*/])*\\*+/" "" header "${header}")
string(REGEX MATCHALL "KAM_API[^;(]*KAM_CALL[ \t\r\n]+(KAM|TMP)_[A-Za-z0-9_]+[ \t\r\n]*\\("
       declarations "${header}")
set(host_expected)
foreach(declaration IN LISTS declarations)
  string(REGEX MATCH "(KAM|TMP)_[A-Za-z0-9_]+[ \t\r\n]*\\($" name "${declaration}")
  string(REGEX REPLACE "[ \t\r\n]*\\($" "" name "${name}")
  list(APPEND host_expected ${name})
endforeach()
list(REMOVE_DUPLICATES host_expected)
list(SORT host_expected)
list(LENGTH host_expected declared)
if(declared EQUAL 0)
  message(FATAL_ERROR "check-exports: no exported function found in ${HEADER}")
endif()

# The exported names of one binary, sorted.
function(exported_names file out)
  if(FORMAT STREQUAL "ELF")
    execute_process(COMMAND ${TOOL} -D --defined-only ${file}
                    OUTPUT_VARIABLE listing RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "check-exports: ${TOOL} failed on ${file}")
    endif()
    string(REPLACE "\n" ";" lines "${listing}")
    set(names)
    foreach(line IN LISTS lines)
      # "<address> <type> <name>[@version]"; absolute version nodes are no exports.
      if(line MATCHES "^[0-9a-fA-F]+ ([A-Za-z]) ([^ @]+)" AND NOT CMAKE_MATCH_1 STREQUAL "A")
        list(APPEND names ${CMAKE_MATCH_2})
      endif()
    endforeach()
  else()
    execute_process(COMMAND ${TOOL} -p ${file} OUTPUT_VARIABLE listing RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "check-exports: ${TOOL} failed on ${file}")
    endif()
    # The name pointer table: "\t[   0] KAM_AntennaContour", up to a blank line.
    string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([^\n]+\n)*" table "${listing}")
    string(REPLACE "\n" ";" lines "${table}")
    set(names)
    foreach(line IN LISTS lines)
      if(line MATCHES "^[ \t]*\\[ *[0-9]+\\] (.+)$")
        list(APPEND names ${CMAKE_MATCH_1})
      endif()
    endforeach()
  endif()
  list(SORT names)
  set(${out} "${names}" PARENT_SCOPE)
endfunction()

function(compare file expected)
  exported_names(${file} actual)
  # The optional entry point of a pattern library's array path.
  if(ARGC GREATER 2 AND "${ARGV2}" IN_LIST actual)
    list(APPEND expected ${ARGV2})
  endif()
  set(missing ${expected})
  set(extra ${actual})
  if(actual)
    list(REMOVE_ITEM missing ${actual})
  endif()
  if(expected)
    list(REMOVE_ITEM extra ${expected})
  endif()
  list(LENGTH actual count)
  get_filename_component(name ${file} NAME)
  if(missing OR extra)
    message(SEND_ERROR "${name}: ${count} exports; missing: ${missing}; unexpected: ${extra}")
  else()
    message(STATUS "${name}: exactly the ${count} expected exports")
  endif()
endfunction()

compare(${HOST} "${host_expected}")
string(REPLACE "|" ";" PLUGINS "${PLUGINS}")
foreach(plugin IN LISTS PLUGINS)
  compare(${plugin} "LIP_GetLibraryInfo;LIP_InitLibrary;LIP_SetEventLogHandler" LIP_GetArrayInfo)
endforeach()
