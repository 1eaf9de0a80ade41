# The simdev command built natively inside a Windows tree: the end-to-end tests under Wine
# start it beside the programs, since only a Linux process can open Linux pseudo-terminals.
# The installation source composer is built there too, for the build's distribution folder.
# The same sources, configured with the host compiler into <tree>/native with only simdev's
# folders (SUITE_NATIVE_SIMDEV_ONLY), without sanitizers; part of the tree's default build.

include_guard(GLOBAL)
include(ExternalProject)

set(native_dir "${CMAKE_BINARY_DIR}/native")
set(SUITE_NATIVE_SIMDEV "${native_dir}/bin/simdev" CACHE INTERNAL
    "The native simdev command of this Windows tree")
# The installation source composer, which the build runs to lay out the distribution folder.
set(SUITE_NATIVE_COMPOSESRC "${native_dir}/bin/composesrc" CACHE INTERNAL
    "The native installation source composer of this Windows tree")

# A recursive make shares the outer build's job slots; any other generator gets its own build.
if(CMAKE_GENERATOR MATCHES "Make")
  set(native_build $(MAKE) simdev composesrc)
else()
  set(native_build ${CMAKE_COMMAND} --build <BINARY_DIR> --target simdev composesrc)
endif()

ExternalProject_Add(simdev_native
  SOURCE_DIR "${PROJECT_SOURCE_DIR}"
  PREFIX "${native_dir}"
  BINARY_DIR "${native_dir}"
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DSUITE_NATIVE_SIMDEV_ONLY=ON -DSUITE_SANITIZE=OFF
             -DSUITE_WERROR=${SUITE_WERROR}
  BUILD_COMMAND ${native_build}
  # The inner make is incremental: asking it every time is how a changed source is rebuilt.
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS "${SUITE_NATIVE_SIMDEV}" "${SUITE_NATIVE_COMPOSESRC}"
  INSTALL_COMMAND "")

# The command the tests will start is a Linux program that runs here, at the path they are given.
add_test(NAME ${SUITE_TEST_PREFIX}.native-simdev COMMAND "${SUITE_NATIVE_SIMDEV}" help)
set_tests_properties(${SUITE_TEST_PREFIX}.native-simdev PROPERTIES
                     PASS_REGULAR_EXPRESSION "^usage: simdev COMMAND" LABELS unit)
