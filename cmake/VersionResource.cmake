# sloshmere_version_resource(<target> FILE <original file name> VERSION <a.b.c[.d]>
#                            DESCRIPTION <text> [PRODUCT <name>])
#
# Gives a Windows target the version resource of cmake/version.rc.in: the
# numbers of VERSION (missing parts are 0) in FILEVERSION and PRODUCTVERSION,
# VERSION itself as text, FILE as its original file name and, without its
# extension, its internal name. An .exe is typed as an application, anything
# else as a DLL. PRODUCT defaults to Sloshmere.
set(SLOSHMERE_VERSION_RC_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/version.rc.in)

function(sloshmere_version_resource target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "FILE;VERSION;DESCRIPTION;PRODUCT" "")
    string(REPLACE "." ";" numbers "${arg_VERSION}")
    list(APPEND numbers 0 0 0)
    list(SUBLIST numbers 0 4 numbers)
    list(JOIN numbers "," VERSION_NUMBERS)
    set(VERSION_TEXT "${arg_VERSION}")
    set(DESCRIPTION "${arg_DESCRIPTION}")
    set(ORIGINAL_NAME "${arg_FILE}")
    get_filename_component(INTERNAL_NAME "${arg_FILE}" NAME_WLE)
    set(PRODUCT_NAME Sloshmere)
    if(arg_PRODUCT)
        set(PRODUCT_NAME "${arg_PRODUCT}")
    endif()
    set(FILE_TYPE VFT_DLL)
    if(arg_FILE MATCHES "\\.exe$")
        set(FILE_TYPE VFT_APP)
    endif()
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
    configure_file(${SLOSHMERE_VERSION_RC_TEMPLATE} ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
endfunction()
