# Build helpers shared by every folder: warnings, GoogleTest registration (native or under
# Wine), the Wine test fixture, and the distribution folder that the installer copies from.

include_guard(GLOBAL)

set(SUITE_DIST_DIR "${CMAKE_BINARY_DIR}/dist")
# The release archives of both Windows trees land side by side in build/release, named after
# the version of base/Version.h.
get_filename_component(release_dir "${CMAKE_BINARY_DIR}/../release" ABSOLUTE)
set(SUITE_RELEASE_DIR "${release_dir}" CACHE PATH "Where the release archive goes")
file(STRINGS "${CMAKE_CURRENT_LIST_DIR}/../base/Version.h" version_line
     REGEX "define SUITE_VERSION_TEXT")
string(REGEX REPLACE ".*\"(.*)\".*" "\\1" SUITE_VERSION "${version_line}")
set(SUITE_RELEASE_NAME "qrt8300-fio-${SUITE_VERSION}-${SUITE_ARCH}")
set(SUITE_RELEASE_ZIP "${SUITE_RELEASE_DIR}/${SUITE_RELEASE_NAME}.zip")
include("${CMAKE_CURRENT_LIST_DIR}/DistFiles.cmake")

# Warnings as errors, in one switch: scripts/build.sh (make test, make demo, CI) turns it on;
# a build by hand keeps warnings as warnings unless it passes -DSUITE_WERROR=ON.
option(SUITE_WERROR "Treat compiler warnings as errors" OFF)

function(suite_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra $<$<BOOL:${SUITE_WERROR}>:-Werror>)
endfunction()

# The Wine fixture: one virtual display, one prefix and one warmed, persistent wineserver
# for the whole CTest run, so each test pays milliseconds instead of Wine's start-up.
if(WIN32)
  # The tree's Wine loader, for the fixture and the runner (the 32-bit loader for win32).
  file(WRITE "${CMAKE_BINARY_DIR}/wine-loader" "${SUITE_WINE_LOADER}\n")
  set(SUITE_WINE_FIXTURE "${CMAKE_SOURCE_DIR}/cmake/wine-fixture.sh")
  set(SUITE_WINE_FIXTURE_NAME "WINE_${SUITE_TEST_PREFIX}")
  add_test(NAME ${SUITE_TEST_PREFIX}.wine-start
           COMMAND ${SUITE_WINE_FIXTURE} start "${CMAKE_BINARY_DIR}")
  add_test(NAME ${SUITE_TEST_PREFIX}.wine-stop
           COMMAND ${SUITE_WINE_FIXTURE} stop "${CMAKE_BINARY_DIR}")
  set_tests_properties(${SUITE_TEST_PREFIX}.wine-start PROPERTIES
                       FIXTURES_SETUP ${SUITE_WINE_FIXTURE_NAME} TIMEOUT 300)
  set_tests_properties(${SUITE_TEST_PREFIX}.wine-stop PROPERTIES
                       FIXTURES_CLEANUP ${SUITE_WINE_FIXTURE_NAME} TIMEOUT 60)
endif()

# Properties every test that runs a Windows program needs.
function(suite_wine_test_properties test)
  cmake_parse_arguments(W "" "TIMEOUT" "LOCKS" ${ARGN})
  if(NOT W_TIMEOUT)
    set(W_TIMEOUT 120)
  endif()
  set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED ${SUITE_WINE_FIXTURE_NAME}
                                          TIMEOUT ${W_TIMEOUT} LABELS wine)
  if(W_LOCKS)
    # Each tree has its own prefix (registry) and display: its locks are its own.
    list(TRANSFORM W_LOCKS PREPEND "${SUITE_TEST_PREFIX}.")
    set_tests_properties(${test} PROPERTIES RESOURCE_LOCK "${W_LOCKS}")
  endif()
endfunction()

