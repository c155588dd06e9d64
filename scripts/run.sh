#!/usr/bin/env bash
# Builds Pelmora and runs it under Wine in an example folder, $BUILD_DIR/demo: a game folder with
# bin/minecraft.jar, three small jars in jar/ and a "pref.ini" naming the game folder. The example
# is kept between runs; `--fresh` (or PELMORA_DEMO_FRESH=1) makes it anew.
#
# Without a display it shows a jar swap on a virtual one: the demo driver (pelmora_demo) clicks
# through it as a user would, with "Backup Minecraft Jar" ticked, saves a screenshot of each step
# under $BUILD_DIR/demo-shots/, prints what changed on disk and exits 0 only when the swap
# happened. Then the same in a second example of today's launcher layout, $BUILD_DIR/demo-versions
# (game/versions/b1.7.3 instead of game/bin): the jar is installed as a version of its own, with
# screenshots under $BUILD_DIR/demo-versions-shots/. With a display it starts the program for you in the example folder, or in the folder
# PELMORA_RUN_DIR names. PELMORA_DEMO_DIR puts the example elsewhere (its screenshots then go to
# "<folder>-shots").
set -euo pipefail
source "$(dirname "$0")/lib.sh"
trap stop_all EXIT

fresh=${PELMORA_DEMO_FRESH:-0}
for arg in "$@"; do
  case $arg in
    --fresh) fresh=1 ;;
    *) die "unknown argument: $arg (known: --fresh)" ;;
  esac
done

bash "$ROOT/scripts/setup.sh" || die "installing the packages failed"
select_wine
# The product is always built; where it cannot run here, its 64-bit twin runs instead.
if [ "$WIN_ARCH" = i686 ]; then
  PELMORA_BUILD_TARGETS="pelmora pelmora_demo" configure_and_build_win32 -DPELMORA_TESTS=ON
else
  PELMORA_BUILD_TARGETS="pelmora" configure_and_build_win32 -DPELMORA_TESTS=ON
  PELMORA_BUILD_TARGETS="pelmora pelmora_demo" configure_and_build_win_runnable -DPELMORA_TESTS=ON
fi
exe="$WIN_TREE/app/pelmora.exe"
demo="$WIN_TREE/tests/app/pelmora_demo.exe"
[ -f "$exe" ] || die "the build made no $exe"
[ -f "$demo" ] || die "the build made no $demo"

demo_dir=${PELMORA_DEMO_DIR:-$BUILD_DIR/demo}
demo_dir=${demo_dir%/}
shots="$demo_dir-shots"
demo_args=()
[ "$fresh" != 1 ] || demo_args+=(--fresh)

if [ -n "${DISPLAY:-}" ]; then
  start_wine
  if [ -n "${PELMORA_RUN_DIR:-}" ]; then
    run_dir=$PELMORA_RUN_DIR
    mkdir -p "$run_dir"
  else
    run_dir=$demo_dir
    "$WINE" "$demo" --prepare-only "${demo_args[@]}" "$run_dir" </dev/null \
      || die "the example in $run_dir could not be prepared"
  fi
  cd "$run_dir"
  say "running $exe in $run_dir"
  "$WINE" "$exe" && code=0 || code=$?
  say "the program ended with exit code $code"
else
  start_display
  start_wine
  say "showing a jar swap in $demo_dir on the virtual display $DISPLAY"
  rm -f "$shots"/[0-9]-*.png "$shots"/[0-9]-*.bmp
  timeout "${PELMORA_DEMO_SECONDS:-300}" "$WINE" "$demo" "${demo_args[@]}" --shots "$shots" "$demo_dir" \
    </dev/null && code=0 || code=$?
  [ "$code" -ne 124 ] || say "the demo did not finish within ${PELMORA_DEMO_SECONDS:-300} s"
  say "screenshots of the swap are in $shots/"
  if [ "$code" -eq 0 ]; then
    say "the jar swap worked (exit code 0)"
  else
    say "the jar swap did not work (exit code $code)"
  fi
  say "showing the install of a jar as a version in $demo_dir-versions"
  rm -f "$demo_dir-versions-shots"/[0-9]-*.png "$demo_dir-versions-shots"/[0-9]-*.bmp
  timeout "${PELMORA_DEMO_SECONDS:-300}" "$WINE" "$demo" "${demo_args[@]}" --versions \
    --shots "$demo_dir-versions-shots" "$demo_dir-versions" </dev/null && vcode=0 || vcode=$?
  say "screenshots of the install as a version are in $demo_dir-versions-shots/"
  if [ "$vcode" -eq 0 ]; then
    say "the install as a version worked (exit code 0)"
  else
    say "the install as a version did not work (exit code $vcode)"
  fi
  [ "$code" -ne 0 ] || code=$vcode
  exit "$code"
fi
