#!/usr/bin/env bash
# Builds Pelmora and runs it under Wine. Without a display it runs on a virtual one, saves a
# screenshot after a few seconds and ends the program. PELMORA_RUN_DIR chooses the folder the
# program runs in (its "jar" folder and "pref.ini" live there).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
trap stop_all EXIT

bash "$ROOT/scripts/setup.sh" || die "installing the packages failed"
configure_and_build_win32 -DPELMORA_TESTS=OFF -DPELMORA_BENCH=OFF
select_wine
configure_and_build_win_runnable -DPELMORA_TESTS=OFF -DPELMORA_BENCH=OFF
exe="$WIN_TREE/app/pelmora.exe"
[ -f "$exe" ] || die "the build made no $exe"

run_dir=${PELMORA_RUN_DIR:-$BUILD_DIR/run}
mkdir -p "$run_dir"
cd "$run_dir"

if [ -n "${DISPLAY:-}" ]; then
  start_wine
  say "running $exe in $run_dir"
  "$WINE" "$exe"
  say "the program ended with exit code $?"
else
  start_display
  start_wine
  say "running $exe in $run_dir on the virtual display $DISPLAY"
  "$WINE" "$exe" </dev/null >/dev/null 2>&1 &
  pid=$!
  sleep "${PELMORA_SHOT_DELAY:-5}"
  shot="$BUILD_DIR/screenshot.png"
  import -window root "$shot" 2>/dev/null && say "screenshot saved: $shot" || say "no screenshot could be taken"
  if kill -0 "$pid" 2>/dev/null; then
    say "ending the program"
    kill "$pid" 2>/dev/null || true
  fi
  wait "$pid" 2>/dev/null && code=0 || code=$?
  say "the program ended with exit code $code"
fi
