# Build helpers shared by every folder: warnings, GoogleTest registration (native or under
# Wine), the Wine test fixture, the two kits and the distribution folder composed from them.

include_guard(GLOBAL)

set(SUITE_DIST_DIR "${CMAKE_BINARY_DIR}/dist")
file(STRINGS "${CMAKE_CURRENT_LIST_DIR}/../base/Version.h" version_lines
     REGEX "define SUITE_(VERSION_TEXT|PRODUCT_NAME)")
foreach(line IN LISTS version_lines)
  string(REGEX MATCH "define (SUITE_[A-Z_]+) \"(.*)\"" ok "${line}")
  set(${CMAKE_MATCH_1} "${CMAKE_MATCH_2}")
endforeach()
# The two kits of a Windows tree: the suite kit, which is all a workstation gets from us, and
# the emulator kit, our emulated stand-ins of the device makers' libraries with simdev.
set(SUITE_KIT_NAME "qrt8300-fio-${SUITE_VERSION_TEXT}-${SUITE_ARCH}")
set(SUITE_EMULATOR_KIT_NAME "qrt8300-fio-emulator-${SUITE_VERSION_TEXT}-${SUITE_ARCH}")
# Only the x86 kits go to build/release: x64 programs cannot load the makers' 32-bit
# libraries, so a workstation must never be offered them; the x64 kits stay in their tree.
if(SUITE_ARCH STREQUAL "x86")
  get_filename_component(kit_dir "${CMAKE_BINARY_DIR}/../release" ABSOLUTE)
else()
  set(kit_dir "${CMAKE_BINARY_DIR}/kits")
endif()
set(SUITE_KIT_DIR "${kit_dir}" CACHE PATH "Where the kits go")
# The time the kits and the help files carry: SOURCE_DATE_EPOCH when the build is given one,
# else the commit's time, else a fixed date (a source tree without its history). Two builds of
# one commit then make the same bytes.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(SUITE_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
else()
  set(SUITE_SOURCE_DATE_EPOCH 1767225600)  # 2026-01-01 00:00:00 UTC
  find_program(SUITE_GIT git)
  if(SUITE_GIT)
    execute_process(COMMAND ${SUITE_GIT} -C "${CMAKE_CURRENT_LIST_DIR}/.." log -1 --format=%ct
                    OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE rc ERROR_QUIET)
    if(rc EQUAL 0 AND commit_time MATCHES "^[0-9]+$")
      set(SUITE_SOURCE_DATE_EPOCH "${commit_time}")
    endif()
  endif()
endif()
# Each kit's files exactly as zipped, and the symbols stripped from its binaries.
set(SUITE_KIT_STAGE "${CMAKE_BINARY_DIR}/kits-stage")
set(SUITE_SYMBOLS_DIR "${CMAKE_BINARY_DIR}/symbols")
# Signing: a code-signing certificate and its key (PEM), or a PKCS#12 file as SUITE_SIGN_CERT;
# the password comes from SIGN_PASS in the environment of the build, never from the cache.
set(SUITE_SIGN_CERT "" CACHE FILEPATH "Code-signing certificate (PEM), or a PKCS#12 file")
set(SUITE_SIGN_KEY "" CACHE FILEPATH "The certificate's private key (PEM)")
set(SUITE_SIGN_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamping server")
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
  # 77: skipped, because this machine cannot run the tree's Wine loader (wine-run.sh).
  set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED ${SUITE_WINE_FIXTURE_NAME}
                                          TIMEOUT ${W_TIMEOUT} LABELS wine SKIP_RETURN_CODE 77)
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
  target_link_libraries(${target} PRIVATE ${T_LIBS} suite_test_support gtest_main)
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
# <NAME>.LIB itself: the programs are built against the import library that ships. The DLL
# (and with SHIP_IMPORT_LIBRARY the .LIB) belongs to the emulator kit.
if(WIN32)
  find_program(SUITE_LLVM_DLLTOOL NAMES llvm-dlltool llvm-dlltool-14 REQUIRED)
  # The kits' tools (cmake/MakeRelease.cmake), which the signing test uses too.
  string(REGEX REPLACE "gcc(-posix)?$" "objcopy" objcopy "${CMAKE_C_COMPILER}")
  find_program(SUITE_OBJCOPY NAMES "${objcopy}" REQUIRED)
  find_program(SUITE_OSSLSIGNCODE osslsigncode REQUIRED)
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
  suite_kit_file(${name}.DLL KIT emulator TARGET ${name}_dll)
  if(D_SHIP_IMPORT_LIBRARY)
    suite_kit_file(${name}.LIB KIT emulator FILE "${lib}" DEPENDS ${name}_implib)
  endif()
