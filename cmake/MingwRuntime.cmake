# The C++ runtime DLLs a MinGW-w64 program built with shared runtimes loads (and Qt with it):
# libstdc++ and libgcc beside the compiler's libraries, winpthread in the target's root.
set(TASTIVA_MINGW_RUNTIME_DLLS "")
foreach(_dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${_dll}
                  OUTPUT_VARIABLE _path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${_path}" OR NOT EXISTS "${_path}")
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${_dll} is")
  endif()
  get_filename_component(_path "${_path}" ABSOLUTE)
  list(APPEND TASTIVA_MINGW_RUNTIME_DLLS "${_path}")
endforeach()
