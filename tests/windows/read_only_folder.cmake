# Makes, or takes away, a game folder the module cannot write in, holding
# settings that turn its log on: the end-to-end tests load Sloshmere.asi with
# it as the current directory. Root writes past the mode bits, so there the
# folder is made immutable instead.
#
#   cmake -DFOLDER=... -DACTION=make|remove -P read_only_folder.cmake
cmake_minimum_required(VERSION 3.25)

find_program(CHATTR chattr)
if(ACTION STREQUAL "remove")
    if(CHATTR AND EXISTS "${FOLDER}")
        execute_process(COMMAND "${CHATTR}" -i "${FOLDER}" ERROR_QUIET)
    endif()
    if(EXISTS "${FOLDER}")
        file(CHMOD "${FOLDER}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
    endif()
    file(REMOVE_RECURSE "${FOLDER}")
    return()
endif()

if(CHATTR AND EXISTS "${FOLDER}")
    execute_process(COMMAND "${CHATTR}" -i "${FOLDER}" ERROR_QUIET)
endif()
file(REMOVE_RECURSE "${FOLDER}")
file(MAKE_DIRECTORY "${FOLDER}")
file(WRITE "${FOLDER}/Sloshmere.ini"
     "[Sloshmere]\r\nDrownText = Drown\r\nDrownInput = INPUT_CONTEXT_Y\r\nLog = 1\r\n")
file(CHMOD "${FOLDER}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
     WORLD_READ WORLD_EXECUTE)
# Still writable (as root): the immutable flag stops root too.
execute_process(COMMAND "${CMAKE_COMMAND}" -E touch "${FOLDER}/probe" RESULT_VARIABLE ignored
                ERROR_QUIET)
if(EXISTS "${FOLDER}/probe")
    file(REMOVE "${FOLDER}/probe")
    if(NOT CHATTR)
        message(FATAL_ERROR "${FOLDER} stays writable and there is no chattr to stop root")
    endif()
    execute_process(COMMAND "${CHATTR}" +i "${FOLDER}" RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "chattr +i ${FOLDER} failed (${status})")
    endif()
endif()
