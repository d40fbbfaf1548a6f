#!/usr/bin/env bash
# Runs the demo driver under the current X server and takes a screenshot of
# the whole screen each time the driver reaches a new screen of the wizard.
# Called by scripts/demo.sh under Xvfb; WINEPREFIX is set by the caller.
# Usage: walk.sh DEMO_DRIVER_EXE MEDIA_FOLDER SCREENSHOT_FOLDER HELD_FILE
set -euo pipefail
. "$(dirname "$0")/../../../scripts/wine-env.sh"
driver=$1 media=$2 shots=$3 held=$4
exchange=$(mktemp -d)
trap 'rm -rf "$exchange"; "$WINESERVER" -k >/dev/null 2>&1 || true' EXIT
# Already running is fine: -p only keeps it up between the two programs.
"$WINESERVER" -p || true
"$WINE" wineboot </dev/null >/dev/null 2>&1
"$WINE" "$driver" "$media" "$exchange" "$held" </dev/null &
walker=$!
while kill -0 "$walker" 2>/dev/null; do
  for ready in "$exchange"/*.ready; do
    [ -e "$ready" ] || continue
    name=$(basename "$ready" .ready)
    /usr/bin/import -window root "$shots/$name.png"
    rm -f "$ready"
    touch "$exchange/$name.done"
  done
  sleep 0.1
done
wait "$walker"
