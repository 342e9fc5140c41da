# Runs a program with the real USB backend and no pod or adapter attached:
#   cmake -DPROGRAM=<path> -DPROJECT=<file> -DUSB=<unset|value> -DCONFIG=<dir>
#         [-DEXPECTED=<text>] -DCODE=<exit code> [-DGRAB=<png>]
#         [-DLSAN_SUPPRESSIONS=<file>] -P run_without_device.cmake
# The run must end by itself (ctest's time-out catches a hang) with the exit
# code and, when given, exactly the expected standard output.
set(environment XDG_CONFIG_HOME=${CONFIG})
if(USB STREQUAL "unset")
  list(PREPEND environment --unset=KELVANE_USB)
else()
  list(APPEND environment KELVANE_USB=${USB})
endif()
if(GRAB)
  file(REMOVE ${GRAB})
  list(APPEND environment KELVANE_GRAB=${GRAB} QT_QPA_PLATFORM=offscreen)
endif()
if(LSAN_SUPPRESSIONS)
  list(APPEND environment LSAN_OPTIONS=suppressions=${LSAN_SUPPRESSIONS})
endif()
file(MAKE_DIRECTORY ${CONFIG})
# A copy of the project of its own, so that other runs of the same project
# (which hold its lock while they run) never make this one wait.
get_filename_component(project_name ${PROJECT} NAME)
file(COPY ${PROJECT} DESTINATION ${CONFIG}/project)
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env ${environment} ${PROGRAM} ${CONFIG}/project/${project_name}
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE code TIMEOUT 20)
message(STATUS "exit ${code}\n${out}${err}")
if(NOT code STREQUAL CODE)
  message(FATAL_ERROR "exit code ${code}, expected ${CODE}")
endif()
string(REPLACE "\\n" "\n" EXPECTED "${EXPECTED}")
if(DEFINED EXPECTED AND NOT out STREQUAL EXPECTED)
  message(FATAL_ERROR "output differs from:\n${EXPECTED}")
endif()
if(GRAB AND NOT EXISTS ${GRAB})
  message(FATAL_ERROR "the window was not shown")
endif()
