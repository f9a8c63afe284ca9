#!/usr/bin/env bash
# Builds the Debian packages sup-server and sup-host (CPack) into build/packages/.
# Install them with: sudo apt-get install ./build/packages/sup-server_*.deb (or sup-host_*).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD_DIR:-build}

cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD"
OUT=$(cd "$BUILD" && pwd)/packages
(cd "$BUILD" && cpack -G DEB -B "$OUT" >/dev/null)
rm -rf "$OUT/_CPack_Packages"
ls -1 "$OUT"/*.deb
