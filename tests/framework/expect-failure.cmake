# Runs PROGRAM; passes when it exits with status 1 and says EXPECTED on a line of its own.
execute_process(COMMAND ${PROGRAM} RESULT_VARIABLE status ERROR_VARIABLE error)
string(FIND "\n${error}" "\n${EXPECTED}\n" at)
if(NOT status EQUAL 1 OR at EQUAL -1)
  message(FATAL_ERROR "status ${status}, standard error:\n${error}")
endif()
