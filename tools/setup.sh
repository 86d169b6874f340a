#!/usr/bin/env bash
# Installs everything the build, the tests and the benchmarks need on Debian 12.
# Run as root; safe to run again (apt-get skips what is already there).
set -euo pipefail

packages=(
  cmake ninja-build make
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  googletest
  wine wine64
  xvfb x11-utils xdotool imagemagick fonts-liberation fonts-wine
  cups cups-bsd cups-client printer-driver-cups-pdf poppler-utils
  procps
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
echo "setup: all packages present"
