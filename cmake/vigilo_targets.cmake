# How the project's own targets are made: sources listed by hand, so a file
# joins the build only when it is named here.

# A static library of src/; its users include its headers as "folder/file.h".
function(vigilo_add_library name)
  qt_add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src
                                            ${PROJECT_BINARY_DIR}/generated)
endfunction()

# One test program per source named in TESTS (without .cpp) in the tests'
# folder `dir`, which mirrors the folder of the code it tests. Each links the
# test support and the libraries given in LIBS.
function(vigilo_add_tests dir)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "TESTS;LIBS")
  string(REPLACE "/" "_" prefix ${dir})
  foreach(test ${arg_TESTS})
    set(target ${prefix}_${test})
    qt_add_executable(${target} ${dir}/${test}.cpp)
    target_link_libraries(${target} PRIVATE vigilo_test_support ${arg_LIBS})
    add_test(NAME ${target} COMMAND ${target})
    # The bound is the test program's own, in seconds; ctest's --timeout
    # applies only to tests without one.
    set_tests_properties(${target} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VIGILO_BIN_DIR=${CMAKE_BINARY_DIR}/bin"
      TIMEOUT ${VIGILO_TEST_TIMEOUT})
  endforeach()
endfunction()
