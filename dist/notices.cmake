# Writes THIRD-PARTY-NOTICES.txt for the programs players download: for each
# runtime library whose code the linker put into one of BINARIES, its name, its
# licence, and the copyright lines and licence texts that come with it, taken
# from the copyright file Debian installs with the toolchain package that holds
# the library. Nothing here retypes those texts; it only chooses which parts of
# each file belong to the library.
#
#   cmake -DOUTPUT=<THIRD-PARTY-NOTICES.txt> -DBINARIES=<program>[;<program>...]
#         -DGCC_COPYRIGHT=<file> -DGCC_PACKAGE=<package and version>
#         -DMINGW_COPYRIGHT=<file> -DMINGW_PACKAGE=<package and version>
#         -P notices.cmake
#
# A library is covered when its marker, a text its own code leaves in a
# program, is in one of BINARIES; winpthreads, for one, is covered only while
# a thread model that needs it is in use. The file has Windows line endings,
# for Notepad.

cmake_minimum_required(VERSION 3.25)

foreach(variable OUTPUT BINARIES GCC_COPYRIGHT GCC_PACKAGE MINGW_COPYRIGHT MINGW_PACKAGE)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "notices.cmake needs -D${variable}=...")
    endif()
endforeach()
foreach(file IN LISTS GCC_COPYRIGHT MINGW_COPYRIGHT BINARIES)
    if(NOT EXISTS "${file}")
        message(FATAL_ERROR "notices.cmake: ${file} does not exist")
    endif()
endforeach()

# CMake lists split at semicolons and keep bracketed text together, so the
# copyright files' own semicolons and brackets travel as stand-ins until the
# text is written.
string(ASCII 1 semicolon)
string(ASCII 2 open_bracket)
string(ASCII 3 close_bracket)

# The lines of FILE in LINES_VARIABLE, their text protected from list splitting.
function(read_lines file lines_variable)
    file(READ "${file}" text)
    string(REPLACE ";" "${semicolon}" text "${text}")
    string(REPLACE "[" "${open_bracket}" text "${text}")
    string(REPLACE "]" "${close_bracket}" text "${text}")
    string(REPLACE "\r" "" text "${text}")
    string(REPLACE "\n" ";" lines "${text}")
    set(${lines_variable} "${lines}" PARENT_SCOPE)
endfunction()

# Is MARKER (a regular expression) in any of BINARIES?
function(found_in_binaries marker result_variable)
    foreach(binary IN LISTS BINARIES)
        file(STRINGS "${binary}" hits REGEX "${marker}" LIMIT_COUNT 1)
        if(hits)
            set(${result_variable} TRUE PARENT_SCOPE)
            return()
        endif()
    endforeach()
    set(${result_variable} FALSE PARENT_SCOPE)
endfunction()

# The lines of LINES from the first that starts with FIRST up to the first
# after it that matches LAST (a regular expression), that line kept when
# KEEP_LAST, else left out. Fails when either is missing: a copyright file
# that changed its wording must be looked at again, not skipped.
function(excerpt lines first last keep_last result_variable)
    set(taken "")
    set(inside FALSE)
    foreach(line IN LISTS lines)
        if(NOT inside)
            string(FIND "${line}" "${first}" at)
            if(at EQUAL 0)
                set(inside TRUE)
                list(APPEND taken "${line}")
            endif()
        elseif(line MATCHES "${last}")
            if(keep_last)
                list(APPEND taken "${line}")
            endif()
            set(${result_variable} "${taken}" PARENT_SCOPE)
            return()
        else()
            list(APPEND taken "${line}")
        endif()
    endforeach()
    message(FATAL_ERROR "notices.cmake: ${GCC_COPYRIGHT} has no passage from '${first}' "
                        "to '${last}'")
endfunction()

