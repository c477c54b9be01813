# Installed desktop files and the Debian package: `cpack -G DEB` in a build tree configured
# with CMAKE_BUILD_TYPE=Release.
if(TASTIVA_MIDI_ONLY)
  return()
endif()

# The Debian revision; packaging/changelog.Debian must name the same full version.
set(TASTIVA_DEB_RELEASE 1)

add_subdirectory(${PROJECT_SOURCE_DIR}/packaging ${PROJECT_BINARY_DIR}/packaging)
if(TASTIVA_BUILD_TESTS)
  add_subdirectory(${PROJECT_SOURCE_DIR}/tests/package ${PROJECT_BINARY_DIR}/tests/package)
endif()

set(CPACK_PACKAGE_NAME tastiva)
set(CPACK_PACKAGE_VENDOR "The Tastiva authors")
set(CPACK_PACKAGE_CONTACT "Tastiva maintainers <tastiva@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "on-screen 32-key MIDI keyboard with a built-in synthesizer")
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(CPACK_GENERATOR DEB)
endif()
set(CPACK_STRIP_FILES ON)
# Packages are built as root with any umask; Debian wants 0755 directories.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${TASTIVA_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# CPack puts the summary above this as the synopsis line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tastiva turns a computer into a playable 32-key MIDI keyboard, F3 to C6.
Play the on-screen keys with the mouse or two rows of the computer keyboard,
and pick one of the 128 General MIDI instruments and the output device.
.
It sounds out of the box through its built-in FluidSynth synthesizer with a
General MIDI SoundFont, and plays to the ALSA sequencer and JACK MIDI ports.")
# Library packages come from dpkg-shlibdeps; these are loaded at run time, not linked.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Any General MIDI SoundFont, named as libfluidsynth3 names it: sf3-soundfont-gm is provided by
# the .sf2 and the .sf3 ones, which the synthesizer both reads.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, timgm6mb-soundfont | sf3-soundfont-gm")
# Qt's Wayland platform: without it a Wayland-only desktop cannot start the program.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Windows: a zip and an installer (`cpack` in the build tree of the "windows" preset).
if(WIN32)
  add_subdirectory(${PROJECT_SOURCE_DIR}/packaging/windows ${PROJECT_BINARY_DIR}/packaging/windows)
  get_property(_icon_dir GLOBAL PROPERTY TASTIVA_DESKTOP_ICON_DIR)
  set(CPACK_GENERATOR ZIP NSIS)
  unset(CPACK_PACKAGING_INSTALL_PREFIX) # the program in bin/ of the folder it is put in
  # The project's copy of CMake's NSIS template: a 64-bit installer.
  set(CPACK_MODULE_PATH ${PROJECT_SOURCE_DIR}/packaging/windows)
  set(CPACK_PACKAGE_INSTALL_DIRECTORY Tastiva)
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
  set(CPACK_NSIS_PACKAGE_NAME Tastiva)
  set(CPACK_NSIS_DISPLAY_NAME Tastiva)
  # A Start-menu entry "Tastiva" for bin/tastiva.exe, which carries the icon.
  set(CPACK_PACKAGE_EXECUTABLES tastiva Tastiva)
  # Backslashes doubled twice: CPack writes the value into its settings file unescaped.
  set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\\\tastiva.exe")
  set(CPACK_NSIS_MUI_ICON ${_icon_dir}/MainIcon.ico)
  set(CPACK_NSIS_MUI_UNIICON ${_icon_dir}/MainIcon.ico)
endif()

include(CPack)
