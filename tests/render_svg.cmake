# Renders an SVG document into a PNG with rsvg-convert, a plain SVG viewer, and
# fails unless it renders. With CUT set, renders only the first half of the
# document instead and fails unless rsvg-convert rejects it: proof that the
# viewer does check what it is given, so the render above can fail.
#
#   cmake -DRSVG_CONVERT=... -DSVG=in.svg -DPNG=out.png [-DCUT=ON] -P render_svg.cmake
if(NOT EXISTS "${SVG}")
    message(FATAL_ERROR "no SVG document at ${SVG}")
endif()
set(input "${SVG}")
if(CUT)
    file(READ "${SVG}" document)
    string(LENGTH "${document}" length)
    math(EXPR half "${length} / 2")
    string(SUBSTRING "${document}" 0 ${half} document)
    set(input "${PNG}.cut.svg")
    file(WRITE "${input}" "${document}")
endif()
file(REMOVE "${PNG}")
execute_process(COMMAND "${RSVG_CONVERT}" --format=png --output "${PNG}" "${input}"
                RESULT_VARIABLE result ERROR_VARIABLE errors)
if(CUT)
    if(result EQUAL 0)
        message(FATAL_ERROR "rsvg-convert rendered half a document: ${input}")
    endif()
    message(STATUS "rsvg-convert rejected half a document, as it should: ${errors}")
elseif(NOT result EQUAL 0)
    message(FATAL_ERROR "rsvg-convert could not render ${SVG}: ${errors}")
else()
    file(SIZE "${PNG}" size)
    if(size EQUAL 0)
        message(FATAL_ERROR "rsvg-convert wrote an empty ${PNG}")
    endif()
    message(STATUS "rendered ${SVG} into ${PNG} (${size} bytes)")
endif()
