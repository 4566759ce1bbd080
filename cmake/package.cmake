# The program folder as one zip: vantrel.exe, Foldex.exe, lumo.dll,
# vantrel.ini, README.txt and the control folder Vantrel\, at the zip's top,
# so that it unzips into the folder the technician chooses. The shipped
# folder is the 32-bit one; the 64-bit twin is named apart.
# The shipped programs carry no debug sections: the build's own keep theirs
# for the tests and the debugger, the zip gets stripped copies.
install(TARGETS vantrel foldex lumo RUNTIME DESTINATION . LIBRARY DESTINATION .)
if(CMAKE_STRIP)
  install(CODE "
    foreach(program vantrel.exe Foldex.exe lumo.dll)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-debug
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${program}\" RESULT_VARIABLE stripped)
      if(NOT stripped EQUAL 0)
        message(FATAL_ERROR \"cannot strip \${program}\")
      endif()
    endforeach()")
endif()
install(DIRECTORY ${CMAKE_SOURCE_DIR}/dist/ DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(CPACK_PACKAGE_FILE_NAME vantrel-${PROJECT_VERSION}-win32)
else()
  set(CPACK_PACKAGE_FILE_NAME vantrel-${PROJECT_VERSION}-win64)
endif()
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
