# One ctest test per GoogleTest suite of a test program, so that a suite's tests share one process
# (a program's start, and under the sanitizers its leak check at exit, is paid once per suite
# rather than once per test) while a failure still names its suite. Run after each link of the
# program (cmake -P), it lists the suites and writes the tests into a file that ctest includes.
#   -D PROGRAM=<test program> -D PREFIX=<name prefix> -D OUT=<file to write>
#   -D TEST_ENV=<NAME=value;...>   environment of the listing and of each test
# A suite in which a test skips is reported as skipped, so a skip shows in ctest's summary; a test
# that may skip belongs in a suite of its own.
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env ${TEST_ENV} ${PROGRAM} --gtest_list_tests
  OUTPUT_VARIABLE listing
  ERROR_VARIABLE errors
  RESULT_VARIABLE status
  TIMEOUT 120)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --gtest_list_tests failed (${status}):\n${listing}${errors}")
endif()

string(REPLACE "\n" ";" lines "${listing}")
set(script "")
foreach(line IN LISTS lines)
  # Suite lines start in the first column and end in "." (a typed or parameterised suite adds a
  # comment after it); the test lines below them are indented.
  if(line MATCHES "^([^ #][^ ]*)\\.")
    set(name "${PREFIX}${CMAKE_MATCH_1}")
    string(APPEND script
      "add_test([==[${name}]==] [==[${PROGRAM}]==] [==[--gtest_filter=${CMAKE_MATCH_1}.*]==])\n"
      "set_tests_properties([==[${name}]==] PROPERTIES ENVIRONMENT [==[${TEST_ENV}]==]\n"
      "  SKIP_REGULAR_EXPRESSION [==[\\[  SKIPPED \\]]==])\n")
  endif()
endforeach()
file(WRITE ${OUT} "${script}")
