# Cross build for Windows (x86_64) with Debian's mingw-w64 (GCC 12, posix threads).
# Programs built here run on Windows, and under Wine on this machine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(OLTREX_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${OLTREX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${OLTREX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${OLTREX_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${OLTREX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C++ and thread runtimes are linked in, so the programs need no DLLs of ours.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs and build-time tools run through Wine.
find_program(OLTREX_WINE wine)
if(OLTREX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${OLTREX_WINE})
endif()
