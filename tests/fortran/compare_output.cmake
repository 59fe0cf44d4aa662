# Runs PROGRAM_A and PROGRAM_B (with EMULATOR before them, for programs of
# another system); their standard outputs must be equal.
foreach(p A B)
  execute_process(COMMAND ${EMULATOR} ${PROGRAM_${p}} RESULT_VARIABLE rc OUTPUT_VARIABLE out_${p} ERROR_VARIABLE err)
  if(rc OR out_${p} STREQUAL "")
    message(FATAL_ERROR "${PROGRAM_${p}} failed (${rc}): ${err}")
  endif()
endforeach()
if(NOT out_A STREQUAL out_B)
  message(FATAL_ERROR "outputs differ\n--- ${PROGRAM_A}\n${out_A}--- ${PROGRAM_B}\n${out_B}")
endif()
