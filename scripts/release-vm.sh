#!/usr/bin/env bash
# Runs the program we ship, the 32-bit release kvelmora.exe from the release
# ZIP, under Debian's 32-bit Wine inside an emulated Debian 12 amd64 computer
# (qemu-system-x86_64, software emulation), and checks what it does:
#   quiet     /quiet on a sample installation: exit 0, every file and the
#             stamp byte for byte, the log written
#   held      /quiet with a package file held open until the quiet retries
#             give up: exit 1603, the installation byte for byte as before
#   killed    /quiet killed in the middle of the copy, then /quiet again:
#             exit 0 and the installation whole
#   damaged   /quiet with one byte of a package file changed after its
#             checksums were made: the program's own SHA-256 finds it, exit
#             1603, the installation byte for byte as before
#   wizard    the wizard walked through its screens to "terminato in modo
#             corretto.", a screenshot of each (build/release-vm/screenshots)
# The guest's disk is built once from Debian packages and cached under
# build/release-vm, named by a hash of the files that make it; it holds the
# 32-bit Wine prefix. Everything else goes in and out on a second disk.
# Ends with "N passed, N failed"; exits non-zero on any failure.
#
# TESSARO_RELEASE_VM_BREAK=all (or a list of case names) makes those cases
# expect wrong bytes, to see that their checks can fail.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1
vm=$root/tests/release/vm
out=$root/build/release-vm
mkdir -p "$out"
t0=$(date +%s)
figures=()
figure() { figures+=("$(printf '%-28s %5s s' "$1" "$2")"); }
step() { printf '\n==== %s\n' "$*"; }
die() { echo "release-vm: $*"; echo "0 passed, 1 failed"; exit 1; }
. scripts/sample.sh

