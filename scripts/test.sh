#!/usr/bin/env bash
# The whole test run: installs what is missing, builds the native, fuzz,
# 32-bit release and 64-bit test configurations, runs every test (native
# under ASan/UBSan, the Windows ones under wine64 with Xvfb, the release
# program's imports), fuzzes the text parsers briefly, packs the release ZIP,
# photographs the real program's screens, and fails on any failure.
#
# What runs beside what (every wait is on a process, never on a file):
#   set-up of the cross compilers, then at once
#     the 64-bit test build                 (the longest path)
#     the set-up of the Linux compilers, then of Wine and X, then the Wine
#     prefixes
#   once the Linux compilers are there, the Linux lane at the lowest
#   priority: native build and tests, fuzz build, then a short fuzz beside
#   the 32-bit release program, its ZIP and its import check
#   once the build and the prefixes are done, the Windows tests under wine64
#   (the end-to-end ones in a Wine of their own) and the screenshots
# Each part's output goes to build/test-logs/ and is shown when it ends. The
# long fuzz is scripts/fuzz.sh on its own (README).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
start=$(date +%s)
log=$root/build/test-logs
rm -rf "$log"
mkdir -p "$log"
# CTest runs tests side by side unless they share a lock (cmake/Testing.cmake).
jobs=${TESSARO_TEST_JOBS:-4}
# A step that has not ended by then has hung: it is stopped and fails.
setup_limit=${TESSARO_SETUP_SECONDS:-900}

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

failed_parts=()
# fail WHAT: a part of the run outside CTest failed; it is counted and said.
fail() {
  echo "FAILED: $*"
  failed_parts+=(--failed-part "$*")
}

# Wine and the X server, then the Wine prefixes of the tests and of the
# screenshots, one after the other (the prefixes need Wine).
prepare_wine() {
  timed "set-up: Wine and X" timeout "$setup_limit" scripts/setup.sh run || return 1
  # The demo's prefix is made in the demo's language (scripts/demo.sh).
  local demo_locale=C.UTF-8
  locale -a 2>/dev/null | grep -qi '^it_IT\.utf-\?8$' && demo_locale=it_IT.UTF-8
  # The end-to-end tests' prefix is a copy of the tests' own: a copy takes a
  # few seconds of the disk, a new prefix a quarter of a minute of a core.
  timed "Wine prefixes" timeout 300 bash -c 'scripts/wine-prefix.sh &&
    { [ -f "$0/.tessaro-ready" ] || { rm -rf "$0" && cp -a build/win64/wineprefix "$0"; }; } &&
    WINEPREFIX="$PWD/build/demo/prefix" TESSARO_WINE_LOCALE='"$demo_locale"' scripts/wine-prefix.sh' \
    "$e2e_prefix"
}
e2e_prefix=$root/build/win64/wineprefix-e2e

win64_build() {
  timed "win64 build" bash -c 'cmake --preset win64 >/dev/null && cmake --build --preset win64'
}

# The reports of an earlier run must not be counted as this run's.
clear_reports() { rm -rf "$1/test-results"; }

# The Windows tests, in two Wines side by side, each with its own prefix and
# X server: the end-to-end programs hold the desktop and the installation's
# registry key of their Wine for most of the run, and the tests inside one
# process take the other's. The screenshots run beside them in the demo's
# own prefix.
windows_tests() {
  clear_reports build/win64
  # CTest's failures are counted from its logs at the end, not here.
  timed "win64 end-to-end tests" env TESSARO_XVFB_FROM=120 WINEPREFIX="$e2e_prefix" \
    scripts/wine-ctest.sh build/win64 -L e2e -j "$jobs" >"$log/ctest-win64-e2e.txt" 2>&1 &
  local e2e=$!
  TESSARO_XVFB_FROM=140 screenshots >"$log/screenshots-step.txt" 2>&1 &
  local shots=$!
  timed "win64 tests in one process" scripts/wine-ctest.sh build/win64 -LE e2e -j "$jobs" \
    >"$log/ctest-win64-inproc.txt" 2>&1
  wait "$e2e"
  wait "$shots"
  cat "$log/ctest-win64-inproc.txt" "$log/ctest-win64-e2e.txt" >"$log/ctest-win64.txt"
  cat "$log/ctest-win64.txt"
  step "screenshots of the real program, screen by screen (look at them: they are what a customer sees)"
  cat "$log/screenshots-step.txt"
}

