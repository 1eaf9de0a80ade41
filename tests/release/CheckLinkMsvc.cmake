# The shipped headers and import libraries as a Microsoft toolchain uses them (cmake -P):
# LinkProbe.c compiled as C89 by clang for *-windows-msvc against the headers of the unpacked
# release, linked by lld-link (a linker that follows the Microsoft linker's rules, /SAFESEH on
# x86 included) against its .LIB files; the program must import every export of each library
# from its .DLL under the export's plain name.
# -DCLANG=<clang> -DLLD_LINK=<lld-link> -DOBJDUMP=<objdump> -DTARGET=<clang target>
# -DFOLDER=<unpacked release> -DSOURCE=<LinkProbe.c> -DWORK=<work folder>
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/PeDump.cmake")
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
execute_process(COMMAND ${CLANG} --target=${TARGET} -std=c89 -pedantic -Werror -Wall -Wextra
                        -I${FOLDER} -c "${SOURCE}" -o "${WORK}/probe.obj"
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the shipped headers do not compile as C89 for ${TARGET}")
endif()
file(GLOB libs "${FOLDER}/*.LIB")
execute_process(COMMAND ${LLD_LINK} /nologo /nodefaultlib /entry:ProbeEntry /subsystem:console
                        /out:${WORK}/probe.exe "${WORK}/probe.obj" ${libs}
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "lld-link does not link against the shipped import libraries")
endif()

pe_dump_lines("${WORK}/probe.exe" lines)
pe_imports("${lines}" imported dlls)
set(expected "")
foreach(lib IN LISTS libs)
  get_filename_component(name "${lib}" NAME_WE)
  pe_dump_lines("${FOLDER}/${name}.DLL" lines)
  pe_exports("${lines}" names)
  if(NOT names)
    message(FATAL_ERROR "${name}.DLL exports nothing")
  endif()
  list(TRANSFORM names PREPEND "${name}.DLL!")
  list(APPEND expected ${names})
endforeach()
list(SORT imported)
list(SORT expected)
if(NOT imported STREQUAL expected)
  message(FATAL_ERROR "the probe imports\n  ${imported}\nnot the exports\n  ${expected}")
endif()
list(LENGTH libs count)
list(LENGTH imported functions)
message(STATUS "${count} import libraries link with lld-link: ${functions} plain names imported")
