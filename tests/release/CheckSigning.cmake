# Both kits made again and signed (cmake -P) with a certificate authority and a code-signing
# certificate made for this run only: the suite kit with a PEM certificate and key, the
# emulator kit with a PKCS#12 file and its password. Every .EXE and .DLL must pass
# `osslsigncode verify` against that authority, and fail it with one byte changed. Both kits
# are then unpacked into WORK/run, where the signed programs run beside the signed libraries.
# -DWORK=<folder> -DMAKE_KIT=<MakeRelease.cmake> -DLISTS=<suite;emulator file lists>
# -DNAMES=<suite;emulator kit names> -DOBJCOPY -DOSSLSIGNCODE -DDESCRIPTION
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/run")

function(run)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE rc
                  OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    list(JOIN ARGN " " line)
    message(FATAL_ERROR "${line} failed (${rc}):\n${out}")
  endif()
endfunction()

run(openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2
    -subj "/CN=Throwaway Test CA" -addext "basicConstraints=critical,CA:TRUE"
    -addext "keyUsage=critical,keyCertSign,cRLSign")
run(openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr
    -subj "/CN=Throwaway Code Signer")
file(WRITE "${WORK}/signer.ext" "basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\n"
                                "extendedKeyUsage=codeSigning\n")
run(openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2
    -extfile signer.ext -out signer.pem)
run(openssl pkcs12 -export -in signer.pem -inkey signer.key -passout pass:throwaway
    -out signer.p12)

# Signed now, inside the certificate's validity.
unset(ENV{SOURCE_DATE_EPOCH})
string(TIMESTAMP now "%s" UTC)
set(ENV{SOURCE_DATE_EPOCH} "${now}")
list(GET LISTS 0 suite_list)
list(GET LISTS 1 emulator_list)
list(GET NAMES 0 suite_name)
list(GET NAMES 1 emulator_name)
set(common -DSTAGE=${WORK}/stage -DSYMBOLS=${WORK}/symbols -DOBJCOPY=${OBJCOPY}
           -DOSSLSIGNCODE=${OSSLSIGNCODE} -DEPOCH=${now}
           "-DDESCRIPTION=${DESCRIPTION}")
unset(ENV{SIGN_PASS})
run(${CMAKE_COMMAND} ${common} -DLIST=${suite_list} -DNAME=${suite_name}
    -DZIP=${WORK}/${suite_name}.zip -DSIGN_CERT=${WORK}/signer.pem
    -DSIGN_KEY=${WORK}/signer.key -P ${MAKE_KIT})
set(ENV{SIGN_PASS} throwaway)
run(${CMAKE_COMMAND} ${common} -DLIST=${emulator_list} -DNAME=${emulator_name}
    -DZIP=${WORK}/${emulator_name}.zip -DSIGN_CERT=${WORK}/signer.p12 -P ${MAKE_KIT})
unset(ENV{SIGN_PASS})

set(count 0)
foreach(name IN ITEMS ${suite_name} ${emulator_name})
  file(STRINGS "${WORK}/stage/${name}.signing" said)
  if(NOT said MATCHES "^signed by .*Throwaway Code Signer")
    message(FATAL_ERROR "${name}: the build says \"${said}\", not who signed it")
  endif()
  run(${CMAKE_COMMAND} -E tar xf ${WORK}/${name}.zip)
  file(GLOB binaries "${WORK}/${name}/*.EXE" "${WORK}/${name}/*.DLL")
  foreach(binary IN LISTS binaries)
    run(${OSSLSIGNCODE} verify -CAfile ${WORK}/ca.pem -in ${binary})
    file(COPY "${binary}" DESTINATION "${WORK}/run")
    math(EXPR count "${count} + 1")
  endforeach()
endforeach()

# One byte of the code changed: the signature no longer holds.
set(tampered "${WORK}/tampered.exe")
file(COPY_FILE "${WORK}/run/WNT43APD.EXE" "${tampered}")
set(offset 1536)
file(READ "${tampered}" byte OFFSET ${offset} LIMIT 1 HEX)
math(EXPR flipped "0x${byte} ^ 1" OUTPUT_FORMAT DECIMAL)
math(EXPR d0 "${flipped} / 64")
math(EXPR d1 "(${flipped} / 8) % 8")
math(EXPR d2 "${flipped} % 8")
run(sh -c "printf '\\${d0}${d1}${d2}' | dd of='${tampered}' bs=1 seek=${offset} conv=notrunc")
file(READ "${tampered}" changed OFFSET ${offset} LIMIT 1 HEX)
if(changed STREQUAL byte)
  message(FATAL_ERROR "the byte at ${offset} was not changed")
endif()
execute_process(COMMAND ${OSSLSIGNCODE} verify -CAfile ${WORK}/ca.pem -in ${tampered}
                RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
if(rc EQUAL 0)
  message(FATAL_ERROR "a signed file with one byte changed still verifies")
endif()
message(STATUS "${count} binaries of both kits signed and verified; a changed byte fails")
