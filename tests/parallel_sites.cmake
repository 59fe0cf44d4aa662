# The main job on 16 copies of the example site at once, with GNU parallel
# through examples/parallel_sites.sh, started in a folder that is none of the
# sites': every site's monitoring files must be those of a single run byte
# for byte, its page the same but for the creation date, and nothing may be
# left in the starting folder or beside the outputs (no temporary file).
# EMULATOR runs the program of another system.
include(${SOURCE_DIR}/cmake/site_outputs.cmake)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/elsewhere)
file(COPY ${SOURCE_DIR}/examples/site/ DESTINATION ${WORK_DIR}/single)
set(sites "")
foreach(i RANGE 1 16)
  file(COPY ${SOURCE_DIR}/examples/site/ DESTINATION ${WORK_DIR}/sites/site${i})
  list(APPEND sites ${WORK_DIR}/sites/site${i})
endforeach()
set(outputs harjulampi_kesto.mon harjulampi_kesto_dep1980.mon harjulampi_kesto.eps)
file(GLOB inputs RELATIVE ${WORK_DIR}/single ${WORK_DIR}/single/*)

execute_process(COMMAND ${EMULATOR} ${PROGRAM} ${WORK_DIR}/single KESTO WORKING_DIRECTORY ${WORK_DIR}/elsewhere
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(rc OR NOT err STREQUAL "")
  message(FATAL_ERROR "the single run failed (${rc}):\n${out}${err}")
endif()
string(REPLACE ";" " " program "${EMULATOR};${PROGRAM}")
execute_process(COMMAND ${CMAKE_COMMAND} -E env "HARJULAMPI=${program}" JOBS=16
                        sh ${SOURCE_DIR}/examples/parallel_sites.sh KESTO ${sites}
                WORKING_DIRECTORY ${WORK_DIR}/elsewhere RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(rc OR NOT err STREQUAL "")
  message(FATAL_ERROR "the parallel runs failed (${rc}):\n${out}${err}")
endif()

foreach(site IN LISTS sites)
  morvane_same_outputs("${site} against the single run" ${WORK_DIR}/single ${site} ${outputs})
  file(GLOB left RELATIVE ${site} ${site}/*)
  list(REMOVE_ITEM left ${inputs} ${outputs} harjulampi_kesto.png)
  if(left)
    message(FATAL_ERROR "${site}: files left beside the outputs: ${left}")
  endif()
endforeach()
morvane_nothing_written(${WORK_DIR}/elsewhere)
message(STATUS "16 sites at once: every site's files are the single run's")
