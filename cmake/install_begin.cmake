# Runs at the start of `cmake --install`, before anything is copied: works out
# where the launcher, icons and metainfo go for this user, and notes the folders
# the install is about to create, so that the uninstall takes away exactly those.
# Expects VIGILO_APP_ID, VIGILO_ICON_SIZES and VIGILO_MANIFEST_NAME.

# The manifest has one path a line; CMake lists split at semicolons and nest
# at square brackets, and CMake's own copying takes a backslash for a folder
# separator.
function(vigilo_check_path what path)
    if(path MATCHES "[][;\\\n\r]")
        message(FATAL_ERROR "Vigilo cannot be installed with a ${what} holding a semicolon, "
                            "a square bracket, a backslash or a line break: ${path}")
    endif()
endfunction()

cmake_path(ABSOLUTE_PATH CMAKE_INSTALL_PREFIX NORMALIZE)
string(REGEX REPLACE "(.)/$" "\\1" CMAKE_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
vigilo_check_path("prefix" "${CMAKE_INSTALL_PREFIX}")

# The freedesktop rule: XDG_DATA_HOME when it is an absolute path, else
# ~/.local/share.
set(VIGILO_DATA_HOME "$ENV{XDG_DATA_HOME}")
if(NOT IS_ABSOLUTE "${VIGILO_DATA_HOME}")
    if("$ENV{HOME}" STREQUAL "")
        message(FATAL_ERROR "Neither XDG_DATA_HOME nor HOME is set: "
                            "there is no folder of the user's own for the launcher.")
    endif()
    set(VIGILO_DATA_HOME "$ENV{HOME}/.local/share")
endif()
cmake_path(SET VIGILO_DATA_HOME NORMALIZE "${VIGILO_DATA_HOME}")
string(REGEX REPLACE "(.)/$" "\\1" VIGILO_DATA_HOME "${VIGILO_DATA_HOME}")
vigilo_check_path("data folder" "${VIGILO_DATA_HOME}")

set(VIGILO_HICOLOR "${VIGILO_DATA_HOME}/icons/hicolor")
set(VIGILO_MANIFEST "${CMAKE_INSTALL_PREFIX}/${VIGILO_MANIFEST_NAME}")

set(_targets "${CMAKE_INSTALL_PREFIX}" "${VIGILO_DATA_HOME}/applications"
             "${VIGILO_DATA_HOME}/metainfo" "${VIGILO_HICOLOR}/scalable/apps")
foreach(size IN LISTS VIGILO_ICON_SIZES)
    list(APPEND _targets "${VIGILO_HICOLOR}/${size}x${size}/apps")
endforeach()

set(VIGILO_NEW_DIRS "")
set(VIGILO_EARLIER_FILES "")
# An install over an earlier one keeps what the earlier one added, so that one
# uninstall still clears both.
if(EXISTS "$ENV{DESTDIR}${VIGILO_MANIFEST}")
    file(STRINGS "$ENV{DESTDIR}${VIGILO_MANIFEST}" _lines)
    foreach(line IN LISTS _lines)
        # The match is read only after it happened: arguments of one if() are
        # expanded before any of its tests runs.
        if(line MATCHES "^(dir|file) (/.*)$")
            set(_path "${CMAKE_MATCH_2}")
            if(CMAKE_MATCH_1 STREQUAL "dir" AND IS_DIRECTORY "$ENV{DESTDIR}${_path}")
                list(APPEND VIGILO_NEW_DIRS "${_path}")
            elseif(CMAKE_MATCH_1 STREQUAL "file" AND EXISTS "$ENV{DESTDIR}${_path}")
                list(APPEND VIGILO_EARLIER_FILES "${_path}")
            endif()
        endif()
    endforeach()
endif()
foreach(dir IN LISTS _targets)
    while(NOT IS_DIRECTORY "$ENV{DESTDIR}${dir}")
        list(APPEND VIGILO_NEW_DIRS "${dir}")
        cmake_path(GET dir PARENT_PATH dir)
    endwhile()
endforeach()
list(REMOVE_DUPLICATES VIGILO_NEW_DIRS)
