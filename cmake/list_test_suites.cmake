# Writes OUTPUT: an add_test per GoogleTest suite of EXECUTABLE, named
# PREFIX + suite, with PROPERTIES (name value ...). Run after each build.
execute_process(COMMAND ${EXECUTABLE} --gtest_list_tests
  OUTPUT_VARIABLE listing RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${EXECUTABLE} --gtest_list_tests failed: ${result}")
endif()
set(script "")
string(REPLACE "\n" ";" lines "${listing}")
foreach(line IN LISTS lines)
  # A suite's line starts at the margin and ends its name with a dot; the
  # tests under it are indented.
  if(line MATCHES "^([^ #][^ ]*)\\.")
    set(suite ${CMAKE_MATCH_1})
    string(APPEND script "add_test([=[${PREFIX}${suite}]=] [=[${EXECUTABLE}]=] [=[--gtest_filter=${suite}.*]=])\n")
    if(PROPERTIES)
      list(JOIN PROPERTIES " " properties)
      string(APPEND script "set_tests_properties([=[${PREFIX}${suite}]=] PROPERTIES ${properties})\n")
    endif()
  endif()
endforeach()
file(WRITE ${OUTPUT} "${script}")
