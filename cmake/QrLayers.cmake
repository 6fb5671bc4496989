# One static library per folder, each with a layer number. A library may link only
# libraries of a lower layer; configuration fails on an upward link.

set(QR_CMAKE_DIR ${CMAKE_CURRENT_LIST_DIR})

# Writes a generated file only when its text changes: a new time stamp on a precompiled header's
# source would rebuild every file that uses it on each configure.
function(qr_write_if_changed path text)
    if(EXISTS ${path})
        file(READ ${path} old)
        if(old STREQUAL text)
            return()
        endif()
    endif()
    file(WRITE ${path} "${text}")
endfunction()

function(qr_set_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
                                             -ffp-contract=off)
    if(QR_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
    # In one unit of several files every file but the unit's own counts as a header, so a
    # class of a file's anonymous namespace would be reported wherever a test derives from it.
    if(CMAKE_UNITY_BUILD AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        target_compile_options(${target} PRIVATE -Wno-subobject-linkage)
    endif()
endfunction()

# qr_add_library(NAME LAYER n SOURCES ... DEPS ... [SYSTEM_DEPS ...] [FOLDERS ...])
# FOLDERS (relative to the current source folder, default ".") hold the library's files and
# are its include directories; the include check reads them from the layer table.
function(qr_add_library name)
    cmake_parse_arguments(A "" "LAYER" "SOURCES;DEPS;SYSTEM_DEPS;FOLDERS" ${ARGN})
    if(NOT DEFINED A_LAYER)
        message(FATAL_ERROR "qr_add_library(${name}): LAYER is required")
    endif()
    foreach(dep IN LISTS A_DEPS)
        get_property(depLayer GLOBAL PROPERTY QR_LAYER_${dep})
        if("${depLayer}" STREQUAL "")
            message(FATAL_ERROR "${name} links ${dep}, which is not a layered library (or is defined later)")
        endif()
        if(NOT depLayer LESS A_LAYER)
            message(FATAL_ERROR "Layering: ${name} (layer ${A_LAYER}) may not link ${dep} (layer ${depLayer})")
        endif()
    endforeach()
    if(NOT A_FOLDERS)
        set(A_FOLDERS .)
    endif()
    set(dirs)
    foreach(folder IN LISTS A_FOLDERS)
        cmake_path(ABSOLUTE_PATH folder BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} NORMALIZE OUTPUT_VARIABLE dir)
        string(REGEX REPLACE "/$" "" dir "${dir}")
        list(APPEND dirs ${dir})
    endforeach()
    set_property(GLOBAL PROPERTY QR_LAYER_${name} ${A_LAYER})
    string(REPLACE ";" "," dirList "${dirs}")
    set_property(GLOBAL APPEND PROPERTY QR_LAYER_TABLE "${name} ${A_LAYER} ${dirList}")
    add_library(${name} STATIC ${A_SOURCES})
    target_include_directories(${name} PUBLIC ${dirs})
    target_link_libraries(${name} PUBLIC ${A_DEPS} ${A_SYSTEM_DEPS})
    qr_set_warnings(${name})
    # One precompiled set of the standard headers most files include, for every library:
    # parsing them was about half of a library file's compile time. Not under a compiler cache:
    # the compiler writes a different precompiled header each time, which would make every
    # library file of a new build folder a cache miss.
    if(NOT CMAKE_CXX_COMPILER_LAUNCHER)
        if(NOT TARGET qr_lib_pch)
            qr_write_if_changed(${CMAKE_BINARY_DIR}/qr_lib_pch.cpp "")
            add_library(qr_lib_pch OBJECT ${CMAKE_BINARY_DIR}/qr_lib_pch.cpp)
            qr_set_warnings(qr_lib_pch)
            target_precompile_headers(qr_lib_pch PRIVATE <algorithm> <array> <cmath> <cstdint> <cstdio> <cstring>
                                      <functional> <map> <memory> <mutex> <optional> <string>
                                      <string_view> <unordered_map> <vector>)
        endif()
        target_precompile_headers(${name} REUSE_FROM qr_lib_pch)
    endif()
endfunction()

# qr_add_test_program(NAME SOURCES ... DEPS ... [LABELS ...] [SLOW_SUITES ...])
# A slow suite (a minute or more) runs as three shards that CTest starts first, so that on a
# machine of two cores it does not end a run alone; Suite:N runs it as N.
function(qr_add_test_program name)
    cmake_parse_arguments(A "" "" "SOURCES;DEPS;LABELS;SLOW_SUITES" ${ARGN})
    # The ThreadSanitizer build carries only the threaded parts' tests.
    if(QR_TSAN AND NOT "tsan" IN_LIST A_LABELS)
        return()
    endif()
    add_executable(${name} ${A_SOURCES})
    # A test file is compiled alone, as a Release build compiles it, so a file that leans on a
    # name another file would bring in fails here.
    set_target_properties(${name} PROPERTIES UNITY_BUILD OFF)
    # One precompiled GoogleTest and standard-library header for every test program: most of
    # a test file's compile time is spent there.
    if(NOT TARGET qr_test_pch)
        qr_write_if_changed(${CMAKE_BINARY_DIR}/qr_test_pch.cpp "")
        add_library(qr_test_pch OBJECT ${CMAKE_BINARY_DIR}/qr_test_pch.cpp)
        target_link_libraries(qr_test_pch PRIVATE GTest::gtest)
        qr_set_warnings(qr_test_pch)
        target_precompile_headers(qr_test_pch PRIVATE <gtest/gtest.h> <algorithm> <cmath> <cstdint> <cstring>
                                  <functional> <memory> <string> <vector>)
        # In the checking builds the test files themselves are not optimized: a sixth off their
        # compile time, and the tests spend their time in the libraries, which still are.
        if(QR_SANITIZE OR QR_TSAN)
            target_compile_options(qr_test_pch PRIVATE -O0)
        endif()
    endif()
    target_precompile_headers(${name} REUSE_FROM qr_test_pch)
    if(QR_SANITIZE OR QR_TSAN)
        target_compile_options(${name} PRIVATE -O0)
    endif()
    if("tsan" IN_LIST A_LABELS)
        set_property(GLOBAL APPEND PROPERTY QR_TSAN_TEST_PROGRAMS ${name})
    endif()
    target_link_libraries(${name} PRIVATE ${A_DEPS} GTest::gtest GTest::gtest_main)
    qr_set_warnings(${name})
    qr_add_suite_tests(${name} "${A_LABELS}" "${A_SLOW_SUITES}")
endfunction()

# One CTest test per GoogleTest suite of the program, found after each build of it: a sanitizer
# program takes about a tenth of a second to start, which a test per case paid two thousand
# times. `ctest -R Suite` runs a suite; `PROGRAM --gtest_filter=Suite.Case` one case.
function(qr_add_suite_tests name labels slowSuites)
    set(base ${CMAKE_CURRENT_BINARY_DIR}/${name})
    string(REPLACE ";" "," slowSuites "${slowSuites}")
    add_custom_command(TARGET ${name} POST_BUILD
                       BYPRODUCTS ${base}_suites.cmake
                       COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${name}> -DWORKING_DIR=${CMAKE_BINARY_DIR}
                               -DLABELS=${labels} -DSLOW=${slowSuites} -DOUT=${base}_suites.cmake
                               -P ${QR_CMAKE_DIR}/QrDiscoverSuites.cmake
                       VERBATIM)
    file(WRITE ${base}_include.cmake "if(EXISTS \"${base}_suites.cmake\")\n"
                                     "  include(\"${base}_suites.cmake\")\n"
                                     "else()\n"
                                     "  add_test(${name}_NOT_BUILT ${name}_NOT_BUILT)\n"
                                     "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${base}_include.cmake)
endfunction()

# Writes the layer table (one "name layer folder,folder" line per library) and adds the test
# that scans every library's #include lines for an include of a higher or sibling layer.
function(qr_add_include_check)
    get_property(table GLOBAL PROPERTY QR_LAYER_TABLE)
    list(JOIN table "\n" text)
    file(WRITE ${CMAKE_BINARY_DIR}/QrLayerTable.txt "${text}\n")
    add_test(NAME include_layers
             COMMAND ${CMAKE_COMMAND} -DTABLE=${CMAKE_BINARY_DIR}/QrLayerTable.txt
                     -P ${CMAKE_SOURCE_DIR}/cmake/QrCheckIncludes.cmake)
endfunction()

# qr_add_long_test(NAME PROGRAM FILTER): runs the program's tests that match the GoogleTest
# filter with QR_TEST_LONG=1, under the "long" label (`ctest -L long`); scripts/test skips it.
function(qr_add_long_test name program filter)
    if(NOT TARGET ${program})
        return()
    endif()
    add_test(NAME ${name} COMMAND ${program} --gtest_filter=${filter} WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    set_tests_properties(${name} PROPERTIES LABELS long ENVIRONMENT QR_TEST_LONG=1)
endfunction()
