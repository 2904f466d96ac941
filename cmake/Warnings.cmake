# Warnings are on for our own targets and must stay clean.
function(qv_set_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
    -Wcast-align -Wunused -Woverloaded-virtual -Wnull-dereference
    -Wimplicit-fallthrough)
endfunction()

# One call per engine library: sources, public include root, warnings.
function(qv_add_library target)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  # A library whose sources are not all written yet is left out with a
  # warning, so that work in progress in one layer does not stop the others.
  foreach(source IN LISTS ARG_SOURCES)
    if(NOT IS_ABSOLUTE ${source})
      set(source ${CMAKE_CURRENT_SOURCE_DIR}/${source})
    endif()
    if(NOT EXISTS ${source})
      message(WARNING "${target} left out: ${source} does not exist")
      return()
    endif()
  endforeach()
  if(NOT ARG_SOURCES)
    message(WARNING "${target} left out: no sources")
    return()
  endif()
  # Without Qt, a library that needs it, or needs one that was left out, is
  # left out too.
  if(NOT QV_WITH_QT)
    foreach(dep IN LISTS ARG_DEPS)
      if(dep MATCHES "^Qt6::" OR (dep MATCHES "^qv_" AND NOT TARGET ${dep}))
        message(STATUS "${target} left out of the build without Qt: it needs ${dep}")
        return()
      endif()
    endforeach()
  endif()
  add_library(${target} STATIC ${ARG_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${target} PUBLIC ${ARG_DEPS})
  qv_set_warnings(${target})
endfunction()
