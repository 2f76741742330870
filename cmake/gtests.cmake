# brintova_add_gtests(target [gtest_discover_tests options]): registers a GoogleTest executable
# with ctest. Natively every case becomes a ctest test of its own. Under wine the executable is
# one ctest test: each start of a wine process costs a few tenths of a second, which the
# hundreds of cases would pay one by one; --output-on-failure still names the failing cases.
# PROPERTIES and LABELS apply in both forms.
function(brintova_add_gtests target)
  if(NOT CMAKE_CROSSCOMPILING)
    gtest_discover_tests(${target} ${ARGN})
    return()
  endif()
  cmake_parse_arguments(arg "" "DISCOVERY_TIMEOUT;DISCOVERY_MODE;TEST_PREFIX;TEST_SUFFIX"
    "PROPERTIES;EXTRA_ARGS;TEST_LIST" ${ARGN})
  add_test(NAME ${target} COMMAND ${target} --gtest_brief=1 ${arg_EXTRA_ARGS})
  if(arg_PROPERTIES)
    set_tests_properties(${target} PROPERTIES ${arg_PROPERTIES})
  endif()
endfunction()
