# Debian's hardening flags (fortified functions, stack protector, read-only
# relocations bound at start-up) as dpkg-buildflags gives them, for an
# optimised build on a system that has it: the packages are made from that
# build. The optimisation and debugging flags stay the build type's. A debug
# build (the sanitizer one) is left as it is: fortification needs
# optimisation, and the sanitizers check more than it does.
# KOVO_HARDENED says whether this build is hardened.
find_program(KOVO_DPKG_BUILDFLAGS dpkg-buildflags)
set(KOVO_HARDENED OFF)
if(KOVO_DPKG_BUILDFLAGS AND NOT CMAKE_CROSSCOMPILING AND CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$")
  set(KOVO_HARDENED ON)
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all ${KOVO_DPKG_BUILDFLAGS} --get ${kind}
      OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    list(FILTER flags EXCLUDE REGEX "^(-g.*|-O.*|-ffile-prefix-map=.*)$")
    if(kind STREQUAL LDFLAGS)
      add_link_options(${flags})
    else()
      add_compile_options(${flags})
    endif()
  endforeach()
endif()
