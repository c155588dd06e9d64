#!/usr/bin/env bash
# Runs every benchmark and prints one table: each figure against its floor or peer measured in the
# same run, the ratio (ours / floor), the target and whether it holds. The table is also written
# to $PELMORA_BUILD_DIR/bench/results.md, into docs/benchmarks.md (with what stripped pelmora.exe
# is made of) and into README.md, each between its two marks; each program's full output goes to
# bench/logs/.
#   PELMORA_BUILD_DIR=/tmp/x bash scripts/bench.sh
# It builds its own release trees (no sanitizers): bench/host (clang) and bench/win32 (mingw-w64,
# run under Wine on a virtual display). Every program bench_* under the bench/ folders of both
# trees is run; each reports its figures in lines of the form
#   BENCH|figure|ours|unit|floor or peer|floor's figure|target
# where the target applies to the ratio ours / floor ("<=1.2", ">=1.0"), to the difference
# ours - floor when it starts with "+" ("+<=4" in the figure's unit), or is "-" (figure only).
#   bash scripts/bench.sh --table   prints the last run's table again and writes it into the two
#                                   documents, without running anything
# PELMORA_BENCH_ONLY=<pattern> runs only the programs whose name matches the grep pattern (and the
# size figure only when it names "size"); the documents are then left alone.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
trap stop_all EXIT

out="$BUILD_DIR/bench"
host="$out/host"
win="$out/win32"
logs="$out/logs"
raw="$out/raw.txt"
table="$out/results.md"
sizes="$out/sizes.md"
only=${PELMORA_BENCH_ONLY:-}
begin_mark='<!-- scripts/bench.sh writes the table from here -->'
end_mark='<!-- to here -->'

table_program='
    function num(x) { return x ~ /^-?[0-9]+(\.[0-9]+)?([eE][-+]?[0-9]+)?$/ }
    {
      where = $1; figure = $2; ours = $3; unit = $4; peer = $5; floor = $6; target = $7
      ratio = "-"; holds = "-"
      if (num(ours) && num(floor) && floor + 0 != 0) {
        r = ours / floor
        ratio = (r < 0.1) ? sprintf("%.2g", r) : sprintf("%.3f", r)
      }
      if (target ~ /^\+/) {
        limit = substr(target, 4) + 0; diff = ours - floor
        ratio = ratio " (" sprintf("%+.1f", diff) " " unit ")"
        holds = (num(ours) && num(floor)) ? ((substr(target, 2, 2) == "<=" ? diff <= limit : diff >= limit) ? "yes" : "NO") : "NO"
      } else if (target ~ /^<=/) {
        holds = (ratio != "-" && ratio + 0 <= substr(target, 3) + 0) ? "yes" : "NO"
      } else if (target ~ /^>=/) {
        holds = (ratio != "-" && ratio + 0 >= substr(target, 3) + 0) ? "yes" : "NO"
      } else {
        target = "none"
      }
      if (figure ~ /FAILED/) holds = "NO"
      o = (ours == "-") ? "-" : ours " " unit
      f = (floor == "-") ? "-" : floor " " unit
      printf "| %s | %s | %s | %s | %s | %s | %s | %s |\n", figure, where, o, peer, f, ratio, target, holds
    }'

# Turns the collected BENCH lines into the table (markdown), with the date and the machine.
write_table() {
  local cpu machine
  cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//' || echo unknown)
  machine="$(hostname), $cpu, $(nproc) cores, $(uname -sr), $(wine64 --version 2>/dev/null || /usr/lib/wine/wine64 --version 2>/dev/null || echo 'no working Wine')"
  {
    printf 'Benchmarks of %s on %s\n\n' "$(date -u -r "$raw" '+%Y-%m-%d %H:%M UTC')" "$machine"
    printf '| figure | where | ours | floor or peer | floor | ratio | target | holds |\n'
    printf '|---|---|---|---|---|---|---|---|\n'
    awk -F'|' "$table_program" "$raw"
    if [ -f "$sizes" ]; then
      printf '\nWhat stripped pelmora.exe is made of (from the linker map; bytes of each input in the file):\n\n'
      cat "$sizes"
    fi
  } >"$table"
}

