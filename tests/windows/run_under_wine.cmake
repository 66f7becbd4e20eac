# Runs a Windows executable under Wine in a fresh prefix, so no state of an
# earlier run or of the user's own prefix reaches the tests.
#   cmake -DWINE=wine -DEXE=prog.exe -DPREFIX=dir -P run_under_wine.cmake
file(REMOVE_RECURSE ${PREFIX})
set(ENV{WINEPREFIX} ${PREFIX})
set(ENV{WINEDEBUG} -all)
execute_process(COMMAND ${WINE} ${EXE} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${EXE} under Wine: ${result}")
endif()
