# GoogleTest built from Debian's sources (package googletest) with the project's compilers,
# for cross builds where no GoogleTest library for the target exists. Given as
#   -DCMAKE_PROJECT_TOP_LEVEL_INCLUDES=<this file>
# it answers the project's find_package(GTest) with targets GTest::gtest and GTest::gtest_main.
include(FetchContent)

set(TASTIVA_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
if(NOT EXISTS ${TASTIVA_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in ${TASTIVA_GOOGLETEST_SOURCE} (package googletest)")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
FetchContent_Declare(googletest SOURCE_DIR ${TASTIVA_GOOGLETEST_SOURCE})

function(tastiva_provide_googletest method package)
  if(NOT package STREQUAL "GTest")
    return()
  endif()
  # Third-party code: the project's warning flags are a target of its own, not applied here.
  FetchContent_MakeAvailable(googletest)
  set(GTest_FOUND TRUE PARENT_SCOPE)
endfunction()

cmake_language(SET_DEPENDENCY_PROVIDER tastiva_provide_googletest SUPPORTED_METHODS FIND_PACKAGE)
