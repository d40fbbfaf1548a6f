#!/usr/bin/env bash
# The whole test run: installs what is missing, builds the native, fuzz,
# 32-bit release and 64-bit test configurations, runs every test (native
# under ASan/UBSan, the Windows ones under wine64 with Xvfb, the release
# program's imports), fuzzes the text parsers briefly, packs the release ZIP,
# photographs the real program's screens, and fails on any failure.
#
# Two lanes run side by side, because the Windows tests mostly wait on Wine
# while the Linux builds keep a core busy:
#   Windows: 64-bit test build, its tests under wine64, the screenshots
#   Linux:   native build and tests, fuzz build and a short fuzz, then the
#            32-bit release program, its ZIP and its import check, at the
#            lowest priority once the Wine prefixes are made: the Windows
#            lane's build is the longest path
# Each lane's output goes to build/test-logs/LANE.txt and is shown when the
# lane ends. The long fuzz is scripts/fuzz.sh on its own (README).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
start=$(date +%s)
log=$root/build/test-logs
rm -rf "$log"
mkdir -p "$log"
# CTest runs tests side by side unless they share a lock (cmake/Testing.cmake).
jobs=${TESSARO_TEST_JOBS:-4}

step() { printf '\n==== %s\n' "$*"; }

# timed NAME COMMAND...: runs COMMAND, then notes how long it took.
timed() {
  local name=$1 t0 status
  shift
  t0=$(date +%s)
  "$@"
  status=$?
  printf -- '---- %s: %d s%s\n' "$name" $(($(date +%s) - t0)) \
    "$([ $status -eq 0 ] || echo ", FAILED (exit $status)")" | tee -a "$log/times.txt"
  return $status
}

# The Wine prefixes of the tests and of the screenshots take a quarter of a
# minute each to make: the Linux lane makes them while the Windows build
# runs, and the Windows lane waits for them before it starts Wine.
prefixes_done=$log/prefixes.done
make_prefixes() {
  local waited=0
  while [ ! -e "$setup_status" ] && [ $waited -lt 900 ]; do
    sleep 1
    waited=$((waited + 1))
  done
  if [ "$(cat "$setup_status" 2>/dev/null)" != 0 ]; then
    echo "set-up of the Linux compilers or of Wine and X failed:"
    cat "$log/setup-rest.txt"
    touch "$prefixes_done"
    return 1
  fi
  # The demo's prefix is made in the demo's language (scripts/demo.sh).
  local demo_locale=C.UTF-8
  locale -a 2>/dev/null | grep -qi '^it_IT\.utf-\?8$' && demo_locale=it_IT.UTF-8
  timed "Wine prefixes" bash -c 'scripts/wine-prefix.sh &&
    WINEPREFIX="$PWD/build/demo/prefix" TESSARO_WINE_LOCALE='"$demo_locale"' scripts/wine-prefix.sh' || true
  touch "$prefixes_done"
}
wait_prefixes() {
  local waited=0
  while [ ! -e "$prefixes_done" ] && [ $waited -lt 600 ]; do
    sleep 1
    waited=$((waited + 1))
  done
}

# The reports of an earlier run must not be counted as this run's.
clear_reports() { rm -rf "$1/test-results"; }

windows_lane() {
  set -e
  step "64-bit test build"
  timed "win64 build" bash -c 'cmake --preset win64 >/dev/null && cmake --build --preset win64'
  step "Windows tests under wine64"
  wait_prefixes
  clear_reports build/win64
  # CTest's failures are counted from its log at the end, not here.
  timed "win64 tests" scripts/wine-ctest.sh build/win64 -j "$jobs" >"$log/ctest-win64.txt" 2>&1 || true
  cat "$log/ctest-win64.txt"
  step "screenshots of the real program, screen by screen (look at them: they are what a customer sees)"
  # The demo's own walk in its own prefix: welcome, list, copy, a file in
  # use, result. Pictures only; the end-to-end tests are what checks.
  if ! xvfb-run -a -s "-screen 0 1024x768x24" true >/dev/null 2>&1; then
    echo "screenshots: no X server could be started (Xvfb), none taken"
  elif timed "screenshots" env TESSARO_FORCE_XVFB=1 timeout 300 scripts/demo.sh \
    >"$log/screenshots.txt" 2>&1; then
    echo "screenshots: $(ls "$root/build/demo/screenshots" | tr '\n' ' ')"
    echo "in $root/build/demo/screenshots"
  else
    tail -n 15 "$log/screenshots.txt"
    echo "screenshots could not all be taken: $log/screenshots.txt"
  fi
}

