#!/usr/bin/env bash
# Installs every Debian package the build, the demo and the tests need.
# Debian packages by name only; nothing is downloaded from anywhere else.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6sql6-psql
  libqt6svg6
  libqt6opengl6-dev libgl-dev
  libsqlite3-dev libsodium-dev
  libbenchmark-dev
  libxlsxwriter-dev libquazip1-qt6-dev
  postgresql postgresql-contrib
  clang libclang-rt-14-dev
  poppler-utils
  openssl libssl3
  dpkg-dev
  xauth
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
