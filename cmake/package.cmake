# The program folder as one zip: vantrel.exe, Foldex.exe, lumo.dll,
# vantrel.ini and the control folder Vantrel\. The shipped folder is the
# 32-bit one; the 64-bit twin is named apart.
install(TARGETS vantrel foldex lumo RUNTIME DESTINATION . LIBRARY DESTINATION .)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/dist/ DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(CPACK_PACKAGE_FILE_NAME vantrel-${PROJECT_VERSION}-win32)
else()
  set(CPACK_PACKAGE_FILE_NAME vantrel-${PROJECT_VERSION}-win64)
endif()
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
