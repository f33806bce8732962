# The same Windows sources as a 64-bit build, run under 64-bit Wine on machines that cannot
# execute 32-bit programs. The product itself is the 32-bit build.
set(QUORLIN_MINGW_PROCESSOR x86_64)
set(QUORLIN_WINE wine64)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake")
