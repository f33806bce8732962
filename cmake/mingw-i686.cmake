# Cross build of the 32-bit Windows library and its tests.
set(QUORLIN_MINGW_PROCESSOR i686)
set(QUORLIN_WINE wine)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake")
