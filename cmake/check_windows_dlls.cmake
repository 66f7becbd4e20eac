# Fails when a Windows program needs a DLL that Windows does not bring, such
# as MinGW's run-time (libstdc++, libgcc, winpthread) or Qt: it must run from
# its folder alone. Run by ctest with OBJDUMP and EXECUTABLE set.
execute_process(COMMAND ${OBJDUMP} -p ${EXECUTABLE} OUTPUT_VARIABLE headers COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
if(NOT imports)
  message(FATAL_ERROR "${EXECUTABLE} imports no DLL at all: not a Windows program?")
endif()
foreach(import IN LISTS imports)
  string(REPLACE "DLL Name: " "" dll "${import}")
  if(dll MATCHES "^(lib|Qt)" OR dll MATCHES "(gcc|stdc\\+\\+|pthread)")
    message(FATAL_ERROR "${EXECUTABLE} needs ${dll}, which Windows does not bring")
  endif()
  message(STATUS "imports ${dll}")
endforeach()