endfunction()

# suite_kit_file(<exact name> KIT suite|emulator TARGET <target>) or
# suite_kit_file(<exact name> KIT suite|emulator FILE <path> [DEPENDS <targets>...])
# Registers one file of a kit under the exact name it ships as. The suite kit holds the
# programs, their help and README.DOC; the emulator kit our stand-ins of the device makers'
# files and simdev. A workstation's installation source is composed from the suite kit and the
# makers' files (or the emulator kit), never from a kit alone.
function(suite_kit_file name)
  cmake_parse_arguments(D "" "KIT;TARGET;FILE" "DEPENDS" ${ARGN})
  if(NOT D_KIT MATCHES "^(suite|emulator)$")
    message(FATAL_ERROR "suite_kit_file: ${name} needs KIT suite or KIT emulator")
  endif()
  get_property(registered GLOBAL PROPERTY SUITE_KIT_NAMES)
  if(name IN_LIST registered)
    return()
  endif()
  if(D_TARGET)
    set(source "$<TARGET_FILE:${D_TARGET}>")
    set(depends ${D_TARGET} "${source}")
  elseif(D_FILE)
    get_filename_component(source "${D_FILE}" ABSOLUTE)
    set(depends "${source}" ${D_DEPENDS})
  else()
    message(FATAL_ERROR "suite_kit_file: ${name} needs TARGET or FILE")
  endif()
  set_property(GLOBAL APPEND PROPERTY SUITE_KIT_NAMES "${name}")
  set_property(GLOBAL APPEND PROPERTY SUITE_KIT_${D_KIT}_NAMES "${name}")
  set_property(GLOBAL APPEND PROPERTY SUITE_KIT_${D_KIT}_SOURCES "${source}")
  set_property(GLOBAL APPEND PROPERTY SUITE_KIT_${D_KIT}_DEPENDS ${depends})
endfunction()

