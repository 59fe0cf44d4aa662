# Oracles of the formatted-output engine and the free-format reader: small
# Fortran programs whose output the differential tests compare byte for byte.
foreach(_oracle oracle_listread oracle_format)
  add_executable(${_oracle} ${CMAKE_CURRENT_SOURCE_DIR}/util/${_oracle}.f90)
  set_target_properties(${_oracle} PROPERTIES LINKER_LANGUAGE Fortran)
  add_dependencies(test_util ${_oracle})
endforeach()
target_compile_definitions(test_util PRIVATE
  ORACLE_LISTREAD="$<TARGET_FILE:oracle_listread>"
  ORACLE_FORMAT="$<TARGET_FILE:oracle_format>")
