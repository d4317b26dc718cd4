# One test program per module folder (tests/app -> test_app, ...), sharing tests/support.
if(CMAKE_CROSSCOMPILING)
    # No armel GoogleTest package exists; build Debian's sources with the cross compiler.
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    set(KELVARO_GTEST_LIBS GTest::gtest GTest::gtest_main GTest::gmock)
else()
    find_package(GTest REQUIRED)
    set(KELVARO_GTEST_LIBS GTest::gtest GTest::gtest_main GTest::gmock)
endif()
include(GoogleTest)

file(GLOB KELVARO_TEST_SUPPORT CONFIGURE_DEPENDS tests/support/*.cpp)
add_library(kelvaro_test_support STATIC ${KELVARO_TEST_SUPPORT})
target_link_libraries(kelvaro_test_support PUBLIC kelvaro_sim ${KELVARO_GTEST_LIBS})
target_include_directories(kelvaro_test_support PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_definitions(kelvaro_test_support PUBLIC
    KELVARO_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    KELVARO_SHARED_DIR="${CMAKE_SOURCE_DIR}/../shared")
kelvaro_warnings(kelvaro_test_support)

foreach(module app position display recording navlink sim tools packaging)
    file(GLOB module_tests CONFIGURE_DEPENDS tests/${module}/*.cpp)
    if(module_tests)
        add_executable(test_${module} ${module_tests})
        target_link_libraries(test_${module} PRIVATE kelvaro_test_support)
        if(module STREQUAL "tools")
            foreach(tool_lib ${KELVARO_TOOL_LIBS})
                if(TARGET ${tool_lib})
                    target_link_libraries(test_tools PRIVATE ${tool_lib})
                endif()
            endforeach()
        endif()
        kelvaro_warnings(test_${module})
        gtest_discover_tests(test_${module}
            DISCOVERY_MODE PRE_TEST
            DISCOVERY_TIMEOUT 120
            PROPERTIES ENVIRONMENT "TZ=UTC")
    endif()
endforeach()

# The window test runs the simulator's own program under a virtual X server.
if(TARGET test_sim)
    target_compile_definitions(test_sim PRIVATE KELVARO_SIM_PROGRAM="$<TARGET_FILE:kelvaro-sim>")
    add_dependencies(test_sim kelvaro-sim)
endif()
