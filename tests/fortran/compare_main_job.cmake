# Runs the main job in C++ and in Fortran on two copies of the example site for
# each model, both started in a folder that is neither site's: the monitoring
# files must be equal byte for byte, the pages equal but for their creation
# date, and what the programs print the same (but for the site folder). OLU
# runs as on a machine without Ghostscript (no picture, no failure). EMULATOR
# runs the programs of another system.
include(${SOURCE_DIR}/cmake/site_outputs.cmake)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/elsewhere)
file(COPY ${SOURCE_DIR}/examples/site/ DESTINATION ${WORK_DIR}/cxx)
file(COPY ${SOURCE_DIR}/examples/site/ DESTINATION ${WORK_DIR}/fortran)
foreach(model KESTO KESTO2 OLU)
  string(TOLOWER ${model} lower)
  set(env "")
  if(model STREQUAL "OLU" AND NOT EMULATOR)
    set(env ${CMAKE_COMMAND} -E env PATH=${WORK_DIR}/no_programs)
  endif()
  execute_process(COMMAND ${env} ${EMULATOR} ${CXX_PROGRAM} ${WORK_DIR}/cxx ${model} WORKING_DIRECTORY ${WORK_DIR}/elsewhere
                  RESULT_VARIABLE rc OUTPUT_VARIABLE cxx_out ERROR_VARIABLE err)
  if(rc OR NOT err STREQUAL "")
    message(FATAL_ERROR "harjulampi ${model} failed (${rc}):\n${err}")
  endif()
  execute_process(COMMAND ${env} ${EMULATOR} ${FORTRAN_PROGRAM} ${WORK_DIR}/fortran ${model} WORKING_DIRECTORY ${WORK_DIR}/elsewhere
                  RESULT_VARIABLE rc OUTPUT_VARIABLE f_out ERROR_VARIABLE err)
  if(rc OR NOT err STREQUAL "")
    message(FATAL_ERROR "harjulampi_fortran ${model} failed (${rc}):\n${err}")
  endif()
  string(REPLACE "${WORK_DIR}/cxx/" "" cxx_out "${cxx_out}")
  string(REPLACE "${WORK_DIR}/fortran/" "" f_out "${f_out}")
  if(NOT cxx_out STREQUAL f_out)
    message(FATAL_ERROR "${model}: the programs print differently\n--- C++\n${cxx_out}--- Fortran\n${f_out}")
  endif()
  morvane_same_outputs("${model}, Fortran against C++" ${WORK_DIR}/cxx ${WORK_DIR}/fortran
                       harjulampi_${lower}.mon harjulampi_${lower}_dep1980.mon harjulampi_${lower}.eps)
endforeach()
morvane_nothing_written(${WORK_DIR}/elsewhere)
message(STATUS "the Fortran main job writes the C++ job's files for KESTO, KESTO2 and OLU")
