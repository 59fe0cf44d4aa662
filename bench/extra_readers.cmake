# The readers' benchmark calls the exported routines (the shared library) and
# its peer, gfortran's list-directed READ (varin_gfortran), linked into the
# same program.
target_link_libraries(bench_readers PRIVATE morvane varin_gfortran)
set_target_properties(bench_readers PROPERTIES LINKER_LANGUAGE CXX)
