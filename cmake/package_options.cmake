# Read by cpack as it makes the package (CPACK_PROJECT_CONFIG_FILE).
include("${CMAKE_CURRENT_LIST_DIR}/package_maintainer.cmake")
if(NOT CPACK_DEBIAN_PACKAGE_MAINTAINER)
  vigilo_package_maintainer(CPACK_DEBIAN_PACKAGE_MAINTAINER)
endif()