# Called once at the end of the top-level CMakeLists: both kits of the tree, and the
# distribution folder composed from them.
#
# Each kit is built from the files registered above (cmake/MakeRelease.cmake): binaries
# stripped, their symbols kept in SUITE_SYMBOLS_DIR behind a debug link, signed when a
# certificate is configured, SHA256SUMS, and a zip that two builds of one commit make alike.
# The distribution folder, the installer's source directory that the demo and the tests
# install from, is what the composer (tools/kit) lays out from the two kits: every file of
# every group, checked, and its SHA256SUMS.
function(suite_finish_kits)
  if(NOT WIN32)
    return()
  endif()
  get_property(registered GLOBAL PROPERTY SUITE_KIT_NAMES)
  foreach(name IN LISTS SUITE_DIST_EXPECTED)
    if(NOT name IN_LIST registered)
      message(FATAL_ERROR "${name}, a file of an installer group, is in neither kit")
    endif()
  endforeach()

  set(sign_depends ${SUITE_SIGN_CERT} ${SUITE_SIGN_KEY})
  set(zips "")
  foreach(kit suite emulator)
    if(kit STREQUAL "suite")
      set(name "${SUITE_KIT_NAME}")
    else()
      set(name "${SUITE_EMULATOR_KIT_NAME}")
    endif()
    get_property(names GLOBAL PROPERTY SUITE_KIT_${kit}_NAMES)
    get_property(sources GLOBAL PROPERTY SUITE_KIT_${kit}_SOURCES)
    get_property(depends GLOBAL PROPERTY SUITE_KIT_${kit}_DEPENDS)
    # The kit's files as "NAME|path" lines; the signing settings ride along, so that a change
    # of certificate makes the kits again.
    set(lines "# sign ${SUITE_SIGN_CERT} ${SUITE_SIGN_KEY} ${SUITE_SIGN_TIMESTAMP_URL}\n")
    foreach(file source IN ZIP_LISTS names sources)
      string(APPEND lines "${file}|${source}\n")
    endforeach()
    set(list_file "${SUITE_KIT_STAGE}/${kit}.files")
    file(GENERATE OUTPUT "${list_file}" CONTENT "${lines}")
    set(zip "${SUITE_KIT_DIR}/${name}.zip")
    add_custom_command(OUTPUT "${zip}"
      COMMAND ${CMAKE_COMMAND} -DLIST=${list_file} -DNAME=${name} -DSTAGE=${SUITE_KIT_STAGE}
              -DZIP=${zip} -DOBJCOPY=${SUITE_OBJCOPY} -DSYMBOLS=${SUITE_SYMBOLS_DIR}
              -DEPOCH=${SUITE_SOURCE_DATE_EPOCH} "-DDESCRIPTION=${SUITE_PRODUCT_NAME}"
              -DOSSLSIGNCODE=${SUITE_OSSLSIGNCODE} -DSIGN_CERT=${SUITE_SIGN_CERT}
              -DSIGN_KEY=${SUITE_SIGN_KEY} -DSIGN_TIMESTAMP_URL=${SUITE_SIGN_TIMESTAMP_URL}
              -P "${PROJECT_SOURCE_DIR}/cmake/MakeRelease.cmake"
      DEPENDS "${list_file}" ${depends} ${sign_depends}
              "${PROJECT_SOURCE_DIR}/cmake/MakeRelease.cmake"
      COMMENT "Kit ${name}.zip"
      VERBATIM)
    list(APPEND zips "${zip}")
  endforeach()
  add_custom_target(kits ALL DEPENDS ${zips})

  set(sums "${SUITE_DIST_DIR}/SHA256SUMS")
  add_custom_command(OUTPUT "${sums}"
    COMMAND ${CMAKE_COMMAND} -E rm -rf "${SUITE_DIST_DIR}"
    COMMAND "${SUITE_NATIVE_COMPOSESRC}" --kit "${SUITE_KIT_STAGE}/${SUITE_KIT_NAME}"
            --devices "${SUITE_KIT_STAGE}/${SUITE_EMULATOR_KIT_NAME}" --out "${SUITE_DIST_DIR}"
            --emulated
    DEPENDS ${zips} simdev_native
    COMMENT "Distribution folder composed from the kits"
    VERBATIM)
  add_custom_target(dist ALL DEPENDS "${sums}")
  # Through the kits target, so that the kits' commands run in that target alone and never
  # twice at once in a parallel build.
  add_dependencies(dist kits)
  # The check as a script of its own, so the demo can run exactly what the test runs.
  set(check "${CMAKE_BINARY_DIR}/dist-check.cmake")
  file(GENERATE OUTPUT "${check}" CONTENT
"# Generated: checks ${SUITE_DIST_DIR} against the installer's file groups.
set(DIST \"${SUITE_DIST_DIR}\")
set(EXPECTED \"${SUITE_DIST_EXPECTED}\")
include(\"${CMAKE_SOURCE_DIR}/cmake/CheckDist.cmake\")
")
  add_test(NAME ${SUITE_TEST_PREFIX}.dist-folder COMMAND ${CMAKE_COMMAND} -P "${check}")
  set_tests_properties(${SUITE_TEST_PREFIX}.dist-folder PROPERTIES LABELS dist)
endfunction()
