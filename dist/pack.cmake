# Packs the players' zip so that the same inputs always give the same bytes,
# and writes its SHA-256 beside it in sha256sum's format.
#
#   cmake -DZIP=<Info-ZIP zip> -DTOUCH=<touch> -DEPOCH=<seconds> -DSTAGE=<scratch folder>
#         -DPACKAGE=<out.zip> -DFILES=<file>[;<file>...] -P pack.cmake
#
# The entries are FILES in the order given, at the top of the archive, each
# with the time EPOCH and the mode rw-r--r--, and nothing of the machine that
# packed them: no owner, no access or change times (zip -X), no folders (-D).
# A zip entry's time is a local time; TZ=UTC makes it the same everywhere.

cmake_minimum_required(VERSION 3.25)

foreach(variable ZIP TOUCH EPOCH STAGE PACKAGE FILES)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "pack.cmake needs -D${variable}=...")
    endif()
endforeach()

# Staged afresh each time, so nothing left over from an earlier pack can end
# up in the archive.
file(REMOVE_RECURSE "${STAGE}")
file(MAKE_DIRECTORY "${STAGE}")
file(REMOVE "${PACKAGE}" "${PACKAGE}.sha256")
set(entries "")
foreach(file IN LISTS FILES)
    get_filename_component(name "${file}" NAME)
    file(COPY_FILE "${file}" "${STAGE}/${name}")
    file(CHMOD "${STAGE}/${name}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    list(APPEND entries "${name}")
endforeach()

set(ENV{TZ} UTC)
execute_process(COMMAND ${TOUCH} -m -d @${EPOCH} ${entries}
    WORKING_DIRECTORY "${STAGE}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot set the entries' time to ${EPOCH}")
endif()
execute_process(COMMAND ${ZIP} -X -D -q "${PACKAGE}" ${entries}
    WORKING_DIRECTORY "${STAGE}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${ZIP} could not write ${PACKAGE}")
endif()

get_filename_component(package_name "${PACKAGE}" NAME)
file(SHA256 "${PACKAGE}" hash)
file(WRITE "${PACKAGE}.sha256" "${hash}  ${package_name}\n")
