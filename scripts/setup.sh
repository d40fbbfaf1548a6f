#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test the wizard.
# Idempotent: when every package is present it only checks and returns.
# Usage: scripts/setup.sh [cross|native|run|all]
#   cross   the build tools and the MinGW cross compilers (the Windows builds)
#   native  the Linux compilers (the native and fuzz builds)
#   run     Wine, the X server and the tools that drive and picture it
#   all     everything (the default)
# The test command installs the cross compilers first and the rest while the
# Windows build runs.
set -euo pipefail

cross_packages=(
  cmake ninja-build googletest python3
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64
)
native_packages=(g++ clang libclang-rt-14-dev libssl-dev)
run_packages=(
  wine64 fonts-wine fonts-liberation
  xvfb xauth x11-utils xdotool imagemagick locales
)
case "${1:-all}" in
cross) packages=("${cross_packages[@]}") ;;
native) packages=("${native_packages[@]}") ;;
run) packages=("${run_packages[@]}") ;;
all) packages=("${cross_packages[@]}" "${native_packages[@]}" "${run_packages[@]}") ;;
*)
  echo "usage: scripts/setup.sh [cross|native|run|all]" >&2
  exit 2
  ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  export DEBIAN_FRONTEND=noninteractive
  # One package-list update serves the three sets when they follow each other.
  if [ -z "$(find /var/lib/apt/lists -maxdepth 1 -name '*_Packages*' -mmin -60 2>/dev/null | head -n 1)" ]; then
    $SUDO apt-get update -qq
  fi
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
if [ "${1:-all}" = run ] || [ "${1:-all}" = all ]; then
  # The demo runs Wine in Italian, so that the system's own buttons (the
  # copier's Abort/Retry/Ignore) read as on an Italian Windows.
  if ! locale -a 2>/dev/null | grep -qi '^it_IT\.utf-\?8$'; then
    localedef -i it_IT -f UTF-8 it_IT.UTF-8 >/dev/null 2>&1 || echo "setup: no Italian locale; the demo's system buttons stay in English"
  fi
fi
echo "setup: ${1:-all}: every tool present"
