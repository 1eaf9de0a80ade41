# Makes one kit (cmake -P): its files under their shipped names in STAGE/NAME, every .EXE and
# .DLL stripped with its symbols kept in SYMBOLS behind a debug link, then signed when a
# certificate is given, then SHA256SUMS, then NAME.zip. Two runs over the same files make the
# same archive: fixed file order, dates and permissions, and the signing time of the commit.
# -DLIST=<"NAME|path" lines> -DNAME=<kit> -DSTAGE=<folder> -DZIP=<archive> -DOBJCOPY=<objcopy>
# -DSYMBOLS=<folder> -DEPOCH=<the kit's time> -DDESCRIPTION=<signature's description>
# [-DSIGN_CERT=<PEM certificate or PKCS#12> -DSIGN_KEY=<PEM key> -DOSSLSIGNCODE=<tool>
#  -DSIGN_TIMESTAMP_URL=<RFC 3161 server>]; SIGN_PASS from the environment.
cmake_minimum_required(VERSION 3.25)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out
                  WORKING_DIRECTORY "${STAGE}")
  if(NOT rc EQUAL 0)
    list(JOIN ARGN " " line)
    message(FATAL_ERROR "${NAME}: ${line} failed (${rc}):\n${out}")
  endif()
endfunction()

# The time every file of the kit carries (SUITE_SOURCE_DATE_EPOCH, cmake/Suite.cmake), unless
# this run is given SOURCE_DATE_EPOCH itself.
set(epoch "${EPOCH}")
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch "$ENV{SOURCE_DATE_EPOCH}")
endif()
# objcopy writes it into the PE headers it rewrites (the time stamp), as it would the time of
# the run otherwise.
set(ENV{SOURCE_DATE_EPOCH} "${epoch}")

set(folder "${STAGE}/${NAME}")
file(REMOVE_RECURSE "${folder}")
file(MAKE_DIRECTORY "${folder}" "${SYMBOLS}")
file(STRINGS "${LIST}" entries REGEX "^[^#]")
set(names "")
foreach(entry IN LISTS entries)
  string(REGEX MATCH "^([^|]+)\\|(.+)$" ok "${entry}")
  set(name "${CMAKE_MATCH_1}")
  set(source "${CMAKE_MATCH_2}")
  set(shipped "${folder}/${name}")
  if(name MATCHES "\\.(EXE|DLL)$")
    # Strip, keep the symbols, link them: a crash address in a shipped file can still be read
    # with the symbol file of the same build.
    set(debug "${SYMBOLS}/${name}.debug")
    run(${OBJCOPY} --only-keep-debug "${source}" "${debug}")
    run(${OBJCOPY} --strip-all "${source}" "${shipped}")
    run(${OBJCOPY} "--add-gnu-debuglink=${debug}" "${shipped}")
  else()
    file(COPY_FILE "${source}" "${shipped}")
  endif()
  file(CHMOD "${shipped}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  list(APPEND names "${name}")
endforeach()
list(SORT names)

set(signed "unsigned")
if(SIGN_CERT)
  file(READ "${SIGN_CERT}" head LIMIT 16)
  if(head MATCHES "^-----BEGIN ")
    if(NOT SIGN_KEY)
      message(FATAL_ERROR "${NAME}: the PEM certificate ${SIGN_CERT} needs its key (SIGN_KEY)")
    endif()
    set(identity -certs "${SIGN_CERT}" -key "${SIGN_KEY}")
  else()
    set(identity -pkcs12 "${SIGN_CERT}")
  endif()
  if(DEFINED ENV{SIGN_PASS})
    # Through a file, so the password shows in no process list.
    set(pass_file "${STAGE}/${NAME}.pass")
    file(TOUCH "${pass_file}")
    file(CHMOD "${pass_file}" PERMISSIONS OWNER_READ OWNER_WRITE)  # before the password is in it
    file(WRITE "${pass_file}" "$ENV{SIGN_PASS}")
    list(APPEND identity -readpass "${pass_file}")
  endif()
  # A time-stamp makes the signature outlive the certificate, but differs on every run;
  # without one the signing time is the kit's time, and two runs sign alike.
  if(SIGN_TIMESTAMP_URL)
    set(when -ts "${SIGN_TIMESTAMP_URL}")
  else()
    set(when -time "${epoch}")
  endif()
  foreach(name IN LISTS names)
    if(name MATCHES "\\.(EXE|DLL)$")
      set(file "${folder}/${name}")
      file(REMOVE "${file}.signed")
      execute_process(COMMAND ${OSSLSIGNCODE} sign ${identity} -h sha256 -n "${DESCRIPTION}"
                              ${when} -in "${file}" -out "${file}.signed"
                      RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
      if(NOT rc EQUAL 0)
        file(REMOVE "${file}.signed")
        if(pass_file)
          file(REMOVE "${pass_file}")
        endif()
        message(FATAL_ERROR "${NAME}: signing ${name} failed (${rc}):\n${out}")
      endif()
      file(RENAME "${file}.signed" "${file}")
      file(CHMOD "${file}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    endif()
  endforeach()
  if(pass_file)
    file(REMOVE "${pass_file}")
  endif()
  # Who signed, for the build's summary line: the certificate's subject.
  set(signed "signed")
  if(identity MATCHES "^-certs")
    execute_process(COMMAND openssl x509 -noout -subject -nameopt oneline -in "${SIGN_CERT}"
                    OUTPUT_VARIABLE subject OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  else()
    execute_process(COMMAND openssl pkcs12 -nokeys -clcerts -in "${SIGN_CERT}"
                            -passin "env:SIGN_PASS"
                    COMMAND openssl x509 -noout -subject -nameopt oneline
                    OUTPUT_VARIABLE subject OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  endif()
  if(subject MATCHES "^subject=(.+)$")
    set(signed "signed by ${CMAKE_MATCH_1}")
  endif()
endif()

set(sums "")
foreach(name IN LISTS names)
  file(SHA256 "${folder}/${name}" hash)
  string(APPEND sums "${hash}  ${name}\n")
endforeach()
file(WRITE "${folder}/SHA256SUMS" "${sums}")
file(CHMOD "${folder}/SHA256SUMS" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
list(APPEND names SHA256SUMS)
list(SORT names)
# What the build's summary line says of the kit.
file(WRITE "${STAGE}/${NAME}.signing" "${signed}\n")

get_filename_component(zip_dir "${ZIP}" DIRECTORY)
file(MAKE_DIRECTORY "${zip_dir}")
file(REMOVE "${ZIP}")
list(TRANSFORM names PREPEND "${NAME}/" OUTPUT_VARIABLE members)
# The files named one by one, in order, all dated the kit's time, and no extra attributes
# (owner, access and change times): zip -X. A zip's dates are local times, so the zone is fixed.
find_program(ZIP_TOOL zip REQUIRED)
run(touch -d @${epoch} ${members})
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${ZIP_TOOL} -X -D -q "${ZIP}" ${members}
                WORKING_DIRECTORY "${STAGE}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot write ${ZIP}")
endif()
