# The hostile soak on the shipped Sloshmere.asi under Wine: PASSES passes in
# all (SLOSHMERE_SOAK_PASSES in the environment overrides it), shared out over
# seeds 1 to SEEDS. Each run must end cleanly: no pass that never ends, no
# exception out of the script, nothing printed by the module, and the C
# runtime's heap in use (the module's alone, see sim/game/crt_heap.h) flat from
# checkpoint to checkpoint.
#
#   cmake -DWINE=... -DSIM=sloshmere-sim.exe -DWORK=folder -DSEEDS=4
#         -DPASSES=20000 -P wine_soak.cmake
cmake_minimum_required(VERSION 3.25)

if(DEFINED ENV{SLOSHMERE_SOAK_PASSES} AND NOT "$ENV{SLOSHMERE_SOAK_PASSES}" STREQUAL "")
    set(PASSES "$ENV{SLOSHMERE_SOAK_PASSES}")
endif()
math(EXPR each "(${PASSES} + ${SEEDS} - 1) / ${SEEDS}")
file(REMOVE_RECURSE "${WORK}")
foreach(seed RANGE 1 ${SEEDS})
    execute_process(
        COMMAND "${WINE}" "${SIM}" --soak --seed ${seed} --passes ${each}
                --game "${WORK}/seed-${seed}"
        RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT status EQUAL 0 OR NOT output MATCHES "the module unloaded cleanly"
       OR NOT output MATCHES "module heap in use at the")
        message(FATAL_ERROR "soak seed ${seed} failed (exit ${status}):\n${output}")
    endif()
    string(REGEX MATCHALL "(^|\n)soak[^\n]*" summary "${output}")
    list(TRANSFORM summary STRIP)
    list(JOIN summary "\n  " summary)
    message(STATUS "seed ${seed}, ${each} passes:\n  ${summary}")
endforeach()
