#!/usr/bin/env bash
# Builds and runs the preference-file benchmark: the host half against libinih, then the Wine
# half against GetPrivateProfileStringA. Prints each time and the ratios.
#   PELMORA_BUILD_DIR=/tmp/x bash bench/prefs/run.sh
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
trap stop_all EXIT

host="$BUILD_DIR/bench-host"
say "building the host benchmark in $host"
cmake -S "$ROOT" -B "$host" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=Release -DPELMORA_TESTS=OFF -DPELMORA_BENCH=ON >/dev/null || die "configure failed"
cmake --build "$host" --target bench_prefs_host >/dev/null || die "host build failed"

win="$BUILD_DIR/bench-win32"
say "building the Windows benchmark in $win"
cmake -S "$ROOT" -B "$win" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-i686-mingw32.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DPELMORA_TESTS=OFF -DPELMORA_BENCH=ON >/dev/null || die "configure failed"
cmake --build "$win" --target bench_prefs_win >/dev/null || die "Windows build failed"

echo "== host (native, clang -O2): ours vs libinih"
"$host/bench/prefs/bench_prefs_host"
start_wine
echo "== Wine (mingw-w64 -O2, i686): ours vs GetPrivateProfileStringA"
wine "$win/bench/prefs/bench_prefs_win.exe" </dev/null
