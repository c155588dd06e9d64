#!/usr/bin/env bash
# Builds everything and runs every test: the host build (platform-free code under ASan/UBSan),
# the Windows build under Wine on a virtual display, and the short fuzz runs.
# Extra arguments go to ctest (for example: -R prefs). PELMORA_BUILD_DIR chooses the build folder.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
trap stop_all EXIT

bash "$ROOT/scripts/setup.sh" || die "installing the packages failed"
configure_and_build_host -DPELMORA_TESTS=ON
configure_and_build_win32 -DPELMORA_TESTS=ON -DPELMORA_BENCH=ON
select_wine
configure_and_build_win_runnable -DPELMORA_TESTS=ON

status=0
say "running the host tests"
(cd "$BUILD_DIR/host" && ctest -j "$(nproc)" --output-on-failure "$@") || status=1

start_display
start_wine
say "running the Windows tests under Wine"
(cd "$WIN_TREE" && ctest -j "$(nproc)" --output-on-failure "$@") || status=1

if [ $# -eq 0 ]; then
  say "packaging: cpack in the Windows build"
  rm -rf "$BUILD_DIR/win32/package"
  if (cd "$BUILD_DIR/win32" && cpack >"$BUILD_DIR/cpack.log" 2>&1) && zip=$(ls "$BUILD_DIR"/win32/package/pelmora-*-win32.zip) \
     && [ "$(cmake -E tar tf "$zip" | sed 's|^pelmora-[^/]*-win32/||' | LC_ALL=C sort | tr '\n' ' ')" = "LIESMICH.txt jar/ pelmora.exe " ]; then
    say "package $(basename "$zip"): pelmora.exe, jar/, LIESMICH.txt"
  else
    say "the package is missing or its contents are wrong (see $BUILD_DIR/cpack.log)"; status=1
  fi
  for fuzz in "$ROOT"/scripts/fuzz-*.sh; do
    [ -e "$fuzz" ] || continue
    say "short fuzz run: $(basename "$fuzz")"
    bash "$fuzz" "${PELMORA_FUZZ_SECONDS:-20}" || status=1
  done
fi

[ $status -eq 0 ] || die "some tests failed (see above)"
say "all tests passed"
