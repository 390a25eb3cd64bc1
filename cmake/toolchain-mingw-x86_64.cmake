# Cross build for Windows (x86_64) with Debian's mingw-w64 (GCC 12, posix threads).
# Programs built here run on Windows, and under Wine on this machine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(OLTREX_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${OLTREX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${OLTREX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${OLTREX_MINGW_PREFIX}-windres)
set(CMAKE_DLLTOOL      ${OLTREX_MINGW_PREFIX}-dlltool)

set(CMAKE_FIND_ROOT_PATH /usr/${OLTREX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Optimised as the Linux ci build (-O2): quicker to build than -O3, as fast here.
set(CMAKE_C_FLAGS_RELEASE_INIT   "-O2 -DNDEBUG")
set(CMAKE_CXX_FLAGS_RELEASE_INIT "-O2 -DNDEBUG")

# The C++ and thread runtimes are linked in, so the programs need no DLLs of ours.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs and build-time tools run through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
