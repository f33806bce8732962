# One test program per suite. Natively each case is its own ctest entry; cross-built programs
# run whole under the emulator, since listing cases there costs a Wine start per program.
function(quorlin_add_suite name)
    cmake_parse_arguments(SUITE "" "" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${name} ${SUITE_SOURCES})
    quorlin_warnings(${name})
    target_link_libraries(${name} PRIVATE ${SUITE_LIBRARIES} GTest::gtest_main)
    if(CMAKE_CROSSCOMPILING)
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77)
    else()
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
    endif()
endfunction()
