# Windows test programs run under Wine on the build machine. Given as one of
#   -DCMAKE_PROJECT_TOP_LEVEL_INCLUDES=...;<this file>
# in a MinGW cross build, it makes every test (and GoogleTest's listing of cases) start
# through <build>/wine-run, which finds the Qt and C++ runtime DLLs and the tree's own Wine
# prefix. Wine needs an X display even for the offscreen platform: DISPLAY must be set.
if(NOT CMAKE_CROSSCOMPILING OR NOT CMAKE_SYSTEM_NAME STREQUAL "Windows")
  return()
endif()
find_program(TASTIVA_WINE wine REQUIRED)
include(${CMAKE_CURRENT_LIST_DIR}/MingwRuntime.cmake)

set(_dirs "")
foreach(_dll IN LISTS TASTIVA_MINGW_RUNTIME_DLLS)
  get_filename_component(_dir "${_dll}" DIRECTORY)
  list(APPEND _dirs "${_dir}")
endforeach()
list(REMOVE_DUPLICATES _dirs)
string(ASCII 59 _semicolon) # Windows' path separator, kept out of CMake's list syntax
list(JOIN _dirs "${_semicolon}" _runtime_path)

set(TASTIVA_WINE_RUN ${CMAKE_BINARY_DIR}/wine-run)
# Written once the targets exist: Qt's DLLs are where Qt6::Core's is.
file(GENERATE OUTPUT ${TASTIVA_WINE_RUN} CONTENT "#!/bin/sh
# Runs a Windows program of this build tree under Wine.
export WINEPATH=\"$<TARGET_FILE_DIR:Qt6::Core>${_semicolon}${_runtime_path}\"
export WINEPREFIX=\"\${WINEPREFIX:-${CMAKE_BINARY_DIR}/wine}\"
export WINEDEBUG=\"\${WINEDEBUG:--all}\"
# Never offer to install Mono or Gecko, never write menu entries into the host's desktop.
export WINEDLLOVERRIDES=\"\${WINEDLLOVERRIDES:-mscoree,mshtml,winemenubuilder.exe=d}\"
[ -n \"\$DISPLAY\" ] || { echo 'wine-run: Wine needs an X display (DISPLAY)' >&2; exit 1; }
exec ${TASTIVA_WINE} \"\$@\"
" FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
                  WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TASTIVA_WINE_RUN})
# Listing a GoogleTest program's cases starts it under Wine: do that when ctest runs, with a
# display and the prefix ready, not after every build.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