# suite_add_gtest(<name> SOURCES ... [LIBS ...] [WINE_ONLY] [HOST_ONLY] [SMOKE filter]
#                 [FULL_ONLY] [LOCKS ...] [TIMEOUT s] [ENVIRONMENT ...] [DEPENDS targets...])
# One GoogleTest executable, registered as one CTest test named <prefix>.<name>:
# natively in the host presets, under Wine in the Windows presets. In a tree built with
# SUITE_E2E=smoke an end-to-end test runs only its SMOKE filter (its one run of the program),
# and a FULL_ONLY test is built but not run.
function(suite_add_gtest name)
  cmake_parse_arguments(T "WINE_ONLY;HOST_ONLY;FULL_ONLY" "TIMEOUT;SMOKE" "SOURCES;LIBS;LOCKS;ENVIRONMENT;DEPENDS" ${ARGN})
  if(T_WINE_ONLY AND NOT WIN32)
    return()
  endif()
  if(T_HOST_ONLY AND WIN32)
    return()
  endif()
  set(target test_${name})
  add_executable(${target} ${T_SOURCES})
  target_link_libraries(${target} PRIVATE ${T_LIBS} gtest_main)
  suite_warnings(${target})
  if(T_DEPENDS)
    add_dependencies(${target} ${T_DEPENDS})
  endif()
  if(T_FULL_ONLY AND SUITE_E2E STREQUAL "smoke")
    return()  # built, so it keeps compiling for this target, but not run
  endif()
  set(test ${SUITE_TEST_PREFIX}.${name})
  set(args "")
  if(T_SMOKE AND SUITE_E2E STREQUAL "smoke")
    set(args "--gtest_filter=${T_SMOKE}")
  endif()
  add_test(NAME ${test} COMMAND ${target} ${args})
  if(WIN32)
    suite_wine_test_properties(${test} TIMEOUT ${T_TIMEOUT} LOCKS ${T_LOCKS})
  else()
    if(T_TIMEOUT)
      set_tests_properties(${test} PROPERTIES TIMEOUT ${T_TIMEOUT})
    endif()
    set_tests_properties(${test} PROPERTIES LABELS unit)
  endif()
  set(environment ${T_ENVIRONMENT})
  if(WIN32)
    # Where the tree's native simdev is, for the tests that start it beside the programs.
    list(APPEND environment "SUITE_NATIVE_SIMDEV=${SUITE_NATIVE_SIMDEV}")
  endif()
  if(environment)
    set_tests_properties(${test} PROPERTIES ENVIRONMENT "${environment}")
  endif()
endfunction()

# suite_version_resource(<target> FILE <shipped name> DESCRIPTION <text>
#                        [EXECUTION_LEVEL asInvoker|requireAdministrator])
# The VERSIONINFO resource of a shipped .EXE or .DLL (version and product name from
# base/Version.h, the description and original file name given here) and, for a program, its
# application manifest: the execution level it asks for, the Windows versions it was made
# for, and no version 6 common controls, so its dialogs keep their classic look.
function(suite_version_resource target)
  cmake_parse_arguments(V "" "FILE;DESCRIPTION;EXECUTION_LEVEL" "" ${ARGN})
  set(SUITE_FILE_NAME "${V_FILE}")
  set(SUITE_FILE_DESCRIPTION "${V_DESCRIPTION}")
  get_filename_component(SUITE_INTERNAL_NAME "${V_FILE}" NAME_WE)
  get_target_property(type ${target} TYPE)
  set(SUITE_MANIFEST_LINE "")
  set(depends "${PROJECT_SOURCE_DIR}/base/Version.h")
  if(type STREQUAL "EXECUTABLE")
    set(SUITE_FILE_TYPE VFT_APP)
    set(SUITE_EXECUTION_LEVEL "${V_EXECUTION_LEVEL}")
    if(NOT SUITE_EXECUTION_LEVEL)
      set(SUITE_EXECUTION_LEVEL asInvoker)
    endif()
    if(SUITE_ARCH STREQUAL "x86")
      set(SUITE_MANIFEST_ARCH x86)
    else()
      set(SUITE_MANIFEST_ARCH amd64)
    endif()
    set(manifest "${CMAKE_CURRENT_BINARY_DIR}/${SUITE_INTERNAL_NAME}.manifest")
    configure_file("${PROJECT_SOURCE_DIR}/base/Program.manifest.in" "${manifest}" @ONLY)
    set(SUITE_MANIFEST_LINE "1 24 \"${manifest}\"  // RT_MANIFEST")
    list(APPEND depends "${manifest}")
  else()
    set(SUITE_FILE_TYPE VFT_DLL)
  endif()
  set(rc "${CMAKE_CURRENT_BINARY_DIR}/${SUITE_INTERNAL_NAME}-version.rc")
  configure_file("${PROJECT_SOURCE_DIR}/base/Version.rc.in" "${rc}" @ONLY)
  target_sources(${target} PRIVATE "${rc}")
  target_include_directories(${target} PRIVATE "${PROJECT_SOURCE_DIR}")
  set_source_files_properties("${rc}" PROPERTIES OBJECT_DEPENDS "${depends}")
endfunction()

