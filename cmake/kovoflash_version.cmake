# The program's version, written here once: kovoflash_version.h made from it
# gives it to both programs and to their Windows version resource.
set(KOVOFLASH_VERSION 1.0.0)

# Makes the header in BINARY_DIR/generated and the library kovo_version that
# offers it.
function(kovo_add_version_library binary_dir)
  string(REPLACE "." ";" parts ${KOVOFLASH_VERSION})
  list(GET parts 0 KOVOFLASH_VERSION_MAJOR)
  list(GET parts 1 KOVOFLASH_VERSION_MINOR)
  list(GET parts 2 KOVOFLASH_VERSION_PATCH)
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/kovoflash_version.h.in
    ${binary_dir}/generated/kovoflash_version.h @ONLY)
  add_library(kovo_version INTERFACE)
  target_include_directories(kovo_version INTERFACE ${binary_dir}/generated)
endfunction()

# Gives a Windows program the version resource (runtime/kovoflash.rc) under
# its own name; elsewhere nothing.
function(kovo_add_version_resource target)
  if(NOT WIN32)
    return()
  endif()
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/runtime/kovoflash.rc)
  target_compile_definitions(${target} PRIVATE $<$<COMPILE_LANGUAGE:RC>:KOVO_PROGRAM_NAME=${target}>)
  target_link_libraries(${target} PRIVATE kovo_version)
endfunction()
