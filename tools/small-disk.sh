#!/usr/bin/env bash
# Mounts (or unmounts) a 64 KiB tmpfs for the disk-full save test. Needs root; without it
# the test reports itself skipped.
#   small-disk.sh mount|umount DIR
set -uo pipefail
dir=$2
case "$1" in
  mount)
    mkdir -p "$dir"
    mountpoint -q "$dir" && umount "$dir"
    if mount -t tmpfs -o size=64k tmpfs "$dir" 2>/dev/null; then
      touch "$dir/mounted"
      echo "small disk mounted at $dir"
    else
      echo "small disk: mounting refused; the disk-full test will be skipped"
    fi
    exit 0 ;;
  umount)
    mountpoint -q "$dir" && umount "$dir"
    exit 0 ;;
esac
