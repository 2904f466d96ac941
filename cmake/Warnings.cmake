# Warnings are on for our own targets and must stay clean.
function(qv_set_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
    -Wcast-align -Wunused -Woverloaded-virtual -Wnull-dereference
    -Wimplicit-fallthrough)
endfunction()

# One call per engine library: sources, public include root, warnings.
# In a build without Qt: the first of the dependencies that is Qt or a
# library left out of the build (a generator expression counts by the
# target it names), in result; empty when there is none or Qt is there.
function(qv_missing_dependency result)
  set(${result} "" PARENT_SCOPE)
  if(QV_WITH_QT)
    return()
  endif()
  foreach(dep IN LISTS ARGN)
    string(REGEX MATCH "(Qt6::|qv_)[A-Za-z_]+" dep "${dep}")
    if(dep MATCHES "^Qt6::" OR (dep MATCHES "^qv_" AND NOT TARGET ${dep}))
      set(${result} "${dep}" PARENT_SCOPE)
      return()
    endif()
  endforeach()
endfunction()

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
  qv_missing_dependency(missing ${ARG_DEPS})
  if(missing)
    message(STATUS "${target} left out of the build without Qt: it needs ${missing}")
    return()
  endif()
  add_library(${target} STATIC ${ARG_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${target} PUBLIC ${ARG_DEPS})
  qv_set_warnings(${target})
endfunction()
