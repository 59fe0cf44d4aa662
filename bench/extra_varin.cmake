# The reference for bench_varin: the same data file read with gfortran's
# list-directed READ, linked into the benchmark so that both run in one process.
enable_language(Fortran)
add_library(varin_gfortran STATIC ${CMAKE_CURRENT_SOURCE_DIR}/varin_gfortran.f90)
target_link_libraries(bench_varin PRIVATE varin_gfortran)
