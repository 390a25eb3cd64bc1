# The Windows build of both architectures in one: the presets windows-x64 and
# windows-x86 as sub-builds (in their own build folders, so that their test
# presets run on what this builds). One after the other, each on every core.
include(ExternalProject)

set(windows_architectures x64 x86)
set(windows_toolchain_x64 ${CMAKE_SOURCE_DIR}/cmake/toolchain-mingw-x86_64.cmake)
set(windows_toolchain_x86 ${CMAKE_SOURCE_DIR}/cmake/toolchain-mingw-i686.cmake)

# The i686 build generates its firmware headers with the x86_64 build's tool:
# a 64-bit Wine runs it on every machine, also where 32-bit programs cannot run.
set(windows_extra_args_x86 -DOLTREX_FWHEADER_EXE=${CMAKE_SOURCE_DIR}/build/windows-x64/bin/oltrex-fwheader.exe)

set(previous "")
foreach(arch IN LISTS windows_architectures)
  ExternalProject_Add(windows-${arch}
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${CMAKE_SOURCE_DIR}/build/windows-${arch}
    CMAKE_GENERATOR Ninja
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${windows_toolchain_${arch}} -DCMAKE_BUILD_TYPE=Release
               ${windows_extra_args_${arch}}
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    USES_TERMINAL_CONFIGURE ON
    USES_TERMINAL_BUILD ON
    DEPENDS ${previous})
  set(previous windows-${arch})
endforeach()
