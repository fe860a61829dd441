# Fails unless BINARY (the built .asi) runs on every processor the game
# supports and takes the address-space protections Windows offers: its
# DllCharacteristics carry DYNAMIC_BASE, NX_COMPAT and HIGH_ENTROPY_VA, and its
# code holds no instruction the oldest of those processors lacks:
#   - AVX, AVX2 and AVX-512 (every VEX- or EVEX-encoded instruction, v...,
#     and the mask instructions k...),
#   - FMA (vfmadd..., vfmsub..., vfnmadd..., vfnmsub...),
#   - BMI1 and BMI2 (andn, bextr, blsi, blsmsk, blsr, bzhi, mulx, pdep, pext,
#     rorx, sarx, shlx, shrx), which fault there,
#   - lzcnt, which does not fault but runs as bsr there and gives another
#     answer.
# tzcnt is allowed: GCC emits it as `rep bsf`, which those processors run as
# bsf, with the same answer for every input GCC uses it on. A stray -march on
# the build machine shows up here before it reaches a player.
#
# Given MAX_BYTES, it also fails when BINARY is larger: the whole image is
# mapped into the game's process, and a stray C++ stream or locale facility,
# pulled in by one include, would multiply the size of the .asi without a word
# from the build.
#
#   cmake -DOBJDUMP=<objdump> -DBINARY=<file> [-DMAX_BYTES=<n>] -P check_asi_runs_everywhere.cmake

cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/objdump.cmake)

set(problems "")

file(SIZE "${BINARY}" size)
set(size_note "${size} bytes")
if(DEFINED MAX_BYTES)
    if(NOT MAX_BYTES MATCHES "^[0-9]+$")
        message(FATAL_ERROR "MAX_BYTES must be a number of bytes, not '${MAX_BYTES}'")
    endif()
    if(size GREATER MAX_BYTES)
        list(APPEND problems "is ${size} bytes, over the limit of ${MAX_BYTES}")
    endif()
    string(APPEND size_note " (at most ${MAX_BYTES})")
endif()

objdump_of(headers -p)
# objdump names each flag on a line of its own under DllCharacteristics.
if(NOT headers MATCHES "\nDllCharacteristics\t[0-9a-f]+\n((\t+[A-Z_]+\n)*)")
    message(FATAL_ERROR "${BINARY}: objdump shows no DllCharacteristics")
endif()
set(flags "${CMAKE_MATCH_1}")
foreach(flag DYNAMIC_BASE NX_COMPAT HIGH_ENTROPY_VA)
    if(NOT flags MATCHES "\t${flag}\n")
        list(APPEND problems "lacks ${flag} in its DllCharacteristics")
    endif()
endforeach()

objdump_of(code -d -M intel --no-show-raw-insn)
# Each instruction is "<address>:\t<mnemonic> <operands>".
string(REGEX MATCHALL ":\t(v[a-z0-9]+|k[a-z0-9]+|andn|bextr|blsi|blsmsk|blsr|bzhi|mulx|pdep|pext|rorx|sarx|shlx|shrx|lzcnt)[ \n]"
       found "${code}")
list(REMOVE_DUPLICATES found)
# The virtual-machine and segment instructions that also start with v.
set(not_avx vmcall vmclear vmfunc vmlaunch vmload vmmcall vmptrld vmptrst vmread vmresume vmrun
            vmsave vmwrite vmxoff vmxon verr verw)
set(avx "")
set(fma "")
set(bmi "")
set(lzcnt "")
foreach(match IN LISTS found)
    string(REGEX REPLACE "^:\t([a-z0-9]+).*$" "\\1" mnemonic "${match}")
    if(mnemonic IN_LIST not_avx)
        continue()
    elseif(mnemonic MATCHES "^vf(n?m(add|sub)|madd|msub)")
        list(APPEND fma ${mnemonic})
    elseif(mnemonic MATCHES "^[vk]")
        list(APPEND avx ${mnemonic})
    elseif(mnemonic STREQUAL "lzcnt")
        list(APPEND lzcnt ${mnemonic})
    else()
        list(APPEND bmi ${mnemonic})
    endif()
endforeach()
foreach(set AVX FMA BMI LZCNT)
    string(TOLOWER ${set} variable)
    if(${variable})
        list(SORT ${variable})
        list(JOIN ${variable} ", " names)
        list(APPEND problems "uses ${set} instructions: ${names}")
    endif()
endforeach()

if(problems)
    list(JOIN problems "\n  " text)
    message(FATAL_ERROR "${BINARY}:\n  ${text}")
endif()
message(STATUS "${BINARY}: ${size_note}; DYNAMIC_BASE, NX_COMPAT and HIGH_ENTROPY_VA; "
               "no AVX, FMA, BMI or LZCNT instructions")
