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

status=0
say "running the host tests"
(cd "$BUILD_DIR/host" && ctest -j "$(nproc)" --output-on-failure "$@") || status=1

start_display
start_wine
say "running the Windows tests under Wine"
(cd "$BUILD_DIR/win32" && ctest -j "$(nproc)" --output-on-failure "$@") || status=1

if [ $# -eq 0 ]; then
  for fuzz in "$ROOT"/scripts/fuzz-*.sh; do
    [ -e "$fuzz" ] || continue
    say "short fuzz run: $(basename "$fuzz")"
    bash "$fuzz" "${PELMORA_FUZZ_SECONDS:-20}" || status=1
  done
fi

[ $status -eq 0 ] || die "some tests failed (see above)"
say "all tests passed"
