# Shows that check_package.cmake can fail: packs a download that is wrong in
# eight ways (an .asi that is not the one the tests ran, a setup check that is
# not the one the build made and carries winpthreads' mark, no README.txt, no
# THIRD-PARTY-NOTICES.txt for the GCC runtime, the MinGW-w64 runtime and
# winpthreads that its programs hold, a LICENSE.txt with Unix line ends, a
# stray file, a .sha256 beside it that is not the zip's) and fails unless the
# check rejects it and names each fault.
#
#   cmake -DUNZIP=<unzip> -DSHA256SUM=<sha256sum> -DVERSION=<x.y.z> -DRAN_ASI=<asi>
#         -DCHECK=<SloshmereCheck.exe> -DWRONG_ASI=<other dll> -DDIST=<dist folder>
#         -DREADME=<README.txt> -DLICENSE=<LICENSE> -DNOTICES=<THIRD-PARTY-NOTICES.txt>
#         -DWORK=<scratch folder> -P check_package_rejects.cmake

cmake_minimum_required(VERSION 3.25)

set(stage "${WORK}/stage")
set(package "${WORK}/Sloshmere-${VERSION}.zip")
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${stage}")
file(COPY_FILE "${WRONG_ASI}" "${stage}/Sloshmere.asi")
file(COPY_FILE "${WRONG_ASI}" "${stage}/SloshmereCheck.exe")
# The path winpthreads' assertions leave in a program that links it.
file(APPEND "${stage}/SloshmereCheck.exe" "./mingw-w64-libraries/winpthreads/src/rwlock.c\n")
file(COPY_FILE "${DIST}/Sloshmere.ini" "${stage}/Sloshmere.ini")
file(COPY_FILE "${LICENSE}" "${stage}/LICENSE.txt")
file(WRITE "${stage}/notes.txt" "left over\n")
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${package} --format=zip
                        Sloshmere.asi Sloshmere.ini SloshmereCheck.exe LICENSE.txt notes.txt
    WORKING_DIRECTORY "${stage}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot pack ${package}")
endif()
string(REPEAT "0" 64 zeros)
file(WRITE "${package}.sha256" "${zeros}  Sloshmere-${VERSION}.zip\n")

execute_process(COMMAND ${CMAKE_COMMAND} -DUNZIP=${UNZIP} -DSHA256SUM=${SHA256SUM}
                        -DPACKAGE=${package} -DVERSION=${VERSION} -DRAN_ASI=${RAN_ASI}
                        -DCHECK=${CHECK} -DLICENSE=${LICENSE} -DNOTICES=${NOTICES}
                        -DDIST=${DIST} -DREADME=${README} -DWORK=${WORK}/check -P ${CMAKE_CURRENT_LIST_DIR}/check_package.cmake
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
set(expected
    "holds notes.txt, which does not belong"
    "does not hold README.txt"
    "does not hold THIRD-PARTY-NOTICES.txt"
    "the GCC runtime is in Sloshmere.asi and SloshmereCheck.exe, but there is no notice for it"
    "the MinGW-w64 runtime is in Sloshmere.asi and SloshmereCheck.exe, but there is no notice for it"
    "the winpthreads library is in SloshmereCheck.exe, but there is no notice for it"
    "LICENSE.txt has a line that does not end in CR LF"
    "Sloshmere.asi differs from ${RAN_ASI}"
    "SloshmereCheck.exe differs from ${CHECK}"
    "Sloshmere-${VERSION}.zip.sha256 does not match Sloshmere-${VERSION}.zip")
set(missed "")
foreach(complaint IN LISTS expected)
    string(FIND "${output}" "${complaint}" at)
    if(at LESS 0)
        list(APPEND missed "${complaint}")
    endif()
endforeach()
if(status EQUAL 0 OR missed)
    list(JOIN missed "\n  " text)
    message(FATAL_ERROR "the package check let a wrong download through or missed:\n  ${text}\n"
                        "It said:\n${output}")
endif()
message(STATUS "the package check rejects a wrong download and names each fault")
