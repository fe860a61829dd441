# Runs every scenario and the first SEEDS soak seeds (PASSES passes each) on
# Sloshmere.asi under Wine and on the Linux build of the same simulated game,
# and compares their canonical traces call by call. Both runs must also end
# cleanly (the module unloaded, nothing printed), with the trace and picture
# they were asked for by relative paths in the folder they were run from.
# Fails at the first case whose traces part, printing the first differing call
# of each build and the call before it. Each case runs twice on each build:
# in a fresh game folder, which gets the sample settings with the module's
# log on, and in one holding the sample as players get it, with the log off.
# The log must appear only in the first and change no call: all four digests
# must be one.
#
#   cmake -DWINE=... -DSIM=sloshmere-sim.exe -DLINUX_GAME=sloshmere-game
#         -DWORK=folder -DSEEDS=20 -DPASSES=150 -P trace_agreement.cmake
cmake_minimum_required(VERSION 3.25)

foreach(required WINE SIM LINUX_GAME WORK SEEDS PASSES)
    if(NOT DEFINED ${required})
        message(FATAL_ERROR "trace_agreement.cmake needs -D${required}=...")
    endif()
endforeach()
if(NOT EXISTS "${LINUX_GAME}")
    message(FATAL_ERROR "no Linux build of the simulated game at ${LINUX_GAME}")
endif()

execute_process(COMMAND "${LINUX_GAME}" --list OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "sloshmere-game --list failed: ${status}")
endif()
string(REGEX MATCHALL "(^|\n)[a-z][a-z0-9-]*" names "${listing}")
list(TRANSFORM names STRIP)

set(cases)
foreach(name IN LISTS names)
    list(APPEND cases "scenario:${name}")
endforeach()
foreach(seed RANGE 1 ${SEEDS})
    list(APPEND cases "soak:${seed}")
endforeach()

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

