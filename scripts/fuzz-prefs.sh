#!/usr/bin/env bash
# Builds the preference-file fuzz targets (clang host build with libFuzzer, in its own build
# folder) and runs each for the given number of seconds (default 20). Exits non-zero when a
# target finds a crash; the crashing input is kept in the build folder.
#   bash scripts/fuzz-prefs.sh        short run (the test command runs this)
#   bash scripts/fuzz-prefs.sh 1800   longer run: 30 minutes per target
set -euo pipefail
source "$(dirname "$0")/lib.sh"

seconds=${1:-20}
dir="$BUILD_DIR/fuzz-prefs"
targets=(fuzz_prefs_parse fuzz_prefs_utf8)

say "configuring the fuzz build in $dir"
cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DPELMORA_FUZZ=ON -DPELMORA_TESTS=OFF -DPELMORA_BENCH=OFF >/dev/null || die "cmake configure failed"
cmake --build "$dir" -j "$(nproc)" --target "${targets[@]}" >/dev/null || die "the fuzz build failed"

status=0
for target in "${targets[@]}"; do
  corpus="$dir/corpus/$target"
  mkdir -p "$corpus" "$dir/crashes"
  say "fuzzing $target for $seconds s"
  if ! (cd "$dir/crashes" && "$dir/fuzz/prefs/$target" -max_total_time="$seconds" -rss_limit_mb=2048 \
        -max_len=65536 -print_final_stats=0 "$corpus" "$ROOT/fuzz/prefs/seeds" >"$dir/$target.log" 2>&1); then
    tail -n 40 "$dir/$target.log" >&2
    say "$target found a crash (input kept in $dir/crashes)"
    status=1
  else
    say "$target: $(grep -Eo 'Done [0-9]+ runs' "$dir/$target.log" | tail -1 || echo done)"
  fi
done
exit $status
