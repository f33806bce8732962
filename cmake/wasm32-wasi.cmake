# The browser build: clang 16 and its WebAssembly C++ library as Debian packages them
# (clang-16, lld-16, libc++-16-dev-wasm32, libc++abi-16-dev-wasm32, libclang-rt-16-dev-wasm32,
# wasi-libc). The module it links has no start function and imports nothing: the C library's
# heap is all of the system it uses.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(QUORLIN_WEB ON)
set(triple wasm32-wasi)
set(CMAKE_C_COMPILER clang-16)
set(CMAKE_CXX_COMPILER clang++-16)
set(CMAKE_C_COMPILER_TARGET ${triple})
set(CMAKE_CXX_COMPILER_TARGET ${triple})
# The C++ headers of the WebAssembly library are not on the driver's own path.
set(CMAKE_CXX_FLAGS_INIT "-isystem /usr/include/wasm32-wasi/c++/v1 -fno-exceptions -fno-rtti")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-nostartfiles -Wl,--no-entry -Wl,--strip-all -Wl,--gc-sections")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
# Compiler checks link a program with a start function; a static library needs none.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
