# The body of every scripts/fuzz-*.sh (sourced, not run): builds the named libFuzzer targets with
# clang in their own build folder, replays every kept crash input, then fuzzes each target for
# $seconds. Each target's inputs: the corpus kept in the repository (fuzz/<folder>/corpus, or
# fuzz/<folder>/corpus-<target> where a target of a shared folder has one of its own, and
# fuzz/<folder>/seeds where it exists, read only) plus new inputs in the build folder;
# PELMORA_FUZZ_MERGE=1 merges the new ones back into fuzz/<folder>/corpus, minimised. A crashing
# input is kept in the build folder and belongs in fuzz/<folder>/regressions/.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# run_fuzz <build folder name> <max input length> <target>:<folder> ...; returns non-zero when a
# target crashes.
run_fuzz() {
  local dir="$BUILD_DIR/$1" max_len=$2
  shift 2
  local pairs=("$@") targets=() pair
  for pair in "${pairs[@]}"; do targets+=("${pair%%:*}"); done

  say "configuring the fuzz build in $dir"
  cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DPELMORA_FUZZ=ON -DPELMORA_TESTS=OFF -DPELMORA_BENCH=OFF -DPELMORA_WERROR=ON >/dev/null || die "cmake configure failed"
  cmake --build "$dir" -j "$(nproc)" --target "${targets[@]}" >/dev/null || die "the fuzz build failed"

  local status=0 target folder program corpus kept crashes inputs dict regressions
  for pair in "${pairs[@]}"; do
    target=${pair%%:*}
    folder=${pair#*:}
    program="$dir/fuzz/$folder/$target"
    corpus="$dir/corpus/$target"
    kept="$ROOT/fuzz/$folder/corpus"
    [ -d "$ROOT/fuzz/$folder/corpus-$target" ] && kept="$ROOT/fuzz/$folder/corpus-$target"
    crashes="$dir/crashes/$target"
    mkdir -p "$corpus" "$crashes"
    inputs=("$corpus")
    [ -d "$kept" ] && inputs+=("$kept")
    [ -d "$ROOT/fuzz/$folder/seeds" ] && inputs+=("$ROOT/fuzz/$folder/seeds")

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

    # A dictionary of record signatures lets the fuzzer reach past the first checks early.
    dict=()
    [ -f "$ROOT/fuzz/$folder/$target.dict" ] && dict=(-dict="$ROOT/fuzz/$folder/$target.dict")
    say "fuzzing $target for $seconds s"
    if ! "$program" "${dict[@]}" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len="$max_len" \
         -print_final_stats=1 -artifact_prefix="$crashes/" "${inputs[@]}" >"$dir/$target.log" 2>&1; then
      tail -n 40 "$dir/$target.log" >&2
      say "$target found a crash (input kept in $crashes)"
      status=1
      continue
    fi
    say "$target: $(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$dir/$target.log" | grep -Eo '[0-9]+$' || echo '?') runs, $(grep -Eo 'cov: [0-9]+' "$dir/$target.log" | tail -1 || echo 'cov: ?')"
    if [ "${PELMORA_FUZZ_MERGE:-0}" = 1 ]; then
      mkdir -p "$kept"
      "$program" -merge=1 "$kept" "$corpus" >"$dir/$target-merge.log" 2>&1 || die "merging the corpus of $target failed"
      say "$target: corpus in the repository now holds $(ls "$kept" | wc -l) inputs"
    fi
  done
  return $status
}
