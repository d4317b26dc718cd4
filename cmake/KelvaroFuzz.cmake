# libFuzzer targets: each fuzz/NAME.cpp defines LLVMFuzzerTestOneInput over one reader of
# outside input. Configure with clang and -DKELVARO_FUZZ=ON.
file(GLOB KELVARO_FUZZ_SOURCES CONFIGURE_DEPENDS fuzz/*.cpp)
foreach(fuzz_source ${KELVARO_FUZZ_SOURCES})
    get_filename_component(fuzz_name ${fuzz_source} NAME_WE)
    add_executable(fuzz_${fuzz_name} ${fuzz_source})
    target_compile_options(fuzz_${fuzz_name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(fuzz_${fuzz_name} PRIVATE -fsanitize=fuzzer,address,undefined)
    # The report's readers live in the report tool's library, which comes before what it uses.
    if(fuzz_name MATCHES "^report_")
        target_link_libraries(fuzz_${fuzz_name} PRIVATE tool_kelvaro-report)
    endif()
    target_link_libraries(fuzz_${fuzz_name} PRIVATE kelvaro_app kelvaro_platform_sim)
    kelvaro_warnings(fuzz_${fuzz_name})
endforeach()
