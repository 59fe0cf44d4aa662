# The main job: the example model program runs on a copy of the example site
# for each model and its page renders in Ghostscript.
if(TARGET harjulampi)
  foreach(model KESTO KESTO2 OLU)
    add_test(NAME harjulampi_${model}
      COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:harjulampi> -DSITE=${PROJECT_SOURCE_DIR}/examples/site
              -DWORK=${MORVANE_TEST_TMP}/harjulampi_${model} -DMODEL=${model}
              -P ${CMAKE_CURRENT_SOURCE_DIR}/plot/run_harjulampi.cmake)
  endforeach()
endif()
