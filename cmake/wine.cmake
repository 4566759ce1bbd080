# Running the Windows programs of a cross build: under the 64-bit wine
# loader, in a wine prefix inside the build folder, so that nothing is
# written to the home folder. The prefix is made once, at configure time.

set(VANTREL_WINE_LOADER /usr/lib/wine/wine64 CACHE FILEPATH "The wine loader for the programs")
set(VANTREL_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(VANTREL_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")

configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
  WORLD_READ WORLD_EXECUTE @ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)

if(VANTREL_TESTS AND EXISTS ${VANTREL_WINE_LOADER} AND NOT EXISTS ${VANTREL_WINEPREFIX}/system.reg)
  message(STATUS "Making the wine prefix ${VANTREL_WINEPREFIX}")
  execute_process(COMMAND ${CMAKE_BINARY_DIR}/wine-run.sh --prepare RESULT_VARIABLE wine_result)
  if(NOT wine_result EQUAL 0)
    message(WARNING "wine could not make its prefix: ${wine_result}")
  endif()
endif()
