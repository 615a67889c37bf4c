# Shared part of the two mingw-w64 toolchain files.
set(CMAKE_C_COMPILER ${NOTIWELL_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${NOTIWELL_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${NOTIWELL_TRIPLE}-windres)
set(CMAKE_AR ${NOTIWELL_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${NOTIWELL_TRIPLE}-ranlib CACHE FILEPATH "")
set(CMAKE_FIND_ROOT_PATH /usr/${NOTIWELL_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64" AND EXISTS /usr/lib/wine/wine64)
  # Tests of the 64-bit build run under Wine; the 32-bit build is only compiled and linked.
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
endif()
