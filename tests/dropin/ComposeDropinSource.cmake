# An 8343 installation source as a technician composes it on a workstation with the maker's
# libraries (cmake -P): the drop-in WNT43EFT.DLL and WNT43PDD.DLL, our WNT43EFT.LIB and
# WNT43EFT.H, and the suite kit, composed for the 8343 group alone without --emulated.
# -DCOMPOSESRC=<composer> -DKIT=<suite kit folder> -DEMULATOR=<emulator kit folder>
# -DDLLS=<drop-in DLL folder> -DWORK=<folder>; the source is WORK/source.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/devices")
file(COPY "${DLLS}/WNT43EFT.DLL" "${DLLS}/WNT43PDD.DLL" "${EMULATOR}/WNT43EFT.LIB"
          "${EMULATOR}/WNT43EFT.H" DESTINATION "${WORK}/devices")
execute_process(COMMAND ${COMPOSESRC} --kit ${KIT} --devices ${WORK}/devices
                        --out ${WORK}/source --group 8343
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the 8343 source was not composed (${rc}):\n${out}")
endif()
message(STATUS "${out}")
