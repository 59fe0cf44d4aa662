add_executable(oracle_varin ${CMAKE_CURRENT_SOURCE_DIR}/input/oracle_varin.f90)
set_target_properties(oracle_varin PROPERTIES LINKER_LANGUAGE Fortran)
add_dependencies(test_input oracle_varin)
target_compile_definitions(test_input PRIVATE ORACLE_VARIN="$<TARGET_FILE:oracle_varin>")
