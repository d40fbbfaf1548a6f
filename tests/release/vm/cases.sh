#!/bin/sh
# Runs inside the emulated computer (started by guest-init.sh from the second
# disk, mounted at /data): the 32-bit release kvelmora.exe under 32-bit Wine,
# one case after another on a fresh copy of the sample installation. It only
# keeps what happened (exit codes, the installation's files, logs, screens)
# under /data/out; scripts/release-vm.sh judges it on the host.
set -u
data=${CASES_DATA:-/data}
out=$data/out
rm -rf "$out"
mkdir -p "$out"
install="$WINEPREFIX/drive_c/Program Files/Vantrel/Tessaro"
driver="Z:$(echo "$data" | tr / '\\')\\vm_driver.exe"
program='D:\kvelmora.exe'
uptime() { cut -d' ' -f1 /proc/uptime; }
note() { echo "guest: $* at $(uptime) s" | tee -a "$out/times.txt"; }

note "cases start"
fbdir=${CASES_FBDIR:-/tmp}
export DISPLAY=${CASES_DISPLAY:-:7}
# No pointer: it would stand in the middle of the screenshots.
Xvfb "$DISPLAY" -screen 0 1024x768x24 -nocursor -fbdir "$fbdir" -nolisten tcp >"$fbdir/xvfb.log" 2>&1 &
xvfb=$!
ln -sfn "$data/media" "$WINEPREFIX/dosdevices/d:"
# One wineserver and Wine's own services for the whole run: started afresh
# for every program they take half a minute each time here.
timeout 60 wineserver -p
timeout 300 wineboot >/dev/null 2>&1
timeout 120 wine reg add 'HKLM\SOFTWARE\Vantrel\Tessaro\VERS0002' /v InstallationDir \
  /d 'C:\Program Files\Vantrel\Tessaro' /f >/dev/null 2>&1
note "wine ready"
temp=$(find "$WINEPREFIX/drive_c/users" -maxdepth 4 -type d -name Temp | head -1)
[ -n "$temp" ] || temp="$WINEPREFIX/drive_c/users/root/AppData/Local/Temp"
mkdir -p "$temp"
echo "$temp" >"$out/temp-folder.txt"

reset() {
  rm -rf "$install" "$temp/kvelmora.log" "$temp/kvelmora.old.log"
  mkdir -p "$(dirname "$install")"
  cp -a "$data/orig" "$install"
}
# keep CASE: the installation and the log as they are now
keep() {
  mkdir -p "$out/$1"
  cp -a "$install" "$out/$1/install"
  [ -f "$temp/kvelmora.log" ] && cp "$temp/kvelmora.log" "$out/$1/kvelmora.log"
  true
}
drive() {
  name=$1
  shift
  mkdir -p "$out/$name"
  timeout 400 wine "$driver" "$@" >>"$out/$name/driver.txt" 2>&1
  echo "driver exit $?" >>"$out/$name/driver.txt"
}

note "quiet start"
reset
drive quiet run "$program" 1 /quiet
keep quiet
note "quiet end"

note "held start"
reset
drive held hold 'D:\r2718upd.dat\InstDir\modelli\fatture\fattura_a4.mod' "$program" 20 /quiet
keep held
note "held end"

note "killed start"
reset
drive killed-mid kill "$temp/kvelmora.log" 'D:\r2718upd.dat\InstDir\modelli\fatture\nota_credito.mod' "$program" /quiet
keep killed-mid
drive killed run "$program" 1 /quiet
keep killed
note "killed end"

# The same package with one byte of one file changed (made on the host):
# the program's own SHA-256 must find it while copying.
note "damaged start"
reset
ln -sfn "$data/damaged" "$WINEPREFIX/dosdevices/d:"
drive damaged run "$program" 1 /quiet
ln -sfn "$data/media" "$WINEPREFIX/dosdevices/d:"
keep damaged
note "damaged end"

note "wizard start"
reset
mkdir -p "$out/exchange" "$out/shots" "$out/wizard"
timeout 600 wine "$driver" walk "$program" "$out/exchange" 'D:\r2718upd.dat\InstDir\modelli\fatture\fattura_a4.mod' \
  >"$out/wizard/driver.txt" 2>&1 &
walker=$!
while kill -0 "$walker" 2>/dev/null; do
  for ready in "$out"/exchange/*.ready; do
    [ -e "$ready" ] || continue
    name=$(basename "$ready" .ready)
    cp "$fbdir/Xvfb_screen0" "$out/shots/$name.xwd"
    rm -f "$ready"
    touch "$out/exchange/$name.done"
  done
  sleep 0.2
done
wait "$walker"
echo "driver exit $?" >>"$out/wizard/driver.txt"
keep wizard
note "wizard end"

timeout 60 wineserver -k
kill "$xvfb" 2>/dev/null
sync
note "cases end"
