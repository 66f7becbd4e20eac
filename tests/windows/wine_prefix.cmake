# The Wine prefix of the build's own for the tests under Wine, run by ctest
# as a fixture: ACTION=start makes the prefix once (seconds, some 700 MB),
# keeps one wineserver running for the whole test run, so that each program
# under Wine starts in a fraction of a second, and lists the COM ports the
# tests map to pseudo-terminals in SERIALCOMM, as Windows lists its serial
# ports (the entries live in the running wineserver only, so every start
# writes them again); ACTION=stop ends the wineserver. Also needs WINE,
# WINEBOOT, WINESERVER, PREFIX, FIRST_COM and COM_COUNT.
set(ENV{WINEPREFIX} ${PREFIX})
set(ENV{WINEDEBUG} -all)

if(ACTION STREQUAL "stop")
  execute_process(COMMAND ${WINESERVER} --kill)
  return()
endif()

# A daemon must not hold the test's output pipes: its output goes nowhere.
if(NOT EXISTS ${PREFIX}/system.reg)
  execute_process(COMMAND ${WINEBOOT} --init OUTPUT_FILE /dev/null ERROR_FILE /dev/null COMMAND_ERROR_IS_FATAL ANY)
endif()
# A server of this prefix already running (wineboot's, lingering for a few
# seconds, or one a stopped test run left) cannot be made persistent: it ends first.
execute_process(COMMAND ${WINESERVER} --kill OUTPUT_FILE /dev/null ERROR_FILE /dev/null)
execute_process(COMMAND ${WINESERVER} --wait OUTPUT_FILE /dev/null ERROR_FILE /dev/null)
execute_process(COMMAND ${WINESERVER} --persistent OUTPUT_FILE /dev/null ERROR_FILE /dev/null
                COMMAND_ERROR_IS_FATAL ANY)

set(entries "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM]\n")
math(EXPR last "${FIRST_COM} + ${COM_COUNT} - 1")
foreach(number RANGE ${FIRST_COM} ${last})
  string(APPEND entries "\"\\\\Device\\\\Kovo${number}\"=\"COM${number}\"\n")
endforeach()
file(WRITE ${PREFIX}/kovo-serialcomm.reg "${entries}")
execute_process(COMMAND ${WINE} reg import Z:${PREFIX}/kovo-serialcomm.reg OUTPUT_FILE /dev/null ERROR_FILE /dev/null
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${WINE} reg query "HKLM\\HARDWARE\\DEVICEMAP\\SERIALCOMM" OUTPUT_VARIABLE listed
                ERROR_FILE /dev/null)
if(NOT listed MATCHES "COM${last}")
  message(FATAL_ERROR "SERIALCOMM does not list COM${FIRST_COM} to COM${last}:\n${listed}")
endif()
message(STATUS "Wine prefix ${PREFIX} ready, COM${FIRST_COM} to COM${last} listed")