# Runs one build on one case from ${WORK}, the way a person runs it from a
# shell: every path on the command line is relative to that folder. Its
# canonical trace goes to ${WORK}/${trace}, and a scenario's picture to
# ${WORK}/${picture}; neither may land anywhere else, such as in the game
# folder that the game makes its current directory.
function(run_case build case log trace picture out_status out_output)
    string(REPLACE ":" ";" parts "${case}")
    list(GET parts 0 kind)
    list(GET parts 1 what)
    if(kind STREQUAL "soak")
        set(arguments --soak --seed ${what} --passes ${PASSES})
    else()
        set(arguments --scenario ${what} --picture "${picture}")
    endif()
    string(REPLACE ":" "-" label "${case}")
    # A relative path with a Unix separator, as a shell hands it to Wine.
    set(game "games/${build}-${label}-log-${log}")
    if(log STREQUAL "off")
        # The game keeps a folder's own settings as they are.
        get_filename_component(binaries "${LINUX_GAME}" DIRECTORY)
        file(MAKE_DIRECTORY "${WORK}/${game}")
        file(COPY_FILE "${binaries}/Sloshmere.ini" "${WORK}/${game}/Sloshmere.ini")
    endif()
    if(build STREQUAL "asi")
        set(command "${WINE}" "${SIM}")
    else()
        set(command "${LINUX_GAME}")
    endif()
    # Wine's own process teardown on Linux rarely trips an assertion in the
    # dynamic loader after the game has ended ("Inconsistency detected by
    # ld.so: dl-fini.c"), exit 127; that run is played once more. Any other
    # failure, or the same one twice, stands.
    foreach(attempt 1 2)
        execute_process(
            COMMAND ${command} ${arguments} --game "${game}" --canonical-trace "${trace}"
            WORKING_DIRECTORY "${WORK}"
            RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
        if(NOT build STREQUAL "asi" OR NOT status EQUAL 127
           OR NOT output MATCHES "Inconsistency detected by ld.so: dl-fini.c")
            break()
        endif()
        message(STATUS "${case} (log ${log}): Wine's teardown failed in ld.so; played again")
    endforeach()
    set(outputs "${trace}")
    if(kind STREQUAL "scenario")
        list(APPEND outputs "${picture}")
    endif()
    # settings-edited writes settings of its own, without Log, and so does
    # the soak from its first checkpoint on: neither need leave a log.
    if(log STREQUAL "on" AND kind STREQUAL "scenario" AND NOT what STREQUAL "settings-edited"
       AND NOT EXISTS "${WORK}/${game}/Sloshmere.log")
        string(APPEND output "\nthe log is on, but ${game} holds no Sloshmere.log")
        set(status "no log")
    elseif(log STREQUAL "off" AND EXISTS "${WORK}/${game}/Sloshmere.log")
        string(APPEND output "\nthe log is off, but ${game} holds a Sloshmere.log")
        set(status "a log written while off")
    endif()
    foreach(file IN LISTS outputs)
        if(NOT EXISTS "${WORK}/${file}" OR EXISTS "${WORK}/${game}/${file}")
            string(APPEND output "\n${file} must be written to ${WORK}, "
                                 "where the game was run from, and nowhere else")
            set(status "wrote ${file} elsewhere")
        endif()
    endforeach()
    set(${out_status} "${status}" PARENT_SCOPE)
    set(${out_output} "${output}" PARENT_SCOPE)
endfunction()

list(LENGTH cases count)
message(STATUS "comparing ${count} runs of the .asi and the Linux build")
foreach(case IN LISTS cases)
    string(REPLACE ":" "-" label "${case}")
    set(asi_trace "${WORK}/${label}.asi.txt")
    set(linux_trace "${WORK}/${label}.linux.txt")
    run_case(asi "${case}" on "${label}.asi.txt" "${label}.asi.svg" asi_status asi_output)
    run_case(linux "${case}" on "${label}.linux.txt" "${label}.linux.svg" linux_status
             linux_output)
    run_case(asi "${case}" off "${label}.asi-off.txt" "${label}.asi-off.svg" asi_off_status
             asi_off_output)
    run_case(linux "${case}" off "${label}.linux-off.txt" "${label}.linux-off.svg"
             linux_off_status linux_off_output)
    foreach(build asi linux asi_off linux_off)
        if(NOT ${build}_status EQUAL 0 OR NOT ${build}_output MATCHES "the module unloaded cleanly")
            message(FATAL_ERROR "${case} on the ${build} build did not end cleanly "
                                "(exit ${${build}_status}):\n${${build}_output}")
        endif()
    endforeach()
    execute_process(COMMAND "${LINUX_GAME}" --compare "${asi_trace}" "${linux_trace}"
                    RESULT_VARIABLE same OUTPUT_VARIABLE difference)
    if(NOT same EQUAL 0)
        message(FATAL_ERROR "${case}: the .asi and the Linux build sent different calls\n"
                            "${difference}")
    endif()
    string(REGEX MATCH "Canonical trace: [^\n]*" digest "${linux_output}")
    foreach(build asi asi_off linux_off)
        string(REGEX MATCH "Canonical trace: [^\n]*" other "${${build}_output}")
        if(NOT other STREQUAL digest)
            message(FATAL_ERROR "${case}: the log changed the calls: with it on, the Linux build "
                                "gave \"${digest}\"; the ${build} run gave \"${other}\"")
        endif()
    endforeach()
    message(STATUS "${case}: the same on both builds, log on and off (${digest})")
    # Soak traces run to tens of megabytes; only a differing pair is kept.
    file(REMOVE "${asi_trace}" "${linux_trace}" "${WORK}/${label}.asi.svg"
         "${WORK}/${label}.linux.svg" "${WORK}/${label}.asi-off.txt"
         "${WORK}/${label}.linux-off.txt" "${WORK}/${label}.asi-off.svg"
         "${WORK}/${label}.linux-off.svg")
endforeach()
