# Fails unless BINARY (the built .asi) imports exactly the nine hook functions
# from ScriptHookRDR2.dll under their decorated names, imports nothing else but
# from KERNEL32 and the C runtime, and exports nothing.
#
#   cmake -DOBJDUMP=<objdump> -DBINARY=<file> -P check_asi_tables.cmake
#
# The nine names are written out here rather than read from our .def file, so
# a wrong name in the .def cannot agree with itself.

cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/objdump.cmake)

set(expected_hook_imports
    "?scriptRegister@@YAXPEAUHINSTANCE__@@P6AXXZ@Z"
    "?scriptUnregister@@YAXPEAUHINSTANCE__@@@Z"
    "?keyboardHandlerRegister@@YAXP6AXKGEHHHH@Z@Z"
    "?keyboardHandlerUnregister@@YAXP6AXKGEHHHH@Z@Z"
    "?scriptWait@@YAXK@Z"
    "?nativeInit@@YAX_K@Z"
    "?nativePush64@@YAX_K@Z"
    "?nativeCall@@YAPEA_KXZ"
    "?worldGetAllPeds@@YAHPEAHH@Z")
# Windows system DLLs a MinGW-built DLL may need: the kernel and the C runtime.
set(system_dll_pattern "^(kernel32|msvcrt|ucrtbase|api-ms-win-crt-[a-z0-9-]+)\\.dll$")

objdump_of(dump -p)

# One list element per line; brackets and semicolons would upset CMake's list
# splitting, and nothing below needs them.
string(REPLACE "[" "<" dump "${dump}")
string(REPLACE "]" ">" dump "${dump}")
string(REPLACE ";" "," dump "${dump}")
string(REPLACE "\n" ";" lines "${dump}")

set(problems "")
set(hook_imports "")
set(dll "")
set(in_exports FALSE)
foreach(line IN LISTS lines)
    if(line MATCHES "^\tDLL Name: (.+)$")
        set(dll "${CMAKE_MATCH_1}")
        string(TOLOWER "${dll}" dll_lower)
        if(NOT dll_lower STREQUAL "scripthookrdr2.dll" AND NOT dll_lower MATCHES "${system_dll_pattern}")
            list(APPEND problems "imports from ${dll}, which is neither the hook nor a system DLL")
        endif()
    elseif(dll AND line MATCHES "^\t[0-9a-f]+\t +[0-9]+ +(.+)$")
        if(dll_lower STREQUAL "scripthookrdr2.dll")
            list(APPEND hook_imports "${CMAKE_MATCH_1}")
        endif()
    elseif(line STREQUAL "")
        set(dll "")
    endif()

    if(line MATCHES "^<Ordinal/Name Pointer> Table")
        set(in_exports TRUE)
    elseif(in_exports AND line MATCHES "^\t< *[0-9]+> (.+)$")
        list(APPEND problems "exports ${CMAKE_MATCH_1}")
    elseif(in_exports AND NOT line STREQUAL "")
        set(in_exports FALSE)
    endif()
endforeach()

foreach(name IN LISTS expected_hook_imports)
    if(NOT name IN_LIST hook_imports)
        list(APPEND problems "missing import ${name} from ScriptHookRDR2.dll")
    endif()
endforeach()
foreach(name IN LISTS hook_imports)
    if(NOT name IN_LIST expected_hook_imports)
        list(APPEND problems "unexpected import ${name} from ScriptHookRDR2.dll")
    endif()
endforeach()
list(LENGTH hook_imports count)
list(REMOVE_DUPLICATES hook_imports)
list(LENGTH hook_imports distinct)
if(NOT count EQUAL distinct)
    list(APPEND problems "imports a hook function twice")
endif()

if(problems)
    list(JOIN problems "\n  " text)
    message(FATAL_ERROR "${BINARY}:\n  ${text}")
endif()
message(STATUS "${BINARY}: imports the nine hook functions and system DLLs only, exports nothing")
