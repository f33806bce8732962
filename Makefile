# The two commands the README promises: `make demo` and `make test`. Both install what they
# need on a fresh Debian machine when run as root.

# `make test` runs two lanes side by side, each a comma-joined list of stages run in order:
# stages that share a build tree stay in one lane (memcheck and web after native, clang-tidy
# after clang), Wine runs in one lane only, and one lane's test runs and waits leave the cores to the
# other's builds. The lanes take about as long as each other (build/stages/ keeps the seconds).
LANE_NATIVE := native,web,clang,clang-tidy,memcheck,tsan
LANE_SANITIZED_AND_WINDOWS := sanitize,win32,win64,fuzz-smoke
# The native build alone: what `make demo` and `make install` need (the configure step also
# reads the unit-test and benchmark frameworks).
DEMO_PACKAGES := cmake ninja-build g++ libgtest-dev libbenchmark-dev
# Everything the test suites, the cross builds, the fuzzers and `make listen` add.
TEST_PACKAGES := g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 \
	wine wine32:i386 wine64 libxml2-utils libxml2-dev pngcheck python3-mido python3-pil \
	valgrind clang libclang-rt-14-dev fluidsynth timgm6mb-soundfont python3-numpy \
	pkg-config lv2-dev liblilv-dev lilv-utils sordi jackd2 jalv python3-jack-client \
	lv2-examples x42-plugins clang-format clang-tidy flake8 planetblupi-music-midi
# The web plug-in and its page: clang 16 with its WebAssembly C++ library (not emscripten),
# Node with npm for the SDK from the lockfile, and Chromium, whose headless run tests them.
WEB_PACKAGES := clang-16 lld-16 libc++-16-dev-wasm32 libc++abi-16-dev-wasm32 \
	libclang-rt-16-dev-wasm32 wasi-libc nodejs chromium
# Debian's nodejs comes without npm; a Node installed with npm inside needs no package for it.
WEB_NPM := $(shell command -v npm >/dev/null 2>&1 || echo npm)
# `make install` adds the LV2 headers, so the bundle goes in $(PREFIX)/lib/lv2 too.
INSTALL_PACKAGES := $(DEMO_PACKAGES) pkg-config lv2-dev
PACKAGES := $(DEMO_PACKAGES) $(TEST_PACKAGES) $(WEB_PACKAGES) $(WEB_NPM)
PREFIX ?= /usr/local

.PHONY: all test demo install web web-serve web-toolchain bench fuzz mutants memcheck listen format toolchain demo-toolchain install-toolchain native win32 \
	win64 sanitize clang clean

all: test

toolchain:
	@PACKAGES="$(PACKAGES)" sh cmake/install-toolchain.sh

demo-toolchain:
	@PACKAGES="$(DEMO_PACKAGES)" sh cmake/install-toolchain.sh

install-toolchain:
	@PACKAGES="$(INSTALL_PACKAGES)" sh cmake/install-toolchain.sh

test: toolchain
	@sh cmake/test-presets.sh $(LANE_NATIVE) $(LANE_SANITIZED_AND_WINDOWS)

demo: demo-toolchain
	@cmake --preset native >/dev/null && cmake --build --preset native --target quorlin quorlin-host
	@./build/native/quorlin-host demo --force

web-toolchain:
	@PACKAGES="$(DEMO_PACKAGES) $(WEB_PACKAGES) $(WEB_NPM)" sh cmake/install-toolchain.sh

# The web plug-in (build/web/quorlin/, a Web Audio Module) and its page, in build/web/.
web: web-toolchain
	@sh cmake/web-build.sh

# build/web/ on http://localhost:8000/, a secure context as Web MIDI requires.
web-serve: web
	@node web/tools/serve.js build/web 8000

# quorlin-host in $(PREFIX)/bin, the plug-in it loads in $(PREFIX)/lib/quorlin, the LV2 bundle
# in $(PREFIX)/lib/lv2. Only what is installed is built (the program brings the library and the
# platform stand-ins along), not the tests and benchmarks.
INSTALLED_TARGETS := quorlin-host quorlin quorlin_lv2
install: install-toolchain
	@cmake --preset native >/dev/null && cmake --build --preset native --target $(INSTALLED_TARGETS)
	@cmake --install build/native --prefix $(PREFIX)

# What one event costs, against the host's own cost, and the end-to-end rate.
bench: toolchain
	@sh bench/run-benchmarks.sh

# The demo phrase rendered with FluidSynth, as played and through Quorlin, into build/listen/.
listen: toolchain
	@cmake --preset native >/dev/null && cmake --build --preset native --target quorlin quorlin-host
	@sh tools/listen.sh build/native/quorlin-host build/listen

# Small faults made in the legato core and its adapters, one at a time, against the suites
# that cover them (tools/mutants.py); not part of `make test`, which it would make too long.
mutants: toolchain
	@. cmake/quorlin-python.sh && "$$(quorlin_python)" tools/mutants.py

# Each fuzzer for ten minutes (`make fuzz FUZZ_SECONDS=60` for less).
FUZZ_SECONDS ?= 600
fuzz: toolchain
	@sh fuzz/run-fuzzers.sh --seconds $(FUZZ_SECONDS)

# Every C++ file rewritten in the house format (.clang-format); the cpp_format test checks it.
format:
	@cmake -DSOURCE_DIR=$(CURDIR) -DFIX=ON -P cmake/Format.cmake

memcheck: toolchain
	@sh tests/reliability/run-memcheck.sh

native sanitize clang win32 win64: toolchain
	@sh cmake/test-presets.sh $@

clean:
	rm -rf build
