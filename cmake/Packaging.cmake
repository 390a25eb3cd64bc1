# What an installation holds, and the packages made of it (CPack): on Linux a
# .deb, on Windows one NSIS setup program per architecture. The target
# oltrex-package-contents builds what is installed; `cpack` in the build folder
# then makes the package (scripts/package.sh does both and tests the result).

# Installing builds nothing itself: the package needs only the targets below,
# not the tests and tools of a whole build.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

if(WIN32)
  # The three programs and our hime.dll, side by side in one folder, where the
  # vendor's keylink.dll and FTDI's FTD2XX.dll (neither shipped) are found too.
  set(package_targets KeyFetch KeyRefresh FwFlasher hime)
  install(TARGETS KeyFetch KeyRefresh FwFlasher RUNTIME DESTINATION .)
  install(TARGETS hime RUNTIME DESTINATION . ARCHIVE DESTINATION lib COMPONENT development EXCLUDE_FROM_ALL)
else()
  # Programs and tools in bin/; the libraries they load (the simulated key, the
  # cipher, D2XX on termios) in lib/oltrex/, which their RUNPATH names, with the
  # boot-loader simulator that the simulated key starts from beside itself.
  set(package_programs KeyFetch KeyRefresh FwFlasher)
  set(package_tools oltrex-keytool oltrex-dlcreader oltrex-fwheader)
  set(package_libraries keylink hime ftd2xx)
  set(package_targets ${package_programs} ${package_tools} ${package_libraries} oltrex-bootsim)
  install(TARGETS ${package_programs} ${package_tools} RUNTIME DESTINATION bin)
  install(TARGETS ${package_libraries} LIBRARY DESTINATION lib/oltrex NAMELINK_SKIP)
  install(TARGETS oltrex-bootsim RUNTIME DESTINATION lib/oltrex)
  install(CODE [[
    file(MAKE_DIRECTORY "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin")
    file(CREATE_LINK ../lib/oltrex/oltrex-bootsim "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin/oltrex-bootsim" SYMBOLIC)
  ]])

  foreach(name IN LISTS OLTREX_ICON_NAMES)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/oltrex-${name}.desktop
            DESTINATION share/applications)
    install(FILES ${OLTREX_ICON_SOURCE_DIR}/oltrex-${name}.svg
            DESTINATION share/icons/hicolor/scalable/apps)
    if(OLTREX_RSVG_CONVERT)
      foreach(size IN LISTS OLTREX_ICON_PNG_SIZES)
        install(FILES ${OLTREX_ICON_DIR}/${size}/oltrex-${name}.png
                DESTINATION share/icons/hicolor/${size}x${size}/apps)
      endforeach()
    endif()
  endforeach()
endif()
add_custom_target(oltrex-package-contents DEPENDS ${package_targets} oltrex_icons)

# Values reach the generators as written here (quotes of the NSIS texts).
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME oltrex-key)
set(CPACK_PACKAGE_VENDOR OLTREX)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "OLTREX key programs: KeyFetch, KeyRefresh, FwFlasher")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "KeyFetch downloads the EU tachograph files of an OLTREX-Key into encrypted download "
    "containers. KeyRefresh and FwFlasher update the key's firmware. Without the vendor's "
    "key library the key is simulated (oltrex-keytool makes simulated keys).")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
# One package of everything installed by default (not the import library).
set(CPACK_MONOLITHIC_INSTALL ON)

if(WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(arch x64)
    set(bits 64)
    set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
    # A 64-bit setup program: it writes the native registry view and runs
    # where Wine has no 32-bit side.
    set(nsis_target "Target amd64-unicode")
    string(CONCAT choice_text
        "64-Bit-Programme laden nur 64-Bit-DLLs: Nehmen Sie dieses Setup nur mit einer 64-Bit-keylink.dll. "
        "Ist die keylink.dll Ihres Keys eine 32-Bit-DLL, wie meist, nehmen Sie das 32-Bit-Setup.")
  else()
    set(arch x86)
    set(bits 32)
    set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES")
    set(nsis_target "Unicode true")
    string(CONCAT choice_text
        "Dieses 32-Bit-Setup ist das richtige, wenn die keylink.dll Ihres Keys eine 32-Bit-DLL ist, wie meist; "
        "die Programme laufen auf 32- und 64-Bit-Windows. Mit einer 64-Bit-keylink.dll nehmen Sie das 64-Bit-Setup.")
  endif()
  # The Modern UI pages of CPack's template read their texts from an INI file,
  # where a line break is written "\r\n".
  set(nl "\\r\\n")
  string(CONCAT welcome_text
    "Dieses Setup installiert KeyFetch, KeyRefresh und FwFlasher (${bits} Bit).${nl}${nl}"
    "Nicht enthalten ist, was die Programme außerdem brauchen:${nl}"
    "- keylink.dll vom Hersteller Ihres OLTREX-Keys (alle drei Programme),${nl}"
    "- FTD2XX.dll aus dem D2XX-Treiber von FTDI (KeyRefresh und FwFlasher).${nl}${nl}"
    "${choice_text}")
  string(CONCAT finish_text
    "Die Programme liegen in $INSTDIR.${nl}${nl}"
    "Legen Sie die keylink.dll vom Hersteller Ihres Keys in diesen Ordner und installieren Sie "
    "für KeyRefresh und FwFlasher den D2XX-Treiber von FTDI, der die FTD2XX.dll mitbringt.")

  set(CPACK_GENERATOR NSIS)
  set(CPACK_PACKAGE_FILE_NAME "oltrex-key-${PROJECT_VERSION}-windows-${arch}-setup")
  set(CPACK_PACKAGE_INSTALL_DIRECTORY "OLTREX Key-Programme")
  set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "OLTREX Key-Programme (${bits} Bit)")
  set(CPACK_NSIS_PACKAGE_NAME "OLTREX Key-Programme (${bits} Bit)")
  set(CPACK_NSIS_DISPLAY_NAME "OLTREX Key-Programme ${PROJECT_VERSION} (${bits} Bit)")
  set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
  set(CPACK_PACKAGE_EXECUTABLES KeyFetch KeyFetch KeyRefresh KeyRefresh FwFlasher FwFlasher)
  set(CPACK_NSIS_INSTALLED_ICON_NAME KeyFetch.exe)
  set(CPACK_NSIS_MUI_ICON ${OLTREX_ICON_DIR}/oltrex-keyfetch.ico)
  set(CPACK_NSIS_WELCOME_TITLE "OLTREX Key-Programme (${bits} Bit)")
  set(CPACK_NSIS_FINISH_TITLE "Installation abgeschlossen")
  set(CPACK_NSIS_DEFINES
    "${nsis_target}\n  !define MUI_WELCOMEPAGE_TEXT \"${welcome_text}\"\n  !define MUI_FINISHPAGE_TEXT \"${finish_text}\"")
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER OLTREX)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  # Library dependencies from dpkg-shlibdeps (Qt 6, OpenSSL, the C++ runtime);
  # Qt's German translations for the windows' own buttons and menus.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-translations-l10n)
endif()

include(CPack)
