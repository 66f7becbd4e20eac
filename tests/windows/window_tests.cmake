# kovoflash.exe's window under Wine on the prefix's X display, driven by
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
elseif(NOT KOVO_XVFB OR NOT KOVO_IMPORT)
  file(WRITE ${include_file}
    "add_test(wine.window [=[${CMAKE_COMMAND}]=] -E echo [=[skipped: Xvfb (xvfb) or import (imagemagick) is not installed]=])\n"
    "set_tests_properties(wine.window PROPERTIES SKIP_REGULAR_EXPRESSION skipped: LABELS wine)\n")
else()
  # Each test starts its own program and finds only its windows, so they
  # run at once, beside the other tests under Wine (the display: the fixture).
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
      "add_test(wine.window.${case} [=[$<TARGET_FILE:wine_window_tests>]=] --gtest_filter=WineWindowTest.${case})\n"
      "set_tests_properties(wine.window.${case} PROPERTIES LABELS wine FIXTURES_REQUIRED wine"
      " TIMEOUT 240 WORKING_DIRECTORY [=[${PROJECT_BINARY_DIR}]=] ENVIRONMENT \"WINEPREFIX=${KOVO_WINE_PREFIX};KOVO_WINE=${KOVO_WINE};"
      "KOVO_WINDOW_EXE=\${KOVO_WINDOWS_WINDOW};KOVO_WINDOW_DRIVER=\${KOVO_WINDOW_DRIVER};"
      "KOVO_IMPORT=${KOVO_IMPORT};KOVO_SCREENSHOTS=${PROJECT_BINARY_DIR}/screenshots/windows\")\n")
  endforeach()
  file(GENERATE OUTPUT ${include_file} CONTENT "${registration}")
endif()
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
