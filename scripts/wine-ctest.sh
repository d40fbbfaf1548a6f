#!/usr/bin/env bash
# Runs CTest of a Windows build under wine64 with an X server. Wine is
# started before CTest so that its background processes do not hold CTest's
# output pipe, and the wineserver is ended afterwards whatever happened.
# Usage: scripts/wine-ctest.sh BUILD_DIR [ctest arguments...]
set -uo pipefail
. "$(dirname "$0")/wine-env.sh"
build=$1; shift
"$(dirname "$0")/wine-prefix.sh"
trap '"$WINESERVER" -k >/dev/null 2>&1 || true' EXIT
run() {
  "$WINESERVER" -p
  "$WINE" wineboot </dev/null >/dev/null 2>&1
  ctest --test-dir "$build" --output-on-failure "$@"
}
if [ -n "${DISPLAY:-}" ] && [ -z "${TESSARO_FORCE_XVFB:-}" ]; then
  run "$@"
else
  export -f run
  export WINE WINESERVER build
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c 'run "$@"' run "$@"
fi
