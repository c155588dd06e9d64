#!/usr/bin/env bash
# Test fixture: a folder holding pref.ini on a read-only bind mount (Wine run as root ignores the
# read-only file attribute, but not a read-only file system).
#   readonly_folder.sh setup <dir>    creates <dir>/pref.ini and mounts <dir> read-only
#   readonly_folder.sh cleanup <dir>  unmounts and removes <dir>
# When mounting is not permitted the folder stays writable and the test skips itself.
set -u
action=$1
dir=$2
umount "$dir" 2>/dev/null
case "$action" in
  setup)
    rm -rf "$dir"
    mkdir -p "$dir"
    printf 'k=1\r\n' >"$dir/pref.ini"
    if mount --bind "$dir" "$dir" 2>/dev/null; then
      mount -o remount,ro,bind "$dir" 2>/dev/null || umount "$dir"
    fi
    ;;
  cleanup)
    rm -rf "$dir"
    ;;
esac
exit 0
