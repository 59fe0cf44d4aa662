# Shared by the tests that run the main job on copies of the example site.

# Fails unless each of the files (names relative to both folders) is the same
# in folder a as in folder b: byte for byte, a page (.eps) but for its
# creation date. what names the comparison in the message.
function(morvane_same_outputs what a b)
  foreach(f IN LISTS ARGN)
    if(f MATCHES "\\.eps$")
      file(READ ${a}/${f} page_a)
      file(READ ${b}/${f} page_b)
      string(REGEX REPLACE "\n%%CreationDate:[^\n]*" "" page_a "${page_a}")
      string(REGEX REPLACE "\n%%CreationDate:[^\n]*" "" page_b "${page_b}")
      set(rc 0)
      if(NOT page_a STREQUAL page_b)
        set(rc 1)
      endif()
    else()
      execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${a}/${f} ${b}/${f} RESULT_VARIABLE rc)
    endif()
    if(rc)
      message(FATAL_ERROR "${what}: ${f} differs")
    endif()
  endforeach()
endfunction()

# Fails when anything was written into dir, the folder the programs were
# started in.
function(morvane_nothing_written dir)
  file(GLOB strays ${dir}/*)
  if(strays)
    message(FATAL_ERROR "a program wrote into the folder it was started in: ${strays}")
  endif()
endfunction()
