# kovo_add_test_suites(target [TEST_PREFIX prefix] [PROPERTIES name value ...])
#
# One CTest test per GoogleTest suite of target, each running the suite's
# tests in one process. For tests that take a few milliseconds, a process of
# their own (Qt, the panel, the fixture) costs ten times the test. A failure
# names the test in the suite's output; run one test with
# `EXECUTABLE --gtest_filter=Suite.Test`.
set(KOVO_TEST_SUITES_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/list_test_suites.cmake)

function(kovo_add_test_suites target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "TEST_PREFIX" "PROPERTIES")
  set(suites_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_suites.cmake)
  set(include_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_include.cmake)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DEXECUTABLE=$<TARGET_FILE:${target}> -DOUTPUT=${suites_file}
            -DPREFIX=${arg_TEST_PREFIX} "-DPROPERTIES=${arg_PROPERTIES}" -P ${KOVO_TEST_SUITES_SCRIPT}
    BYPRODUCTS ${suites_file}
    VERBATIM)
  # Until the target is built there are no suites to name: say so instead.
  file(WRITE ${include_file}
    "if(EXISTS [=[${suites_file}]=])\n"
    "  include([=[${suites_file}]=])\n"
    "else()\n"
    "  add_test([=[${target}_NOT_BUILT]=] [=[${target}_NOT_BUILT]=])\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
endfunction()
