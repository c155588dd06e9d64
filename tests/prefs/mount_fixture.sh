#!/usr/bin/env bash
# Test fixtures for the file test: folders on special mounts (Wine run as root ignores the
# read-only file attribute, but not a read-only file system).
#   mount_fixture.sh readonly <dir>   <dir>/pref.ini holding "k=1", <dir> mounted read-only
#   mount_fixture.sh small <dir>      <dir> on a 64 KiB tmpfs, for a full disk
#   mount_fixture.sh cleanup <dir>    unmounts and removes <dir>
# When mounting is not permitted the folder stays an ordinary one and the test skips itself.
set -u
action=$1
dir=$2
umount "$dir" 2>/dev/null
case "$action" in
  readonly)
    rm -rf "$dir"
    mkdir -p "$dir"
    printf 'k=1\r\n' >"$dir/pref.ini"
    if mount --bind "$dir" "$dir" 2>/dev/null; then
      mount -o remount,ro,bind "$dir" 2>/dev/null || umount "$dir"
    fi
    ;;
  small)
    rm -rf "$dir"
    mkdir -p "$dir"
    mount -t tmpfs -o size=64k tmpfs "$dir" 2>/dev/null || touch "$dir/not-mounted"
    ;;
  cleanup)
    rm -rf "$dir"
    ;;
esac
exit 0
