# make_assets draws the pictures at build time, so in a cross build it must be a program for
# the build machine: a program for the target would need the target's Qt and fonts at hand.
# It is built from this same source tree for the host, or given ready-made as
# TASTIVA_HOST_MAKE_ASSETS, and imported under the usual name.
set(TASTIVA_HOST_MAKE_ASSETS "" CACHE FILEPATH
    "make_assets built for the build machine (empty: build it here)")

if(TASTIVA_HOST_MAKE_ASSETS)
  add_executable(make_assets IMPORTED GLOBAL)
  set_target_properties(make_assets PROPERTIES IMPORTED_LOCATION ${TASTIVA_HOST_MAKE_ASSETS})
  return()
endif()

include(ExternalProject)
set(_host ${CMAKE_BINARY_DIR}/host-tools)
set(_host_make_assets ${_host}/ui/assets/make_assets)
# The host's own compilers and Qt: no toolchain file, nothing but the one program built.
ExternalProject_Add(host_tools
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${_host}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DTASTIVA_BUILD_TESTS=OFF -DTASTIVA_BUILD_BENCH=OFF
  BUILD_COMMAND ${CMAKE_COMMAND} --build ${_host} --target make_assets
  BUILD_BYPRODUCTS ${_host_make_assets}
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
)
add_executable(make_assets IMPORTED GLOBAL)
set_target_properties(make_assets PROPERTIES IMPORTED_LOCATION ${_host_make_assets})
add_dependencies(make_assets host_tools)
