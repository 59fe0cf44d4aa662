# Renders with Ghostscript every page in PAGES (the pages that tests of
# another system put there, see renders in tests/support): each must render
# without a word. (A run of some tests only may leave none.)
file(GLOB pages ${PAGES}/*.eps)
if(NOT pages)
  message(STATUS "no pages in ${PAGES}")
  return()
endif()
find_program(GS NAMES gs gswin64c REQUIRED)
set(bad "")
foreach(page IN LISTS pages)
  execute_process(COMMAND ${GS} -q -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -r60 -sDEVICE=png16m
                          -sOutputFile=${page}.png ${page}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(rc OR NOT out STREQUAL "" OR NOT err STREQUAL "")
    get_filename_component(name ${page} NAME)
    string(APPEND bad "${name} (${rc}): ${out}${err}\n")
  endif()
endforeach()
list(LENGTH pages n)
if(bad)
  message(FATAL_ERROR "Ghostscript cannot render:\n${bad}")
endif()
message(STATUS "${n} pages rendered")
