# Fails unless PACKAGE, the zip a player downloads, is what we mean to ship:
# named Sloshmere-<VERSION>.zip, a sound archive holding exactly Sloshmere.asi,
# Sloshmere.ini, SloshmereCheck.exe, README.txt, LICENSE.txt and
# THIRD-PARTY-NOTICES.txt at its top; the .asi byte for byte the one the
# end-to-end tests loaded (every copy named in RAN_ASI) and the setup check the
# one the build made (CHECK), both carrying VERSION in their version resources;
# the .ini byte for byte the one in DIST, the README the one the build wrote
# (README), with no line longer than 80 columns, LICENSE.txt the text of
# LICENSE and the notices the ones the build wrote (NOTICES); every text file
# with Windows line endings; a notice for each runtime library whose mark is
# in one of the two programs; beside it PACKAGE.sha256, one line in
# sha256sum's format that holds the zip's SHA-256; and, when CHANGELOG is
# given, VERSION the newest version the changelog records.
#
#   cmake -DUNZIP=<unzip> -DSHA256SUM=<sha256sum> -DPACKAGE=<zip> -DVERSION=<x.y.z>
#         -DRAN_ASI=<asi>[;<asi>...] -DCHECK=<SloshmereCheck.exe> -DDIST=<dist folder>
#         -DREADME=<README.txt> -DLICENSE=<LICENSE> -DNOTICES=<THIRD-PARTY-NOTICES.txt>
#         [-DCHANGELOG=<CHANGELOG.md>] -DWORK=<scratch folder> -P check_package.cmake
#
# The archive is read with Info-ZIP's unzip and its hash checked with
# coreutils' sha256sum, not with the tools that wrote them, so an archive only
# its writer understands does not pass. The six names, and the marks and
# headings of the notices, are written out here rather than taken from the
# build, so the packing rule cannot agree with itself.

cmake_minimum_required(VERSION 3.25)

set(expected_entries LICENSE.txt README.txt Sloshmere.asi Sloshmere.ini SloshmereCheck.exe
    THIRD-PARTY-NOTICES.txt)
set(text_entries README.txt Sloshmere.ini LICENSE.txt THIRD-PARTY-NOTICES.txt)

# The runtime libraries a program built with MinGW-w64 may carry: a text each
# leaves in the program, the heading of its notice, and a line its notice must
# hold (the licence or the notice it asks to be reproduced). Any of them whose
# text is in a shipped program needs its notice in the download.
set(runtimes "GCC runtime" "MinGW-w64 runtime" "winpthreads library")
set(GCC_runtime_mark "GCC: \\(GNU\\) ")
set(GCC_runtime_heading "GCC runtime libraries: libstdc++ and libgcc")
set(GCC_runtime_licence "GCC RUNTIME LIBRARY EXCEPTION")
set(MinGW-w64_runtime_mark "Mingw-w64 runtime failure")
set(MinGW-w64_runtime_heading "MinGW-w64 runtime")
set(MinGW-w64_runtime_licence "License: ZPL-2.1")
set(winpthreads_library_mark "winpthreads")
set(winpthreads_library_heading "winpthreads (MinGW-w64's POSIX threads library)")
set(winpthreads_library_licence "Copyright: 2010 Lockless Inc.")

set(problems "")
get_filename_component(package_name "${PACKAGE}" NAME)
if(NOT EXISTS "${PACKAGE}")
    message(FATAL_ERROR "${PACKAGE} does not exist: build the package target")
endif()
if(NOT package_name STREQUAL "Sloshmere-${VERSION}.zip")
    list(APPEND problems "named ${package_name}, not Sloshmere-${VERSION}.zip")
endif()
if(DEFINED CHANGELOG)
    file(STRINGS "${CHANGELOG}" releases REGEX "^## \\[[0-9]+\\.[0-9]+\\.[0-9]+\\]")
    list(POP_FRONT releases newest)
    if(NOT "${newest}" MATCHES "^## \\[${VERSION}\\] - ")
        list(APPEND problems "CHANGELOG.md's newest release is \"${newest}\", not ${VERSION}")
    endif()
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
expect_same(THIRD-PARTY-NOTICES.txt "${NOTICES}")

# Our licence, word for word.
if(EXISTS "${WORK}/LICENSE.txt")
    file(READ "${WORK}/LICENSE.txt" packed_licence)
    file(READ "${LICENSE}" licence)
    string(REPLACE "\r" "" packed_licence "${packed_licence}")
    string(REPLACE "\r" "" licence "${licence}")
    if(NOT packed_licence STREQUAL licence)
        list(APPEND problems "LICENSE.txt does not hold the text of ${LICENSE}")
    endif()
endif()

# Notepad users get Windows line endings.
foreach(entry IN LISTS text_entries)
    if(NOT EXISTS "${WORK}/${entry}")
        continue()
    endif()
    # As hex bytes, one per word: a text read would drop the carriage returns.
    file(READ "${WORK}/${entry}" bytes HEX)
    string(REGEX REPLACE "(..)" "\\1 " bytes "${bytes}")
    string(REPLACE "0d 0a " "" rest "${bytes}")
    if(rest MATCHES "(^| )(0a|0d) ")
        list(APPEND problems "${entry} has a line that does not end in CR LF")
    endif()
endforeach()

# A notice for every runtime library whose code is in a shipped program.
set(notices "")
if(EXISTS "${WORK}/THIRD-PARTY-NOTICES.txt")
    file(READ "${WORK}/THIRD-PARTY-NOTICES.txt" notices)
    string(REPLACE "\r" "" notices "${notices}")
endif()
foreach(runtime IN LISTS runtimes)
    string(REPLACE " " "_" key "${runtime}")
    set(holders "")
    foreach(binary Sloshmere.asi SloshmereCheck.exe)
        if(EXISTS "${WORK}/${binary}")
            file(STRINGS "${WORK}/${binary}" hits REGEX "${${key}_mark}" LIMIT_COUNT 1)
            if(hits)
                list(APPEND holders ${binary})
            endif()
        endif()
    endforeach()
    if(NOT holders)
        continue()
    endif()
    list(JOIN holders " and " holders)
    # The section from its heading, between two rules, to the next rule.
    string(REPEAT "-" 72 rule)
    string(FIND "${notices}" "${rule}\n${${key}_heading}\n${rule}\n" at)
    if(at LESS 0)
        list(APPEND problems
             "the ${runtime} is in ${holders}, but there is no notice for it")
        continue()
    endif()
    string(SUBSTRING "${notices}" ${at} -1 section)
    string(LENGTH "${rule}\n${${key}_heading}\n${rule}\n" heading_length)
    string(SUBSTRING "${section}" ${heading_length} -1 section)
    string(FIND "${section}" "${rule}" next)
    string(SUBSTRING "${section}" 0 ${next} section)
    string(FIND "${section}" "${${key}_licence}" licence_at)
    if(licence_at LESS 0)
        list(APPEND problems "the notice for the ${runtime} lacks '${${key}_licence}'")
    endif()
endforeach()

# Lines that fit Notepad's window.
if(EXISTS "${WORK}/README.txt")
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
               "Sloshmere.ini as in dist/, the setup check, the README and the notices the "
               "build made and our licence, nothing else, every text with CR LF line ends "
               "and a notice for each runtime library in the programs; "
               "${package_name}.sha256 matches it")
