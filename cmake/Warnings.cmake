# The project's warning flags as a target that each of its own targets links, so third-party
# code built in the same tree (GoogleTest from source) keeps its own flags.
add_library(tastiva_warnings INTERFACE)
if(MSVC)
  target_compile_options(tastiva_warnings INTERFACE /W4 /permissive- $<$<BOOL:${TASTIVA_WERROR}>:/WX>)
else()
  target_compile_options(tastiva_warnings INTERFACE -Wall -Wextra -Wpedantic
                                                    $<$<BOOL:${TASTIVA_WERROR}>:-Werror>)
endif()
