# Every interface of the module against the C header: gfortran writes the C
# prototype of each bind(C) interface, and the C compiler must accept it next
# to the header's own declaration (a different argument count, type or
# const-ness, that is intent(in) against an output, is an error). The forms
# that differ on purpose (absent arguments and the version text as C
# pointers, the lookup as a procedure argument) are first mapped to the
# header's. Every routine of the export table must have its interface.
include(${SOURCE_DIR}/cmake/exports.cmake)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
execute_process(COMMAND ${FC} -cpp -fc-prototypes -fsyntax-only -J ${WORK_DIR} ${SOURCE_DIR}/src/fortran/morvane.f90
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(rc)
  message(FATAL_ERROR "${FC} -fc-prototypes failed:\n${err}")
endif()

set(renames
  "seriesspec" "SeriesSpec"  "vardescriptor" "VarDescriptor"  "keylist" "KEYLIST"
  "plotsettings" "PlotSettings"
  "int \\*obsind" "morvane_obsind_fn obsind"
  "void \\*isuf" "const int32_t *isuf"
  "int \\(\\*handler\\)\\(\\)" "morvane_stop_fn handler"
  "void \\*morvane_version \\(\\)" "const char *morvane_version (void)")
# A prototype line ends in a semicolon, CMake's list separator.
string(REPLACE ";" ":SEMICOLON:" out "${out}")
string(REPLACE "\n" ";" lines "${out}")
set(c "#include \"morvane.h\"\n")
set(found "")
foreach(line IN LISTS lines)
  string(REPLACE ":SEMICOLON:" ";" line "${line}")
  if(NOT line MATCHES "^[a-z].* \\*?([A-Za-z_0-9]+) \\(.*\\);$")
    continue()
  endif()
  list(APPEND found ${CMAKE_MATCH_1})
  set(renamed "${renames}")
  while(renamed)
    list(POP_FRONT renamed from to)
    string(REGEX REPLACE "\\b${from}\\b|${from}" "${to}" line "${line}")
  endwhile()
  string(APPEND c "${line}\n")
endforeach()
# The callbacks a caller writes against the header's function types.
string(APPEND c "morvane_obsind_fn check_obsind = morvane_obsind;\n"
                "morvane_stop_fn check_stop = morvane_stop_handler;\n")

morvane_export_names(missing)
list(REMOVE_ITEM missing ${found})
if(missing)
  message(FATAL_ERROR "the module has no interface for: ${missing}")
endif()

file(WRITE ${WORK_DIR}/interfaces.c "${c}")
execute_process(COMMAND ${CC} -std=c11 -Wall -Werror -Wno-array-parameter -pedantic-errors -fsyntax-only
                        -I${SOURCE_DIR}/include ${WORK_DIR}/interfaces.c
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc)
  message(FATAL_ERROR "the module's interfaces differ from morvane.h:\n${err}")
endif()
list(LENGTH found n)
message(STATUS "${n} interfaces agree with morvane.h")
