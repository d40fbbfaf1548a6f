#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a bounded time each,
# starting from the seed corpus kept beside the targets.
# Usage: scripts/fuzz.sh BUILD_DIR SECONDS
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1; seconds=$2
shopt -s nullglob
for target in "$build"/tests/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  work=$(mktemp -d)
  seeds="$root/tests/fuzz/corpus/${name#fuzz_}"
  [ -d "$seeds" ] && cp "$seeds"/* "$work"/ 2>/dev/null || true
  echo "fuzz: $name for $seconds s"
  "$target" -max_total_time="$seconds" -max_len=4096 -print_final_stats=0 "$work" 2>&1 | tail -n 3
  rm -rf "$work"
done
