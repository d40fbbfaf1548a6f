#!/usr/bin/env bash
# Runs the update wizard as a customer meets it: a Tessaro installation
# (version 5.0, build 04.04.15) in a Wine prefix of its own, and a medium
# holding kvelmora.exe beside an update package with five updates, three of
# them newer than the installation.
#
# With a display ($DISPLAY) the wizard opens there for you. Without one it
# runs under Xvfb, walks through every screen by itself and saves one
# screenshot per screen; the folder is named at the end.
# Every run starts from the same sample installation and package.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
demo=$root/build/demo
build=$root/build/win64
export WINEPREFIX=$demo/prefix
# The customer's Windows is Italian: so are the system's own button labels.
if locale -a 2>/dev/null | grep -qi '^it_IT\.utf-\?8$'; then
  export TESSARO_WINE_LOCALE=it_IT.UTF-8
fi

step() { printf '\n==== %s\n' "$*"; }
. scripts/sample.sh

step "set-up"
scripts/setup.sh

step "building the program (64-bit, runs under wine64)"
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target kvelmora demo_driver -j "${TESSARO_BUILD_JOBS:-2}"
program=$(find "$build" -name kvelmora.exe -type f -print -quit)
driver=$(find "$build" -name demo_driver.exe -type f -print -quit)
[ -n "$program" ] && [ -n "$driver" ] || { echo "demo: the build made no kvelmora.exe"; exit 1; }

step "sample installation in $WINEPREFIX"
. scripts/wine-env.sh
scripts/wine-prefix.sh
# A Wine left running in this prefix by an interrupted run would keep the
# sample from being reset.
"$WINESERVER" -k >/dev/null 2>&1 || true
trap '"$WINESERVER" -k >/dev/null 2>&1 || true' EXIT
install="$WINEPREFIX/drive_c/Program Files/Vantrel/Tessaro"
rm -rf "$install"
sample_installation "$install"
"$WINE" reg add 'HKLM\SOFTWARE\Vantrel\Tessaro\VERS0002' /v InstallationDir \
  /d 'C:\Program Files\Vantrel\Tessaro' /f /reg:32 >/dev/null 2>&1 </dev/null
# Wine started without a display for this; it must be gone before the wizard.
"$WINESERVER" -w
echo "installed: 5.0 build 04.04.15 in C:\\Program Files\\Vantrel\\Tessaro"

step "sample medium: kvelmora.exe beside the package r2718upd.dat"
media=$demo/media
package=$media/r2718upd.dat
rm -rf "$media"
mkdir -p "$package"
cp "$program" "$media/kvelmora.exe"
sample_package "$package"
tree=$package/InstDir
echo "package: $(find "$tree" -type f | wc -l) files, $(tr -d '\r\n' <"$package/sizeofupds.txt") bytes"
# The medium is drive D:, as the customer's disc would be.
ln -sfn "$media" "$WINEPREFIX/dosdevices/d:"
echo "medium: D:\\kvelmora.exe and D:\\r2718upd.dat"

if [ -n "${DISPLAY:-}" ] && [ -z "${TESSARO_FORCE_XVFB:-}" ]; then
  step "the wizard opens on your display"
  "$WINE" 'D:\kvelmora.exe' </dev/null
  "$WINESERVER" -w
else
  step "no display: the wizard walks itself under Xvfb"
  shots=$demo/screenshots
  rm -rf "$shots"
  mkdir -p "$shots"
  # One package file stays open in "another program" until its prompt shows.
  timeout 600 xvfb-run -a -n "${TESSARO_XVFB_FROM:-99}" -s "-screen 0 1024x768x24" tests/e2e/demo/walk.sh \
    "$driver" 'D:' "$shots" 'r2718upd.dat\InstDir\modelli\fatture\fattura_a4.mod'
fi

step "after the run"
echo "Versione.txt: $(cat "$install/Versione.txt")"
if [ -n "${shots:-}" ]; then
  echo "screenshots, one per screen, in $shots:"
  ls -1 "$shots"
fi
