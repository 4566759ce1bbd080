# Tests of the Windows build beyond the test program.

# The log library exports its eight functions by plain name, as a
# controller's own library does.
add_test(NAME LumoExports
  COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DLIBRARY=$<TARGET_FILE:lumo>
          -P ${CMAKE_SOURCE_DIR}/cmake/check_exports.cmake)
set_tests_properties(LumoExports PROPERTIES TIMEOUT 60)

# The two windows, made for real and pressed through their buttons. They
# need a display: the test starts its own virtual X server.
file(GLOB WINDOW_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/ui/win32/*.cpp)
# Whole runs over the samples share the suite's scratch installations.
add_executable(vantrel_window_tests ${WINDOW_TEST_SOURCES}
  ${CMAKE_SOURCE_DIR}/tests/support/test_env.cpp ${CMAKE_SOURCE_DIR}/tests/support/tree_snapshot.cpp
  # The program's own resources: the windows take their icon from them.
  ${CMAKE_SOURCE_DIR}/src/app/win32/vantrel.rc)
target_include_directories(vantrel_window_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
set_target_properties(vantrel_window_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
target_link_libraries(vantrel_window_tests PRIVATE vantrel_win32_ui GTest::gtest
  GTest::gtest_main)
target_compile_definitions(vantrel_window_tests PRIVATE
  VANTREL_BIN_DIR="${VANTREL_BIN_DIR}"
  VANTREL_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
  VANTREL_SCRATCH_DIR="${CMAKE_BINARY_DIR}/scratch"
  VANTREL_PROGRAM_FILE="$<TARGET_FILE_NAME:vantrel>"
  VANTREL_FAKE_FOLDEX="$<TARGET_FILE:fake_foldex>")
add_dependencies(vantrel_window_tests vantrel lumo foldex fake_foldex program_folder)
if(CMAKE_CROSSCOMPILING)
  add_test(NAME WindowsUi
    COMMAND xvfb-run -a -s "-screen 0 1024x768x24" sh ${CMAKE_SOURCE_DIR}/cmake/run_window_tests.sh
            ${CMAKE_BINARY_DIR}/wine-run.sh $<TARGET_FILE:vantrel_window_tests>
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
else()
  add_test(NAME WindowsUi COMMAND vantrel_window_tests WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
endif()
set_tests_properties(WindowsUi PROPERTIES LABELS windows-ui TIMEOUT 600)
