# Cross-builds for 64-bit Windows with Debian's MinGW-w64, win32 thread model.
#
# The thread model decides what the static C++ runtime locks with. Under the
# posix model libstdc++'s exception allocator and libgcc's emulated
# thread-locals call winpthreads, so its code (and its licence) would ride in
# every binary we ship although nothing here starts a thread; the win32 model
# uses Windows' own critical sections and one-time initialisation instead.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SLOSHMERE_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SLOSHMERE_MINGW_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${SLOSHMERE_MINGW_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER ${SLOSHMERE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${SLOSHMERE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The test executables run under Wine when it is installed; without it the
# build still works and only the checks that need no Windows run.
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(SLOSHMERE_WINE wine)
    if(SLOSHMERE_WINE)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${SLOSHMERE_WINE})
    endif()
endif()
