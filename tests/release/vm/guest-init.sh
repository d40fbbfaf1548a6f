#!/bin/sh
# The guest's first process (init=/sbin/tessaro-init), for scripts/release-vm.sh.
# "tessaro=prefix" on the kernel command line: make the 32-bit Wine prefix on
# the system disk (kept in the cached image). "tessaro=cases": run
# /data/cases.sh from the second disk, which also takes the results back.
# Either way the guest powers itself off at the end.
# The initramfs may have mounted some of these already.
mountpoint -q /proc || mount -t proc proc /proc
mountpoint -q /sys || mount -t sysfs sys /sys
mountpoint -q /dev || mount -t devtmpfs dev /dev
mkdir -p /dev/pts
mountpoint -q /dev/pts || mount -t devpts devpts /dev/pts
mount -t tmpfs tmpfs /tmp
mount -t tmpfs tmpfs /run
exec >/dev/ttyS0 2>&1 </dev/null
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
export HOME=/root USER=root WINEPREFIX=/root/prefix WINEARCH=win32 WINEDEBUG=-all
# A UTF-8 locale gives Wine the ANSI code page 1252; the Italian one also
# gives the system's own buttons (a message box's) in Italian.
export WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
locale -a 2>/dev/null | grep -qi '^it_IT\.utf-\?8$' && export LC_ALL=it_IT.UTF-8
echo "guest: up after $(cut -d' ' -f1 /proc/uptime) s"

off() {
  sync
  umount /data 2>/dev/null
  mount -o remount,ro / 2>/dev/null
  sync
  echo "guest: power off after $(cut -d' ' -f1 /proc/uptime) s"
  echo o >/proc/sysrq-trigger
  sleep 30
}

case " $(cat /proc/cmdline) " in
*" tessaro=prefix "*)
  start=$(cut -d' ' -f1 /proc/uptime)
  rm -rf "$WINEPREFIX"
  timeout 600 wineboot -i >/tmp/wineboot.log 2>&1
  echo "guest: wineboot exit $?"
  # Without Wine's own fonts in the prefix Tahoma becomes another face and the
  # dialogs' layout changes.
  # Liberation Sans stands in for Arial, which Wine lacks.
  cp /usr/share/wine/fonts/*.ttf /usr/share/fonts/truetype/liberation/LiberationSans-*.ttf \
    "$WINEPREFIX/drive_c/windows/Fonts/"
  # A crash ends the program instead of waiting for a dialog nobody answers;
  # a virtual desktop gives windows their frames and closes windows at once.
  timeout 120 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  timeout 120 wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  timeout 120 wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
  timeout 120 wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' /v Arial /d 'Liberation Sans' /f >/dev/null 2>&1
  timeout 120 wineserver -w
  end=$(cut -d' ' -f1 /proc/uptime)
  if [ -f "$WINEPREFIX/system.reg" ] && [ -d "$WINEPREFIX/drive_c/windows/system32" ]; then
    echo "guest: PREFIX-READY in $(LC_ALL=C awk "BEGIN { print $end - $start }") s"
  else
    echo "guest: PREFIX-FAILED"
    cat /tmp/wineboot.log
  fi
  off
  ;;
*" tessaro=cases "*)
  mkdir -p /data
  if mount -t ext4 /dev/vdb /data; then
    timeout 1500 sh /data/cases.sh
    echo "guest: cases.sh exit $?"
  else
    echo "guest: no data disk"
  fi
  off
  ;;
*)
  echo "guest: no tessaro= mode on the command line"
  off
  ;;
esac
