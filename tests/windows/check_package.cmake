# Fails unless PACKAGE, the zip a player downloads, is what we mean to ship:
# named Sloshmere-<VERSION>.zip, a sound archive holding exactly Sloshmere.asi,
# Sloshmere.ini, SloshmereCheck.exe and README.txt at its top; the .asi byte
# for byte the one the end-to-end tests loaded (every copy named in RAN_ASI)
# and the setup check the one the build made (CHECK), both carrying VERSION in
# their version resources; the .ini byte for byte the one in DIST and the
# README the one the build wrote (README), with Windows line endings and no
# line longer than 80 columns; and beside it PACKAGE.sha256, one line in
# sha256sum's format that holds the zip's SHA-256.
#
#   cmake -DUNZIP=<unzip> -DSHA256SUM=<sha256sum> -DPACKAGE=<zip> -DVERSION=<x.y.z>
#         -DRAN_ASI=<asi>[;<asi>...] -DCHECK=<SloshmereCheck.exe> -DDIST=<dist folder>
#         -DREADME=<README.txt> -DWORK=<scratch folder> -P check_package.cmake
#
# The archive is read with Info-ZIP's unzip and its hash checked with
# coreutils' sha256sum, not with the tools that wrote them, so an archive only
# its writer understands does not pass. The four names are written out here
# rather than taken from the build, so the packing rule cannot agree with
# itself.

cmake_minimum_required(VERSION 3.25)

set(expected_entries README.txt Sloshmere.asi Sloshmere.ini SloshmereCheck.exe)

set(problems "")
get_filename_component(package_name "${PACKAGE}" NAME)
if(NOT EXISTS "${PACKAGE}")
    message(FATAL_ERROR "${PACKAGE} does not exist: build the package target")
endif()
if(NOT package_name STREQUAL "Sloshmere-${VERSION}.zip")
    list(APPEND problems "named ${package_name}, not Sloshmere-${VERSION}.zip")
endif()

# What the archive holds, folders included.
execute_process(COMMAND ${UNZIP} -Z1 ${PACKAGE}
    OUTPUT_VARIABLE listing RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${UNZIP} cannot list ${PACKAGE}: ${errors}")
endif()
string(STRIP "${listing}" listing)
string(REPLACE "\n" ";" entries "${listing}")
foreach(entry IN LISTS entries)
    if(NOT entry IN_LIST expected_entries)
        list(APPEND problems "holds ${entry}, which does not belong in the download")
    endif()
endforeach()
foreach(entry IN LISTS expected_entries)
    if(NOT entry IN_LIST entries)
        list(APPEND problems "does not hold ${entry}")
    endif()
endforeach()
set(distinct ${entries})
list(REMOVE_DUPLICATES distinct)
if(NOT entries STREQUAL distinct)
    list(APPEND problems "holds an entry twice")
endif()

# Every entry must come out whole (checksums).
execute_process(COMMAND ${UNZIP} -tqq ${PACKAGE} RESULT_VARIABLE status OUTPUT_VARIABLE out
    ERROR_VARIABLE out)
if(NOT status EQUAL 0)
    list(APPEND problems "fails unzip's integrity test: ${out}")
endif()

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
execute_process(COMMAND ${UNZIP} -qq -o ${PACKAGE} -d ${WORK}
    RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${UNZIP} cannot extract ${PACKAGE}: ${errors}")
endif()

# `packed` is the entry's file in the extracted archive, `original` the file
# it must equal.
function(expect_same packed original)
    if(NOT EXISTS "${WORK}/${packed}")
        return() # already reported as missing
    endif()
    if(NOT EXISTS "${original}")
        set(problems ${problems} "cannot compare ${packed}: ${original} does not exist"
            PARENT_SCOPE)
        return()
    endif()
    file(SHA256 "${WORK}/${packed}" packed_hash)
    file(SHA256 "${original}" original_hash)
    if(NOT packed_hash STREQUAL original_hash)
        set(problems ${problems} "${packed} differs from ${original}" PARENT_SCOPE)
    endif()
endfunction()

if(NOT RAN_ASI)
    list(APPEND problems "no .asi the end-to-end tests ran was named to compare with")
endif()
foreach(ran IN LISTS RAN_ASI)
    expect_same(Sloshmere.asi "${ran}")
endforeach()
expect_same(Sloshmere.ini "${DIST}/Sloshmere.ini")
expect_same(SloshmereCheck.exe "${CHECK}")
expect_same(README.txt "${README}")

# Notepad users get Windows line endings, and lines that fit its window.
if(EXISTS "${WORK}/README.txt")
    # As hex bytes, one per word: a text read would drop the carriage returns.
    file(READ "${WORK}/README.txt" readme HEX)
    string(REGEX REPLACE "(..)" "\\1 " readme "${readme}")
    string(REPLACE "0d 0a " "" rest "${readme}")
    if(rest MATCHES "(^| )0a ")
        list(APPEND problems "README.txt has a line that does not end in CR LF")
    endif()
    string(REPEAT "[^\r]" 81 too_long)
    file(STRINGS "${WORK}/README.txt" long_lines REGEX "${too_long}")
    if(long_lines)
        list(GET long_lines 0 first)
        list(APPEND problems "README.txt has lines longer than 80 columns, such as: ${first}")
    endif()
endif()

# The hash a player checks the download against: the usual sha256sum line,
# and true of the zip.
get_filename_component(package_dir "${PACKAGE}" DIRECTORY)
set(hash_file "${PACKAGE}.sha256")
if(NOT EXISTS "${hash_file}")
    list(APPEND problems "there is no ${package_name}.sha256 beside it")
else()
    file(READ "${hash_file}" hash_line)
    string(REPLACE "." "\\." name_pattern "${package_name}")
    string(REPEAT "[0-9a-f]" 64 hex_pattern)
    if(NOT hash_line MATCHES "^${hex_pattern}  ${name_pattern}\n$")
        list(APPEND problems "${package_name}.sha256 is not one line '<64 hex digits>  ${package_name}'")
    endif()
    execute_process(COMMAND ${SHA256SUM} --check --strict --status ${package_name}.sha256
        WORKING_DIRECTORY "${package_dir}" RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        list(APPEND problems "${package_name}.sha256 does not match ${package_name}")
    endif()
endif()

# The version a player sees in the file's properties.
foreach(binary Sloshmere.asi SloshmereCheck.exe)
    if(NOT EXISTS "${WORK}/${binary}")
        continue()
    endif()
    file(STRINGS "${WORK}/${binary}" texts ENCODING UTF-16LE LENGTH_MINIMUM 5)
    foreach(key FileVersion ProductVersion)
        list(FIND texts "${key}" at)
        set(value "(none)")
        list(LENGTH texts count)
        math(EXPR at "${at} + 1")
        if(at GREATER 0 AND at LESS count)
            list(GET texts ${at} value)
        endif()
        if(NOT value STREQUAL "${VERSION}")
            list(APPEND problems "${binary}'s ${key} is ${value}, not ${VERSION}")
        endif()
    endforeach()
endforeach()

if(problems)
    list(JOIN problems "\n  " text)
    message(FATAL_ERROR "${PACKAGE}:\n  ${text}")
endif()
message(STATUS "${package_name}: Sloshmere.asi (the one the end-to-end tests ran), "
               "Sloshmere.ini as in dist/, the setup check and the README the build made, "
               "nothing else; "
               "${package_name}.sha256 matches it")
