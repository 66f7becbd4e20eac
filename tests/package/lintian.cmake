# One lintian run over the packages, for two checks: no error or warning
# (the notes are shown, and the README says why each is left), and, with
# HARDENED, no hardening note either (see cmake/debian_hardening.cmake).
# Needs LINTIAN, PACKAGES (paths separated by |) and HARDENED.
string(REPLACE "|" ";" packages "${PACKAGES}")
execute_process(COMMAND ${LINTIAN} --fail-on error,warning --display-info --tag-display-limit 0 ${packages}
                OUTPUT_VARIABLE found ERROR_VARIABLE complaints RESULT_VARIABLE status)
message("${found}${complaints}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "lintian found errors or warnings, or could not check the packages (status ${status})")
endif()
if(NOT HARDENED)
  message("hardening notes not checked: the sanitizer build is not hardened")
  return()
endif()
string(REGEX MATCHALL "hardening-no-(bindnow|fortify-functions|pie|relro)[^\n]*" gaps "${found}")
if(gaps)
  message(FATAL_ERROR "the build is not hardened: ${gaps}")
endif()
