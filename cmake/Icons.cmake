# Program icons: hand-drawn SVG sources in resources/icons/ (oltrex-<name>.svg),
# turned at build time into PNG sizes (rsvg-convert) for the Linux desktop and
# into a Windows .ico (icotool) for the programs' resource scripts. Both land
# in ${OLTREX_ICON_DIR}.
set(OLTREX_ICON_SOURCE_DIR ${PROJECT_SOURCE_DIR}/resources/icons)
set(OLTREX_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
set(OLTREX_ICON_NAMES keyfetch keyrefresh fwflasher)
set(OLTREX_ICON_PNG_SIZES 16 24 32 48 64 128 256)

if(WIN32)
  find_program(OLTREX_RSVG_CONVERT rsvg-convert REQUIRED)
  find_program(OLTREX_ICOTOOL icotool REQUIRED)
else()
  # Without rsvg-convert the Linux build installs the SVG icons alone.
  find_program(OLTREX_RSVG_CONVERT rsvg-convert)
endif()

set(icon_outputs "")
if(OLTREX_RSVG_CONVERT)
  foreach(name IN LISTS OLTREX_ICON_NAMES)
    set(svg ${OLTREX_ICON_SOURCE_DIR}/oltrex-${name}.svg)
    set(pngs "")
    set(commands "")
    foreach(size IN LISTS OLTREX_ICON_PNG_SIZES)
      set(png ${OLTREX_ICON_DIR}/${size}/oltrex-${name}.png)
      list(APPEND pngs ${png})
      list(APPEND commands
        COMMAND ${CMAKE_COMMAND} -E make_directory ${OLTREX_ICON_DIR}/${size}
        COMMAND ${OLTREX_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${svg})
    endforeach()
    add_custom_command(OUTPUT ${pngs} ${commands} DEPENDS ${svg}
      COMMENT "Icon oltrex-${name}: PNG sizes" VERBATIM)
    list(APPEND icon_outputs ${pngs})

    if(WIN32)
      # Small sizes as bitmaps, 256 as PNG (as Windows keeps its large icons).
      set(ico ${OLTREX_ICON_DIR}/oltrex-${name}.ico)
      add_custom_command(OUTPUT ${ico}
        COMMAND ${OLTREX_ICOTOOL} -c -o ${ico}
                ${OLTREX_ICON_DIR}/16/oltrex-${name}.png ${OLTREX_ICON_DIR}/24/oltrex-${name}.png
                ${OLTREX_ICON_DIR}/32/oltrex-${name}.png ${OLTREX_ICON_DIR}/48/oltrex-${name}.png
                --raw=${OLTREX_ICON_DIR}/256/oltrex-${name}.png
        DEPENDS ${pngs}
        COMMENT "Icon oltrex-${name}: Windows .ico" VERBATIM)
      list(APPEND icon_outputs ${ico})
    endif()
  endforeach()
endif()
add_custom_target(oltrex_icons ALL DEPENDS ${icon_outputs})

# Gives the Windows program `target` the icon oltrex-<name>: its resource
# script (`rc`, which names "oltrex-<name>.ico") finds the .ico through the
# include path, and is compiled again when the icon changes.
function(oltrex_program_icon target rc name)
  if(NOT WIN32)
    return()
  endif()
  target_sources(${target} PRIVATE ${rc})
  set_property(SOURCE ${rc} APPEND PROPERTY INCLUDE_DIRECTORIES ${OLTREX_ICON_DIR})
  set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS ${OLTREX_ICON_DIR}/oltrex-${name}.ico)
  add_dependencies(${target} oltrex_icons)
endfunction()