linux_lane() {
  set -e
  step "Wine prefixes for the Windows lane"
  # After the rest of the set-up; without it nothing here can build.
  make_prefixes || return 1
  # The rest of this lane yields the cores to the Windows lane, whose build
  # is the longest path, and takes what the Wine tests leave idle.
  renice -n 19 -p "$BASHPID" >/dev/null 2>&1 || true
  step "native build and tests (ASan + UBSan)"
  timed "native build" bash -c 'cmake --preset native >/dev/null && cmake --build --preset native'
  clear_reports build/native
  timed "native tests" ctest --preset native -j "$jobs" >"$log/ctest-native.txt" 2>&1 || true
  cat "$log/ctest-native.txt"

  step "fuzzing the text parsers, briefly (the long fuzz: scripts/fuzz.sh)"
  timed "fuzz build" bash -c 'cmake --preset fuzz >/dev/null && cmake --build --preset fuzz'
  timed "fuzz smoke" scripts/fuzz.sh build/fuzz "${TESSARO_FUZZ_SECONDS:-4}"

  step "32-bit release program, its ZIP and its imports"
  timed "win32 build" bash -c 'cmake --preset win32 >/dev/null && cmake --build --preset win32'
  (cd build/win32 && cpack --config CPackConfig.cmake >/dev/null)
  echo "release ZIP: $(ls "$root"/build/win32/package/kvelmora-*-win32.zip)"
  timed "release checks" ctest --test-dir build/win32 --output-on-failure \
    >"$log/ctest-win32.txt" 2>&1 || true
  cat "$log/ctest-win32.txt"
}

step "set-up"
timed "set-up: cross compilers" scripts/setup.sh cross || exit 1
# The Linux compilers, then Wine and the X server, are installed while the
# Windows build runs (the package manager takes one installation at a time).
setup_status=$log/setup-rest.status
(
  timed "set-up: Linux compilers" scripts/setup.sh native >"$log/setup-rest.txt" 2>&1 &&
    timed "set-up: Wine and X" scripts/setup.sh run >>"$log/setup-rest.txt" 2>&1
  echo $? >"$setup_status"
) &

echo "Linux lane running beside the Windows lane; its output follows the Windows lane's."
linux_lane >"$log/linux.txt" 2>&1 &
linux=$!
windows_lane 2>&1 | tee "$log/windows.txt"
windows_status=${PIPESTATUS[0]}
wait "$linux"
linux_status=$?
cat "$log/linux.txt"

echo
echo "==== times (the lanes overlap)"
cat "$log/times.txt"
echo "took $(($(date +%s) - start)) s"

# One closing line over every CTest run, counting the test cases inside each
# program; a program that crashed or never ran counts as failed.
runs=()
for build in native win64 win32; do
  runs+=("build/$build:$log/ctest-$build.txt")
done
failed_parts=()
[ "$windows_status" -eq 0 ] || failed_parts+=(--failed-part "the Windows lane (exit $windows_status, $log/windows.txt)")
[ "$linux_status" -eq 0 ] || failed_parts+=(--failed-part "the Linux lane (exit $linux_status, $log/linux.txt)")

# --- on request: the release program in an emulated computer ---------------
# One to four minutes with the guest's disk cached and seven to ten from
# nothing (README), which the test command's few minutes cannot hold: only
# with TESSARO_RELEASE_VM=1. Its cases count as one part here.
if [ "${TESSARO_RELEASE_VM:-}" = 1 ]; then
  step "the release program in an emulated computer (scripts/release-vm.sh)"
  TESSARO_RELEASE_ZIP=$(ls build/win32/package/kvelmora-*-win32.zip 2>/dev/null | head -1) \
    timed "release VM" scripts/release-vm.sh 2>&1 | tee "$log/release-vm.txt"
  [ "${PIPESTATUS[0]}" -eq 0 ] ||
    failed_parts+=(--failed-part "the release program in an emulated computer ($log/release-vm.txt)")
fi
python3 scripts/count-tests.py "${failed_parts[@]}" "${runs[@]}"
