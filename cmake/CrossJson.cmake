# nlohmann-json for the Windows cross-build. The distribution's package
# names /usr/include as the header folder, which would hand the cross
# compiler the build machine's C library headers too. Its headers are copied
# into the build folder and a package config of our own names that copy
# alone; find_package(nlohmann_json) in the command line and the language
# server then finds it as it finds the installed package natively.
set(qv_json_headers /usr/include/nlohmann)
set(qv_json_package /usr/share/cmake/nlohmann_json)
if(NOT EXISTS ${qv_json_headers}/json.hpp OR NOT EXISTS ${qv_json_package}/nlohmann_jsonConfigVersion.cmake)
  message(FATAL_ERROR "nlohmann-json is missing: install nlohmann-json3-dev")
endif()
set(qv_json_root ${CMAKE_BINARY_DIR}/cross-json)
file(COPY ${qv_json_headers} DESTINATION ${qv_json_root}/include)
file(COPY ${qv_json_package}/nlohmann_jsonConfigVersion.cmake DESTINATION ${qv_json_root}/cmake)
file(WRITE ${qv_json_root}/cmake/nlohmann_jsonConfig.cmake
"if(NOT TARGET nlohmann_json::nlohmann_json)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES ${qv_json_root}/include)
endif()
")
set(nlohmann_json_DIR ${qv_json_root}/cmake CACHE PATH "nlohmann-json's package config (the cross-build's copy)" FORCE)
