# cmake -DSCDOC=... -DINPUT=page.scd -DOUTPUT=page -P RunScdoc.cmake
# scdoc reads standard input and writes standard output.
execute_process(COMMAND ${SCDOC} INPUT_FILE ${INPUT} OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "scdoc failed on ${INPUT}")
endif()
