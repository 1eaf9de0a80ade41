# Writes a release archive (cmake -P): the distribution folder, the programs and help file of
# no file group, and SHA256SUMS, in one folder named after the archive, zipped.
# -DDIST=<distribution folder> -DEXTRA=<files;...> -DSTAGE=<work folder> -DNAME=<folder name>
# -DZIP=<archive>
cmake_minimum_required(VERSION 3.25)
set(folder "${STAGE}/${NAME}")
file(REMOVE_RECURSE "${STAGE}")
file(MAKE_DIRECTORY "${folder}")
file(GLOB shipped "${DIST}/*")
foreach(file IN LISTS shipped EXTRA)
  get_filename_component(name "${file}" NAME)
  # The programs are built as NAME.exe; they ship under the upper-case names of the others.
  string(TOUPPER "${name}" name)
  file(COPY_FILE "${file}" "${folder}/${name}")
  list(APPEND names "${name}")
endforeach()
list(SORT names)
set(sums "")
foreach(name IN LISTS names)
  file(SHA256 "${folder}/${name}" hash)
  string(APPEND sums "${hash}  ${name}\n")
endforeach()
file(WRITE "${folder}/SHA256SUMS" "${sums}")
get_filename_component(zip_dir "${ZIP}" DIRECTORY)
file(MAKE_DIRECTORY "${zip_dir}")
file(REMOVE "${ZIP}")
# A fixed time stamp: the same build gives the same archive.
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf "${ZIP}" --format=zip --mtime=2026-01-01
                        "${NAME}"
                WORKING_DIRECTORY "${STAGE}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot write ${ZIP}")
endif()
