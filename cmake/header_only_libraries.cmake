# The header-only libraries from Debian (nlohmann-json3-dev, libcli11-dev,
# libboost-dev), under the target names their own CMake packages give them.
# A cross-build cannot put the host's /usr/include on its path (the C
# library's headers there would shadow MinGW's), so each library's folder is
# linked alone into a folder of the build's own, the same on every build.
set(kovo_header_only_folder ${PROJECT_BINARY_DIR}/header_only)

function(kovo_add_header_only_library target header)
  find_path(found ${header} PATHS /usr/include NO_CACHE NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  string(REGEX REPLACE "/.*" "" top_folder ${header})
  file(MAKE_DIRECTORY ${kovo_header_only_folder})
  file(CREATE_LINK ${found}/${top_folder} ${kovo_header_only_folder}/${top_folder} SYMBOLIC)
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  target_include_directories(${target} INTERFACE ${kovo_header_only_folder})
endfunction()

kovo_add_header_only_library(nlohmann_json::nlohmann_json nlohmann/json.hpp)
kovo_add_header_only_library(CLI11::CLI11 CLI/CLI.hpp)
kovo_add_header_only_library(Boost::headers boost/property_tree/xml_parser.hpp)
