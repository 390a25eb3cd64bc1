# Helpers of the Windows build: .def files and import libraries; resource
# scripts (windres) for the programs' icons.
enable_language(RC)

# The .def file `def` as this architecture's linker needs it, in `out_var`:
# 32-bit names keep their stdcall decoration ("FT_Open@8"); the 64-bit build
# has none, so there the "@N" is cut from the names.
function(oltrex_def_for_target_arch def out_var)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(${out_var} "${def}" PARENT_SCOPE)
    return()
  endif()
  get_filename_component(name "${def}" NAME)
  set(out "${CMAKE_BINARY_DIR}/def/${name}")
  set(${out_var} "${out}" PARENT_SCOPE)
  # Made once however many targets use it (the import library, the DLL).
  get_property(made GLOBAL PROPERTY OLTREX_ARCH_DEFS)
  if(out IN_LIST made)
    return()
  endif()
  set_property(GLOBAL APPEND PROPERTY OLTREX_ARCH_DEFS "${out}")
  file(READ "${def}" text)
  string(REGEX REPLACE "([A-Za-z_][A-Za-z0-9_]*)@[0-9]+" "\\1" text "${text}")
  file(GENERATE OUTPUT "${out}" CONTENT "${text}")
  set_property(DIRECTORY "${PROJECT_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${def}")
  set(${out_var} "${out}" PARENT_SCOPE)
endfunction()

# An import library `target` for the DLL `dll`, made from `def`: a program
# that links it binds the DLL's entry points as the .def names them, by
# ordinal where the .def says NONAME. The DLL itself need not exist.
function(oltrex_import_library target def dll)
  oltrex_def_for_target_arch("${def}" arch_def)
  set(lib "${CMAKE_BINARY_DIR}/implib/lib${target}.a")
  add_custom_command(
    OUTPUT "${lib}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/implib"
    COMMAND ${CMAKE_DLLTOOL} --input-def "${arch_def}" --output-lib "${lib}" --dllname "${dll}"
    DEPENDS "${arch_def}" "${def}"
    COMMENT "Import library of ${dll}"
    VERBATIM)
  add_custom_target(${target}_file DEPENDS "${lib}")
  add_library(${target} INTERFACE)
  target_link_libraries(${target} INTERFACE "${lib}")
  add_dependencies(${target} ${target}_file)
endfunction()
