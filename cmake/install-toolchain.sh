#!/bin/sh
# Installs the Debian packages the build and the tests need, when they are missing.
missing=""
for package in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done
[ -z "$missing" ] && exit 0
# 32-bit packages (Wine for the win32 tests) need the i386 architecture; nothing else does.
foreign=""
case "$missing" in
*:i386*) foreign="dpkg --add-architecture i386 && " ;;
esac
if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages:$missing"
    echo "install them with: sudo sh -c '${foreign}apt-get update && apt-get install -y$missing'"
    echo "(the native build still runs; the Windows builds need the cross compiler and Wine)"
    exit 0
fi
echo "installing:$missing"
[ -n "$foreign" ] && dpkg --add-architecture i386
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing >/dev/null
