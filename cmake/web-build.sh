#!/bin/sh
# Builds the web plug-in and its page into build/web/ (what `make web` runs): the Node packages
# from the lockfile, quorlin-host and the library natively (the skin comes from the library, as
# a host fetches it), the channel bank as WebAssembly (the web preset), then the folder, put
# together beside the old one and moved into its place once complete.
set -e
cd "$(dirname "$0")/.."
for tool in node npm clang++-16 wasm-ld-16; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "missing: $tool (make web-toolchain installs it)"
        exit 1
    fi
done
(cd web && npm ci --no-audit --no-fund --loglevel=error)
cmake --preset native >/dev/null
nice -n 10 cmake --build build/native --target quorlin-host quorlin
cmake --preset web >/dev/null
nice -n 10 cmake --build --preset web
rm -rf build/web-skin build/web.new
./build/native/quorlin-host skin --out build/web-skin >/dev/null
node web/tools/assemble.js build/web-skin build/web-wasm/web build/web.new
rm -rf build/web
mv build/web.new build/web
echo "web: build/web/ (the plug-in in build/web/quorlin/)"
