# Fails when an include points against the layers' direction:
#   base/  knows nothing of the project above it (and no Qt)
#   midi/  knows base/ only (and no Qt); its core knows none of its backends
#   ui/    knows base/ and Qt, never midi/ or app/
# Run as: cmake -DROOT=<source dir> -P CheckDirection.cmake
set(_faults "")

function(check folder pattern why)
  file(GLOB_RECURSE _files RELATIVE ${ROOT} ${ROOT}/${folder}/*.h ${ROOT}/${folder}/*.cpp)
  foreach(_file IN LISTS _files)
    file(STRINGS ${ROOT}/${_file} _lines REGEX "^[ \t]*#[ \t]*include")
    foreach(_line IN LISTS _lines)
      if(_line MATCHES "${pattern}")
        list(APPEND _faults "${_file}: ${_line}  (${why})")
      endif()
    endforeach()
  endforeach()
  set(_faults "${_faults}" PARENT_SCOPE)
endfunction()

check(base "[\"<](midi|ui|app)/|<Q|<qt" "base/ is the bottom layer")
check(midi "[\"<](ui|app)/|<Q|<qt" "midi/ is Qt-free and below ui/ and app/")
check(ui "[\"<](midi|app)/" "ui/ knows only base/")

# The MIDI core (the files directly in midi/) knows no backend folder.
file(GLOB _core RELATIVE ${ROOT} ${ROOT}/midi/*.h ${ROOT}/midi/*.cpp)
foreach(_file IN LISTS _core)
  file(STRINGS ${ROOT}/${_file} _lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"midi/[a-z]+/")
  foreach(_line IN LISTS _lines)
    list(APPEND _faults "${_file}: ${_line}  (the MIDI core knows no backend)")
  endforeach()
endforeach()

if(_faults)
  list(JOIN _faults "\n  " _text)
  message(FATAL_ERROR "Includes against the layers' direction:\n  ${_text}")
endif()
message(STATUS "Layers: every include points down")
