# One ctest test per GoogleTest suite of vantrel_tests, found in the test
# sources, each running its suite in one start of the test program.

file(GLOB_RECURSE suite_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/*.cpp)
list(FILTER suite_sources EXCLUDE REGEX "tests/ui/win32/")
# The suites that the test program of this platform holds (see the filter of
# TEST_SOURCES): the mapping tests of the POSIX layer are not built here.
list(FILTER suite_sources EXCLUDE REGEX "tests/.*/posix_[^/]*_test\\.cpp$")
list(FILTER suite_sources EXCLUDE REGEX "tests/.*/posix/")
set(suites)
foreach(source IN LISTS suite_sources)
  file(STRINGS ${source} lines REGEX "^(TEST|TEST_F|TEST_P|TYPED_TEST)\\(")
  foreach(line IN LISTS lines)
    if(line MATCHES "^[A-Z_]+\\( *([A-Za-z0-9_]+)")
      list(APPEND suites ${CMAKE_MATCH_1})
    endif()
  endforeach()
endforeach()
list(REMOVE_DUPLICATES suites)
list(SORT suites)

foreach(suite IN LISTS suites)
  add_test(NAME ${suite}
    COMMAND vantrel_tests "--gtest_filter=${suite}.*:*/${suite}.*:${suite}/*"
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(${suite} PROPERTIES TIMEOUT 600)
  # The repeated fault runs are the slow label's, as in the native build.
  if(suite MATCHES "^Slow")
    set_tests_properties(${suite} PROPERTIES LABELS slow)
  endif()
endforeach()
