#!/usr/bin/env bash
# Fuzzes the jar check, the jar merge and the launcher's JSON files (see scripts/fuzz_common.sh)
# for the given seconds (default 20).
#   bash scripts/fuzz-jar.sh         short run (the test command runs this)
#   bash scripts/fuzz-jar.sh 600     10 minutes (scripts/fuzz.sh runs every fuzz script)
set -euo pipefail
source "$(dirname "$0")/fuzz_common.sh"
seconds=${1:-20}
run_fuzz fuzz-jar 8192 fuzz_jar_check:app fuzz_jar_merge:app fuzz_version_json:app
