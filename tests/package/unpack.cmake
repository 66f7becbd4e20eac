# Unpacks PACKAGE into a fresh ROOT with DPKG_DEB, as dpkg would install it.
file(REMOVE_RECURSE ${ROOT})
file(MAKE_DIRECTORY ${ROOT})
execute_process(COMMAND ${DPKG_DEB} -x ${PACKAGE} ${ROOT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "dpkg-deb -x ${PACKAGE} failed: ${result}")
endif()
