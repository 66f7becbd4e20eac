# Fails when the Windows version resource does not carry the project's
# version and the program's name. Run by ctest with WINDRES, RESOURCE,
# INCLUDE_DIR, PROGRAM, NUMBERS (as "1, 0, 0, 0") and TEXT (as "1.0") set,
# the program named as kovo_add_version_resource names it; windres writes
# the resource back as a script with every macro expanded.
execute_process(
  COMMAND ${WINDRES} -I${INCLUDE_DIR} -DKOVO_PROGRAM_NAME=${PROGRAM} ${RESOURCE} -O rc
  OUTPUT_VARIABLE script
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "windres could not read ${RESOURCE}")
endif()
foreach(expected
    "FILEVERSION ${NUMBERS}"
    "PRODUCTVERSION ${NUMBERS}"
    "VALUE \"FileDescription\", \"PC KovoFlash V${TEXT}\""
    "VALUE \"FileVersion\", \"${TEXT}\""
    "VALUE \"ProductVersion\", \"${TEXT}\""
    "VALUE \"InternalName\", \"${PROGRAM}\""
    "VALUE \"OriginalFilename\", \"${PROGRAM}.exe\"")
  string(FIND "${script}" "${expected}" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "the version resource lacks: ${expected}\n${script}")
  endif()
endforeach()
message(STATUS "the version resource carries ${TEXT}")