# replace_marked <document> <content file>: puts the content between the document's two marks.
replace_marked() {
  local doc=$1 content=$2
  grep -qxF "$begin_mark" "$doc" && grep -qxF "$end_mark" "$doc" \
    || die "$doc lacks the marks the table goes between"
  awk -v begin="$begin_mark" -v end="$end_mark" -v content="$content" '
    $0 == begin { print; while ((getline line < content) > 0) print line; skip = 1; next }
    $0 == end { skip = 0 }
    !skip { print }' "$doc" >"$doc.new" && mv "$doc.new" "$doc"
}

# The table into docs/benchmarks.md (whole) and README.md (the figures only).
write_documents() {
  replace_marked "$ROOT/docs/benchmarks.md" "$table"
  awk '/^What stripped pelmora.exe is made of/ { exit } { line[n++] = $0 }
    END { while (n > 0 && line[n - 1] == "") n--; for (i = 0; i < n; i++) print line[i] }' \
    "$table" >"$out/figures.md"
  replace_marked "$ROOT/README.md" "$out/figures.md"
  say "table written into docs/benchmarks.md and README.md"
}

# Whether the program (or figure) named $1 is to be run.
wanted() { [ -z "$only" ] || grep -q -e "$only" <<<"$1"; }

if [ "${1:-}" = "--table" ]; then
  [ -f "$raw" ] || die "no benchmark results in $out yet"
  write_table
  cat "$table"
  if [ -f "$out/raw.partial" ]; then
    say "the last run was limited by PELMORA_BENCH_ONLY: the documents are left alone"
  else
    write_documents
  fi
  exit 0
fi
mkdir -p "$logs" "$out/run"

bash "$ROOT/scripts/setup.sh" >/dev/null || die "installing the packages failed"

# The release trees: no tests, warnings as errors. Each build's output goes to a log.
release=(-DCMAKE_BUILD_TYPE=Release -DPELMORA_TESTS=OFF -DPELMORA_BENCH=ON -DPELMORA_WERROR=ON)
say "building the host benchmarks (clang, release, no sanitizers) in $host"
(configure_and_build_host_in "$host" "${release[@]}" -DPELMORA_SANITIZE=OFF) >"$logs/build-host.txt" 2>&1 \
  || die "the host build failed (see $logs/build-host.txt)"
say "building the Windows benchmarks (mingw-w64, release) in $win"
(configure_and_build_windows i686 "$win" "${release[@]}") >"$logs/build-win32.txt" 2>&1 \
  || die "the Windows build failed (see $logs/build-win32.txt)"

# The listing benchmark's folder of 100,000 empty files, made natively once (through Wine it
# takes many minutes).
listing="$out/listing-folder"
if [ ! -f "$listing/.ready" ]; then
  say "creating 100,000 files in $listing (once)"
  mkdir -p "$listing"
  (cd "$listing" && seq -f 'entry_%06g.jar' 0 99999 | xargs touch && touch .ready)
fi

winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

# Arguments of the programs that need some.
args_of() {
  case "$1" in
    bench_fs_listing.exe) winpath "$listing" ;;
  esac
}


: >"$raw"
if [ -n "$only" ]; then touch "$out/raw.partial"; else rm -f "$out/raw.partial"; fi
failed=0

