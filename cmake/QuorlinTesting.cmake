# How the test programs are built and registered, and where googletest comes from.

# Cross builds compile googletest from the distribution's source; native builds use its package.
set(QUORLIN_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH
    "googletest sources, compiled for cross builds")

macro(quorlin_use_googletest)
    if(WIN32)
        set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
        set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
        add_subdirectory("${QUORLIN_GOOGLETEST_SOURCE}" "${CMAKE_BINARY_DIR}/googletest"
                         EXCLUDE_FROM_ALL)
        # Optimised, the framework's one large source took a minute of the cross builds; its
        # own speed does not matter to the suites.
        target_compile_options(gtest PRIVATE -O0)
        target_compile_options(gtest_main PRIVATE -O0)
    else()
        find_package(GTest REQUIRED)
        include(GoogleTest)
    endif()
endmacro()

# One test program per suite. Natively each case is its own ctest entry; cross-built programs
# run whole under the emulator, since listing cases there costs a Wine start per program.
function(quorlin_add_suite name)
    cmake_parse_arguments(SUITE "" "" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${name} ${SUITE_SOURCES})
    # Tests see the whole tree, the platform stand-ins and testing/ among it.
    target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}")
    quorlin_warnings(${name})
    # A suite's own code is not optimised: what it tests is built as the preset says, and the
    # optimiser spent most of the optimised builds on the suites' many small cases.
    target_compile_options(${name} PRIVATE -O0)
    target_link_libraries(${name} PRIVATE ${SUITE_LIBRARIES} GTest::gtest_main)
    if(CMAKE_CROSSCOMPILING)
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77)
    else()
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
    endif()
endfunction()

# A test program that loads the built library by file, as a host does. Windows finds it beside
# the program; natively the program is given its full path.
function(quorlin_uses_built_library name)
    add_dependencies(${name} quorlin)
    if(WIN32)
        set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}")
        target_compile_definitions(${name} PRIVATE QUORLIN_LIBRARY_FILE="quorlin.dll")
    else()
        target_compile_definitions(${name} PRIVATE QUORLIN_LIBRARY_FILE="$<TARGET_FILE:quorlin>")
    endif()
endfunction()

# A test that stands for a check whose tool is missing here: it fails, and says what to install.
function(quorlin_missing_test name what)
    add_test(NAME ${name} COMMAND sh -c "echo 'missing: ${what}'; exit 1")
endfunction()
