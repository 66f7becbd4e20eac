# The header-only libraries (Debian: nlohmann-json3-dev, libboost-dev) as
# the targets their own CMake packages give: nlohmann_json::nlohmann_json,
# Boost::headers. A build for this system finds the packages. A cross-build
# takes the host's headers: it cannot put the host's /usr/include on its
# path (the C library's headers there would shadow MinGW's), so each
# library's folder is linked alone into a folder of the build's own.
if(NOT CMAKE_CROSSCOMPILING)
  find_package(nlohmann_json 3 CONFIG REQUIRED)
  find_package(Boost 1.74 REQUIRED)
  return()
endif()

set(kovo_header_only_folder ${PROJECT_BINARY_DIR}/header_only)

function(kovo_add_host_header_library target header)
  find_path(found ${header} PATHS /usr/include NO_CACHE NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  string(REGEX REPLACE "/.*" "" top_folder ${header})
  file(MAKE_DIRECTORY ${kovo_header_only_folder})
  file(CREATE_LINK ${found}/${top_folder} ${kovo_header_only_folder}/${top_folder} SYMBOLIC)
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  target_include_directories(${target} INTERFACE ${kovo_header_only_folder})
endfunction()

kovo_add_host_header_library(nlohmann_json::nlohmann_json nlohmann/json.hpp)
kovo_add_host_header_library(Boost::headers boost/property_tree/xml_parser.hpp)
