# Runs the main job on a copy of the example site for each model, started in
# a folder that is not the site's, and renders every page it draws with
# Ghostscript. KESTO then runs on two more copies whose data files and
# dictionary lie in a subfolder, named in the keyword file as data\x.dat and
# as data/x.dat, with the site folder given with a backslash before the
# keyword file's name (on Windows as a path with a drive letter): their
# monitoring files must be the first run's byte for byte, their pages equal
# but for the creation date. EMULATOR runs the program of another system.
include(${CMAKE_CURRENT_LIST_DIR}/site_outputs.cmake)
file(REMOVE_RECURSE ${WORK_DIR})
file(COPY ${SOURCE_DIR}/examples/site/ DESTINATION ${WORK_DIR}/site)
file(MAKE_DIRECTORY ${WORK_DIR}/elsewhere)
find_program(GS gs)
if(NOT GS)
  message(FATAL_ERROR "Ghostscript (gs) is missing: install the Debian package ghostscript")
endif()

function(run_job site model)
  execute_process(COMMAND ${EMULATOR} ${PROGRAM} ${site} ${model} WORKING_DIRECTORY ${WORK_DIR}/elsewhere
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(rc OR NOT err STREQUAL "")
    message(FATAL_ERROR "harjulampi ${site} ${model} failed (${rc}):\n${out}\n${err}")
  endif()
endfunction()

foreach(model KESTO KESTO2 OLU)
  string(TOLOWER ${model} lower)
  run_job(${WORK_DIR}/site ${model})
  foreach(f harjulampi_${lower}.mon harjulampi_${lower}_dep1980.mon harjulampi_${lower}.eps)
    if(NOT EXISTS ${WORK_DIR}/site/${f})
      message(FATAL_ERROR "harjulampi ${model} wrote no ${f}")
    endif()
  endforeach()
  execute_process(COMMAND ${GS} -q -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -sDEVICE=png16m
                          -sOutputFile=${WORK_DIR}/check_${lower}.png ${WORK_DIR}/site/harjulampi_${lower}.eps
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(rc OR NOT out STREQUAL "" OR NOT err STREQUAL "")
    message(FATAL_ERROR "Ghostscript could not render harjulampi_${lower}.eps:\n${out}\n${err}")
  endif()
endforeach()

file(GLOB data RELATIVE ${WORK_DIR}/site ${WORK_DIR}/site/*.dat)
list(APPEND data dictionary.txt)
foreach(sep "\\" "/")
  if(sep STREQUAL "/")
    set(site ${WORK_DIR}/slash)
  else()
    set(site ${WORK_DIR}/backslash)
  endif()
  file(COPY ${WORK_DIR}/site/kesto.inp DESTINATION ${site})
  file(COPY ${WORK_DIR}/site/ DESTINATION ${site}/data FILES_MATCHING PATTERN "*.dat" PATTERN "*.txt")
  file(READ ${site}/kesto.inp text)
  foreach(f IN LISTS data)
    string(REPLACE " ${f}" " data${sep}${f}" text "${text}")
  endforeach()
  file(WRITE ${site}/kesto.inp "${text}")
  # The site folder as the program is given it.
  get_filename_component(name ${site} NAME)
  if(EMULATOR)
    string(REPLACE "/" "\\" given "Z:${WORK_DIR}/${name}")
  else()
    set(given "${WORK_DIR}\\${name}")
  endif()
  run_job("${given}" KESTO)
  morvane_same_outputs("data${sep}x.dat against the plain site" ${WORK_DIR}/site ${site}
                       harjulampi_kesto.mon harjulampi_kesto_dep1980.mon harjulampi_kesto.eps)
endforeach()
morvane_nothing_written(${WORK_DIR}/elsewhere)
message(STATUS "main job: three models run, three pages rendered; data\\x.dat and data/x.dat read alike")
