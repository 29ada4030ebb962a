# Run by ctest as it reads the tests: one test for each suite of a Google Test executable, the
# suite's tests in one process. Variables: TESSIV_TEST_EXECUTABLE, TESSIV_SUITE_CACHE,
# TESSIV_SUITE_ENVIRONMENT.
if(NOT EXISTS "${TESSIV_TEST_EXECUTABLE}")
  get_filename_component(name "${TESSIV_TEST_EXECUTABLE}" NAME)
  add_test("${name}_NOT_BUILT" "${TESSIV_TEST_EXECUTABLE}")
  return()
endif()

# The list is asked of the executable only when it changed: an instrumented start is not free.
if(NOT EXISTS "${TESSIV_SUITE_CACHE}" OR "${TESSIV_TEST_EXECUTABLE}" IS_NEWER_THAN "${TESSIV_SUITE_CACHE}")
  execute_process(COMMAND "${TESSIV_TEST_EXECUTABLE}" --gtest_list_tests
                  OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${TESSIV_TEST_EXECUTABLE} --gtest_list_tests failed (${result}):\n${errors}")
  endif()
  set(suites "")
  string(REPLACE "\n" ";" lines "${listing}")
  foreach(line IN LISTS lines)
    # A suite's line is its name and a dot, perhaps with its type parameter after a '#'.
    if(line MATCHES "^([A-Za-z0-9_/]+)\\.( +#.*)?$")
      list(APPEND suites "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  file(WRITE "${TESSIV_SUITE_CACHE}" "${suites}")
endif()

file(READ "${TESSIV_SUITE_CACHE}" suites)
foreach(suite IN LISTS suites)
  add_test("${suite}" "${TESSIV_TEST_EXECUTABLE}" "--gtest_filter=${suite}.*")
  set_tests_properties("${suite}" PROPERTIES ENVIRONMENT "${TESSIV_SUITE_ENVIRONMENT}")
endforeach()
