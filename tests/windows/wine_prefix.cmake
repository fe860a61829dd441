# Starts (ACTION=start) or stops (ACTION=stop) the wineserver of the test
# prefix named by WINEPREFIX, making the prefix on first use.
#
#   cmake -DWINE=<wine> -DWINESERVER=<wineserver> -DACTION=start|stop -P wine_prefix.cmake
#
# Every process here reads and writes /dev/null: a wineserver or Wine system
# process holding on to ctest's output pipes would keep the test from ending.

cmake_minimum_required(VERSION 3.25)

if(NOT DEFINED ENV{WINEPREFIX})
    message(FATAL_ERROR "WINEPREFIX is not set")
endif()
set(quiet INPUT_FILE /dev/null OUTPUT_FILE /dev/null ERROR_FILE /dev/null)

if(ACTION STREQUAL "start")
    # The server keys itself to the prefix folder, so that exists first.
    file(MAKE_DIRECTORY "$ENV{WINEPREFIX}")
    # One server for the whole run; should the stop never come, it leaves a
    # minute after its last client. A server left by an interrupted run would
    # refuse the new one its place, so it goes first.
    execute_process(COMMAND ${WINESERVER} -k ${quiet})
    execute_process(COMMAND ${WINESERVER} -p60 ${quiet} RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${WINESERVER} -p60 failed (${status})")
    endif()
    # Makes the prefix the first time (a while), later only checks it (a second).
    execute_process(COMMAND ${WINE} wineboot --init ${quiet} RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "wineboot --init failed (${status})")
    endif()
    message(STATUS "wineserver running for $ENV{WINEPREFIX}")
elseif(ACTION STREQUAL "stop")
    execute_process(COMMAND ${WINESERVER} -k ${quiet})
else()
    message(FATAL_ERROR "ACTION must be start or stop")
endif()
