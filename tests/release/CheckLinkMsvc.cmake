# The shipped headers and import libraries as a Microsoft toolchain uses them (cmake -P):
# LinkProbe.c compiled as C89 by clang for *-windows-msvc against the headers of the unpacked
# release, linked by lld-link (a linker that follows the Microsoft linker's rules, /SAFESEH on
# x86 included) against its .LIB files; the program must import every export of each library
# from its .DLL under the export's plain name.
# -DCLANG=<clang> -DLLD_LINK=<lld-link> -DOBJDUMP=<objdump> -DTARGET=<clang target>
# -DFOLDER=<unpacked release> -DSOURCE=<LinkProbe.c> -DWORK=<work folder>
cmake_minimum_required(VERSION 3.25)
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

# The lines of what objdump -p says of a file, as a list. Square brackets and semicolons would
# bend CMake's list splitting, so they are read as underscores.
function(dump_lines file out)
  execute_process(COMMAND ${OBJDUMP} -p "${file}" OUTPUT_VARIABLE dump)
  string(REGEX REPLACE "[][;]" "_" dump "${dump}")
  string(REPLACE "\n" ";" dump "${dump}")
  set(${out} "${dump}" PARENT_SCOPE)
endfunction()

# The names of a PE file's exports.
function(exports_of file out)
  dump_lines("${file}" lines)
  set(names "")
  set(table OFF)
  foreach(line IN LISTS lines)
    if(line MATCHES "^_Ordinal/Name Pointer_ Table")
      set(table ON)
    elseif(table AND line MATCHES "^\t_ *[0-9]+_ (.+)$")
      list(APPEND names "${CMAKE_MATCH_1}")
    elseif(line STREQUAL "")
      set(table OFF)
    endif()
  endforeach()
  set(${out} ${names} PARENT_SCOPE)
endfunction()

dump_lines("${WORK}/probe.exe" lines)
set(imported "")
set(dll "")
foreach(line IN LISTS lines)
  if(line MATCHES "^\tDLL Name: (.+)$")
    string(TOUPPER "${CMAKE_MATCH_1}" dll)
  elseif(dll AND line MATCHES "^\t[0-9a-f]+\t +[0-9]+ +([^ ]+)$")
    list(APPEND imported "${dll}!${CMAKE_MATCH_1}")
  elseif(line STREQUAL "")
    set(dll "")
  endif()
endforeach()
set(expected "")
foreach(lib IN LISTS libs)
  get_filename_component(name "${lib}" NAME_WE)
  exports_of("${FOLDER}/${name}.DLL" names)
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
