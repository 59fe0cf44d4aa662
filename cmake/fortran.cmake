# The Fortran module (src/fortran/morvane.f90): built when a Fortran compiler is
# found, and required when the tests are built (they compare it with C).
include(GNUInstallDirs)
if(MORVANE_FORTRAN)
  include(CheckLanguage)
  check_language(Fortran)
  if(CMAKE_Fortran_COMPILER)
    enable_language(Fortran)
    add_subdirectory(src/fortran)
  elseif(MORVANE_RUN_TESTS)
    message(FATAL_ERROR "No Fortran compiler found (Debian package gfortran); "
                        "configure with -DMORVANE_FORTRAN=OFF to build without the module")
  else()
    message(STATUS "No Fortran compiler found: the Fortran module is not built")
  endif()
endif()

# Cross build for 32-bit Windows: a Fortran caller of every routine, linked
# through the DLL's import library (its link proves the module's __stdcall
# declarations and argument words; the dll_exports test checks its imports).
if(CMAKE_CROSSCOMPILING AND WIN32 AND TARGET morvane_fortran)
  add_executable(fortran_link_check tests/fortran/link_check.f90)
  set_target_properties(fortran_link_check PROPERTIES Fortran_PREPROCESS ON)
  target_link_libraries(fortran_link_check PRIVATE morvane_fortran)
endif()
