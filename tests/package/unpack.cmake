# Unpacks PACKAGE into a fresh ROOT with DPKG_DEB, as dpkg would install it,
# and its maintainer scripts into a fresh CONTROL.
foreach(folder ${ROOT} ${CONTROL})
  file(REMOVE_RECURSE ${folder})
  file(MAKE_DIRECTORY ${folder})
endforeach()
execute_process(COMMAND ${DPKG_DEB} -x ${PACKAGE} ${ROOT} RESULT_VARIABLE files)
execute_process(COMMAND ${DPKG_DEB} -e ${PACKAGE} ${CONTROL} RESULT_VARIABLE scripts)
if(NOT files EQUAL 0 OR NOT scripts EQUAL 0)
  message(FATAL_ERROR "dpkg-deb could not unpack ${PACKAGE}: ${files}, ${scripts}")
endif()
