#!/usr/bin/env bash
# Installs, with apt-get, whatever the build and the tests need and this machine lacks.
set -euo pipefail

packages=(
  cmake ninja-build g++ googletest clang-format libclang-rt-14-dev clang
  g++-mingw-w64-x86-64-posix wine wine64
  xvfb x11-utils xdotool imagemagick fonts-ipafont-gothic locales
  chrony ntpsec-ntpdate iproute2 python3
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