# suite_device_library(<NAME> DESCRIPTION <text> SOURCES ...
#                      EXPORTS <Function>@<argument bytes> ... [LIBS ...] [SHIP_IMPORT_LIBRARY])
# A device-access library built as the device makers build theirs: a DLL whose __stdcall
# functions are exported under their plain names (EftOpen, not _EftOpen@4 or EftOpen@4), and
# its import library <NAME>.LIB in the short COFF format that both the MinGW and the
# Microsoft linkers read (GNU dlltool's long format fails the Microsoft linker's /SAFESEH on
# x86). The linker checks each argument size against the compiled function. Makes the DLL
# target <NAME>_dll (bin/<NAME>.dll) and the target <NAME> that programs link, which links
# <NAME>.LIB itself: the programs are built against the import library that ships.
if(WIN32)
  find_program(SUITE_LLVM_DLLTOOL NAMES llvm-dlltool llvm-dlltool-14 REQUIRED)
endif()
function(suite_device_library name)
  cmake_parse_arguments(D "SHIP_IMPORT_LIBRARY" "DESCRIPTION" "SOURCES;EXPORTS;LIBS" ${ARGN})
  set(def "${CMAKE_CURRENT_BINARY_DIR}/${name}.def")
  set(lines "LIBRARY ${name}.DLL\nEXPORTS\n")
  foreach(export ${D_EXPORTS})
    if(NOT SUITE_ARCH STREQUAL "x86")
      string(REGEX REPLACE "@[0-9]+$" "" export "${export}")  # x64 decorates nothing
    endif()
    string(APPEND lines "  ${export}\n")
  endforeach()
  file(GENERATE OUTPUT "${def}" CONTENT "${lines}")

  add_library(${name}_dll SHARED ${D_SOURCES} "${def}")
  set_target_properties(${name}_dll PROPERTIES OUTPUT_NAME ${name} PREFIX "")
  target_link_options(${name}_dll PRIVATE -static)
  set(kill "")
  if(SUITE_ARCH STREQUAL "x86")
    target_link_options(${name}_dll PRIVATE -Wl,--kill-at)
    set(kill "-k")
  endif()
  target_link_libraries(${name}_dll PRIVATE ${D_LIBS})
  suite_warnings(${name}_dll)
  suite_version_resource(${name}_dll FILE ${name}.DLL DESCRIPTION "${D_DESCRIPTION}")

  set(lib "${CMAKE_CURRENT_BINARY_DIR}/${name}.LIB")
  add_custom_command(OUTPUT "${lib}"
    COMMAND ${SUITE_LLVM_DLLTOOL} -m ${SUITE_DLLTOOL_MACHINE} -d "${def}" -l "${lib}" ${kill}
    DEPENDS "${def}"
    COMMENT "Import library ${name}.LIB"
    VERBATIM)
  add_custom_target(${name}_implib DEPENDS "${lib}")
  add_library(${name} INTERFACE)
  target_link_libraries(${name} INTERFACE "${lib}")
  add_dependencies(${name} ${name}_implib ${name}_dll)
  suite_dist_file(${name}.DLL TARGET ${name}_dll)
  if(D_SHIP_IMPORT_LIBRARY)
    suite_dist_file(${name}.LIB FILE "${lib}" DEPENDS ${name}_implib)
  endif()
endfunction()

# suite_dist_file(<exact name> TARGET <target> [IMPORT_LIBRARY]) or
# suite_dist_file(<exact name> FILE <path> [DEPENDS <targets that make the file>...])
# Registers one file of the installer's source directory under its exact name.
function(suite_dist_file name)
  cmake_parse_arguments(D "IMPORT_LIBRARY" "TARGET;FILE" "DEPENDS" ${ARGN})
  if(NOT name IN_LIST SUITE_DIST_EXPECTED)
    message(FATAL_ERROR "suite_dist_file: ${name} is not a file of any installer file group")
  endif()
  get_property(registered GLOBAL PROPERTY SUITE_DIST_NAMES)
  if(name IN_LIST registered)
    return()
  endif()
  if(D_TARGET)
    if(D_IMPORT_LIBRARY)
      set(source "$<TARGET_LINKER_FILE:${D_TARGET}>")
    else()
      set(source "$<TARGET_FILE:${D_TARGET}>")
    endif()
    set(depends ${D_TARGET} "${source}")
  elseif(D_FILE)
    get_filename_component(source "${D_FILE}" ABSOLUTE)
    set(depends "${source}" ${D_DEPENDS})
  else()
    message(FATAL_ERROR "suite_dist_file: ${name} needs TARGET or FILE")
  endif()
  set_property(GLOBAL APPEND PROPERTY SUITE_DIST_NAMES "${name}")
  set_property(GLOBAL APPEND PROPERTY SUITE_DIST_SOURCES "${source}")
  # Each file's own dependencies, kept as one list element ("|" between them).
  string(REPLACE ";" "|" depends "${depends}")
  set_property(GLOBAL APPEND PROPERTY SUITE_DIST_DEPENDS "${depends}")
