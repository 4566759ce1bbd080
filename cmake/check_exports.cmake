# cmake -DOBJDUMP=... -DLIBRARY=lumo.dll -P check_exports.cmake
# Fails unless the export table holds exactly the eight functions of the
# log library and LogFlush, ours only and looked up as optional by the
# program, each under its plain name.
execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY} OUTPUT_VARIABLE dump RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${LIBRARY} failed: ${result}")
endif()
string(FIND "${dump}" "[Ordinal/Name Pointer] Table" start)
if(start LESS 0)
  message(FATAL_ERROR "${LIBRARY} has no table of exported names")
endif()
string(SUBSTRING "${dump}" ${start} -1 table)
string(REGEX MATCHALL "\n\t\\[ *[0-9]+\\] [^\n]*" rows "${table}")
set(names)
foreach(row IN LISTS rows)
  string(REGEX REPLACE "^\n\t\\[ *[0-9]+\\] " "" name "${row}")
  list(APPEND names "${name}")
endforeach()
list(SORT names)
set(expected GetErrorCounter GetLumoLoadDir LogCreate LogFlush LogGetName LogSetLevel LogWrite
             LogWriteEx SetErrorCounter)
if(NOT names STREQUAL expected)
  message(FATAL_ERROR "exported names: ${names}\nexpected: ${expected}")
endif()
message(STATUS "exported names: ${names}")
