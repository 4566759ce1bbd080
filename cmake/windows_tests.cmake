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
add_executable(vantrel_window_tests ${WINDOW_TEST_SOURCES})
target_include_directories(vantrel_window_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
set_target_properties(vantrel_window_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
target_link_libraries(vantrel_window_tests PRIVATE vantrel_win32_ui GTest::gtest
  GTest::gtest_main)
add_dependencies(vantrel_window_tests vantrel lumo foldex program_folder)
if(CMAKE_CROSSCOMPILING)
  add_test(NAME WindowsUi
    COMMAND xvfb-run -a -s "-screen 0 1024x768x24" ${CMAKE_BINARY_DIR}/wine-run.sh
            $<TARGET_FILE:vantrel_window_tests>
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
else()
  add_test(NAME WindowsUi COMMAND vantrel_window_tests WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
endif()
set_tests_properties(WindowsUi PROPERTIES LABELS windows-ui TIMEOUT 600)
