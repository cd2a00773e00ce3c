# The Debian package: `cpack -G DEB` in the build folder makes
# vigilo_VERSION_ARCH.deb, with the program in /usr/bin and its start page in
# /usr/share/vigilo. Its install rules form the component "deb", which a plain
# `cmake --install` (the per-user install) leaves out, and the package holds
# that component alone.

set(_stage ${PROJECT_BINARY_DIR}/package)
set(_deb COMPONENT deb EXCLUDE_FROM_ALL)

# The launcher finds the program through PATH.
set(VIGILO_DESKTOP_EXEC vigilo)
set(VIGILO_DESKTOP_TRYEXEC vigilo)
configure_file(resources/vigilo.desktop.in ${_stage}/${VIGILO_APP_ID}.desktop @ONLY)
configure_file(resources/vigilo.metainfo.xml.in ${_stage}/${VIGILO_APP_ID}.metainfo.xml @ONLY)

install(TARGETS vigilo RUNTIME DESTINATION bin ${_deb})
install(FILES resources/start.htm DESTINATION share/vigilo ${_deb})
install(FILES ${_stage}/${VIGILO_APP_ID}.desktop DESTINATION share/applications ${_deb})
install(FILES ${_stage}/${VIGILO_APP_ID}.metainfo.xml DESTINATION share/metainfo ${_deb})
foreach(size IN LISTS VIGILO_ICON_SIZES)
  install(FILES resources/icons/vigilo-${size}.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME ${VIGILO_APP_ID}.png ${_deb})
endforeach()
install(FILES resources/icons/vigilo.svg DESTINATION share/icons/hicolor/scalable/apps
        RENAME ${VIGILO_APP_ID}.svg ${_deb})
# The changelog names the maintainer, who is known only when the package is
# made; the manual page is compressed with it.
install(CODE "
  set(VIGILO_SOURCE_DIR \"${PROJECT_SOURCE_DIR}\")
  set(VIGILO_STAGE_DIR \"${_stage}\")
  set(VIGILO_VERSION \"${PROJECT_VERSION}\")
  set(VIGILO_MAINTAINER \"${CPACK_DEBIAN_PACKAGE_MAINTAINER}\")" ${_deb})
install(SCRIPT cmake/package_docs.cmake ${_deb})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vigilo)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "watch a web page and ring an alert when it changes")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Vigilo downloads a web page at the end of each period, from ten seconds up\n"
    "to three hours, and when the page's length differs from the page kept at\n"
    "the last change it plays a WAV file of your choice and shows the page in\n"
    "its built-in browser. It can also tour a list of addresses of your own,\n"
    "showing a random entry at each period end.")
string(JOIN "" CPACK_DEBIAN_PACKAGE_DESCRIPTION ${CPACK_DEBIAN_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends comes from the libraries the program links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};deb;/")
# Read when the package is made, so that the maintainer is whoever makes it.
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/package_options.cmake)
set(CPACK_OUTPUT_CONFIG_FILE ${PROJECT_BINARY_DIR}/CPackConfig.cmake)
include(CPack)
