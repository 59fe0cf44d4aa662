# The reference: the Fortran runtime writing the same table with the same
# format, linked into the benchmark.
enable_language(Fortran)
target_sources(bench_monwrite PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/monwrite_ref.f90)
set_target_properties(bench_monwrite PROPERTIES LINKER_LANGUAGE CXX)
# MONWRITE is called as a model program calls it: the exported routine.
target_link_libraries(bench_monwrite PRIVATE morvane)
