# Runs kovo-panelshot on one X display per screen, each its own Xvfb, and
# fails when any run does. Screenshots go to OUTPUT/SIZE-scale-SCALE.
#   cmake -DXVFB_RUN=... -DPANELSHOT=... -DOUTPUT=... "-DSCREENS=1024x600:1;1920x1080:2" -P panel_screenshots.cmake
set(failed)
foreach(screen IN LISTS SCREENS)
  string(REPLACE ":" ";" size_and_scale ${screen})
  list(GET size_and_scale 0 size)
  list(GET size_and_scale 1 scale)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=${scale}
            ${XVFB_RUN} -a -s "-screen 0 ${size}x24" ${PANELSHOT} ${OUTPUT}/${size}-scale-${scale}
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    list(APPEND failed "${size} at scale ${scale}")
  endif()
endforeach()
if(failed)
  message(FATAL_ERROR "texts clipped or controls out of reach on: ${failed}")
endif()
