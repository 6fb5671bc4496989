# cmake -DPROGRAM=... -DWORKING_DIR=... -DLABELS=... -DSLOW=a,b -DOUT=... -P QrDiscoverSuites.cmake
# Lists a GoogleTest program's suites and writes one CTest test per suite: the program run with
# --gtest_filter=Suite.*. Suites whose name starts with DISABLED_ are left out, as GoogleTest does.
# A suite named in SLOW becomes three tests Suite/0..2, GoogleTest's shards of it, started first;
# one named Suite:N becomes N of them.
cmake_policy(VERSION 3.25)
execute_process(COMMAND ${PROGRAM} --gtest_list_tests
                WORKING_DIRECTORY ${WORKING_DIR}
                TIMEOUT 60
                OUTPUT_VARIABLE output
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} --gtest_list_tests failed (${result}):\n${output}")
endif()

# A value printed after '#' may hold a semicolon: keep it inside its line.
string(REPLACE ";" "\\;" output "${output}")
string(REPLACE "\n" ";" lines "${output}")
set(script "")
set(count 0)
string(REPLACE "," ";" slowEntries "${SLOW}")
set(slow "")
foreach(entry IN LISTS slowEntries)
    set(shards 3)
    if(entry MATCHES "^(.+):([1-9][0-9]*)$")
        set(entry ${CMAKE_MATCH_1})
        set(shards ${CMAKE_MATCH_2})
    endif()
    list(APPEND slow ${entry})
    set("shards_${entry}" ${shards})
endforeach()
foreach(line IN LISTS lines)
    # Suite lines start in the first column and end with '.', perhaps followed by a comment.
    if(NOT line MATCHES "^([A-Za-z_][A-Za-z0-9_/]*)\\.( .*)?$")
        continue()
    endif()
    set(suite ${CMAKE_MATCH_1})
    if(suite MATCHES "(^|/)DISABLED_")
        continue()
    endif()
    set(names ${suite})
    if(suite IN_LIST slow)
        set(names "")
        set(kShards ${shards_${suite}})
        foreach(shard RANGE 1 ${kShards})
            math(EXPR index "${shard} - 1")
            list(APPEND names ${suite}/${index})
        endforeach()
    endif()
    foreach(test IN LISTS names)
        string(APPEND script "add_test([==[${test}]==] [==[${PROGRAM}]==] [==[--gtest_filter=${suite}.*]==])\n"
                             "set_tests_properties([==[${test}]==] PROPERTIES WORKING_DIRECTORY [==[${WORKING_DIR}]==]")
        if(NOT "${LABELS}" STREQUAL "")
            string(APPEND script " LABELS [==[${LABELS}]==]")
        endif()
        if(NOT test STREQUAL suite)
            string(REGEX MATCH "[0-9]+$" index "${test}")
            string(APPEND script " COST 1000 ENVIRONMENT [==[GTEST_TOTAL_SHARDS=${kShards};GTEST_SHARD_INDEX=${index}]==]")
        endif()
        string(APPEND script ")\n")
    endforeach()
    math(EXPR count "${count} + 1")
endforeach()
if(count EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} lists no test suite:\n${output}")
endif()
file(WRITE ${OUT} "${script}")
