#!/bin/sh
# Installs the Debian packages the build and the tests need, when they are missing.
missing=""
for package in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages:$missing"
    echo "install them with: sudo sh -c 'dpkg --add-architecture i386 && apt-get update && apt-get install -y$missing'"
    echo "(the native build still runs; the Windows builds need the cross compiler and Wine)"
    exit 0
fi
echo "installing:$missing"
dpkg --add-architecture i386
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing >/dev/null
