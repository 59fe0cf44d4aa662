# The main job: the example model program runs on a copy of the example site
# for the soil models with a surface-water part, and its page renders in Ghostscript.
if(TARGET harjulampi)
  foreach(model KESTO OLU)  # KESTO2 has no surface-water part: the example reports it
    add_test(NAME harjulampi_${model}
      COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:harjulampi> -DSITE=${PROJECT_SOURCE_DIR}/examples/site
              -DWORK=${MORVANE_TEST_TMP}/harjulampi_${model} -DMODEL=${model}
              -P ${CMAKE_CURRENT_SOURCE_DIR}/plot/run_harjulampi.cmake)
  endforeach()
endif()
