#!/usr/bin/env bash
# Runs a benchmark of a Windows build under wine64 with an X server (the
# windows are real and visible), then ends the wineserver whatever happened.
# The cores are shared: run it when the machine is quiet.
#   copy (the default): the tree copier, copy_bench
#   list: the built program over package lists of growing size, list_bench
# Usage: scripts/bench.sh [list] [BUILD_DIR] [benchmark arguments, e.g. --reps 3]
set -uo pipefail
. "$(dirname "$0")/wine-env.sh"
name=copy_bench
if [ "${1:-}" = list ]; then
  name=list_bench
  shift
fi
build=${1:-build/win64}
[ $# -gt 0 ] && shift
bench="$build/bench/$name.exe"
if [ ! -f "$bench" ]; then
  echo "bench: $bench not found; build it with: cmake --build $build --target $name" >&2
  exit 1
fi
"$(dirname "$0")/wine-prefix.sh"
trap '"$WINESERVER" -k >/dev/null 2>&1 || true' EXIT
# The commands run inside the X server's session; written out in full
# because xvfb-run's shell does not pass exported functions on.
inner='"$WINESERVER" -p; "$WINE" wineboot </dev/null >/dev/null 2>&1; "$WINE" "$bench" "$@"'
export WINE WINESERVER bench
if [ -n "${DISPLAY:-}" ] && [ -z "${TESSARO_FORCE_XVFB:-}" ]; then
  bash -c "$inner" run "$@"
else
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c "$inner" run "$@"
fi