screenshots() {
  # The demo's own walk in its own prefix: welcome, list, copy, a file in
  # use, result. Pictures only; the end-to-end tests are what checks.
  if ! xvfb-run -a -n "$TESSARO_XVFB_FROM" -s "-screen 0 1024x768x24" true >/dev/null 2>&1; then
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
  # This lane yields the cores to the Windows build and tests (the longest
  # path) and takes what the Wine tests leave idle.
  renice -n 19 -p "$BASHPID" >/dev/null 2>&1 || true
  step "native build and tests (ASan + UBSan)"
  timed "native build" bash -c 'cmake --preset native >/dev/null && cmake --build --preset native'
  clear_reports build/native
  timed "native tests" ctest --preset native -j "$jobs" >"$log/ctest-native.txt" 2>&1 || true
  cat "$log/ctest-native.txt"

  step "fuzzing the text parsers, briefly (the long fuzz: scripts/fuzz.sh)"
  timed "fuzz build" bash -c 'cmake --preset fuzz >/dev/null && cmake --build --preset fuzz'
  # The fuzzers run one at a time on one core: the release build takes the other.
  timed "fuzz smoke" scripts/fuzz.sh build/fuzz "${TESSARO_FUZZ_SECONDS:-4}" >"$log/fuzz.txt" 2>&1 &
  local fuzz=$!

  step "32-bit release program, its ZIP and its imports"
  timed "win32 build" bash -c 'cmake --preset win32 >/dev/null && cmake --build --preset win32'
  (cd build/win32 && cpack --config CPackConfig.cmake >/dev/null)
  echo "release ZIP: $(ls "$root"/build/win32/package/kvelmora-*-win32.zip)"
  timed "release checks" ctest --test-dir build/win32 --output-on-failure \
    >"$log/ctest-win32.txt" 2>&1 || true
  cat "$log/ctest-win32.txt"
  step "the short fuzz"
  wait "$fuzz" || { cat "$log/fuzz.txt"; return 1; }
  cat "$log/fuzz.txt"
}

# Where each build's time went: the compile steps, and every program's static
# link, from Ninja's own log (milliseconds of each step).
build_times() {
  local build
  for build in win64 native win32; do
    [ -f "build/$build/.ninja_log" ] || continue
    # A step run again in a later build appears again: the last one counts.
    awk -v b="$build" '
      NR > 1 { ms[$4] = $2 - $1 }
      END {
        for (t in ms) {
          all += ms[t]
          if (t ~ /(\.exe|\/[a-z_0-9]+)$/) { links += ms[t]; n++; if (ms[t] > longest) { longest = ms[t]; name = t } }
        }
        if (all) printf "---- %s: %.0f s of steps, %d programs linked in %.1f s (longest %.1f s, %s)\n",
          b, all / 1000, n, links / 1000, longest / 1000, name
      }' "build/$build/.ninja_log"
  done
}

step "set-up"
timed "set-up: cross compilers" timeout "$setup_limit" scripts/setup.sh cross || {
  echo "FAILED: the cross compilers could not be installed"
  exit 1
}

step "64-bit test build; beside it the rest of the set-up, the Wine prefixes and the Linux lane"
win64_build >"$log/win64-build.txt" 2>&1 &
build_pid=$!
# The package manager installs one set at a time: the Linux compilers first,
# for the Linux lane, then Wine and the X server, for the Windows tests.
linux_pid=
if timed "set-up: Linux compilers" timeout "$setup_limit" scripts/setup.sh native \
  >"$log/setup-native.txt" 2>&1; then
  echo "Linux lane running beside the Windows lane; its output follows the Windows lane's."
  linux_lane >"$log/linux.txt" 2>&1 &
  linux_pid=$!
else
  cat "$log/setup-native.txt"
  fail "the set-up of the Linux compilers ($log/setup-native.txt)"
fi
prepare_wine >"$log/prepare-wine.txt" 2>&1
wine_status=$?
if [ "$wine_status" -ne 0 ]; then
  cat "$log/prepare-wine.txt"
  fail "the set-up of Wine and X, or the Wine prefixes ($log/prepare-wine.txt)"
fi
wait "$build_pid"
build_status=$?
cat "$log/win64-build.txt"
[ "$build_status" -eq 0 ] || fail "the 64-bit test build ($log/win64-build.txt)"

if [ "$build_status" -eq 0 ] && [ "$wine_status" -eq 0 ]; then
  step "Windows tests under wine64"
  windows_tests
fi

if [ -n "$linux_pid" ]; then
  wait "$linux_pid"
  linux_status=$?
  cat "$log/linux.txt"
  [ "$linux_status" -eq 0 ] || fail "the Linux lane (exit $linux_status, $log/linux.txt)"
fi

# On request: the release program in an emulated computer. One to four
# minutes with the guest's disk cached and seven to ten from nothing
# (README), which the test command's few minutes cannot hold: only with
# TESSARO_RELEASE_VM=1. Its cases count as one part here.
if [ "${TESSARO_RELEASE_VM:-}" = 1 ]; then
  step "the release program in an emulated computer (scripts/release-vm.sh)"
  TESSARO_RELEASE_ZIP=$(ls build/win32/package/kvelmora-*-win32.zip 2>/dev/null | head -1) \
    timed "release VM" scripts/release-vm.sh 2>&1 | tee "$log/release-vm.txt"
  [ "${PIPESTATUS[0]}" -eq 0 ] ||
    fail "the release program in an emulated computer ($log/release-vm.txt)"
fi

echo
echo "==== times (the lanes overlap)"
cat "$log/times.txt"
build_times
echo "took $(($(date +%s) - start)) s"

# One closing line over every CTest run, counting the test cases inside each
# program; a program that crashed or never ran counts as failed.
runs=()
for build in native win64 win32; do
  runs+=("build/$build:$log/ctest-$build.txt")
done
python3 scripts/count-tests.py "${failed_parts[@]}" "${runs[@]}"
