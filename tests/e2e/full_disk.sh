#!/usr/bin/env bash
# Mounts and unmounts the small file system that the end-to-end tests fill up
# to stand in for a full disk (the CTest fixture e2e_full_disk). A refused
# mount is no failure: the status file says why, and the test that needs the
# disk skips with that reason. Every step is time-bounded.
# Usage: full_disk.sh mount|umount DIR STATUS_FILE
set -u
action=$1 dir=$2 status=$3
case $action in
mount)
  mkdir -p "$dir"
  # A disk left mounted by a run that was cut short goes first.
  if mountpoint -q "$dir"; then timeout 10 umount "$dir" || timeout 10 umount -l "$dir"; fi
  if out=$(timeout 10 mount -t tmpfs -o size=1m tmpfs "$dir" 2>&1); then
    echo mounted >"$status"
  else
    echo "mount -t tmpfs -o size=1m refused (${out:-timed out})" >"$status"
  fi
  exit 0
  ;;
umount)
  rm -f "$status"
  if mountpoint -q "$dir"; then
    # Wine may still hold the folder for a moment after the program ended.
    timeout 10 umount "$dir" || timeout 10 umount -l "$dir"
  fi
  ;;
*)
  echo "usage: $0 mount|umount DIR STATUS_FILE" >&2
  exit 2
  ;;
esac
