# kovoflash.exe's window under Wine on an X display of its own, driven by
# window_driver.exe (both from the Windows build) against simulated devices:
# included by tests/CMakeLists.txt where the Wine tests run. Whether the
# Windows build makes the window program is known only once it has been
# configured, after this build's configuration: it writes what it makes
# into window_tests.cmake in its tree, which ctest reads before each run.
# Started in the folder that holds the Wine prefix (ctest's default for
# this directory), the window never showed: the tests run in the build's top.
add_executable(wine_window_tests
  ${CMAKE_CURRENT_LIST_DIR}/window_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_driver_client.cpp
  ${PROJECT_SOURCE_DIR}/tests/cli/cli_fixture.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/program_under_test.cpp)
target_include_directories(wine_window_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/cli ${PROJECT_SOURCE_DIR}/tests/support)
target_link_libraries(wine_window_tests PRIVATE kovo_devsim_process kovo_window_texts kovo_panel_ids GTest::gtest Qt6::Core)
target_compile_definitions(wine_window_tests PRIVATE KOVOFLASH_CLI="$<TARGET_FILE:kovoflash-cli>"
  KOVOFLASH_CLI_EXE="${KOVO_WINDOWS_CLI}" KOVO_WINE="${KOVO_WINE}"
  KOVO_WINE_FIRST_COM=${KOVO_WINE_FIRST_COM} KOVO_WINE_COM_COUNT=${KOVO_WINE_COM_COUNT})
set_target_properties(wine_window_tests PROPERTIES AUTOMOC OFF)
add_dependencies(wine_window_tests kovo_windows_build kovo-devsim)

find_program(KOVO_IMPORT NAMES import import-im6.q16)
set(window_cases
  ConnectShowsTheDeviceAndItsBootloaderVersion
  ProgramsTheFileLoadedThroughTheDialogAndEndsGreen
  DeviceThatCannotBeUpdatedLeavesLoadAndProgramDimmed
  DeviceThatFallsSilentEndsRedWithTheProgrammingError
  TextsOfBothLanguagesEqualTheLinuxWindows
  ScreenshotsShowEveryTextWhole)
set(made_by_windows_build ${windows_build}/window_tests.cmake)
set(include_file ${CMAKE_CURRENT_BINARY_DIR}/wine_window_tests_include.cmake)
option(KOVO_WINE_WINDOW_TESTS "Run kovoflash.exe's window tests under Wine" ON)
if(NOT KOVO_WINE_WINDOW_TESTS)
  file(WRITE ${include_file} "")
elseif(NOT XVFB_RUN OR NOT KOVO_IMPORT)
  file(WRITE ${include_file}
    "add_test(wine.window [=[${CMAKE_COMMAND}]=] -E echo [=[skipped: xvfb-run (xvfb) or import (imagemagick) is not installed]=])\n"
    "set_tests_properties(wine.window PROPERTIES SKIP_REGULAR_EXPRESSION skipped: LABELS wine)\n")
else()
  # The prefix's desktop shows windows on the display it started on. The
  # fixture starts it with none, so each test starts the server again on
  # its own display, with the COM ports listed again, the other Wine tests
  # waiting meanwhile (the lock).
  list(JOIN wine_server_start " " restart_on_this_display)
  string(CONCAT registration
    "if(NOT EXISTS [=[${made_by_windows_build}]=])\n"
    "  add_test(wine.window_WINDOWS_BUILD_NOT_CONFIGURED wine.window_WINDOWS_BUILD_NOT_CONFIGURED)\n"
    "  return()\n"
    "endif()\n"
    "include([=[${made_by_windows_build}]=])\n"
    "if(NOT KOVO_WINDOWS_WINDOW)\n"
    "  return() # a Windows build without the window program\n"
    "endif()\n")
  foreach(case IN LISTS window_cases)
    string(APPEND registration
      "add_test(wine.window.${case} [=[${XVFB_RUN}]=] -a -s [=[-screen 0 1366x768x24]=]"
      " sh -c [=[\"$0\" \"$@\" && exec \"$KOVO_WINDOW_TESTS\" --gtest_filter=WineWindowTest.${case}]=]"
      " ${restart_on_this_display})\n"
      "set_tests_properties(wine.window.${case} PROPERTIES LABELS wine FIXTURES_REQUIRED wine"
      " RESOURCE_LOCK wine_settings TIMEOUT 240 WORKING_DIRECTORY [=[${PROJECT_BINARY_DIR}]=] ENVIRONMENT \"WINEPREFIX=${KOVO_WINE_PREFIX};KOVO_WINE=${KOVO_WINE};"
      "KOVO_WINDOW_EXE=\${KOVO_WINDOWS_WINDOW};KOVO_WINDOW_DRIVER=\${KOVO_WINDOW_DRIVER};"
      "KOVO_IMPORT=${KOVO_IMPORT};KOVO_SCREENSHOTS=${PROJECT_BINARY_DIR}/screenshots/windows;"
      "KOVO_WINDOW_TESTS=$<TARGET_FILE:wine_window_tests>\")\n")
  endforeach()
  file(GENERATE OUTPUT ${include_file} CONTENT "${registration}")
endif()
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
