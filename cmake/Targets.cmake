# One library per src/ folder and one GoogleTest program per tests/ folder.

# The heavy standard headers that nearly every translation unit pulls in.
set(MORVANE_PCH_HEADERS <string> <vector> <map> <memory> <functional> <algorithm> <stdexcept> <cstdint>)

# morvane_library(<target> DEPS <libs...> [PUBLIC_DEPS <libs...>])
# Sources are the .cpp files of the calling folder.
function(morvane_library target)
    cmake_parse_arguments(ARG "" "" "DEPS;PUBLIC_DEPS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${target} PUBLIC ${ARG_PUBLIC_DEPS} PRIVATE ${ARG_DEPS})
    target_precompile_headers(${target} PRIVATE ${MORVANE_PCH_HEADERS})
endfunction()

# How many processes share a test program's tests in the sanitizer build.
set(MORVANE_SANITIZE_SHARDS 4)

# morvane_test(<target> LIBS <libs...>)
# Sources are the .cpp files of the calling folder; the folder provides its own main()
# when it holds main.cpp, else GoogleTest's is used.
function(morvane_test target)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    add_executable(${target} ${sources})
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gmock)
    if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
        target_link_libraries(${target} PRIVATE GTest::gtest_main)
    endif()
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_compile_definitions(${target} PRIVATE MORVANE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    target_precompile_headers(${target} PRIVATE ${MORVANE_PCH_HEADERS} <gtest/gtest.h>)
    # DISABLED_ tests are helpers that other tests start in a process of their own.
    if(MORVANE_SANITIZE)
        # A sanitized process takes a third of a second to start and to check its leaks at exit,
        # which one process per test would pay some two thousand times: the sanitizer run gives
        # each program a few processes that share its tests out.
        foreach(shard RANGE 1 ${MORVANE_SANITIZE_SHARDS})
            math(EXPR index "${shard} - 1")
            add_test(NAME ${target}/${shard} COMMAND ${target} --gtest_filter=-*.DISABLED_*)
            set_tests_properties(${target}/${shard} PROPERTIES ENVIRONMENT
                "GTEST_TOTAL_SHARDS=${MORVANE_SANITIZE_SHARDS};GTEST_SHARD_INDEX=${index}")
        endforeach()
    else()
        gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 TEST_FILTER "-*.DISABLED_*")
    endif()
endfunction()
