# The readers' benchmark calls the exported routines (the shared library) and
# its peers, gfortran's list-directed READ (of series files: varin_gfortran),
# linked into the same program.
enable_language(Fortran)
target_sources(bench_readers PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/readers_peer.f90)
target_link_libraries(bench_readers PRIVATE morvane varin_gfortran)
set_target_properties(bench_readers PROPERTIES LINKER_LANGUAGE CXX)
