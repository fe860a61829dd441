# The one date a release carries: the .asi's PE time stamp and the times of the
# zip's entries. Two builds of one commit must give the same bytes, so it is
# never the time of the build. In order:
#   - SOURCE_DATE_EPOCH from the environment of the configure step;
#   - the commit time of the last commit, when the sources are a git checkout
#     of their own (not merely a folder inside some other repository);
#   - a fixed date, 1980-01-01 00:00:00 UTC, the earliest a zip entry can hold.
# Sets SLOSHMERE_SOURCE_DATE_EPOCH (seconds since 1970, UTC).

set(SLOSHMERE_SOURCE_DATE_EPOCH_FIXED 315532800)

if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(SLOSHMERE_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
    set(epoch_origin "SOURCE_DATE_EPOCH")
else()
    set(SLOSHMERE_SOURCE_DATE_EPOCH ${SLOSHMERE_SOURCE_DATE_EPOCH_FIXED})
    set(epoch_origin "fixed: the sources are not a git checkout")
    find_program(SLOSHMERE_GIT git)
    if(SLOSHMERE_GIT)
        execute_process(COMMAND ${SLOSHMERE_GIT} rev-parse --show-toplevel
            WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
            OUTPUT_VARIABLE top RESULT_VARIABLE top_status
            OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        file(REAL_PATH "${PROJECT_SOURCE_DIR}" source_real)
        if(top_status EQUAL 0)
            file(REAL_PATH "${top}" top)
        endif()
        if(top_status EQUAL 0 AND top STREQUAL source_real)
            execute_process(COMMAND ${SLOSHMERE_GIT} log -1 --format=%ct
                WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                OUTPUT_VARIABLE commit_time RESULT_VARIABLE log_status
                OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
            if(log_status EQUAL 0 AND commit_time MATCHES "^[0-9]+$")
                set(SLOSHMERE_SOURCE_DATE_EPOCH ${commit_time})
                set(epoch_origin "the last commit")
            endif()
            # A new commit must date the next build: configure again when
            # HEAD moves.
            execute_process(COMMAND ${SLOSHMERE_GIT} rev-parse --path-format=absolute
                                    --git-path logs/HEAD
                WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                OUTPUT_VARIABLE head_log OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
            if(head_log AND EXISTS "${head_log}")
                set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY
                             CMAKE_CONFIGURE_DEPENDS "${head_log}")
            endif()
        endif()
    endif()
endif()

# A zip entry cannot hold a time before 1980, a PE time stamp nothing past
# 32 bits.
if(NOT SLOSHMERE_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$"
   OR SLOSHMERE_SOURCE_DATE_EPOCH LESS SLOSHMERE_SOURCE_DATE_EPOCH_FIXED
   OR SLOSHMERE_SOURCE_DATE_EPOCH GREATER 4294967295)
    message(FATAL_ERROR "SOURCE_DATE_EPOCH '${SLOSHMERE_SOURCE_DATE_EPOCH}' is not a time in "
                        "seconds from ${SLOSHMERE_SOURCE_DATE_EPOCH_FIXED} (1980) to 4294967295")
endif()
message(STATUS "Release date: ${SLOSHMERE_SOURCE_DATE_EPOCH} (${epoch_origin})")

# sloshmere_release_link(<target>)
#
# Links a program players download the way a release needs it: no symbol
# tables or debug sections (they would more than double its size and help
# nobody at run time), and the release's date in the PE header, which the
# linker otherwise stamps with the time of the link, so two builds of one
# commit are byte for byte the same. The program lands beside the others in
# the Windows build's bin folder.
function(sloshmere_release_link target)
    target_link_options(${target} PRIVATE -s)
    set_target_properties(${target} PROPERTIES
        CXX_LINKER_LAUNCHER
            "${CMAKE_COMMAND};-E;env;SOURCE_DATE_EPOCH=${SLOSHMERE_SOURCE_DATE_EPOCH}"
        RUNTIME_OUTPUT_DIRECTORY ${SLOSHMERE_WINDOWS_BIN_DIR})
endfunction()