# --- host packages -----------------------------------------------------------
need=()
command -v qemu-system-x86_64 >/dev/null || need+=(qemu-system-x86)
command -v debootstrap >/dev/null || need+=(debootstrap)
command -v debugfs >/dev/null || need+=(e2fsprogs)
command -v convert >/dev/null || need+=(imagemagick)
command -v i686-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-i686-posix)
command -v unzip >/dev/null || need+=(unzip)
if [ ${#need[@]} -gt 0 ]; then
  step "installing ${need[*]}"
  timeout 600 apt-get install -y --no-install-recommends "${need[@]}" >"$out/apt.log" 2>&1 ||
    { timeout 300 apt-get update >>"$out/apt.log" 2>&1 &&
      timeout 600 apt-get install -y --no-install-recommends "${need[@]}" >>"$out/apt.log" 2>&1; } ||
    die "cannot install ${need[*]} (see $out/apt.log)"
fi

# --- the guest's disk, cached --------------------------------------------------
# Debian's own mirror, as this machine's apt sources name it.
mirror=$(grep -rhoE '(URIs:|^deb)[[:space:]]+[^[:space:]]+' /etc/apt/sources.list /etc/apt/sources.list.d/ 2>/dev/null |
  awk '{ print $2 }' | grep -E '/debian/?$' | head -1)
[ -n "$mirror" ] || mirror=http://deb.debian.org/debian
hash=$(cat "$vm/build-image.sh" "$vm/guest-init.sh" | sha256sum | cut -c1-16)
base=$out/guest-$hash
if [ ! -f "$base.ready" ]; then
  step "building the guest's disk (once per change of tests/release/vm/{build-image,guest-init}.sh)"
  rm -f "$out"/guest-*
  s=$(date +%s)
  timeout 2400 "$vm/build-image.sh" "$out/image-work" "$base" "$mirror" || die "the guest's disk could not be built"
  figure "image build" $(($(date +%s) - s))
  step "making the 32-bit Wine prefix inside the guest's disk"
  s=$(date +%s)
  timeout 900 qemu-system-x86_64 -accel tcg,thread=multi -cpu max,-smap -m 2048 -smp 2 \
    -kernel "$base.vmlinuz" -initrd "$base.initrd" \
    -append "root=/dev/vda rw console=ttyS0 init=/sbin/tessaro-init panic=1 quiet tessaro=prefix" \
    -drive file="$base.img",format=raw,if=virtio \
    -nographic -no-reboot -nic none >"$out/prefix-console.log" 2>&1
  figure "prefix (boot + wineboot)" $(($(date +%s) - s))
  grep -ao 'guest:.*' "$out/prefix-console.log"
  grep -q PREFIX-READY "$out/prefix-console.log" || die "no Wine prefix in the guest (see $out/prefix-console.log)"
  touch "$base.ready"
fi
[ -n "${TESSARO_VM_IMAGE_ONLY:-}" ] && { printf '%s\n' "${figures[@]}"; exit 0; }

# --- the release program and the driver ---------------------------------------
export CCACHE_DIR=${CCACHE_DIR:-/work/.ccache} CCACHE_BASEDIR=${CCACHE_BASEDIR:-/work}
export CCACHE_SLOPPINESS=${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}
launcher=()
command -v ccache >/dev/null && launcher=(ccache)
if [ -z "${TESSARO_RELEASE_ZIP:-}" ]; then
  step "the release ZIP (32-bit build)"
  s=$(date +%s)
  ccache_args=()
  [ ${#launcher[@]} -gt 0 ] && ccache_args=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  { timeout 300 cmake --preset win32 "${ccache_args[@]}" >/dev/null &&
    timeout 1800 cmake --build --preset win32 --target kvelmora -j "${TESSARO_BUILD_JOBS:-2}" >"$out/build.log" 2>&1 &&
    (cd build/win32 && rm -rf package && timeout 300 cpack --config CPackConfig.cmake >>"$out/build.log" 2>&1); } ||
    { tail -20 "$out/build.log"; die "the release build failed"; }
  figure "release ZIP" $(($(date +%s) - s))
fi
zip=${TESSARO_RELEASE_ZIP:-$(ls build/win32/package/kvelmora-*-win32.zip 2>/dev/null | head -1)}
[ -f "$zip" ] || die "no release ZIP"
echo "release ZIP: $zip"

step "the 32-bit driver (tests/release/vm/vm_driver.cpp)"
s=$(date +%s)
objs=()
mkdir -p "$out/obj"
for src in tests/release/vm/vm_driver.cpp tests/e2e/driver/*.cpp tests/wine/support/ExclusiveHold.cpp \
  tests/wine/support/TestFiles.cpp; do
  obj=$out/obj/$(echo "$src" | tr / _).o
  timeout 300 "${launcher[@]}" i686-w64-mingw32-g++-posix -std=c++17 -Os -Wall -Wextra -Werror \
    -D_WIN32_WINNT=0x0601 -Itests/e2e -Itests/wine/support -c "$src" -o "$obj" || die "cannot compile $src"
  objs+=("$obj")
done
timeout 300 i686-w64-mingw32-g++-posix "${objs[@]}" -static -static-libgcc -static-libstdc++ \
  -lcomctl32 -ladvapi32 -luser32 -o "$out/vm_driver.exe" || die "cannot link the driver"
figure "driver build" $(($(date +%s) - s))

# --- sample installation, package and expected results --------------------------
step "sample installation and package"
data=$out/data
expect=$out/expect
rm -rf "$data" "$expect"
mkdir -p "$data/media" "$expect"
unzip -q -o "$zip" -d "$out/zip"
program=$(find "$out/zip" -iname kvelmora.exe | head -1)
[ -n "$program" ] || die "no kvelmora.exe in $zip"
cp "$program" "$data/media/kvelmora.exe"
cp "$out/vm_driver.exe" "$vm/cases.sh" "$data/"
# Tessaro 5.0, build 04.04.15, as its installer left it.
orig=$data/orig
sample_installation "$orig"
# The update: five entries, three newer than the installation.
package=$data/media/r2718upd.dat
tree=$package/InstDir
sample_package "$package"
# A second medium: the same package with one byte of one file changed after
# its checksums were made, as a disc that reads back wrong would give it.
cp -a "$data/media" "$data/damaged"
damaged=$data/damaged/r2718upd.dat/InstDir/bin/archivio.dll
byte=$(od -An -tu1 -j 70000 -N 1 "$damaged" | tr -d ' ')
printf "\\$(printf %03o $((255 - byte)))" | dd of="$damaged" bs=1 seek=70000 conv=notrunc status=none
# Expected: the installation as it was, and as the update leaves it.
cp -a "$orig" "$expect/old"
cp -a "$orig" "$expect/new"
cp -a "$tree/." "$expect/new/"
printf '@versione=5.1  @build=04.06.30' >"$expect/new/Versione.txt"
echo "installation: $(find "$orig" -type f | wc -l) files; package: $(find "$tree" -type f | wc -l) files, $(tr -d '\r\n' <"$package/sizeofupds.txt") bytes"

# --- the run -------------------------------------------------------------------
step "booting the guest with the cases (quiet, held, killed, damaged, wizard)"
rm -f "$out/data.img"
timeout 300 mke2fs -q -t ext4 -d "$data" -L vmdata "$out/data.img" 256M >/dev/null || die "cannot make the data disk"
s=$(date +%s)
timeout "${TESSARO_RELEASE_VM_TIMEOUT:-1800}" qemu-system-x86_64 -accel tcg,thread=multi -cpu max,-smap \
  -m 2048 -smp 2 -kernel "$base.vmlinuz" -initrd "$base.initrd" \
  -append "root=/dev/vda rw console=ttyS0 init=/sbin/tessaro-init panic=1 quiet tessaro=cases" \
  -drive file="$base.img",format=raw,if=virtio,snapshot=on \
  -drive file="$out/data.img",format=raw,if=virtio \
  -nographic -no-reboot -nic none >"$out/console.log" 2>&1
qemu_status=$?
figure "guest run (boot to power off)" $(($(date +%s) - s))
grep -ao 'guest:.*' "$out/console.log"
[ $qemu_status -eq 0 ] || echo "release-vm: qemu ended with $qemu_status (124: out of time)"
results=$out/results
rm -rf "$results"
mkdir -p "$results"
timeout 300 debugfs -R "rdump /out $results" "$out/data.img" >/dev/null 2>&1
results=$results/out
[ -d "$results" ] || die "no results came back from the guest (see $out/console.log)"

# --- judging -------------------------------------------------------------------
. "$vm/judge.sh"
judge_all
