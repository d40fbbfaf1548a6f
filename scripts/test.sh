#!/usr/bin/env bash
# The whole test run: installs what is missing, builds the native, fuzz,
# 32-bit release and 64-bit test configurations, runs every test (native
# under ASan/UBSan, the Windows ones under wine64 with Xvfb), fuzzes the
# text parsers for a bounded time, and fails on any failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
start=$(date +%s)
log=$root/build/test-logs
mkdir -p "$log"

step() { printf '\n==== %s\n' "$*"; }

step "set-up"
scripts/setup.sh

step "native build and tests (ASan + UBSan)"
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native 2>&1 | tee "$log/native.txt"

step "fuzzing the text parsers"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
scripts/fuzz.sh build/fuzz "${TESSARO_FUZZ_SECONDS:-20}"

step "32-bit release program"
cmake --preset win32 >/dev/null
cmake --build --preset win32
(cd build/win32 && cpack --config CPackConfig.cmake >/dev/null)
echo "release ZIP: $(ls "$root"/build/win32/package/kvelmora-*-win32.zip)"

step "64-bit test build and tests under wine64"
cmake --preset win64 >/dev/null
cmake --build --preset win64
scripts/wine-ctest.sh build/win64 2>&1 | tee "$log/win64.txt"

step "pictures of the pages (look at them: they are what a customer sees)"
scripts/page-screenshots.sh build/win64 build/page-shots || echo "page screenshots could not be taken"
echo "page screenshots: $root/build/page-shots"

# One closing line over both CTest runs.
passed=0; failed=0
for f in "$log/native.txt" "$log/win64.txt"; do
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of' "$f" | tail -n 1 || true)
  [ -n "$line" ] || { echo "no CTest summary in $f"; exit 1; }
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  bad=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<<"$line")
  passed=$((passed + total - bad)); failed=$((failed + bad))
done
echo
echo "took $(( $(date +%s) - start )) s"
echo "tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
