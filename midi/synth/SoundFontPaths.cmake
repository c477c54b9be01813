# Reads one section ("unix" or "macos") of SoundFontPaths.txt, the list of SoundFonts the
# built-in synthesizer tries, into a CMake list. Used by the synthesizer and the manual page.
set(TASTIVA_SOUNDFONT_TABLE ${CMAKE_CURRENT_LIST_DIR}/SoundFontPaths.txt)

function(tastiva_soundfont_paths section out)
  set_property(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                                                                 ${TASTIVA_SOUNDFONT_TABLE})
  file(STRINGS ${TASTIVA_SOUNDFONT_TABLE} lines)
  set(current "")
  set(paths "")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "#.*" "" line "${line}")
    string(STRIP "${line}" line)
    if(line MATCHES "^\\[(.+)\\]$")
      set(current ${CMAKE_MATCH_1})
    elseif(NOT line STREQUAL "" AND current STREQUAL section)
      list(APPEND paths "${line}")
    endif()
  endforeach()
  if(NOT paths)
    message(FATAL_ERROR "${TASTIVA_SOUNDFONT_TABLE} has no section [${section}]")
  endif()
  set(${out} "${paths}" PARENT_SCOPE)
endfunction()

# The section of the system being built for.
if(APPLE)
  set(TASTIVA_SOUNDFONT_SECTION macos)
else()
  set(TASTIVA_SOUNDFONT_SECTION unix)
endif()
