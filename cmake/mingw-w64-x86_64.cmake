# Cross build for 64-bit Windows with Debian's MinGW-w64 compilers. Programs built with it
# run under Wine when it is installed, so ctest works on Linux.
#
#   cmake -S . -B build-windows --toolchain "$PWD/cmake/mingw-w64-x86_64.cmake"
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TASTIVA_MINGW_TRIPLE x86_64-w64-mingw32)
# The posix-thread compilers: the win32-thread ones have no std::mutex or std::thread.
set(CMAKE_C_COMPILER ${TASTIVA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TASTIVA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TASTIVA_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TASTIVA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Self-contained programs: no libstdc++, libgcc or winpthread DLLs to copy next to them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(TASTIVA_WINE wine)
if(TASTIVA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TASTIVA_WINE})
endif()

# Listing a GoogleTest program's cases starts it under Wine: do that when ctest runs (with
# the Wine prefix set up), not after every build.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
