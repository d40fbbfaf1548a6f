#!/usr/bin/env bash
# Builds the guest's system disk for scripts/release-vm.sh from Debian
# packages only: Debian 12 amd64 with the i386 architecture added for the
# 32-bit Wine, an X server without a screen, and guest-init.sh as the first
# process. Nothing is mounted on the host except the chroot's own /proc, /sys
# and /dev while packages install; the disk is made with mke2fs -d.
# Usage: build-image.sh WORK_DIR OUT_PREFIX MIRROR
#   writes OUT_PREFIX.img (ext4), OUT_PREFIX.vmlinuz and OUT_PREFIX.initrd
set -euo pipefail
work=$1 out=$2 mirror=$3
here=$(cd "$(dirname "$0")" && pwd)
root=$work/root

unmount_all() {
  for m in dev/pts dev sys proc; do
    if mountpoint -q "$root/$m" 2>/dev/null; then umount -l "$root/$m" || true; fi
  done
}
trap unmount_all EXIT
unmount_all
rm -rf "$work"
mkdir -p "$work"

echo "image: debootstrap bookworm amd64 from $mirror"
timeout 1200 debootstrap --arch=amd64 --variant=minbase \
  --include=linux-image-amd64,initramfs-tools,kmod \
  bookworm "$root" "$mirror" >"$work/debootstrap.log" 2>&1 ||
  { tail -20 "$work/debootstrap.log"; exit 1; }

mount -t proc proc "$root/proc"
mount -t sysfs sys "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
# No service may start inside the chroot.
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod 755 "$root/usr/sbin/policy-rc.d"

echo "image: wine32, Xvfb, fonts and the Italian locale"
# it_IT.UTF-8 is generated because customers run an Italian Windows: the
# system's own buttons (a message box's) come out in Italian.
# libglib2.0-0:i386's postinst runs an i386 program, which this host's kernel
# refuses; the package works without it, so its failure is let through.
timeout 1200 chroot "$root" /bin/sh -c '
  export DEBIAN_FRONTEND=noninteractive
  dpkg --add-architecture i386 &&
  apt-get update &&
  apt-get install -y --no-install-recommends wine32 wine xvfb xauth fonts-wine fonts-liberation locales
  status=$?
  sed -i "s/^# *it_IT.UTF-8 UTF-8/it_IT.UTF-8 UTF-8/" /etc/locale.gen && locale-gen
  dpkg --configure -a
  apt-get clean
  rm -rf /var/lib/apt/lists/*
  exit $status' >"$work/apt.log" 2>&1 || {
  if ! chroot "$root" test -x /usr/lib/wine/wine; then
    tail -30 "$work/apt.log"
    exit 1
  fi
  echo "image: apt reported errors (expected: postinst of i386 packages); wine32 is installed"
}
unmount_all
rm -f "$root/usr/sbin/policy-rc.d"

install -m 755 "$here/guest-init.sh" "$root/sbin/tessaro-init"
mkdir -p "$root/data"
echo vmroot >"$root/etc/hostname"

cp "$(ls "$root"/boot/vmlinuz-* | head -1)" "$out.vmlinuz.new"
cp "$(ls "$root"/boot/initrd.img-* | head -1)" "$out.initrd.new"
echo "image: mke2fs"
timeout 600 mke2fs -q -t ext4 -d "$root" -L vmroot "$out.img.new" 4G >/dev/null
mv "$out.vmlinuz.new" "$out.vmlinuz"
mv "$out.initrd.new" "$out.initrd"
mv "$out.img.new" "$out.img"
rm -rf "$work"
