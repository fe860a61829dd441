# Loads the rule breaker in place of Sloshmere.asi into the simulated game under
# Wine, once for each place a rule can be broken (on the script fiber, in the
# attach, in the detach) and once keeping them all. Each broken rule must end
# the run with exit code 3 and the one line that names it; the run that keeps
# them must end cleanly, so the check can pass as well as fail. Every rule
# lives in sim::Host, shared with the Linux build, whose suite breaks each
# one in turn; here the game's closing is shown from each place on the .asi.
#
#   cmake -DWINE=... -DSIM=sloshmere-sim.exe -DBREAKER=rule_breaker.dll
#         -DBIN=folder-of-the-hook-and-settings -DWORK=folder -P rule_breaker.cmake
cmake_minimum_required(VERSION 3.25)

foreach(required WINE SIM BREAKER BIN WORK)
    if(NOT DEFINED ${required})
        message(FATAL_ERROR "rule_breaker.cmake needs -D${required}=...")
    endif()
endforeach()

# The simulated game loads the Sloshmere.asi that lies beside it.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
file(COPY "${SIM}" "${BIN}/ScriptHookRDR2.dll" "${BIN}/Sloshmere.ini" DESTINATION "${WORK}")
file(COPY_FILE "${BREAKER}" "${WORK}/Sloshmere.asi")
get_filename_component(sim_name "${SIM}" NAME)

set(hex "0x[0-9A-F]+")
set(cases
    "no-native|no native 0x1234567812345678 \\(frame 0\\)"
    "register-twice|script main ${hex} registered twice \\(module ${hex}\\) \\(frame 0\\)"
    "unregister-unknown|scriptUnregister for module ${hex}, which never registered a script \\(frame [0-9]+\\)"
    "|")
set(failures "")
foreach(case IN LISTS cases)
    string(FIND "${case}" "|" bar)
    string(SUBSTRING "${case}" 0 ${bar} rule)
    math(EXPR after "${bar} + 1")
    string(SUBSTRING "${case}" ${after} -1 line)
    set(label "${rule}")
    if(rule STREQUAL "")
        set(label "none")
    endif()
    execute_process(
        COMMAND ${CMAKE_COMMAND} -E env "SLOSHMERE_BREAK_RULE=${rule}"
                "${WINE}" "${WORK}/${sim_name}" --scenario grapple-flag-dropped
                --game "${WORK}/games/${label}"
        RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 300)
    if(rule STREQUAL "")
        if(NOT status EQUAL 0 OR err MATCHES "the game would close")
            string(APPEND failures "keeping every rule: exit ${status}\n${err}\n")
        endif()
    elseif(NOT status EQUAL 3)
        string(APPEND failures "${rule}: exit ${status}, not 3\n${err}\n")
    elseif(NOT err MATCHES "(^|\n)the game would close: ${line}\r?\n")
        string(APPEND failures "${rule}: no line naming the rule in\n${err}\n")
    else()
        message(STATUS "${rule}: ${err}")
    endif()
endforeach()
if(NOT failures STREQUAL "")
    message(FATAL_ERROR "${failures}")
endif()
