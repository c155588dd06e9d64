# Reads a GNU ld map file of a PE program and prints two markdown tables of the bytes each input
# contributes to the file (every section but .bss, .tls data kept, debug sections left out, since
# strip removes them): per linked library (or object file given on the command line) and per
# object file, largest first. Code that link-time optimisation merged is one "LTO" object.
#   awk -v top=20 -f scripts/size_table.awk pelmora.map
function hex(text,    i, n) {
  n = 0; text = tolower(substr(text, 3))
  for (i = 1; i <= length(text); i++) n = n * 16 + index("0123456789abcdef", substr(text, i, 1)) - 1
  return n
}
function base(path) { sub(/.*\//, "", path); return path }
function add(section, size, file,    lib, obj) {
  if (file ~ /^LONG / || section ~ /^\.(bss|debug|zdebug|stab)/ || section ~ /^COMMON/ || size == 0) return
  if (file ~ /ltrans[0-9]*\.ltrans\.o$/) { lib = "our code after LTO"; obj = "LTO partitions" }
  else if (file == "dll stuff") { lib = "made by the linker"; obj = "base relocations" }
  else if (match(file, /\(.*\)$/)) { lib = base(substr(file, 1, RSTART - 1)); obj = substr(file, RSTART + 1, RLENGTH - 2) }
  else { lib = base(file); obj = lib }
  by_lib[lib] += size
  by_obj[lib == obj ? obj : lib ": " obj] += size
  total += size
}
function print_sorted(title, table, limit,    n, keys, i, j, t, shown, rest) {
  n = 0
  for (k in table) keys[++n] = k
  for (i = 2; i <= n; i++) { t = keys[i]; for (j = i - 1; j >= 1 && table[keys[j]] < table[t]; j--) keys[j + 1] = keys[j]; keys[j + 1] = t }
  printf "| %s | bytes | share |\n|---|---|---|\n", title
  shown = 0; rest = 0
  for (i = 1; i <= n; i++) {
    if (limit && i > limit) { rest += table[keys[i]]; continue }
    printf "| %s | %d | %.1f%% |\n", keys[i], table[keys[i]], 100 * table[keys[i]] / total
  }
  if (rest) printf "| (%d more) | %d | %.1f%% |\n", n - limit, rest, 100 * rest / total
  printf "| total | %d | 100%% |\n\n", total
}
/^Linker script and memory map/ { inmap = 1; next }
!inmap { next }
# " .text   0x00401000   0x1a4 file" on one line, or the section name alone and the rest below.
/^ [^ ]+ +0x[0-9a-f]+ +0x[0-9a-f]+ +[^ ]/ { f = $0; sub(/^ [^ ]+ +0x[0-9a-f]+ +0x[0-9a-f]+ +/, "", f); add($1, hex($3), f); pending = ""; next }
/^ [^ ]+$/ { pending = $1; next }
pending != "" && /^ +0x[0-9a-f]+ +0x[0-9a-f]+ +[^ ]/ { f = $0; sub(/^ +0x[0-9a-f]+ +0x[0-9a-f]+ +/, "", f); add(pending, hex($2), f); pending = ""; next }
{ pending = "" }
END {
  print_sorted("library or object file", by_lib, 0)
  print_sorted("object file", by_obj, top ? top : 25)
}
