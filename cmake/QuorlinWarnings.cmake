# Our own code builds warning-free; third-party code keeps its own settings. Beyond -Wall and
# -Wextra, the warnings that catch real faults in code like ours: a name that hides another
# (-Wshadow), a class deleted through a base without a virtual destructor, an override that
# hides the base's other overloads, and a case that falls into the next. GCC and clang get the
# same list.
set(QUORLIN_WARNINGS -Wall -Wextra -Werror -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
                     -Wimplicit-fallthrough)
function(quorlin_warnings target)
    target_compile_options(${target} PRIVATE ${QUORLIN_WARNINGS})
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        # GCC 12 reports false -Wrestrict overlaps inside std::string concatenation at -O3.
        target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
endfunction()
