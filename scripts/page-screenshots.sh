#!/usr/bin/env bash
# Takes one picture of each wizard screen (welcome, list, progress and both
# endings) as the pageshots tool shows them with sample data, under a private
# X server and the Wine prefix's virtual desktop, and ends the wineserver.
# Usage: scripts/page-screenshots.sh BUILD_DIR OUT_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR OUT_DIR" >&2
  exit 2
fi
if [ -z "${TESSARO_SHOTS_XVFB:-}" ]; then
  # xvfb-run is a plain sh script: it runs this script again, not a function.
  export TESSARO_SHOTS_XVFB=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
. "$here/wine-env.sh"
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
exe="$build/tools/pageshots/pageshots.exe"
[ -f "$exe" ] || { echo "page-screenshots: $exe is missing (build target pageshots)" >&2; exit 1; }

"$here/wine-prefix.sh"
trap '"$WINESERVER" -k >/dev/null 2>&1 || true' EXIT
"$WINESERVER" -p
"$WINE" wineboot </dev/null >/dev/null 2>&1

ready="$out/.pageshots-ready"
status=0
for screen in welcome list progress finish finish-errors; do
  rm -f "$ready"
  "$WINE" "$exe" "$screen" "Z:$ready" </dev/null >/dev/null 2>&1 &
  pid=$!
  # The tool writes its window rectangle once the screen is painted.
  for _ in $(seq 1 300); do
    [ -s "$ready" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -s "$ready" ]; then
    echo "page-screenshots: $screen never showed" >&2
    status=1
    wait "$pid" || true
    continue
  fi
  read -r x y w h <"$ready"
  /usr/bin/import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$screen.png"
  rm -f "$ready"
  if wait "$pid"; then
    echo "page-screenshots: $out/$screen.png"
  else
    echo "page-screenshots: pageshots $screen ended with an error" >&2
    status=1
  fi
done
exit $status
