# Shared by the package tests: run_checked(WHAT COMMAND...) runs a command
# that must succeed, check_consumer(WHAT PROGRAM) a consumer program that must
# print EXPECTED and nothing on standard error.
set(EXPECTED "morvane ${VERSION}: pH 6.00, -1 keywords\n")

function(run_checked what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(rc)
    message(FATAL_ERROR "${what} failed (${rc}):\n${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

function(check_consumer what)
  run_checked("${what}" ${ARGN})
  if(NOT err STREQUAL "")
    message(FATAL_ERROR "${what} wrote to standard error:\n${err}")
  endif()
  if(NOT out STREQUAL EXPECTED)
    message(FATAL_ERROR "${what} printed\n${out}instead of\n${EXPECTED}")
  endif()
endfunction()

# Configures and builds the consumer project in dir with the given options.
function(build_consumer dir)
  run_checked("configuring the consumer project" ${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/package/consumer
              -B ${dir} -G ${GENERATOR} -DCMAKE_Fortran_COMPILER=${FC} ${ARGN})
  run_checked("building the consumer project" ${CMAKE_COMMAND} --build ${dir} -j 2)
endfunction()