endfunction()

# Called once at the end of the top-level CMakeLists: lays out the folder and adds its check.
function(suite_finish_dist)
  if(NOT WIN32)
    return()
  endif()
  get_property(names GLOBAL PROPERTY SUITE_DIST_NAMES)
  get_property(sources GLOBAL PROPERTY SUITE_DIST_SOURCES)
  get_property(depends GLOBAL PROPERTY SUITE_DIST_DEPENDS)
  set(outputs "")
  set(commands "")
  list(LENGTH names count)
  if(count GREATER 0)
    math(EXPR last "${count} - 1")
    foreach(i RANGE ${last})
      list(GET names ${i} name)
      list(GET sources ${i} source)
      list(GET depends ${i} file_depends)
      string(REPLACE "|" ";" file_depends "${file_depends}")
      list(APPEND outputs "${SUITE_DIST_DIR}/${name}")
      add_custom_command(OUTPUT "${SUITE_DIST_DIR}/${name}"
        COMMAND ${CMAKE_COMMAND} -E make_directory "${SUITE_DIST_DIR}"
        COMMAND ${CMAKE_COMMAND} -E copy "${source}" "${SUITE_DIST_DIR}/${name}"
        DEPENDS ${file_depends}
        COMMENT "Distribution folder: ${name}"
        VERBATIM)
    endforeach()
  endif()
  add_custom_target(dist ALL
    COMMAND ${CMAKE_COMMAND} -E make_directory "${SUITE_DIST_DIR}"
    DEPENDS ${outputs})
  # The check as a script of its own, so the demo can run exactly what the test runs.
  set(check "${CMAKE_BINARY_DIR}/dist-check.cmake")
  file(GENERATE OUTPUT "${check}" CONTENT
"# Generated: checks ${SUITE_DIST_DIR} against the installer's file groups.
set(DIST \"${SUITE_DIST_DIR}\")
set(EXPECTED \"${SUITE_DIST_EXPECTED}\")
set(REGISTERED \"${names}\")
set(STRICT ${SUITE_DIST_STRICT})
include(\"${CMAKE_SOURCE_DIR}/cmake/CheckDist.cmake\")
")
  add_test(NAME ${SUITE_TEST_PREFIX}.dist-folder COMMAND ${CMAKE_COMMAND} -P "${check}")
  set_tests_properties(${SUITE_TEST_PREFIX}.dist-folder PROPERTIES LABELS dist)
endfunction()

# Called once at the end of the top-level CMakeLists, after suite_finish_dist: the release
# archive SUITE_RELEASE_ZIP (build/release/qrt8300-fio-<version>-<x86|x64>.zip), holding the
# distribution folder, WNT43SUP.EXE, WNT43APD.EXE and WNT43SUP.HLP (which no file group
# installs but a technician needs) and SHA256SUMS.
function(suite_finish_release)
  if(NOT WIN32)
    return()
  endif()
  set(name "${SUITE_RELEASE_NAME}")
  set(zip "${SUITE_RELEASE_ZIP}")
  set(extra "$<TARGET_FILE:WNT43SUP>" "$<TARGET_FILE:WNT43APD>"
            "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/WNT43SUP.HLP")
  get_property(dist_outputs GLOBAL PROPERTY SUITE_DIST_NAMES)
  list(TRANSFORM dist_outputs PREPEND "${SUITE_DIST_DIR}/")
  add_custom_command(OUTPUT "${zip}"
    COMMAND ${CMAKE_COMMAND} -DDIST=${SUITE_DIST_DIR} "-DEXTRA=${extra}"
            -DSTAGE=${CMAKE_BINARY_DIR}/release -DNAME=${name} -DZIP=${zip}
            -P "${PROJECT_SOURCE_DIR}/cmake/MakeRelease.cmake"
    DEPENDS ${dist_outputs} dist WNT43SUP WNT43APD help_files ${extra}
            "${PROJECT_SOURCE_DIR}/cmake/MakeRelease.cmake"
    COMMENT "Release archive ${name}.zip"
    VERBATIM)
  add_custom_target(release ALL DEPENDS "${zip}")
endfunction()
