#!/usr/bin/env bash
# Installs the Debian 12 packages that building, playing and testing V.E.X.A. need,
# and only those that are missing. --web: only what the browser edition needs (emscripten,
# node, npm, Chromium for its checks, and the build-time glyph capture's compiler and fonts).
# --windows: only what the Windows edition needs (mingw-w64, Wine to test it, GoogleTest's
# sources, and the same glyph capture).
set -euo pipefail

windows_packages=(
  build-essential cmake pkg-config ninja-build
  libfontconfig-dev libfreetype-dev fonts-ipafont-gothic libcli11-dev googletest
  g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 wine
)
web_packages=(
  build-essential cmake pkg-config ninja-build
  libfontconfig-dev libfreetype-dev fonts-ipafont-gothic libcli11-dev
  emscripten nodejs chromium
)
packages=(
  build-essential cmake git pkg-config ninja-build
  libsdl2-dev libsdl2-mixer-dev libsdl2-ttf-dev
  libfontconfig-dev libfreetype-dev fonts-ipafont-gothic
  libjpeg62-turbo-dev zlib1g-dev libdeflate-dev libcli11-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xdotool x11-utils imagemagick
  desktop-file-utils appstream dpkg-dev lintian
  emscripten nodejs chromium
  g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 wine
)

case "${1:-}" in
  --web) packages=("${web_packages[@]}") ;;
  --windows) packages=("${windows_packages[@]}") ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

# Some node packagings bring npm inside nodejs; Debian's own npm is needed only without one.
if [ "${1:-}" != --windows ] && ! command -v npm >/dev/null 2>&1; then
  missing+=(npm)
fi

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  as_root=()
else
  as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
