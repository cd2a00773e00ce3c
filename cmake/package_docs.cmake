# Runs while cpack stages the package: the changelog and copyright Debian asks
# of every package, and the manual page, compressed as Debian wants them
# (gzip -9, no time stamp). Expects VIGILO_SOURCE_DIR, VIGILO_STAGE_DIR,
# VIGILO_VERSION and VIGILO_MAINTAINER (empty: whoever makes the package).
include("${CMAKE_CURRENT_LIST_DIR}/package_maintainer.cmake")
if(VIGILO_MAINTAINER STREQUAL "")
  vigilo_package_maintainer(VIGILO_MAINTAINER)
endif()

function(vigilo_gzip from to)
  execute_process(COMMAND gzip -9 -n -c "${from}" OUTPUT_FILE "${to}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip failed on ${from}")
  endif()
endfunction()

# SOURCE_DATE_EPOCH, where set, fixes the date for a reproducible package.
string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE "${VIGILO_STAGE_DIR}/changelog"
     "vigilo (${VIGILO_VERSION}) unstable; urgency=medium\n\n"
     "  * Package made from the Vigilo sources, version ${VIGILO_VERSION}.\n\n"
     " -- ${VIGILO_MAINTAINER}  ${date}\n")
vigilo_gzip("${VIGILO_STAGE_DIR}/changelog" "${VIGILO_STAGE_DIR}/changelog.gz")
vigilo_gzip("${VIGILO_SOURCE_DIR}/resources/package/vigilo.1" "${VIGILO_STAGE_DIR}/vigilo.1.gz")

file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/doc/vigilo" TYPE FILE
     FILES "${VIGILO_STAGE_DIR}/changelog.gz" "${VIGILO_SOURCE_DIR}/resources/package/copyright")
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/man/man1" TYPE FILE
     FILES "${VIGILO_STAGE_DIR}/vigilo.1.gz")
