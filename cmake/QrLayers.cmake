# One static library per folder, each with a layer number. A library may link only
# libraries of a lower layer; configuration fails on an upward link.

function(qr_set_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
                                             -ffp-contract=off)
    if(QR_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# qr_add_library(NAME LAYER n SOURCES ... DEPS ... [SYSTEM_DEPS ...])
function(qr_add_library name)
    cmake_parse_arguments(A "" "LAYER" "SOURCES;DEPS;SYSTEM_DEPS" ${ARGN})
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
    set_property(GLOBAL PROPERTY QR_LAYER_${name} ${A_LAYER})
    add_library(${name} STATIC ${A_SOURCES})
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${A_DEPS} ${A_SYSTEM_DEPS})
    qr_set_warnings(${name})
endfunction()

# qr_add_test_program(NAME SOURCES ... DEPS ... [LABELS ...])
function(qr_add_test_program name)
    cmake_parse_arguments(A "" "" "SOURCES;DEPS;LABELS" ${ARGN})
    add_executable(${name} ${A_SOURCES})
    target_link_libraries(${name} PRIVATE ${A_DEPS} GTest::gtest GTest::gtest_main)
    qr_set_warnings(${name})
    # One variable per property: a list value would split on its way into the discovered
    # tests and shift every property after it (LABELS was lost that way).
    set(properties ENVIRONMENT "QR_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
                   ENVIRONMENT_MODIFICATION "QR_BINARY_DIR=set:${CMAKE_BINARY_DIR}")
    if(A_LABELS)
        list(APPEND properties LABELS "${A_LABELS}")
    endif()
    gtest_discover_tests(${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR} DISCOVERY_TIMEOUT 60
                         PROPERTIES ${properties})
endfunction()
