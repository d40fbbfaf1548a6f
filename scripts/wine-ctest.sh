#!/usr/bin/env bash
# Runs CTest of a Windows build under wine64 with an X server. Wine is
# started before CTest so that its background processes do not hold CTest's
# output pipe, and the wineserver is ended afterwards whatever happened.
# Usage: scripts/wine-ctest.sh BUILD_DIR [ctest arguments...]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${DISPLAY:-}" ] || [ -n "${TESSARO_FORCE_XVFB:-}" ]; then
  # Start again inside a private X server; xvfb-run is a plain sh script, so
  # the script itself (not a shell function) is what it runs.
  # Runs side by side each start their search for a free display elsewhere
  # (TESSARO_XVFB_FROM), or two could pick the same one.
  unset TESSARO_FORCE_XVFB
  exec xvfb-run -a -n "${TESSARO_XVFB_FROM:-99}" -s "-screen 0 1024x768x24" "$here/wine-ctest.sh" "$@"
fi
. "$here/wine-env.sh"
build=$1; shift
"$here/wine-prefix.sh"
trap '"$WINESERVER" -k >/dev/null 2>&1 || true' EXIT
"$WINESERVER" -p
"$WINE" wineboot </dev/null >/dev/null 2>&1
ctest --test-dir "$build" --output-on-failure "$@"
