# Strict warnings for the project's own targets only (not for Qt's generated code).
# OLTREX_WERROR is switched off only for builds with another compiler (the fuzzers').
function(oltrex_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(OLTREX_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
    # GCC 12 with optimisation (the release and ci presets) reports false
    # positives of these inside the standard library's string and vector code
    # (GCC bugs 105329, 105651, 106199); they stay warnings there instead of
    # stopping the build. The unoptimised sanitizer build keeps them as errors.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12)
      target_compile_options(${target} PRIVATE
        $<$<NOT:$<CONFIG:Debug>>:-Wno-error=restrict -Wno-error=array-bounds -Wno-error=stringop-overread>)
    endif()
  endif()
endfunction()

# Adds each listed folder that holds a CMakeLists.txt.
function(oltrex_add_subdirectories)
  foreach(dir IN LISTS ARGN)
    if(EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt")
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()

# Every sub-folder of the current folder that holds a CMakeLists.txt.
function(oltrex_add_all_subdirectories)
  file(GLOB children RELATIVE "${CMAKE_CURRENT_SOURCE_DIR}" "${CMAKE_CURRENT_SOURCE_DIR}/*")
  list(SORT children)
  foreach(dir IN LISTS children)
    if(IS_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}/${dir}"
       AND EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt")
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()

# A test executable: links GoogleTest, registers its cases with CTest.
# Tests find the sample downloads through $OLTREX_SAMPLES and the built
# programs and libraries through $OLTREX_BIN. In the Windows build each test
# executable is one CTest test, run through Wine as a whole: one Wine start
# per executable instead of one per case.
function(oltrex_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  oltrex_warnings(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest GTest::gtest_main)
  # The shared test helpers: "support/...".
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  if(WIN32)
    # setenv(), unsetenv() and mkdtemp() for the tests' own set-up.
    target_compile_options(${name} PRIVATE -include ${PROJECT_SOURCE_DIR}/tests/support/WindowsShims.h)
    target_link_libraries(${name} PRIVATE oltrex_platform)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
      ENVIRONMENT "OLTREX_SAMPLES=${OLTREX_SAMPLES_DIR};OLTREX_BIN=${CMAKE_BINARY_DIR}/bin")
    return()
  endif()
  gtest_discover_tests(${name}
    TEST_PREFIX "${name}."
    DISCOVERY_TIMEOUT 60
    # One variable per property: gtest_discover_tests splits a list value.
    PROPERTIES ENVIRONMENT "OLTREX_SAMPLES=${OLTREX_SAMPLES_DIR}"
               ENVIRONMENT_MODIFICATION "OLTREX_BIN=set:${CMAKE_BINARY_DIR}/bin")
endfunction()

# One test executable per *_test.cpp file in the current folder, each linked
# with LIBS, so that one broken test file does not stop the others. The files
# named in LINUX_ONLY (without .cpp) drive Linux stand-ins or programs and are
# left out of the Windows build; those in WINDOWS_ONLY test the Windows
# build's own libraries.
function(oltrex_glob_tests prefix)
  cmake_parse_arguments(ARG "" "" "LIBS;LINUX_ONLY;WINDOWS_ONLY" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp")
  foreach(src IN LISTS tests)
    get_filename_component(stem "${src}" NAME_WE)
    if((WIN32 AND stem IN_LIST ARG_LINUX_ONLY) OR (NOT WIN32 AND stem IN_LIST ARG_WINDOWS_ONLY))
      continue()
    endif()
    oltrex_add_test(${prefix}_${stem} SOURCES ${src} LIBS ${ARG_LIBS})
  endforeach()
endfunction()
