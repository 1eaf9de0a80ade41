# Checks the distribution folder, the installation source composed from the kits: every file
# of every installer group present and non-empty, nothing else but SHA256SUMS, and SHA256SUMS
# naming each of those files once with its right sum.
# Included with DIST and EXPECTED (the group files' names) set.
cmake_minimum_required(VERSION 3.25)
set(expected ${EXPECTED})
set(errors "")

foreach(name IN LISTS expected)
  if(NOT EXISTS "${DIST}/${name}" OR IS_DIRECTORY "${DIST}/${name}")
    list(APPEND errors "missing: ${name}")
  else()
    file(SIZE "${DIST}/${name}" size)
    if(size EQUAL 0)
      list(APPEND errors "empty file: ${name}")
    endif()
  endif()
endforeach()

file(GLOB present RELATIVE "${DIST}" "${DIST}/*")
foreach(name IN LISTS present)
  if(NOT name IN_LIST expected AND NOT name STREQUAL "SHA256SUMS")
    list(APPEND errors "file of no installer group: ${name}")
  endif()
endforeach()

include("${CMAKE_CURRENT_LIST_DIR}/CheckSums.cmake")
check_sums("${DIST}" summed sum_errors)
list(APPEND errors ${sum_errors})
set(sorted ${expected})
list(SORT sorted)
if(NOT summed STREQUAL sorted)
  list(APPEND errors "SHA256SUMS does not name each group file once")
endif()

list(LENGTH expected n_expected)
if(errors)
  foreach(e IN LISTS errors)
    message(STATUS "ERROR ${e}")
  endforeach()
  message(FATAL_ERROR "distribution folder check failed")
endif()
message(STATUS "distribution folder ${DIST}: the ${n_expected} files of the groups, every sum right")
