#!/usr/bin/env bash
# Builds the fuzz target of the jar check (clang host build with libFuzzer, in its own build
# folder), replays every kept crash input, then runs it for the given number of seconds (default
# 20). The corpus lives in the repository
# (fuzz/<folder>/corpus); new inputs go to the build folder, and PELMORA_FUZZ_MERGE=1 merges them
# back into the repository's corpus, minimised. Exits non-zero when a target crashes; the
# crashing input is kept in the build folder and belongs in fuzz/<folder>/regressions/.
#   bash scripts/fuzz-jar.sh         short run (the test command runs this)
#   bash scripts/fuzz-jar.sh 600     10 minutes per target (scripts/fuzz.sh runs them all)
set -euo pipefail
source "$(dirname "$0")/lib.sh"

seconds=${1:-20}
dir="$BUILD_DIR/fuzz-jar"
declare -A folder_of=([fuzz_jar_check]=app)
targets=(fuzz_jar_check)

say "configuring the fuzz build in $dir"
cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DPELMORA_FUZZ=ON -DPELMORA_TESTS=OFF -DPELMORA_BENCH=OFF >/dev/null || die "cmake configure failed"
cmake --build "$dir" -j "$(nproc)" --target "${targets[@]}" >/dev/null || die "the fuzz build failed"

status=0
for target in "${targets[@]}"; do
  folder=${folder_of[$target]}
  program="$dir/fuzz/$folder/$target"
  corpus="$dir/corpus/$target"
  kept="$ROOT/fuzz/$folder/corpus"
  crashes="$dir/crashes/$target"
  mkdir -p "$corpus" "$crashes" "$kept"

  regressions=("$ROOT/fuzz/$folder/regressions"/*)
  if [ -e "${regressions[0]}" ]; then
    say "$target: replaying ${#regressions[@]} kept crash inputs"
    if ! "$program" -runs=1 "${regressions[@]}" >"$dir/$target-regressions.log" 2>&1; then
      tail -n 40 "$dir/$target-regressions.log" >&2
      say "$target crashes on a kept input again"
      status=1
      continue
    fi
  fi

  # The record signatures, so that the fuzzer reaches past the first checks early.
  dict=()
  [ -f "$ROOT/fuzz/$folder/$target.dict" ] && dict=(-dict="$ROOT/fuzz/$folder/$target.dict")
  say "fuzzing $target for $seconds s"
  if ! "$program" "${dict[@]}" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=8192 -print_final_stats=1 \
       -artifact_prefix="$crashes/" "$corpus" "$kept" >"$dir/$target.log" 2>&1; then
    tail -n 40 "$dir/$target.log" >&2
    say "$target found a crash (input kept in $crashes)"
    status=1
    continue
  fi
  say "$target: $(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$dir/$target.log" | grep -Eo '[0-9]+$' || echo '?') runs, $(grep -Eo 'cov: [0-9]+' "$dir/$target.log" | tail -1 || echo 'cov: ?')"
  if [ "${PELMORA_FUZZ_MERGE:-0}" = 1 ]; then
    "$program" -merge=1 "$kept" "$corpus" >"$dir/$target-merge.log" 2>&1 || die "merging the corpus of $target failed"
    say "$target: corpus in the repository now holds $(ls "$kept" | wc -l) inputs"
  fi
done
exit $status
