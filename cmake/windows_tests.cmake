# Tests of the Windows build beyond the test program.

# The log library exports its eight functions by plain name, as a
# controller's own library does.
add_test(NAME LumoExports
  COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DLIBRARY=$<TARGET_FILE:lumo>
          -P ${CMAKE_SOURCE_DIR}/cmake/check_exports.cmake)