# The paragraphs of a machine-readable Debian copyright file that cover the
# sources matching INCLUDE and not EXCLUDE (regular expressions on the paths
# in their Files field), then the stand-alone licence paragraphs whose texts
# those name without giving them. Each paragraph is one list element, its
# lines joined by newlines.
function(debian_paragraphs lines include exclude result_variable)
    set(paragraphs "")
    set(current "")
    foreach(line IN LISTS lines)
        if(line STREQUAL "")
            if(current)
                list(APPEND paragraphs "${current}")
            endif()
            set(current "")
        elseif(current)
            string(APPEND current "\n${line}")
        else()
            set(current "${line}")
        endif()
    endforeach()
    if(current)
        list(APPEND paragraphs "${current}")
    endif()

    set(chosen "")
    set(licences_named "")
    set(licences_given "")
    foreach(paragraph IN LISTS paragraphs)
        if(NOT paragraph MATCHES "^Files:")
            continue()
        endif()
        # The Files field: its first line and every indented line after it.
        string(REGEX MATCH "^Files:[^\n]*(\n[ \t][^\n]*)*" files "${paragraph}")
        string(REGEX REPLACE "^Files:" "" files "${files}")
        string(REGEX REPLACE "[ \t\n]+" ";" files "${files}")
        set(wanted FALSE)
        foreach(path IN LISTS files)
            if(path MATCHES "${include}" AND NOT path MATCHES "${exclude}")
                set(wanted TRUE)
            endif()
        endforeach()
        if(NOT wanted)
            continue()
        endif()
        list(APPEND chosen "${paragraph}")
        # "License: NAME" alone names a text given elsewhere; "NAME and NAME"
        # names two.
        if(paragraph MATCHES "\nLicense: ([^\n]*)(\n[ \t])?")
            set(name "${CMAKE_MATCH_1}")
            if(CMAKE_MATCH_2)
                list(APPEND licences_given "${name}")
            else()
                string(REPLACE " and " ";" names "${name}")
                list(APPEND licences_named ${names})
            endif()
        endif()
    endforeach()

    list(REMOVE_DUPLICATES licences_named)
    foreach(name IN LISTS licences_named)
        if(name IN_LIST licences_given)
            continue()
        endif()
        set(text "")
        foreach(paragraph IN LISTS paragraphs)
            if(paragraph MATCHES "^License: ([^\n]*)\n" AND CMAKE_MATCH_1 STREQUAL name)
                set(text "${paragraph}")
            endif()
        endforeach()
        if(NOT text)
            message(FATAL_ERROR "notices.cmake: ${MINGW_COPYRIGHT} names the licence ${name} "
                                "but gives no text for it")
        endif()
        list(APPEND chosen "${text}")
    endforeach()
    if(NOT chosen)
        message(FATAL_ERROR "notices.cmake: ${MINGW_COPYRIGHT} has no paragraph for ${include}")
    endif()
    set(${result_variable} "${chosen}" PARENT_SCOPE)
endfunction()

set(rule "------------------------------------------------------------------------")
set(sections "")

# One library's section: its name, its licence, where the text comes from,
# then the text.
function(add_section name licence origin body)
    string(REPLACE ";" "\n" body "${body}")
    set(section "${rule}\n${name}\n${rule}\n\nLicence: ${licence}\nIn: ${included_in}\n")
    string(APPEND section "Text: from the copyright file of the Debian package\n  ${origin}\n\n")
    string(APPEND section "${body}\n\n")
    set(sections "${sections}${section}" PARENT_SCOPE)
endfunction()

# Which of the programs hold MARKER, for the section's "In:" line.
function(holders marker result_variable)
    set(names "")
    foreach(binary IN LISTS BINARIES)
        file(STRINGS "${binary}" hits REGEX "${marker}" LIMIT_COUNT 1)
        if(hits)
            get_filename_component(name "${binary}" NAME)
            list(APPEND names "${name}")
        endif()
    endforeach()
    list(JOIN names " and " names)
    set(${result_variable} "${names}" PARENT_SCOPE)
