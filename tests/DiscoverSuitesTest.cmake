# cmake -DDISCOVER=.../QrDiscoverSuites.cmake -DWORK=DIR -P DiscoverSuitesTest.cmake
# The tests the suite discovery writes for a program's listing: a slow suite gets no more shards
# than it has cases that run (an empty shard counts as a passed test), and a slow suite the
# program does not list stops the build.
cmake_policy(VERSION 3.25)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
# A program that lists as a GoogleTest program does.
file(WRITE ${WORK}/list.sh "#!/bin/sh\ncat <<'EOF'\n"
                           "Single.\n  OnlyCase\n"
                           "Pair.\n  One\n  Two\n"
                           "Five.\n  A\n  B\n  C\n  D\n  E\n"
                           "Roads/Param.\n  Run/0  # GetParam() = 0\n  Run/1  # GetParam() = 1\n"
                           "WithDisabled.\n  Kept\n  DISABLED_Skipped\n"
                           "Plain.\n  A\n  B\n"
                           "EOF\n")
file(CHMOD ${WORK}/list.sh PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

function(discover slow result)
    execute_process(COMMAND ${CMAKE_COMMAND} -DPROGRAM=${WORK}/list.sh -DWORKING_DIR=${WORK} -DLABELS=
                            -DSLOW=${slow} -DOUT=${WORK}/suites.cmake -P ${DISCOVER}
                    RESULT_VARIABLE code
                    OUTPUT_QUIET ERROR_QUIET)
    set(${result} ${code} PARENT_SCOPE)
endfunction()

# Each written test as NAME=SHARDS (0 for a suite run whole), in order; every test the
# discovery adds gets its properties set.
function(add_test)
endfunction()
function(set_tests_properties name)
    set(shards 0)
    if("${ARGN}" MATCHES "GTEST_TOTAL_SHARDS=([0-9]+)")
        set(shards ${CMAKE_MATCH_1})
    endif()
    set_property(GLOBAL APPEND PROPERTY SHARDS "${name}=${shards}")
endfunction()

discover("Single,Pair,Five,Roads/Param:8,WithDisabled" code)
if(NOT code EQUAL 0)
    message(FATAL_ERROR "the discovery failed on a good listing (${code})")
endif()
include(${WORK}/suites.cmake)
get_property(shards GLOBAL PROPERTY SHARDS)
set(expected "Single/0=1" "Pair/0=2" "Pair/1=2" "Five/0=3" "Five/1=3" "Five/2=3" "Roads/Param/0=2" "Roads/Param/1=2"
             "WithDisabled/0=1" "Plain=0")
if(NOT shards STREQUAL expected)
    message(FATAL_ERROR "shards:\n  ${shards}\nexpected:\n  ${expected}")
endif()

discover("Pair,Renamed:4" code)
if(code EQUAL 0)
    message(FATAL_ERROR "a slow suite the program does not list was taken")
endif()
