# Compiles one-line probes against a layer's include path, as its own sources
# see it: each header of the layer itself must be found, each header of a
# layer above it (or beside it, unlinked) must not.
#
#   cmake -DCOMPILER=c++ -DINCLUDES="dir;dir" -DDEFINITIONS="NAME=1;..." -DOWN=header
#         -DFORBIDDEN="h;h" -P include_direction.cmake
foreach(variable COMPILER INCLUDES OWN FORBIDDEN)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "include_direction.cmake: ${variable} is not set")
  endif()
endforeach()

set(flags -std=c++17 -fsyntax-only -x c++)
foreach(directory ${INCLUDES})
  list(APPEND flags -I${directory})
endforeach()
foreach(definition ${DEFINITIONS})
  list(APPEND flags -D${definition})
endforeach()

# Returns in `result` the compiler's exit status for a file including `header`.
function(compile_probe header result)
  execute_process(COMMAND ${CMAKE_COMMAND} -E echo "#include \"${header}\""
                  COMMAND ${COMPILER} ${flags} -
                  RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
  set(${result} ${status} PARENT_SCOPE)
endfunction()

compile_probe(${OWN} status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the layer cannot include its own header ${OWN}")
endif()
foreach(header ${FORBIDDEN})
  compile_probe(${header} status)
  if(status EQUAL 0)
    message(FATAL_ERROR "the layer can include ${header}, which it must not see")
  endif()
endforeach()
