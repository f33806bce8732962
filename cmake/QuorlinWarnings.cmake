# Our own code builds warning-free; third-party code keeps its own settings.
function(quorlin_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        # GCC 12 reports false -Wrestrict overlaps inside std::string concatenation at -O3.
        target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
endfunction()
