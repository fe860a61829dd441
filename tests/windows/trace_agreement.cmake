# Runs every scenario and the hostile soak on Sloshmere.asi under Wine and on
# the Linux build of the same simulated game, and holds their calls to one
# another. Every run must end cleanly (exit 0, the module unloaded, nothing
# printed), with the trace and picture it was asked for by relative paths in
# the folder it was run from.
#
# A scenario runs three times: on each build in a fresh game folder, which
# gets the sample settings with the module's log on, and on the .asi once
# more in a folder holding the sample as players get it, with the log off.
# The two builds' traces are compared call by call, failing at the first
# difference with the call before it; the log-off run must give the same
# digest and leave no log. (The Linux suite's SessionLog tests hold the Linux
# build to the same with the log off.)
#
# The soak runs seeds 1 to SEEDS, PASSES passes shared out over them
# (SLOSHMERE_SOAK_PASSES in the environment overrides PASSES), once on each
# build. The .asi's run is the soak on the shipped module: no pass that never
# ends, no exception out of the script, nothing printed, and the C runtime's
# heap in use (the module's alone, see sim/game/crt_heap.h) flat from
# checkpoint to checkpoint. Its digest must be the Linux run's. The settings
# the soak writes from its first checkpoint on carry no Log, so it plays one
# way only.
#
#   cmake -DWINE=... -DSIM=sloshmere-sim.exe -DLINUX_GAME=sloshmere-game
#         -DWORK=folder -DSEEDS=4 -DPASSES=20000 -P trace_agreement.cmake
cmake_minimum_required(VERSION 3.25)

foreach(required WINE SIM LINUX_GAME WORK SEEDS PASSES)
    if(NOT DEFINED ${required})
        message(FATAL_ERROR "trace_agreement.cmake needs -D${required}=...")
    endif()
endforeach()
if(NOT EXISTS "${LINUX_GAME}")
    message(FATAL_ERROR "no Linux build of the simulated game at ${LINUX_GAME}")
endif()
if(DEFINED ENV{SLOSHMERE_SOAK_PASSES} AND NOT "$ENV{SLOSHMERE_SOAK_PASSES}" STREQUAL "")
    set(PASSES "$ENV{SLOSHMERE_SOAK_PASSES}")
endif()
math(EXPR each "(${PASSES} + ${SEEDS} - 1) / ${SEEDS}")

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
# shell: every path on the command line is relative to that folder. A
# scenario's canonical trace goes to ${WORK}/${label}.${run}.txt and its
# picture beside it; neither may land anywhere else, such as in the game
# folder that the game makes its current directory. A soak's trace is far
# too long to keep: only its digest is. Sets ${run}_digest to the run's digest
# and ${run}_output to what it printed, and fails unless it ended cleanly.
function(run_case build case log run)
    string(REPLACE ":" ";" parts "${case}")
    list(GET parts 0 kind)
    list(GET parts 1 what)
    string(REPLACE ":" "-" label "${case}")
    set(outputs)
    if(kind STREQUAL "soak")
        set(arguments --soak --seed ${what} --passes ${each})
    else()
        set(outputs "${label}.${run}.txt" "${label}.${run}.svg")
        set(arguments --scenario ${what} --canonical-trace "${label}.${run}.txt"
                      --picture "${label}.${run}.svg")
    endif()
    # A relative path with a Unix separator, as a shell hands it to Wine.
    set(game "games/${label}-${run}")
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
    execute_process(COMMAND ${command} ${arguments} --game "${game}"
                    WORKING_DIRECTORY "${WORK}"
                    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
    set(problem "")
    if(NOT status EQUAL 0 OR NOT output MATCHES "the module unloaded cleanly")
        set(problem "exit ${status}")
    elseif(kind STREQUAL "soak" AND build STREQUAL "asi"
           AND NOT output MATCHES "module heap in use at the")
        set(problem "no heap in use read at its checkpoints")
    # settings-edited writes settings of its own, without Log: it need
    # leave no log.
    elseif(log STREQUAL "on" AND kind STREQUAL "scenario" AND NOT what STREQUAL "settings-edited"
           AND NOT EXISTS "${WORK}/${game}/Sloshmere.log")
        set(problem "the log is on, but ${game} holds no Sloshmere.log")
    elseif(log STREQUAL "off" AND EXISTS "${WORK}/${game}/Sloshmere.log")
        set(problem "the log is off, but ${game} holds a Sloshmere.log")
    endif()
    foreach(file IN LISTS outputs)
        if(NOT EXISTS "${WORK}/${file}" OR EXISTS "${WORK}/${game}/${file}")
            set(problem "${file} must be written to ${WORK}, where the game was run from, "
                        "and nowhere else")
        endif()
    endforeach()
    if(NOT problem STREQUAL "")
        message(FATAL_ERROR "${case} on the ${build} build, log ${log}, did not end cleanly "
                            "(${problem}):\n${output}")
    endif()
    string(REGEX MATCH "Canonical trace: [^\n]*" digest "${output}")
    set(${run}_digest "${digest}" PARENT_SCOPE)
    set(${run}_output "${output}" PARENT_SCOPE)
endfunction()

list(LENGTH cases count)
message(STATUS "comparing ${count} cases on the .asi and the Linux build")
foreach(case IN LISTS cases)
    string(REPLACE ":" "-" label "${case}")
    run_case(asi "${case}" on asi)
    run_case(linux "${case}" on linux)
    if(case MATCHES "^scenario:")
        run_case(asi "${case}" off asi_off)
        execute_process(COMMAND "${LINUX_GAME}" --compare "${label}.asi.txt" "${label}.linux.txt"
                        WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE same
                        OUTPUT_VARIABLE difference)
        if(NOT same EQUAL 0)
            message(FATAL_ERROR "${case}: the .asi and the Linux build sent different calls\n"
                                "${difference}")
        endif()
        if(NOT asi_off_digest STREQUAL asi_digest)
            message(FATAL_ERROR "${case}: the log changed the .asi's calls: with it on, "
                                "\"${asi_digest}\"; with it off, \"${asi_off_digest}\"")
        endif()
        message(STATUS "${case}: the same on both builds, and on the .asi with the log off "
                       "(${linux_digest})")
        file(GLOB kept "${WORK}/${label}.*")
        file(REMOVE ${kept})
    else()
        if(NOT asi_digest STREQUAL linux_digest)
            message(FATAL_ERROR "${case}, ${each} passes: the .asi and the Linux build sent "
                                "different calls (\"${asi_digest}\" and \"${linux_digest}\"); "
                                "rerun both with --canonical-trace to find the first")
        endif()
        string(REGEX MATCHALL "(^|\n)soak[^\n]*" summary "${asi_output}")
        list(TRANSFORM summary STRIP)
        list(JOIN summary "\n  " summary)
        message(STATUS "${case}, ${each} passes: the same on both builds (${linux_digest}); "
                       "on the .asi:\n  ${summary}")
    endif()
endforeach()
