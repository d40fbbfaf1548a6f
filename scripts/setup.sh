#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test the wizard.
# Idempotent: when every package is present it only checks and returns.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev googletest
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64
  wine64 fonts-wine fonts-liberation
  xvfb xauth x11-utils xdotool imagemagick python3 locales
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# The demo runs Wine in Italian, so that the system's own buttons (the
# copier's Abort/Retry/Ignore) read as on an Italian Windows.
if ! locale -a 2>/dev/null | grep -qi '^it_IT\.utf-\?8$'; then
  localedef -i it_IT -f UTF-8 it_IT.UTF-8 >/dev/null 2>&1 || echo "setup: no Italian locale; the demo's system buttons stay in English"
fi
echo "setup: all build and test tools present"
