# The one native sub-build of the Windows build: the project configured again
# for this machine, whose programs the cross build must run here. It makes the
# tool that writes the players' README (dist/readme/), which the package needs
# with or without tests, and, when the tests are built, the Linux simulated
# game that trace_agreement compares with the .asi. Both link the module's
# control table from one static library, so controls.cpp is compiled once.
#
# With the tests on, the sub-build is the linux preset's own tree,
# build/linux, configured as that preset does: a checkout that runs both tiers
# compiles the module and the simulated game for this machine once, and the
# linux tier then builds only its tests there. Without them (a release build,
# the reproducibility check's copy) it is a tree of its own with the README
# tool alone.
#
# Sets SLOSHMERE_NATIVE_TARGET (the target to depend on),
# SLOSHMERE_README_TOOL and SLOSHMERE_NATIVE_GAME (the built programs).

include(ExternalProject)
if(SLOSHMERE_TESTS)
    set(native_dir ${PROJECT_SOURCE_DIR}/build/linux)
else()
    set(native_dir ${PROJECT_BINARY_DIR}/native)
endif()
set(SLOSHMERE_NATIVE_TARGET sloshmere_native)
set(SLOSHMERE_README_TOOL ${native_dir}/bin/sloshmere-readme)
set(SLOSHMERE_NATIVE_GAME ${native_dir}/bin/sloshmere-game)
set(native_build ${CMAKE_COMMAND} --build <BINARY_DIR> --target sloshmere-readme)
set(native_products ${SLOSHMERE_README_TOOL})
if(SLOSHMERE_TESTS)
    list(APPEND native_build sloshmere-game)
    list(APPEND native_products ${SLOSHMERE_NATIVE_GAME})
endif()
ExternalProject_Add(${SLOSHMERE_NATIVE_TARGET}
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${native_dir}
    CMAKE_GENERATOR Ninja
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=g++
               -DSLOSHMERE_TESTS=${SLOSHMERE_TESTS}
    BUILD_COMMAND ${native_build}
    INSTALL_COMMAND ""
    # Its own build decides whether anything changed.
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${native_products})
