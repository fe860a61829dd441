# A player's folder meets the simulated game and comes back byte for byte. It
# holds a script hook of theirs, their own settings and a file of theirs: the
# run is refused before anything is touched. Without the hook, a run whose
# scenario rewrites the settings puts theirs back and adds nothing, and so
# when a folder stands where the settings belong.
#
#   cmake "-DGAME=program[;its first arguments]" -DWORK=folder -P folder_safety.cmake
cmake_minimum_required(VERSION 3.25)

set(folder "${WORK}/players-game")
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${folder}")
file(WRITE "${folder}/ScriptHookRDR2.dll" "MZ, the player's own hook")
file(WRITE "${folder}/Sloshmere.ini" "[Sloshmere]\r\nDrownText = Dunk\r\nLog = 1\r\n")
file(WRITE "${folder}/notes.txt" "the player's own")

# Every file in the folder, with its SHA-256, and every folder in it.
function(contents out)
    file(GLOB_RECURSE files LIST_DIRECTORIES true RELATIVE "${folder}" "${folder}/*")
    list(SORT files)
    set(listing "")
    foreach(file IN LISTS files)
        set(hash "(a folder)")
        if(NOT IS_DIRECTORY "${folder}/${file}")
            file(SHA256 "${folder}/${file}" hash)
        endif()
        string(APPEND listing "  ${file} ${hash}\n")
    endforeach()
    set(${out} "${listing}" PARENT_SCOPE)
endfunction()

foreach(expected 2 0 0)
    contents(before)
    execute_process(COMMAND ${GAME} --scenario settings-edited --game "${folder}"
                    WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE status
                    OUTPUT_VARIABLE output ERROR_VARIABLE output)
    contents(after)
    if(NOT status EQUAL expected OR NOT after STREQUAL before)
        message(FATAL_ERROR "exit ${status}, not ${expected}; the folder held\n${before}"
                            "and then\n${after}--- the game printed:\n${output}")
    endif()
    if(EXISTS "${folder}/ScriptHookRDR2.dll")
        file(REMOVE "${folder}/ScriptHookRDR2.dll")
    else()
        file(REMOVE "${folder}/Sloshmere.ini")
        file(MAKE_DIRECTORY "${folder}/Sloshmere.ini")
    endif()
endforeach()
