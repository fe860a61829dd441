# Copies a text file with Windows line endings, for players who open it in
# Notepad: every line of IN, ended by CR LF, in OUT. Line ends IN already has
# as CR LF are kept as they are.
#
#   cmake -DIN=<text file> -DOUT=<copy> -P windows_text.cmake

cmake_minimum_required(VERSION 3.25)

foreach(variable IN OUT)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "windows_text.cmake needs -D${variable}=...")
    endif()
endforeach()
file(READ "${IN}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${OUT}" "${text}")
