#!/usr/bin/env bash
# The long fuzz campaign: runs every scripts/fuzz-*.sh (each builds its targets on the host with
# libFuzzer and fuzzes them one after the other) for the given seconds per target, by default
# 600 (10 minutes). The test command runs the same scripts for 20 s each.
#   PELMORA_BUILD_DIR=/tmp/x bash scripts/fuzz.sh [seconds]
# PELMORA_FUZZ_MERGE=1 merges new inputs into the corpus kept in the repository
# (fuzz/<folder>/corpus), minimised.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

seconds=${1:-600}
status=0
for fuzz in "$ROOT"/scripts/fuzz-*.sh; do
  say "$(basename "$fuzz"): $seconds s per target"
  bash "$fuzz" "$seconds" || status=1
done
[ $status -eq 0 ] || die "a fuzz target found a crash (see above)"
say "no crash found"