endfunction()

# The GCC runtime: every program GCC links carries libgcc, and every C++ one
# libstdc++; each object GCC compiles leaves its "GCC: (GNU)" mark. Debian's
# file for it is prose, so the passages are chosen by their opening lines: the
# copyright and the list of libraries under the exception, then the exception.
set(gcc_marker "GCC: \\(GNU\\) ")
found_in_binaries("${gcc_marker}" gcc_linked)
if(gcc_linked)
    read_lines("${GCC_COPYRIGHT}" gcc_lines)
    excerpt("${gcc_lines}" "GCC is Copyright" "^The libbacktrace library" FALSE copyright)
    excerpt("${gcc_lines}" "GCC RUNTIME LIBRARY EXCEPTION"
            "requirements of the license of GCC\\.$" TRUE exception)
    list(APPEND copyright "${exception}")
    list(APPEND copyright ""
         "The GNU General Public License, version 3:"
         "https://www.gnu.org/licenses/gpl-3.0.html")
    holders("${gcc_marker}" included_in)
    add_section("GCC runtime libraries: libstdc++ and libgcc"
        "GNU General Public License, version 3 or later, with the\n  GCC Runtime Library Exception, version 3.1"
        "${GCC_PACKAGE}" "${copyright}")
endif()

read_lines("${MINGW_COPYRIGHT}" mingw_lines)

# The MinGW-w64 runtime: start-up code, the C library's additions and the
# import libraries, all built from mingw-w64-crt. Its profiling and test files
# are never linked into a program built without -pg.
set(mingw_marker "Mingw-w64 runtime failure")
found_in_binaries("${mingw_marker}" mingw_linked)
if(mingw_linked)
    debian_paragraphs("${mingw_lines}" "^\\*$|^mingw-w64-crt/"
                      "^mingw-w64-crt/(profile|testcases)/" paragraphs)
    list(JOIN paragraphs "\n\n" body)
    holders("${mingw_marker}" included_in)
    add_section("MinGW-w64 runtime"
        "Zope Public License 2.1 (ZPL-2.1); some parts are in the public\n  domain or under the other permissive licences named below"
        "${MINGW_PACKAGE}" "${body}")
endif()

# winpthreads, which the posix thread model links for its locks; its source
# paths show in the assertions it keeps.
set(winpthreads_marker "winpthreads")
found_in_binaries("${winpthreads_marker}" winpthreads_linked)
if(winpthreads_linked)
    debian_paragraphs("${mingw_lines}" "^mingw-w64-libraries/winpthreads/"
                      "^mingw-w64-libraries/winpthreads/tests_pthread/" paragraphs)
    list(JOIN paragraphs "\n\n" body)
    holders("${winpthreads_marker}" included_in)
    add_section("winpthreads (MinGW-w64's POSIX threads library)"
        "MIT (expat), with pthread.h under a BSD-3-clause licence"
        "${MINGW_PACKAGE}" "${body}")
endif()

if(NOT sections)
    message(FATAL_ERROR "notices.cmake: no runtime library found in ${BINARIES}")
endif()

set(text "THIRD-PARTY NOTICES\n===================\n\n")
string(APPEND text "The programs in this download are built with the GNU Compiler\n"
                   "Collection and MinGW-w64, which link parts of their runtime libraries\n"
                   "into every program they build. Below, for each of those libraries: its\n"
                   "name, its licence, the programs that hold its code, and the copyright\n"
                   "notices and licence texts that go with it, as recorded by the Debian\n"
                   "packages the release was built with. Sloshmere's own licence is in\n"
                   "LICENSE.txt.\n\n")
string(APPEND text "${sections}")

string(REPLACE "${semicolon}" ";" text "${text}")
string(REPLACE "${open_bracket}" "[" text "${text}")
string(REPLACE "${close_bracket}" "]" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${OUTPUT}" "${text}")
