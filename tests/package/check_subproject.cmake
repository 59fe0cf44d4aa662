# morvane as a subproject (FetchContent): only the library and the module are
# built, and the consumer programs link morvane::morvane and morvane::fortran.
include(${SOURCE_DIR}/tests/package/consumers.cmake)
file(REMOVE_RECURSE ${WORK_DIR})
build_consumer(${WORK_DIR} -DMORVANE_SOURCE_DIR=${SOURCE_DIR})
check_consumer("the C consumer" ${WORK_DIR}/consumer_c)
check_consumer("the Fortran consumer" ${WORK_DIR}/consumer_fortran)
message(STATUS "morvane builds as a subproject")
