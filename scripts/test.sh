#!/usr/bin/env bash
# Builds everything and runs every test: the host build (platform-free code under ASan/UBSan),
# the Windows build under Wine on a virtual display, and the short fuzz runs.
# Extra arguments go to ctest (for example: -R prefs, or -L gui for one label: unit, gui, e2e,
# soak, ship). PELMORA_BUILD_DIR chooses the build folder; PELMORA_TREE=host or win32 builds and tests
# that tree alone (and skips the package and fuzz steps).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
trap 'stop_all; unregister_i386_emulation' EXIT

# Warnings are errors here, as in CI; PELMORA_WERROR=OFF lets a work in progress build anyway.
werror=${PELMORA_WERROR:-ON}
tree=${PELMORA_TREE:-}
case "$tree" in
  ""|host|win32) ;;
  *) die "PELMORA_TREE must be host or win32, not '$tree'" ;;
esac
want_host() { [ "$tree" != win32 ]; }
want_win32() { [ "$tree" != host ]; }

# True when the example <folder> shows a swap: bin/minecraft.jar equals one of its jar/*.jar and
# bin/backup/ holds exactly one jar, which differs from it (the old client jar).
swap_shown() {
  local client="$1/game/bin/minecraft.jar" jar matched=0
  local backups=("$1"/game/bin/backup/*.jar)
  [ -f "$client" ] && [ "${#backups[@]}" -eq 1 ] && [ -f "${backups[0]}" ] || return 1
  ! cmp -s "$client" "${backups[0]}" || return 1
  for jar in "$1"/jar/*.jar; do
    if cmp -s "$client" "$jar"; then matched=1; fi
  done
  [ "$matched" -eq 1 ]
}

# True when the versions example <folder> shows an install as a version: some jar/<id>.jar is
# now also game/versions/<id>/<id>.jar beside its json.
version_shown() {
  local jar id
  for jar in "$1"/jar/*.jar; do
    id=$(basename "$jar" .jar)
    if cmp -s "$jar" "$1/game/versions/$id/$id.jar" && [ -f "$1/game/versions/$id/$id.json" ]; then
      return 0
    fi
  done
  return 1
}

bash "$ROOT/scripts/setup.sh" || die "installing the packages failed"
if want_host; then configure_and_build_host -DPELMORA_TESTS=ON -DPELMORA_WERROR="$werror"; fi
if want_win32; then
  configure_and_build_win32 -DPELMORA_TESTS=ON -DPELMORA_BENCH=ON -DPELMORA_WERROR="$werror"
  select_wine
  # The shipped 32-bit program itself runs a few scenarios (label ship): natively where the kernel
  # starts 32-bit programs, else through qemu-i386, driven from the 64-bit twin's tree.
  ship=()
  if [ "$WIN_ARCH" = x86_64 ]; then
    if register_i386_emulation; then
      ship=(-DPELMORA_SHIP_EXE="$BUILD_DIR/win32/app/pelmora.exe")
    else
      ship=(-DPELMORA_SHIP_EXE=)
      say "!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!"
      say "!!! THE SHIPPED PROGRAM WAS NOT STARTED: this machine cannot start 32-bit programs and"
      say "!!! qemu-i386 could not be registered ($I386_WHY). The ship label is skipped."
      say "!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!"
    fi
  fi
  configure_and_build_win_runnable -DPELMORA_TESTS=ON -DPELMORA_WERROR="$werror" "${ship[@]}"
fi

# Every test carries exactly one of the labels, so that running the labels one by one runs
# every test once.
check_labels() {
  local total sum=0 label n
  total=$(cd "$1" && ctest -N | sed -n 's/^Total Tests: //p')
  for label in unit gui e2e soak ship; do
    n=$(cd "$1" && ctest -N -L "^$label\$" | sed -n 's/^Total Tests: //p')
    sum=$((sum + n))
  done
  [ "$sum" -eq "$total" ] || { say "$1: $total tests but $sum labelled unit, gui, e2e, soak or ship"; return 1; }
}

status=0
if want_host; then
  check_labels "$BUILD_DIR/host" || status=1
  say "running the host tests"
  (cd "$BUILD_DIR/host" && ctest -j "$(nproc)" --output-on-failure "$@") || status=1
fi

if want_win32; then
  check_labels "$WIN_TREE" || status=1
  start_display
  start_wine
  say "running the Windows tests under Wine"
  (cd "$WIN_TREE" && ctest -j "$(nproc)" --output-on-failure "$@") || status=1
fi

if [ $# -eq 0 ] && [ -z "$tree" ]; then
  say "packaging: cpack in the Windows build"
  rm -rf "$BUILD_DIR/win32/package"
  if (cd "$BUILD_DIR/win32" && cpack >"$BUILD_DIR/cpack.log" 2>&1) && zip=$(ls "$BUILD_DIR"/win32/package/pelmora-*-win32.zip) \
     && [ "$(cmake -E tar tf "$zip" | sed 's|^pelmora-[^/]*-win32/||' | LC_ALL=C sort | tr '\n' ' ')" = "LIESMICH.txt jar/ pelmora.exe " ]; then
    say "package $(basename "$zip"): pelmora.exe, jar/, LIESMICH.txt"
  else
    say "the package is missing or its contents are wrong (see $BUILD_DIR/cpack.log)"; status=1
  fi
  # The README's run command, headless, on an example of its own: it must exit 0, and the
  # example's client jar must now be one of its jars, with one backup holding the old one.
  say "the run command: a jar swap on a fresh example (log: $BUILD_DIR/run-check.log)"
  stop_all
  PELMORA_XVFB_PID= PELMORA_OWN_SERVER=
  check="$BUILD_DIR/demo-check"
  if env -u DISPLAY PELMORA_DEMO_DIR="$check" PELMORA_DEMO_FRESH=1 bash "$ROOT/scripts/run.sh" \
       >"$BUILD_DIR/run-check.log" 2>&1 && swap_shown "$check" && version_shown "$check-versions"; then
    say "the run command swapped the client jar and made a backup, and installed a jar as a version"
  else
    say "the run command did not show a swap (see $BUILD_DIR/run-check.log)"; status=1
  fi
  for fuzz in "$ROOT"/scripts/fuzz-*.sh; do
    [ -e "$fuzz" ] || continue
    say "short fuzz run: $(basename "$fuzz")"
    bash "$fuzz" "${PELMORA_FUZZ_SECONDS:-20}" || status=1
  done
fi

[ $status -eq 0 ] || die "some tests failed (see above)"
say "all tests passed"
