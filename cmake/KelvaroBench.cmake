# bench/turn_costs.cpp is a plain program, so that it builds for the device too; every
# other bench/NAME.cpp is a Google Benchmark program, built where the library is found.
add_executable(bench_turn_costs bench/turn_costs.cpp)
target_link_libraries(bench_turn_costs PRIVATE kelvaro_sim)
target_compile_definitions(bench_turn_costs PRIVATE KELVARO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
kelvaro_warnings(bench_turn_costs)
# The static device build counts heap allocations by wrapping every reference to the C
# library's allocator; the host build replaces it instead.
if(CMAKE_CROSSCOMPILING)
    target_compile_definitions(bench_turn_costs PRIVATE KELVARO_WRAPPED_MALLOC=1)
    target_link_options(bench_turn_costs PRIVATE
        -Wl,--wrap=malloc -Wl,--wrap=calloc -Wl,--wrap=realloc)
endif()

find_package(benchmark QUIET)
if(benchmark_FOUND)
    file(GLOB KELVARO_BENCH_SOURCES CONFIGURE_DEPENDS bench/*.cpp)
    list(REMOVE_ITEM KELVARO_BENCH_SOURCES ${CMAKE_SOURCE_DIR}/bench/turn_costs.cpp)
    foreach(bench_source ${KELVARO_BENCH_SOURCES})
        get_filename_component(bench_name ${bench_source} NAME_WE)
        add_executable(bench_${bench_name} ${bench_source})
        target_link_libraries(bench_${bench_name} PRIVATE kelvaro_sim benchmark::benchmark)
        target_compile_definitions(bench_${bench_name} PRIVATE
            KELVARO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
        kelvaro_warnings(bench_${bench_name})
    endforeach()
else()
    message(STATUS "Google Benchmark not found: only bench_turn_costs is built")
endif()
