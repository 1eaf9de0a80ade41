# The two kits as a technician or a trainer gets them (cmake -P): each unpacked into a fresh
# folder holds exactly its files and SHA256SUMS in one folder named after the archive, every
# sum right (by sha256sum as well); the suite kit holds no library, import library, header or
# port driver of the device family. Then the installation source is composed from the two:
# refused without --emulated, naming every stand-in DLL, and laid out with it.
# -DKIT_DIR=<folder of the zips> -DSUITE_KIT=<name> -DEMULATOR_KIT=<name> -DUNPACK=<folder>
# -DGROUP_FILES=<every installer group's files> -DCOMPOSESRC=<composer> -DSOURCE=<folder>
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/../../cmake/CheckSums.cmake")
file(REMOVE_RECURSE "${UNPACK}")
file(MAKE_DIRECTORY "${UNPACK}")

# What the suite kit is: the six programs, their help and the installation note.
set(suite_files FIOSETUP.EXE WNT43SUP.EXE WNT43APD.EXE WNTDLD42.EXE W4XTRACE.EXE W43TRACE.EXE
                FIOSETUP.HLP WNT43SUP.HLP WNTDLD42.HLP README.DOC)
# The emulator kit: every other file the groups copy, simdev and its note.
set(emulator_files ${GROUP_FILES})
list(REMOVE_ITEM emulator_files ${suite_files})
list(APPEND emulator_files SIMDEV.EXE EMULATOR.TXT)

function(check_kit name expected)
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf "${KIT_DIR}/${name}.zip"
                  WORKING_DIRECTORY "${UNPACK}" RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cannot unpack ${KIT_DIR}/${name}.zip")
  endif()
  set(folder "${UNPACK}/${name}")
  file(GLOB names RELATIVE "${folder}" "${folder}/*")
  list(APPEND expected SHA256SUMS)
  list(SORT names)
  list(SORT expected)
  if(NOT names STREQUAL expected)
    message(FATAL_ERROR "${name}.zip holds\n  ${names}\nnot\n  ${expected}")
  endif()
  check_sums("${folder}" summed errors)
  list(REMOVE_ITEM expected SHA256SUMS)
  if(errors OR NOT summed STREQUAL expected)
    message(FATAL_ERROR "${name}: SHA256SUMS lists\n  ${summed}\nfor\n  ${expected}\n${errors}")
  endif()
  list(LENGTH expected files)
  # The tool a technician would use, too.
  execute_process(COMMAND sha256sum --check --strict --quiet SHA256SUMS
                  WORKING_DIRECTORY "${folder}" RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "sha256sum --check failed in ${folder}")
  endif()
  message(STATUS "${name}.zip: ${files} files, every sum right")
endfunction()

check_kit("${SUITE_KIT}" "${suite_files}")
check_kit("${EMULATOR_KIT}" "${emulator_files}")
file(GLOB family RELATIVE "${UNPACK}/${SUITE_KIT}" "${UNPACK}/${SUITE_KIT}/*.DLL"
     "${UNPACK}/${SUITE_KIT}/*.LIB" "${UNPACK}/${SUITE_KIT}/*.H")
if(family)
  message(FATAL_ERROR "the suite kit holds device-family files: ${family}")
endif()

# Composing a workstation's source from the emulator kit is refused, every stand-in named.
set(compose ${COMPOSESRC} --kit "${UNPACK}/${SUITE_KIT}" --devices "${UNPACK}/${EMULATOR_KIT}"
            --out "${SOURCE}")
file(REMOVE_RECURSE "${SOURCE}")
execute_process(COMMAND ${compose} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(rc EQUAL 0 OR EXISTS "${SOURCE}")
  message(FATAL_ERROR "a source composed from the emulator kit without --emulated:\n${out}")
endif()
foreach(file IN LISTS emulator_files)
  if(file MATCHES "\\.DLL$" AND NOT out MATCHES "${file}[^\n]*emulated")
    message(FATAL_ERROR "the refusal does not name ${file} as emulated:\n${out}")
  endif()
endforeach()
execute_process(COMMAND ${compose} --emulated RESULT_VARIABLE rc OUTPUT_VARIABLE out
                ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the emulated source was not composed (${rc}):\n${out}")
endif()
message(STATUS "${out}")
