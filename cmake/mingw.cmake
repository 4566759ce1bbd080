# Cross-build for Windows with mingw-w64 (posix threads), for the processor
# that VANTREL_MINGW_PROCESSOR names: i686 for the shipped 32-bit program
# folder, x86_64 for the twin that runs the tests under wine64. The runtime
# is linked statically, so that the program folder needs nothing installed.
if(NOT VANTREL_MINGW_PROCESSOR)
  set(VANTREL_MINGW_PROCESSOR i686)
endif()
# The compiler checks configure projects of their own with this file.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VANTREL_MINGW_PROCESSOR)
set(triple ${VANTREL_MINGW_PROCESSOR}-w64-mingw32)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${VANTREL_MINGW_PROCESSOR})

set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_OBJDUMP ${triple}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
