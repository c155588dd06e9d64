#!/usr/bin/env bash
# Runs the file-system and date benchmarks under Wine. The listing folder (100,000 empty
# files) is made natively once: made through Wine it costs many minutes, since Wine looks every
# new name up case-insensitively in the whole folder.
# Uses PELMORA_BUILD_DIR like the other scripts; build the Windows tree first.
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
trap stop_all EXIT

bench="$BUILD_DIR/win32/bench/fs"
[ -f "$bench/bench_fs_listing.exe" ] || die "missing $bench/bench_fs_listing.exe: build the Windows tree first"

folder="$BUILD_DIR/bench-listing"
if [ ! -f "$folder/.ready" ]; then
  say "creating 100,000 files in $folder"
  mkdir -p "$folder"
  (cd "$folder" && seq -f 'entry_%06g.jar' 0 99999 | xargs touch && touch .ready)
fi

start_wine
wine "$bench/bench_fs_listing.exe" "Z:$(printf '%s' "$folder" | tr / '\\')"
wine "$bench/bench_date_format.exe"
