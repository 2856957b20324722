# The one place where compiler warnings are set for every target of the project.
option(ZAMO_WERROR "Treat compiler warnings as errors" OFF)

function(zamo_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                           -Wold-style-cast -Woverloaded-virtual -Wimplicit-fallthrough)
  if(ZAMO_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
