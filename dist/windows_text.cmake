# Copies a text file with Windows line endings, for players who open it in
# Notepad: every line of INPUT, ended by CR LF, in OUTPUT. Line ends INPUT
# already has as CR LF are kept as they are.
#
#   cmake -DINPUT=<text file> -DOUTPUT=<copy> -P windows_text.cmake

cmake_minimum_required(VERSION 3.25)

foreach(variable INPUT OUTPUT)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "windows_text.cmake needs -D${variable}=...")
    endif()
endforeach()
file(READ "${INPUT}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${OUTPUT}" "${text}")
