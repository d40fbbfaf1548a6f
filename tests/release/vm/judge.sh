# shellcheck shell=bash disable=SC2154
# Judges what the guest brought back (sourced by scripts/release-vm.sh, which
# sets out, expect, results and figure). One line per case, PASS or FAIL with
# every reason, then the closing "N passed, N failed".
passed=0
failed=0
breaks=${TESSARO_RELEASE_VM_BREAK:-}

# The expected tree, or, when this case is to fail on purpose, a copy of it
# with one byte of Tessaro.exe changed.
expected() {
  local tree=$1 case=$2
  if [ "$breaks" = all ] || [[ ",$breaks," == *",$case,"* ]]; then
    local copy=$out/expect-broken/$case
    rm -rf "$copy"
    mkdir -p "$(dirname "$copy")"
    cp -a "$tree" "$copy"
    printf '\377' | dd of="$copy/Tessaro.exe" bs=1 seek=1000 conv=notrunc status=none
    tree=$copy
  fi
  echo "$tree"
}

# same_tree WHAT EXPECTED ACTUAL: every file byte for byte, nothing more.
same_tree() {
  local differences
  [ -d "$3" ] || { problems+=("$1: no installation came back"); return; }
  differences=$(LC_ALL=C diff -r --brief "$2" "$3" 2>&1 | sed "s|$2|expected|; s|$3|actual|" | head -8)
  [ -z "$differences" ] || problems+=("$1 differs: $(echo "$differences" | paste -sd';' -)")
}

driver_value() { sed -n "s/^$2: //p" "$results/$1/driver.txt" 2>/dev/null | tr -d '\r' | head -1; }

exit_code() {
  local code
  code=$(driver_value "$1" exit)
  [ "$code" = "$2" ] || problems+=("$1: exit code ${code:-none} (expected $2; driver: $(grep -E '^(error|driver exit)' "$results/$1/driver.txt" 2>/dev/null | paste -sd';' -))")
}

log_says() {
  grep -qaF "$2" "$results/$1/kvelmora.log" 2>/dev/null || problems+=("$1: the log lacks \"$2\"")
}

verdict() {
  local case=$1 start end seconds=""
  start=$(sed -n "s/^guest: $case start at \([0-9.]*\) s/\1/p" "$results/times.txt" 2>/dev/null)
  end=$(sed -n "s/^guest: $case end at \([0-9.]*\) s/\1/p" "$results/times.txt" 2>/dev/null)
  if [ -n "$start" ] && [ -n "$end" ]; then
    seconds=$(awk "BEGIN { printf \"%.0f\", $end - $start }")
    figure "case $case" "$seconds"
  fi
  if [ ${#problems[@]} -eq 0 ]; then
    passed=$((passed + 1))
    echo "PASS $case${seconds:+ (${seconds} s)}"
  else
    failed=$((failed + 1))
    echo "FAIL $case${seconds:+ (${seconds} s)}"
    printf '    %s\n' "${problems[@]}"
  fi
}

judge_all() {
  step "results"
  problems=()
  exit_code quiet 0
  same_tree quiet "$(expected "$expect/new" quiet)" "$results/quiet/install"
  log_says quiet "Codice di uscita: 0"
  verdict quiet

  problems=()
  exit_code held 1603
  same_tree held "$(expected "$expect/old" held)" "$results/held/install"
  log_says held "Codice di uscita: 1603"
  log_says held "ancora in uso"
  verdict held

  problems=()
  [ -n "$(driver_value killed-mid 'killed after files copied')" ] ||
    problems+=("killed: the first run was not killed mid-way ($(grep -E '^error' "$results/killed-mid/driver.txt" 2>/dev/null))")
  [ -e "$results/killed-mid/install/~kvu/journal" ] ||
    problems+=("killed: no journal in the installation after the kill: the kill came too early or too late")
  exit_code killed 0
  same_tree killed "$(expected "$expect/new" killed)" "$results/killed/install"
  log_says killed "Aggiornamento precedente interrotto"
  verdict killed

  problems=()
  exit_code damaged 1603
  same_tree damaged "$(expected "$expect/old" damaged)" "$results/damaged/install"
  log_says damaged "File danneggiato: "
  log_says damaged "Codice di uscita: 1603"
  verdict damaged

  problems=()
  exit_code wizard 0
  local result bold
  result=$(driver_value wizard result)
  [[ "$result" == *"terminato in modo corretto." ]] || problems+=("wizard: result screen says \"$result\"")
  bold=$(grep -c '^update (bold): ' "$results/wizard/driver.txt" 2>/dev/null)
  [ "$bold" = 3 ] || problems+=("wizard: $bold updates in bold (expected 3 of 5)")
  same_tree wizard "$(expected "$expect/new" wizard)" "$results/wizard/install"
  local shots=$out/screenshots count=0
  rm -rf "$shots"
  mkdir -p "$shots"
  for xwd in "$results"/shots/*.xwd; do
    [ -e "$xwd" ] || continue
    timeout 60 convert "xwd:$xwd" "$shots/$(basename "$xwd" .xwd).png" && count=$((count + 1))
  done
  [ "$count" -ge 4 ] || problems+=("wizard: $count screenshots (expected welcome, list, progress or question, result)")
  verdict wizard
  echo "screenshots: $shots ($(ls "$shots" | paste -sd' ' -))"

  local up ready cases
  up=$(grep -ao 'guest: up after [0-9.]*' "$out/console.log" | head -1 | awk '{ print $4 }')
  cases=$(sed -n 's/^guest: cases start at \([0-9.]*\) s/\1/p' "$results/times.txt")
  ready=$(sed -n 's/^guest: wine ready at \([0-9.]*\) s/\1/p' "$results/times.txt")
  [ -n "$up" ] && figure "guest boot (to its init)" "$(awk "BEGIN { printf \"%.0f\", $up }")"
  [ -n "$cases" ] && [ -n "$ready" ] &&
    figure "Wine start in the guest" "$(awk "BEGIN { printf \"%.0f\", $ready - $cases }")"
  figure "total" $(($(date +%s) - t0))
  step "figures (seconds, two shared cores: noisy)"
  printf '%s\n' "${figures[@]}"
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
