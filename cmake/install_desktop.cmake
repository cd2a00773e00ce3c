# Runs at the end of `cmake --install`: the launcher, icons and metainfo for this
# user, then the manifest beside the program that the uninstall works from.
# Expects what install_begin.cmake set, and VIGILO_SOURCE_DIR, VIGILO_STAGE_DIR,
# and VIGILO_WM_CLASS.

# A path as one argument of a desktop entry's Exec key: quoted when it holds a
# reserved character, with the quoting's own escapes, then the general escape
# of string values applied on top, so a backslash ends up as four.
function(vigilo_exec_argument out path)
    set(arg "${path}")
    if(arg MATCHES "[ \t\"'\\\\><~|&;$*?#()`]")
        string(REPLACE "\\" "\\\\" arg "${arg}")
        string(REPLACE "\"" "\\\"" arg "${arg}")
        string(REPLACE "`" "\\`" arg "${arg}")
        string(REPLACE "$" "\\$" arg "${arg}")
        set(arg "\"${arg}\"")
    endif()
    string(REPLACE "%" "%%" arg "${arg}")
    string(REPLACE "\\" "\\\\" arg "${arg}")
    set(${out} "${arg}" PARENT_SCOPE)
endfunction()

set(_program "${CMAKE_INSTALL_PREFIX}/vigilo")
vigilo_exec_argument(VIGILO_DESKTOP_EXEC "${_program}")
string(REPLACE "\\" "\\\\" VIGILO_DESKTOP_TRYEXEC "${_program}")
configure_file("${VIGILO_SOURCE_DIR}/resources/vigilo.desktop.in"
               "${VIGILO_STAGE_DIR}/${VIGILO_APP_ID}.desktop" @ONLY)
configure_file("${VIGILO_SOURCE_DIR}/resources/vigilo.metainfo.xml.in"
               "${VIGILO_STAGE_DIR}/${VIGILO_APP_ID}.metainfo.xml" @ONLY)

file(INSTALL DESTINATION "${VIGILO_DATA_HOME}/applications" TYPE FILE
     FILES "${VIGILO_STAGE_DIR}/${VIGILO_APP_ID}.desktop")
file(INSTALL DESTINATION "${VIGILO_DATA_HOME}/metainfo" TYPE FILE
     FILES "${VIGILO_STAGE_DIR}/${VIGILO_APP_ID}.metainfo.xml")
set(_icons "${VIGILO_SOURCE_DIR}/resources/icons")
foreach(size IN LISTS VIGILO_ICON_SIZES)
    file(INSTALL DESTINATION "${VIGILO_HICOLOR}/${size}x${size}/apps" TYPE FILE
         FILES "${_icons}/vigilo-${size}.png" RENAME "${VIGILO_APP_ID}.png")
endforeach()
file(INSTALL DESTINATION "${VIGILO_HICOLOR}/scalable/apps" TYPE FILE
     FILES "${_icons}/vigilo.svg" RENAME "${VIGILO_APP_ID}.svg")

# Caches are refreshed only where they already exist: a new icon cache would
# hide icons that other programs later add without refreshing it.
if("$ENV{DESTDIR}" STREQUAL "")
    find_program(_icon_cache_tool gtk-update-icon-cache)
    if(_icon_cache_tool AND EXISTS "${VIGILO_HICOLOR}/icon-theme.cache")
        execute_process(COMMAND "${_icon_cache_tool}" --quiet --force --ignore-theme-index
                                "${VIGILO_HICOLOR}" RESULT_VARIABLE _ignored)
    endif()
    find_program(_desktop_db_tool update-desktop-database)
    if(_desktop_db_tool AND EXISTS "${VIGILO_DATA_HOME}/applications/mimeinfo.cache")
        execute_process(COMMAND "${_desktop_db_tool}" --quiet "${VIGILO_DATA_HOME}/applications"
                        RESULT_VARIABLE _ignored)
    endif()
    # Icon themes look again when the theme's folder changes.
    file(TOUCH_NOCREATE "${VIGILO_HICOLOR}")
endif()

# Every file any install rule copied, as the final paths (without DESTDIR).
set(_files "${VIGILO_EARLIER_FILES}")
foreach(file IN LISTS CMAKE_INSTALL_MANIFEST_FILES)
    string(LENGTH "$ENV{DESTDIR}" _staged)
    string(SUBSTRING "${file}" ${_staged} -1 file)
    cmake_path(SET file NORMALIZE "${file}")
    list(APPEND _files "${file}")
endforeach()
list(REMOVE_DUPLICATES _files)
set(_manifest "# Written by Vigilo's install. scripts/uninstall.sh removes the files,\n")
string(APPEND _manifest "# then the folders if they are empty.\n")
string(APPEND _manifest "data ${VIGILO_DATA_HOME}\n")
foreach(file IN LISTS _files)
    string(APPEND _manifest "file ${file}\n")
endforeach()
foreach(dir IN LISTS VIGILO_NEW_DIRS)
    string(APPEND _manifest "dir ${dir}\n")
endforeach()
file(WRITE "$ENV{DESTDIR}${VIGILO_MANIFEST}" "${_manifest}")
message(STATUS "Manifest: $ENV{DESTDIR}${VIGILO_MANIFEST}")
