# The exchange program linked statically against musl instead of glibc.
#
# It starts once for every step of a run, and on a virtual machine most of
# such a start is glibc's: its start-up asks the processor about itself with
# cpuid again and again, and the hypervisor traps each one. musl's start asks
# nothing. musl has no C++ runtime of its own among the distribution's
# packages, so the program is compiled with GCC's C++ headers over musl's C
# headers and linked with GCC's static C++ runtime; musl/prelude.h and
# musl/runtime.cpp supply the few glibc names that runtime expects. The link
# fails on any other glibc name, so a new use of the C++ library that needs
# one shows at build time.
#
# vantrel_musl_foldex(target) turns the executable target into such a
# program; its sources must be all of the program's (no libraries linked).
# VANTREL_MUSL is set when musl was found.

set(VANTREL_MUSL OFF)
if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64)$"
   AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU"
   AND NOT CMAKE_CROSSCOMPILING AND CMAKE_LIBRARY_ARCHITECTURE)
  string(REGEX REPLACE "-gnu.*$" "-musl" _musl_arch "${CMAKE_LIBRARY_ARCHITECTURE}")
  find_file(VANTREL_MUSL_LIBC libc.a PATHS /usr/lib/${_musl_arch} /usr/lib/musl/lib
    NO_DEFAULT_PATH NO_CACHE)
  find_path(VANTREL_MUSL_INCLUDE stdio.h PATHS /usr/include/${_musl_arch} /usr/lib/musl/include
    NO_DEFAULT_PATH NO_CACHE)
  if(VANTREL_MUSL_LIBC AND VANTREL_MUSL_INCLUDE)
    set(VANTREL_MUSL ON)
  endif()
endif()

# Copy must not be compiled into a call of memcpy, which it is.
set_source_files_properties(${CMAKE_SOURCE_DIR}/foldex/musl/bytes.cpp PROPERTIES
  COMPILE_OPTIONS -fno-tree-loop-distribute-patterns)

function(_vantrel_gcc_file variable name)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${name}
    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "musl link: ${CMAKE_CXX_COMPILER} has no ${name}")
  endif()
  set(${variable} "${path}" PARENT_SCOPE)
endfunction()

function(vantrel_musl_foldex target)
  get_filename_component(musl_lib "${VANTREL_MUSL_LIBC}" DIRECTORY)
  foreach(name libstdc++.a libgcc.a libgcc_eh.a crtbeginT.o crtend.o)
    _vantrel_gcc_file(path ${name})
    string(MAKE_C_IDENTIFIER "${name}" key)
    set(gcc_${key} "${path}")
  endforeach()

  # The C++ headers without glibc's: the compiler's own C++ and intrinsics
  # folders, then musl's C headers, then the kernel's headers, which musl's
  # folder lacks and glibc's folder would bring glibc's with them.
  set(cxx_includes)
  foreach(dir ${CMAKE_CXX_IMPLICIT_INCLUDE_DIRECTORIES})
    if(dir MATCHES "c\\+\\+" OR dir MATCHES "/gcc/.*/include$")
      list(APPEND cxx_includes "SHELL:-isystem ${dir}")
    endif()
  endforeach()
  set(kernel ${CMAKE_BINARY_DIR}/musl-kernel-headers)
  file(MAKE_DIRECTORY ${kernel})
  foreach(dir linux asm-generic)
    file(CREATE_LINK /usr/include/${dir} ${kernel}/${dir} SYMBOLIC)
  endforeach()
  file(CREATE_LINK /usr/include/${CMAKE_LIBRARY_ARCHITECTURE}/asm ${kernel}/asm SYMBOLIC)

  target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/foldex/musl/runtime.cpp
    ${CMAKE_SOURCE_DIR}/foldex/musl/memory.cpp ${CMAKE_SOURCE_DIR}/foldex/musl/bytes.cpp)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/foldex)
  target_compile_options(${target} PRIVATE -nostdinc ${cxx_includes}
    "SHELL:-isystem ${VANTREL_MUSL_INCLUDE}" "SHELL:-isystem ${kernel}"
    "SHELL:-include ${CMAKE_SOURCE_DIR}/foldex/musl/prelude.h")
  # Every start maps the program and faults in the pages it touches: what
  # no step calls is left out (a third of the text).
  target_compile_options(${target} PRIVATE -ffunction-sections -fdata-sections)
  target_link_options(${target} PRIVATE -static -no-pie -nostdlib -Wl,--gc-sections
    ${musl_lib}/crt1.o ${musl_lib}/crti.o ${gcc_crtbeginT_o})
  target_link_libraries(${target} PRIVATE ${gcc_libstdc___a}
    -Wl,--start-group ${gcc_libgcc_a} ${gcc_libgcc_eh_a} ${VANTREL_MUSL_LIBC} -Wl,--end-group
    ${gcc_crtend_o} ${musl_lib}/crtn.o)
endfunction()
