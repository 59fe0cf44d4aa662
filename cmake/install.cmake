# Install rules: the shared library with a versioned SONAME (libmorvane.so.0),
# the header, the Fortran module (source, .mod and libmorvane_fortran.a), a
# CMake package (find_package(morvane) gives morvane::morvane and
# morvane::fortran) and pkg-config files (morvane, morvane-fortran).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

if(NOT WIN32)
  set_target_properties(morvane PROPERTIES VERSION ${PROJECT_VERSION}
                                           SOVERSION ${PROJECT_VERSION_MAJOR})
endif()

set(_morvane_targets morvane)
if(TARGET morvane_fortran)
  list(APPEND _morvane_targets morvane_fortran)
endif()
install(TARGETS ${_morvane_targets} EXPORT morvane-targets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/morvane.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
if(TARGET morvane_fortran)
  # The module source too: a caller with another Fortran compiler (or
  # version) builds it with its own (gfortran -cpp morvane.f90).
  get_target_property(_morvane_moddir morvane_fortran Fortran_MODULE_DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/src/fortran/morvane.f90 ${_morvane_moddir}/morvane.mod
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
endif()
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/README.md
              ${PROJECT_SOURCE_DIR}/CHANGELOG.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(_morvane_cmakedir ${CMAKE_INSTALL_LIBDIR}/cmake/morvane)
install(EXPORT morvane-targets NAMESPACE morvane:: DESTINATION ${_morvane_cmakedir})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/morvane-config.cmake.in
  ${PROJECT_BINARY_DIR}/morvane-config.cmake INSTALL_DESTINATION ${_morvane_cmakedir})
# 0.x releases may change the interface between minor versions.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/morvane-config-version.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/morvane-config.cmake
              ${PROJECT_BINARY_DIR}/morvane-config-version.cmake
        DESTINATION ${_morvane_cmakedir})

# pkg-config files that find their prefix from where they lie, so that the
# installed tree can be moved (cmake --install --prefix included).
if(NOT WIN32)
  file(RELATIVE_PATH _morvane_pc_up /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
  string(REGEX REPLACE "/$" "" _morvane_pc_up "${_morvane_pc_up}")
  set(MORVANE_PC_PREFIX "\${pcfiledir}/${_morvane_pc_up}")
  set(_morvane_pcs morvane)
  if(TARGET morvane_fortran)
    list(APPEND _morvane_pcs morvane-fortran)
  endif()
  foreach(_pc IN LISTS _morvane_pcs)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/${_pc}.pc.in ${PROJECT_BINARY_DIR}/${_pc}.pc @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/${_pc}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
  endforeach()
endif()
