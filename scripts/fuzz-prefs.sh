#!/usr/bin/env bash
# Fuzzes the preference-file parser and its text conversions (see scripts/fuzz_common.sh) for the
# given seconds per target (default 20).
#   bash scripts/fuzz-prefs.sh        short run (the test command runs this)
#   bash scripts/fuzz-prefs.sh 1800   longer run: 30 minutes per target
set -euo pipefail
source "$(dirname "$0")/fuzz_common.sh"
seconds=${1:-20}
run_fuzz fuzz-prefs 65536 fuzz_prefs_parse:prefs fuzz_prefs_utf8:prefs
