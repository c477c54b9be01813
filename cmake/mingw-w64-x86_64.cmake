# Cross build for 64-bit Windows with Debian's MinGW-w64 compilers: the same compilers and
# search rules Qt for Windows was built with (scripts/build-qt-windows.sh), so the program
# shares its C++ runtime DLLs. Chainloaded by Qt's own toolchain file; see the "windows"
# preset in CMakePresets.json.
include(${CMAKE_CURRENT_LIST_DIR}/qt-mingw/toolchain.cmake)
