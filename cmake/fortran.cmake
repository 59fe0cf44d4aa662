# The Fortran module (fortran/morvane.f90): built when a Fortran compiler is
# found, and required when the tests are built (they compare it with C).
include(GNUInstallDirs)
if(MORVANE_FORTRAN)
  include(CheckLanguage)
  check_language(Fortran)
  if(CMAKE_Fortran_COMPILER)
    enable_language(Fortran)
    add_subdirectory(fortran)
  elseif(MORVANE_TESTS AND NOT CMAKE_CROSSCOMPILING)
    message(FATAL_ERROR "No Fortran compiler found (Debian package gfortran); "
                        "configure with -DMORVANE_FORTRAN=OFF to build without the module")
  else()
    message(STATUS "No Fortran compiler found: the Fortran module is not built")
  endif()
endif()
