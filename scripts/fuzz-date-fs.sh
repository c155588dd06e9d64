#!/usr/bin/env bash
# Fuzzes date_format / date_make and the file path handling (see scripts/fuzz_common.sh) for the
# given seconds per target (default 20).
#   bash scripts/fuzz-date-fs.sh         short run (the test command runs this)
#   bash scripts/fuzz-date-fs.sh 600     10 minutes per target (scripts/fuzz.sh runs them all)
set -euo pipefail
source "$(dirname "$0")/fuzz_common.sh"
seconds=${1:-20}
run_fuzz fuzz-date-fs 4096 fuzz_date:date fuzz_fs_path:fs