# run_one <where> <program> [wine]: runs the program in a scratch folder, keeps its output and
# collects its BENCH lines, each prefixed with where it ran.
run_one() {
  local where=$1 program=$2 runner=${3:-}
  local name log args
  name=$(basename "$program")
  log="$logs/${name%.exe}-$where.txt"
  args=$(args_of "$name")
  say "running $name ($where)"
  local code=0
  (cd "$out/run" && timeout 3600 $runner "$program" ${args:+"$args"} </dev/null >"$log" 2>&1) || code=$?
  tr -d '\r' <"$log" | grep '^BENCH|' | sed "s/^BENCH|/$where|/" >>"$raw" || true
  if [ $code -ne 0 ]; then
    say "$name ($where) failed with exit code $code (see $log)"
    printf '%s|%s: FAILED (exit code %s)|-|-|-|-|-\n' "$where" "$name" "$code" >>"$raw"
    failed=1
  fi
}

while IFS= read -r program; do
  if wanted "$(basename "$program")"; then run_one host "$program"; fi
done < <(find "$host/bench" -type f -name 'bench_*' ! -name '*.*' -perm -u+x | sort)

# The Windows figures come from the 32-bit product where this machine can start 32-bit programs;
# elsewhere from its 64-bit twin under 64-bit Wine (select_wine in lib.sh), marked as such.
select_wine
bench_win=$win
where_win=Wine
if [ "$WIN_ARCH" = x86_64 ]; then
  bench_win="$out/win64"
  where_win="Wine 64-bit"
  say "building the 64-bit Windows benchmarks (mingw-w64, release) in $bench_win"
  (configure_and_build_windows x86_64 "$bench_win" "${release[@]}") >"$logs/build-win64.txt" 2>&1 \
    || die "the 64-bit Windows build failed (see $logs/build-win64.txt)"
fi
start_display
start_wine
while IFS= read -r program; do
  if wanted "$(basename "$program")"; then run_one "$where_win" "$program" "$WINE"; fi
done < <(find "$bench_win/bench" -type f -name 'bench_*.exe' | sort)

# Binary size: the program as shipped (stripped) against the floor programs built with the same
# flags and stripped the same way: the plain one, and the fair one that uses std::string,
# std::vector and std::map (the fixed cost of the static C++ runtime). The size tables come from
# pelmora.exe's linker map.
strip_tool=i686-w64-mingw32-strip
rm -f "$sizes"
if ! wanted size; then
  :
elif [ -f "$win/app/pelmora.exe" ] && [ -f "$win/bench/floor/floor_window.exe" ] \
   && [ -f "$win/bench/floor/floor_window_cpp.exe" ]; then
  "$strip_tool" -o "$out/pelmora-stripped.exe" "$win/app/pelmora.exe"
  "$strip_tool" -o "$out/floor-stripped.exe" "$win/bench/floor/floor_window.exe"
  "$strip_tool" -o "$out/floor-cpp-stripped.exe" "$win/bench/floor/floor_window_cpp.exe"
  size_kib() { awk -v b="$(stat -c %s "$1")" 'BEGIN { printf "%.1f", b / 1024 }'; }
  printf 'win32|binary size, stripped pelmora.exe|%s|KiB|minimal window program|%s|-\n' \
    "$(size_kib "$out/pelmora-stripped.exe")" "$(size_kib "$out/floor-stripped.exe")" >>"$raw"
  printf 'win32|binary size, stripped pelmora.exe|%s|KiB|minimal window program with string, vector, map|%s|+<=100\n' \
    "$(size_kib "$out/pelmora-stripped.exe")" "$(size_kib "$out/floor-cpp-stripped.exe")" >>"$raw"
  if [ -f "$win/app/pelmora.map" ]; then
    awk -v top=25 -f "$ROOT/scripts/size_table.awk" "$win/app/pelmora.map" >"$sizes"
  fi
else
  printf 'win32|binary size: FAILED (no pelmora.exe or floor program)|-|-|-|-|-\n' >>"$raw"
  failed=1
fi

write_table

echo
cat "$table"
echo
say "table written to $table; full outputs in $logs"
if [ -z "$only" ]; then
  write_documents
else
  say "PELMORA_BENCH_ONLY is set: the documents keep the last full run's table"
fi
[ $failed -eq 0 ] || die "some benchmark programs failed (see above)"
