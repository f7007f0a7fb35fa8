# Runs terrainview --bench on GRID and passes when it exits non-zero having printed PATTERN.
execute_process(COMMAND ${EMULATOR} ${EXE} ${GRID} --bench
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 100)
message(STATUS "exit code ${rc}\n${out}")
if(rc EQUAL 0)
  message(FATAL_ERROR "terrainview --bench ${GRID} exited 0")
endif()
if(NOT out MATCHES "${PATTERN}")
  message(FATAL_ERROR "the output does not match '${PATTERN}'")
endif()
