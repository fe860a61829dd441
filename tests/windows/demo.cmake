# scripts/demo as a modder runs it, from a folder of their own: with --game g
# it plays in g, draws the picture there, names each file once by its Linux
# path and ends with the canonical trace; --list then plays nothing and leaves
# the demo's own game folder, and the picture the last run drew there, alone.
#
#   cmake -DDEMO=scripts/demo -DWORK=folder -DDEMO_GAME=build/windows/demo-game
#         -P demo.cmake
cmake_minimum_required(VERSION 3.25)

foreach(required DEMO WORK DEMO_GAME)
    if(NOT DEFINED ${required})
        message(FATAL_ERROR "demo.cmake needs -D${required}=...")
    endif()
endforeach()
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

function(demo)
    execute_process(COMMAND "${DEMO}" ${ARGN} WORKING_DIRECTORY "${WORK}"
                    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
    set(demo_status "${status}" PARENT_SCOPE)
    set(demo_output "${output}" PARENT_SCOPE)
endfunction()

function(fail)
    message(FATAL_ERROR ${ARGN} "\n--- scripts/demo printed:\n${demo_output}")
endfunction()

demo(--game g)
if(NOT demo_status EQUAL 0)
    fail("scripts/demo --game g exited ${demo_status}")
endif()
if(NOT EXISTS "${WORK}/g/drowning.svg")
    fail("scripts/demo --game g left no g/drowning.svg")
endif()
if(NOT demo_output MATCHES "\nCanonical trace: lines [0-9]+, digest [0-9A-F]+\n")
    fail("scripts/demo --game g printed no canonical trace line")
endif()
if(NOT demo_output MATCHES "\nGame folder: ${WORK}/g\n")
    fail("scripts/demo --game g did not name ${WORK}/g as its game folder")
endif()
string(FIND "${demo_output}" "Z:\\" windows_path)
if(NOT windows_path EQUAL -1)
    fail("scripts/demo showed a Windows path")
endif()
string(REGEX MATCHALL "drowning\\.svg" named "${demo_output}")
list(LENGTH named times)
if(NOT times EQUAL 1)
    fail("scripts/demo named the picture ${times} times")
endif()

# What the last run left in the demo's own game folder, stood for by a file
# of the test's own.
file(MAKE_DIRECTORY "${DEMO_GAME}")
file(WRITE "${DEMO_GAME}/left-by-the-last-run" "")
demo(--list)
set(kept FALSE)
if(EXISTS "${DEMO_GAME}/left-by-the-last-run")
    set(kept TRUE)
endif()
file(REMOVE "${DEMO_GAME}/left-by-the-last-run")
if(NOT demo_status EQUAL 0 OR NOT demo_output MATCHES "\ntypical-drowning ")
    fail("scripts/demo --list exited ${demo_status}")
endif()
if(NOT kept)
    fail("scripts/demo --list emptied ${DEMO_GAME}")
endif()
