# objdump_of(<variable> <option>...): sets <variable> to what
# `${OBJDUMP} <option>... ${BINARY}` prints; a failing objdump ends the check.
function(objdump_of variable)
    execute_process(COMMAND ${OBJDUMP} ${ARGN} ${BINARY}
        OUTPUT_VARIABLE output RESULT_VARIABLE status ERROR_VARIABLE errors)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${OBJDUMP} ${ARGN} ${BINARY} failed: ${errors}")
    endif()
    set(${variable} "${output}" PARENT_SCOPE)
endfunction()
