# The code of the reference manual: every run block of docs/*.md is built as a
# program against the library (C blocks with the header, Fortran blocks with
# the module, once the module target exists), and one test per document runs
# them in order and compares what they print and write with the manual.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
find_program(MORVANE_GS gs REQUIRED)
set(_docs ${PROJECT_SOURCE_DIR}/docs)
set(_snip ${CMAKE_CURRENT_BINARY_DIR}/docs)
# The programs lie in bin/ of the snippets, or on Windows beside morvane.dll.
set(_snip_bin ${_snip}/bin)
if(CMAKE_RUNTIME_OUTPUT_DIRECTORY)
  set(_snip_bin ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
endif()
file(GLOB _pages CONFIGURE_DEPENDS ${_docs}/*.md)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_pages} ${CMAKE_CURRENT_LIST_DIR}/snippets.py)
execute_process(COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/snippets.py extract ${_docs} ${_snip}
                COMMAND_ERROR_IS_FATAL ANY)

function(morvane_doc_snippet stem k lang src)
  if(lang STREQUAL "fortran" AND NOT TARGET morvane_fortran)
    return()
  endif()
  add_executable(doc_${stem}_${k} ${src})
  set_target_properties(doc_${stem}_${k} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${_snip_bin})
  if(lang STREQUAL "c")
    target_link_libraries(doc_${stem}_${k} PRIVATE morvane)
    set_target_properties(doc_${stem}_${k} PROPERTIES C_STANDARD 99 C_EXTENSIONS OFF)
    target_compile_options(doc_${stem}_${k} PRIVATE -Wall -Wextra -Wpedantic -Werror)
  else()
    target_link_libraries(doc_${stem}_${k} PRIVATE morvane::fortran)
    target_compile_options(doc_${stem}_${k} PRIVATE -std=f2008 -Wall -Werror)
  endif()
endfunction()

function(morvane_doc_test stem page)
  set(_no_fortran --no-fortran)
  if(TARGET morvane_fortran)
    set(_no_fortran "")
  endif()
  add_test(NAME docs_${stem}
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/snippets.py check ${page}
                   ${_snip_bin} ${_snip}/work_${stem} ${_no_fortran} --gs ${MORVANE_GS}
                   --emulator "${CMAKE_CROSSCOMPILING_EMULATOR}" --suffix "${CMAKE_EXECUTABLE_SUFFIX}")
endfunction()

include(${_snip}/snippets.cmake)
