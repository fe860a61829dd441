# The one native sub-build of the Windows build: the project configured again
# for this machine, whose programs the cross build must run here. Its main
# step makes the tool that writes the players' README (dist/readme/), which
# the package needs with or without tests. When the tests are built, a step
# of its own, in the build's `all` but not in the package's way, makes the
# Linux simulated game that trace_agreement compares with the .asi.
#
# With the tests on, the sub-build is the linux preset's own tree,
# build/linux, configured as that preset does: a checkout that runs both tiers
# compiles the module and the simulated game for this machine once. Without
# them (a release build, the reproducibility check's copy) it is a tree of its
# own with the README tool alone.
#
# Sets SLOSHMERE_NATIVE_TARGET (the package's dependency), SLOSHMERE_README_TOOL
# and SLOSHMERE_NATIVE_GAME (the built programs).

include(ExternalProject)
if(SLOSHMERE_TESTS)
    set(native_dir ${PROJECT_SOURCE_DIR}/build/linux)
else()
    set(native_dir ${PROJECT_BINARY_DIR}/native)
endif()
set(SLOSHMERE_NATIVE_TARGET sloshmere_native)
set(SLOSHMERE_README_TOOL ${native_dir}/bin/sloshmere-readme)
set(SLOSHMERE_NATIVE_GAME ${native_dir}/bin/sloshmere-game)
ExternalProject_Add(${SLOSHMERE_NATIVE_TARGET}
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${native_dir}
    CMAKE_GENERATOR Ninja
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=g++
               -DSLOSHMERE_TESTS=${SLOSHMERE_TESTS}
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target sloshmere-readme
    INSTALL_COMMAND ""
    # Its own build decides whether anything changed.
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${SLOSHMERE_README_TOOL})
if(SLOSHMERE_TESTS)
    ExternalProject_Add_Step(${SLOSHMERE_NATIVE_TARGET} game
        COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target sloshmere-game
        DEPENDEES build
        ALWAYS ON
        EXCLUDE_FROM_MAIN ON
        BYPRODUCTS ${SLOSHMERE_NATIVE_GAME})
    ExternalProject_Add_StepTargets(${SLOSHMERE_NATIVE_TARGET} game)
    add_custom_target(sloshmere_native_game ALL)
    add_dependencies(sloshmere_native_game ${SLOSHMERE_NATIVE_TARGET}-game)
endif()
