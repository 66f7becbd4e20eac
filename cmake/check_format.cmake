# Fails when a C++ source of the project differs from what .clang-format
# makes of it. Run by ctest with CLANG_FORMAT and SOURCE_DIR set.
set(sources)
foreach(folder src runtime ui tools tests fuzz bench)
  file(GLOB_RECURSE found ${SOURCE_DIR}/${folder}/*.cpp ${SOURCE_DIR}/${folder}/*.h)
  list(APPEND sources ${found})
endforeach()
list(LENGTH sources count)
if(count EQUAL 0)
  message(FATAL_ERROR "no sources found below ${SOURCE_DIR}")
endif()
execute_process(
  COMMAND ${CLANG_FORMAT} --dry-run --Werror ${sources}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "unformatted sources: run clang-format -i on the files named above")
endif()
message(STATUS "${count} sources formatted")
