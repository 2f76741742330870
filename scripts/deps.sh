#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, only when missing.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  # fonts-liberation2 stands in for Arial with the same metrics, so captions fit as laid out.
  qt6-base-dev libgl-dev fonts-liberation2
  libzip-dev zlib1g-dev libexpat1-dev libpugixml-dev nettle-dev libcli11-dev libfmt-dev
  libpcre2-dev libicu-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev libbenchmark-dev libdeflate-dev
  clang libclang-rt-14-dev
  libreoffice-calc-nogui python3-uno python3-openpyxl python3-xlsxwriter
  # The Windows program: cross compiler, GoogleTest's sources to build it for Windows, wine and
  # an X server to run the tests, NSIS for the installer.
  g++-mingw-w64-x86-64-posix googletest wine wine64 xvfb nsis
  # The Debian package: CPack finds its library dependencies with dpkg-shlibdeps and file.
  dpkg-dev file
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
