# Fails unless a second build of the same sources, copied to another folder
# and built there later with the same SOURCE_DATE_EPOCH, gives Sloshmere.asi,
# SloshmereCheck.exe, the players' zip and its .sha256 byte for byte as this
# build did, and unless neither program holds a path of either tree: anyone
# who builds the commit must be able to check that the release is what its
# sources make.
#
#   cmake -DSOURCE=<source tree> -DWORK=<scratch folder> -DEPOCH=<seconds>
#         -DASI=<built .asi> -DCHECK=<built SloshmereCheck.exe> -DPACKAGE=<built zip>
#         -P check_reproducible.cmake
#
# The copy holds every top-level entry of SOURCE but build folders and hidden
# ones (.git among them), as an unpacked source archive would, and builds
# only the package target, with the windows preset.

cmake_minimum_required(VERSION 3.25)

set(copy "${WORK}/sources")
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${copy}")
file(GLOB entries RELATIVE "${SOURCE}" "${SOURCE}/*")
foreach(entry IN LISTS entries)
    if(NOT entry MATCHES "^(build.*|\\..*)$")
        file(COPY "${SOURCE}/${entry}" DESTINATION "${copy}")
    endif()
endforeach()

set(ENV{SOURCE_DATE_EPOCH} "${EPOCH}")
foreach(step "--preset;windows;-DSLOSHMERE_TESTS=OFF" "--build;--preset;windows;--target;package")
    execute_process(COMMAND ${CMAKE_COMMAND} ${step} WORKING_DIRECTORY "${copy}"
        RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "cmake ${step} failed in ${copy}:\n${output}")
    endif()
endforeach()

get_filename_component(package_name "${PACKAGE}" NAME)
set(problems "")
foreach(pair "${ASI}|${copy}/build/windows/bin/Sloshmere.asi"
             "${CHECK}|${copy}/build/windows/bin/SloshmereCheck.exe"
             "${PACKAGE}|${copy}/build/windows/${package_name}"
             "${PACKAGE}.sha256|${copy}/build/windows/${package_name}.sha256")
    string(REPLACE "|" ";" pair "${pair}")
    list(GET pair 0 first)
    list(GET pair 1 second)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${first}" "${second}"
        RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        file(SHA256 "${first}" first_hash)
        file(SHA256 "${second}" second_hash)
        list(APPEND problems "${second} differs from ${first} (${second_hash}, not ${first_hash})")
    endif()
endforeach()

# A path of the build machine (source or build folder, in either tree) would
# make a program depend on where it was built.
foreach(binary "${ASI}" "${CHECK}")
    foreach(encoding UTF-8 UTF-16LE)
        file(STRINGS "${binary}" texts ENCODING ${encoding} LENGTH_MINIMUM 5)
        foreach(path "${SOURCE}" "${copy}")
            foreach(text IN LISTS texts)
                string(FIND "${text}" "${path}" at)
                if(at GREATER_EQUAL 0)
                    list(APPEND problems "${binary} holds the path ${path} (${encoding}): ${text}")
                    break()
                endif()
            endforeach()
        endforeach()
    endforeach()
endforeach()

if(problems)
    list(JOIN problems "\n  " text)
    message(FATAL_ERROR "Two builds of the same sources differ:\n  ${text}")
endif()
message(STATUS "A build of a copy in ${copy} gives Sloshmere.asi, SloshmereCheck.exe, "
               "${package_name} and its .sha256 byte for byte as this one; neither program "
               "holds a path of either tree")
