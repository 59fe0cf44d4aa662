# cmake --install into a temporary prefix; the installed files, the SONAME,
# and three consumers built against the prefix and run: a CMake project
# (find_package; C and Fortran), a Fortran program built with the flags of
# pkg-config, and the README's first example built with plain gfortran from
# the installed module source (-lmorvane, rpath), whose monitoring file must be
# the one the README shows.
include(${SOURCE_DIR}/tests/package/consumers.cmake)
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
set(libdir ${prefix}/${LIBDIR})
run_checked("cmake --install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

foreach(f include/morvane.h include/morvane.f90 include/morvane.mod
          ${LIBDIR}/libmorvane_fortran.a ${LIBDIR}/cmake/morvane/morvane-config.cmake
          ${LIBDIR}/cmake/morvane/morvane-config-version.cmake
          ${LIBDIR}/pkgconfig/morvane.pc ${LIBDIR}/pkgconfig/morvane-fortran.pc
          share/doc/morvane/LICENSE)
  if(NOT EXISTS ${prefix}/${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
file(READ_SYMLINK ${libdir}/libmorvane.so link)
file(READ_SYMLINK ${libdir}/libmorvane.so.0 real)
if(NOT link STREQUAL "libmorvane.so.0" OR NOT real STREQUAL "libmorvane.so.${VERSION}")
  message(FATAL_ERROR "libmorvane.so -> ${link} -> ${real}")
endif()
run_checked("objdump" objdump -p ${libdir}/libmorvane.so.${VERSION})
if(NOT out MATCHES "SONAME +libmorvane\\.so\\.0\n")
  message(FATAL_ERROR "libmorvane.so.${VERSION} lacks the SONAME libmorvane.so.0")
endif()

# 1. CMake: find_package(morvane), C and Fortran.
build_consumer(${WORK_DIR}/cmake -DCMAKE_PREFIX_PATH=${prefix}
               "-DCMAKE_EXE_LINKER_FLAGS=${LINK_FLAGS}")
check_consumer("the CMake C consumer" ${WORK_DIR}/cmake/consumer_c)
check_consumer("the CMake Fortran consumer" ${WORK_DIR}/cmake/consumer_fortran)

# 2. pkg-config morvane-fortran.
find_program(PKG_CONFIG pkg-config REQUIRED)
run_checked("pkg-config" ${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${libdir}/pkgconfig
            ${PKG_CONFIG} --cflags --libs morvane-fortran)
separate_arguments(pc_flags UNIX_COMMAND "${out}")
separate_arguments(link_flags UNIX_COMMAND "${LINK_FLAGS}")
file(MAKE_DIRECTORY ${WORK_DIR}/pkgconfig)
run_checked("building with pkg-config" ${FC} -std=f2008 -Wall -Werror
            ${SOURCE_DIR}/tests/package/consumer/consumer.f90 ${pc_flags} -Wl,-rpath,${libdir}
            ${link_flags} -o ${WORK_DIR}/pkgconfig/consumer)
check_consumer("the pkg-config Fortran consumer" ${WORK_DIR}/pkgconfig/consumer)

# 3. Plain gfortran: the README's first example and the file it shows.
# The content of the first block fenced as lang in text after the offset
# at, and the offset behind it.
function(fenced_block text at lang out_var at_var)
  string(SUBSTRING "${text}" ${at} -1 text)
  string(FIND "${text}" "```${lang}\n" start)
  if(start EQUAL -1)
    message(FATAL_ERROR "README.md shows no ${lang} block where the test expects it")
  endif()
  string(LENGTH "```${lang}\n" fence)
  math(EXPR start "${start} + ${fence}")
  string(SUBSTRING "${text}" ${start} -1 text)
  string(FIND "${text}" "```" end)
  string(SUBSTRING "${text}" 0 ${end} block)
  set(${out_var} "${block}" PARENT_SCOPE)
  math(EXPR next "${at} + ${start} + ${end}")
  set(${at_var} ${next} PARENT_SCOPE)
endfunction()
file(READ ${SOURCE_DIR}/README.md readme)
fenced_block("${readme}" 0 fortran example at)
fenced_block("${readme}" ${at} text shown at)
set(dir ${WORK_DIR}/plain)
file(MAKE_DIRECTORY ${dir})
file(WRITE ${dir}/first.f90 "${example}")
execute_process(COMMAND ${FC} -cpp -std=f2008 -Wall -Werror ${prefix}/include/morvane.f90 first.f90
                        -L${libdir} -lmorvane -Wl,-rpath,${libdir} ${link_flags} -o first
                WORKING_DIRECTORY ${dir} RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc)
  message(FATAL_ERROR "the README example does not build:\n${err}")
endif()
execute_process(COMMAND ${dir}/first WORKING_DIRECTORY ${dir} RESULT_VARIABLE rc
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(rc OR NOT err STREQUAL "" OR NOT EXISTS ${dir}/first.mon)
  message(FATAL_ERROR "the README example failed (${rc}):\n${out}${err}")
endif()
file(READ ${dir}/first.mon written)
if(NOT written STREQUAL shown)
  message(FATAL_ERROR "the README example wrote\n${written}instead of what the README shows\n${shown}")
endif()
message(STATUS "installed; the CMake, pkg-config and plain gfortran consumers run")
