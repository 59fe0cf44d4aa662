add_executable(oracle_clf ${CMAKE_CURRENT_SOURCE_DIR}/clf/oracle_clf.f90)
set_target_properties(oracle_clf PROPERTIES LINKER_LANGUAGE Fortran)
add_dependencies(test_clf oracle_clf)
target_compile_definitions(test_clf PRIVATE ORACLE_CLF="$<TARGET_FILE:oracle_clf>")
