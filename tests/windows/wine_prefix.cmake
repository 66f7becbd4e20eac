# The Wine prefix of the build's own for the tests under Wine, run by ctest
# as a fixture: ACTION=start makes the prefix once (seconds, some 700 MB),
# keeps one wineserver running for the whole test run, so that each program
# under Wine starts in a fraction of a second, and lists the COM ports the
# tests map to pseudo-terminals in SERIALCOMM, as Windows lists its serial
# ports (the entries live in the running wineserver only, so every start
# writes them again); ACTION=stop ends the wineserver. Also needs WINE,
# WINEBOOT, WINESERVER, PREFIX, FIRST_COM and COM_COUNT.
#
# With XVFB, start also starts an X display for the whole run and writes its
# name into PREFIX/kovo-display. Wine's desktop shows windows only on the
# display it started on, and the desktop starts again, from whichever
# program comes next, each time the last one has ended: every program the
# tests run under Wine takes its DISPLAY from that file, so that windows of
# tests running at once all show.
set(ENV{WINEPREFIX} ${PREFIX})
set(ENV{WINEDEBUG} -all)

set(display_file ${PREFIX}/kovo-display)
set(display_pid_file ${PREFIX}/kovo-display.pid)
set(display_number_file ${PREFIX}/kovo-display.number)

# The display a start left (this run's, or a stopped run's).
function(stop_display)
  if(EXISTS ${display_pid_file})
    file(STRINGS ${display_pid_file} pid LIMIT_COUNT 1)
    execute_process(COMMAND kill ${pid} OUTPUT_FILE /dev/null ERROR_FILE /dev/null)
  endif()
  file(REMOVE ${display_file} ${display_pid_file} ${display_number_file})
endfunction()

# A display of its own: Xvfb picks a free number and writes it out.
function(start_display)
  file(MAKE_DIRECTORY ${PREFIX})
  # Detached, its output nowhere: a daemon must not hold the test's output pipes.
  execute_process(COMMAND sh -c "setsid \"$0\" -displayfd 3 -screen 0 1366x768x24 -nolisten tcp 3>\"$1\" >/dev/null 2>&1 </dev/null & echo $! >\"$2\""
                          ${XVFB} ${display_number_file} ${display_pid_file} COMMAND_ERROR_IS_FATAL ANY)
  foreach(attempt RANGE 100)
    if(EXISTS ${display_number_file})
      file(STRINGS ${display_number_file} number)
      if(number MATCHES "^[0-9]+$")
        file(WRITE ${display_file} ":${number}")
        set(ENV{DISPLAY} ":${number}")
        return()
      endif()
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} -E sleep 0.1)
  endforeach()
  message(FATAL_ERROR "Xvfb (${XVFB}) started no display")
endfunction()

if(ACTION STREQUAL "stop")
  execute_process(COMMAND ${WINESERVER} --kill)
  stop_display()
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
stop_display()
if(XVFB)
  start_display()
endif()
execute_process(COMMAND ${WINESERVER} --persistent OUTPUT_FILE /dev/null ERROR_FILE /dev/null
                COMMAND_ERROR_IS_FATAL ANY)

# The display has no window manager: Wine's windows are told so, or each
# hidden window (a closed dialog, a program that ends) waits 2 s for a
# window manager to take it back.
set(entries "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n\"Managed\"=\"N\"\n\n")
string(APPEND entries "[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM]\n")
math(EXPR last "${FIRST_COM} + ${COM_COUNT} - 1")
foreach(number RANGE ${FIRST_COM} ${last})
  string(APPEND entries "\"\\\\Device\\\\Kovo${number}\"=\"COM${number}\"\n")
endforeach()
file(WRITE ${PREFIX}/kovo-test-registry.reg "${entries}")
execute_process(COMMAND ${WINE} reg import Z:${PREFIX}/kovo-test-registry.reg OUTPUT_FILE /dev/null ERROR_FILE /dev/null
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${WINE} reg query "HKLM\\HARDWARE\\DEVICEMAP\\SERIALCOMM" OUTPUT_VARIABLE listed
                ERROR_FILE /dev/null)
if(NOT listed MATCHES "COM${last}")
  message(FATAL_ERROR "SERIALCOMM does not list COM${FIRST_COM} to COM${last}:\n${listed}")
endif()
message(STATUS "Wine prefix ${PREFIX} ready, COM${FIRST_COM} to COM${last} listed")
