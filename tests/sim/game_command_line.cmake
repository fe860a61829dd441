# The Linux simulated game as a modder meets it on the command line: where it
# plays, what it leaves there, and what its options answer.
#
# Game folders: the whole registry runs twice in one --game folder, in both
# orders with a soak between, and every scenario gives the same digest each
# time, while the sample settings each run gives the folder go again with it;
# a folder with settings of its own is used as it is and keeps them; a run
# without --game plays in a fresh folder, says which, and removes it.
# Options: --help and -h, a wrong option or one the rest leaves unused,
# --compare of a file with itself, a picture that cannot be written, and the
# --trace frame headers.
#
#   cmake -DGAME=sloshmere-game -DWORK=folder
#         -P game_command_line.cmake
cmake_minimum_required(VERSION 3.25)

foreach(required GAME WORK)
    if(NOT DEFINED ${required})
        message(FATAL_ERROR "game_command_line.cmake needs -D${required}=...")
    endif()
endforeach()
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

# Runs the game from ${WORK} with the arguments given; the exit code and the
# output (both streams) land in game_status and game_output.
function(game)
    execute_process(COMMAND "${GAME}" ${ARGN} WORKING_DIRECTORY "${WORK}"
                    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
    set(game_status "${status}" PARENT_SCOPE)
    set(game_output "${output}" PARENT_SCOPE)
endfunction()

function(fail)
    message(FATAL_ERROR ${ARGN} "\n--- the game printed:\n${game_output}")
endfunction()

# Plays a scenario; its digest lands in `digest`.
function(play scenario)
    game(--scenario ${scenario} ${ARGN})
    string(REGEX MATCH "Canonical trace: lines [0-9]+, digest [0-9A-F]+" line "${game_output}")
    if(NOT game_status EQUAL 0 OR NOT game_output MATCHES "the module unloaded cleanly"
       OR line STREQUAL "")
        message(FATAL_ERROR "${scenario} ${ARGN} did not end cleanly (exit ${game_status}):\n"
                            "${game_output}")
    endif()
    set(digest "${line}" PARENT_SCOPE)
    set(game_output "${game_output}" PARENT_SCOPE)
endfunction()

game(--list)
string(REGEX MATCHALL "(^|\n)[a-z][a-z0-9-]*" names "${game_output}")
list(TRANSFORM names STRIP)
list(LENGTH names count)
if(NOT count GREATER 1)
    fail("--list named ${count} scenarios")
endif()

# The registry forwards, a soak that rewrites the settings hundreds of times,
# then the registry backwards, all in one folder.
set(shared "${WORK}/shared-game")
foreach(name IN LISTS names)
    play(${name} --game "${shared}")
    set(forward_${name} "${digest}")
endforeach()
game(--soak --seed 3 --passes 200 --game "${shared}")
if(NOT game_status EQUAL 0)
    fail("the soak in ${shared} failed")
endif()
set(backward ${names})
list(REVERSE backward)
foreach(name IN LISTS backward)
    play(${name} --game "${shared}")
    if(NOT digest STREQUAL forward_${name})
        fail("${name} gave ${digest} after the others, but ${forward_${name}} before them")
    endif()
endforeach()
# The sample, with its log on, was given for each run and taken again.
if(EXISTS "${shared}/Sloshmere.ini" OR NOT EXISTS "${shared}/Sloshmere.log")
    fail("${shared} must keep the module's log and no settings")
endif()

# A folder with its own settings is played with them, and keeps them.
set(own "${WORK}/own-game")
set(own_settings "[Sloshmere]\r\nDrownText = Dunk\r\nDrownInput = INPUT_JUMP\r\n")
file(MAKE_DIRECTORY "${own}")
file(WRITE "${own}/Sloshmere.ini" "${own_settings}")
play(typical-drowning --game "${own}")
set(own_digest "${digest}")
if(NOT game_output MATCHES "prompt \"Dunk\" offered on INPUT_JUMP")
    fail("typical-drowning in ${own} did not offer the folder's own label and control")
endif()
play(settings-edited --game "${own}")
play(typical-drowning --game "${own}")
if(NOT digest STREQUAL own_digest)
    fail("typical-drowning in ${own} changed after settings-edited")
endif()
file(SHA256 "${own}/Sloshmere.ini" left)
string(SHA256 own_settings "${own_settings}")
if(NOT left STREQUAL own_settings)
    fail("${own}/Sloshmere.ini was changed")
endif()

# Without --game each run has a fresh folder of its own and names it; the
# typical drowning after settings-edited is the one played with the sample.
set(fresh)
foreach(name settings-edited typical-drowning)
    play(${name})
    string(REGEX MATCH "Game folder: ([^\n]+)" line "${game_output}")
    if(CMAKE_MATCH_1 STREQUAL "")
        fail("${name} did not say where it played")
    endif()
    set(folder "${CMAKE_MATCH_1}")
    if(EXISTS "${folder}")
        fail("${folder} is left behind")
    endif()
    if(folder IN_LIST fresh)
        fail("two runs played in ${folder}")
    endif()
    list(APPEND fresh "${folder}")
endforeach()
if(NOT digest STREQUAL forward_typical-drowning)
    fail("typical-drowning without --game gave ${digest}, not ${forward_typical-drowning}")
endif()

# Nothing but the game folders themselves lands beside them: no file for the
# module's output, which a clean run does not keep.
file(GLOB_RECURSE strays "${WORK}/*module-output*")
if(NOT strays STREQUAL "")
    fail("stray files: ${strays}")
endif()

# The options.
foreach(help --help -h)
    game(${help})
    if(NOT game_status EQUAL 0)
        fail("${help} exited ${game_status}")
    endif()
    foreach(line "usage: sloshmere-game " "\n  --game FOLDER  " "\n  --compare FILE FILE  "
                 "\n  -h, --help  ")
        string(FIND "${game_output}" "${line}" at)
        if(NOT at GREATER -1)
            fail("${help} does not print \"${line}\"")
        endif()
    endforeach()
endforeach()
foreach(wrong "--bogus|unknown option" "--seed;3|--seed is the soak's"
              "--list;--trace|--trace is for a run")
    string(REPLACE "|" ";" wrong "${wrong}")
    list(POP_BACK wrong said)
    game(${wrong})
    if(NOT (game_status EQUAL 2 AND game_output MATCHES "^sloshmere-game: ${said}"))
        fail("${wrong} must be named, by the program's own name, with exit 2")
    endif()
endforeach()

play(typical-drowning --game "${shared}" --trace --canonical-trace typical.txt)
if(NOT game_output MATCHES "\nframe 100  t=[0-9]+ ms +[A-Za-z]")
    fail("--trace does not show frame 100's header whole, apart from its first call")
endif()
string(REGEX REPLACE "Canonical trace: lines ([0-9]+), digest ([0-9A-F]+)" "the same: \\1 lines, digest \\2"
       same "${digest}")
game(--compare typical.txt typical.txt)
if(NOT (game_status EQUAL 0 AND game_output STREQUAL "${same}\n"))
    fail("--compare of a file with itself must say \"${same}\"")
endif()

game(--game "${shared}" --picture missing/x.svg)
if(game_status EQUAL 0)
    fail("a picture in a missing folder was accepted")
endif()
if(NOT game_output MATCHES "cannot write the picture [^\n]*missing/x.svg: No such file")
    fail("the picture's failure does not give the reason")
endif()
if(game_output MATCHES "Game folder")
    fail("the run started before the picture failed")
endif()
