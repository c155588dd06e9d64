# Shared by the scripts: build folders, a virtual display and a private Wine prefix.
# Source it; it defines functions and sets ROOT and BUILD_DIR.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${PELMORA_BUILD_DIR:-$ROOT/build}
mkdir -p "$BUILD_DIR"
BUILD_DIR=$(cd "$BUILD_DIR" && pwd)
export WINEPREFIX="$BUILD_DIR/wineprefix"
export WINEDEBUG=${WINEDEBUG:--all}
# winedbg is off: a program that crashes ends at once instead of waiting in the debugger.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml=,winemenubuilder.exe=d;winedbg.exe=d"}

say() { printf '[%s] %s\n' "$(basename "$0" .sh)" "$*"; }
die() { printf '[%s] ERROR: %s\n' "$(basename "$0" .sh)" "$*" >&2; exit 1; }

PELMORA_XVFB_PID=
PELMORA_OWN_SERVER=

# configure_and_build_windows <i686|x86_64> <folder> [cmake arguments...]
# Builds every target, or only those PELMORA_BUILD_TARGETS names (separated by spaces).
configure_and_build_windows() {
  local arch=$1 tree=$2 targets=()
  shift 2
  [ -z "${PELMORA_BUILD_TARGETS:-}" ] || read -r -a targets <<<"--target $PELMORA_BUILD_TARGETS"
  say "configuring the Windows build (mingw-w64, $arch) in $tree"
  cmake -S "$ROOT" -B "$tree" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-$arch-mingw32.cmake" "$@" >/dev/null \
    || die "cmake configure of the Windows build failed"
  say "building the Windows build ($arch)"
  cmake --build "$tree" -j "$(nproc)" "${targets[@]}" || die "the Windows build failed"
}

# The product: 32-bit Windows, in $BUILD_DIR/win32.
configure_and_build_win32() { configure_and_build_windows i686 "$BUILD_DIR/win32" "$@"; }

# True when the kernel hands 32-bit programs to an emulator (a binfmt_misc entry whose interpreter
# is qemu-i386): they then start, but far too slowly to carry the suite.
i386_emulated() {
  local entry
  for entry in /proc/sys/fs/binfmt_misc/*; do
    [ -f "$entry" ] && grep -qs '^interpreter .*qemu-i386' "$entry" && return 0
  done
  return 1
}

# Lets 32-bit programs start through qemu-i386 where the kernel cannot start them: registers the
# binfmt_misc entry "qemu-i386" (as root; binfmt_misc is mounted first when it is not). True when
# 32-bit programs can start now; PELMORA_I386_REGISTERED is set when this run made the entry, which
# unregister_i386_emulation then removes. Says why when it cannot.
BINFMT=/proc/sys/fs/binfmt_misc
PELMORA_I386_REGISTERED=
register_i386_emulation() {
  if i386_emulated; then say "32-bit programs start through qemu-i386 (registered before this run)"; return 0; fi
  local qemu=/usr/bin/qemu-i386-static
  [ -x "$qemu" ] || { I386_WHY="$qemu is missing"; return 1; }
  if [ ! -e "$BINFMT/register" ]; then
    mount -t binfmt_misc binfmt_misc "$BINFMT" 2>/dev/null || { I386_WHY="binfmt_misc cannot be mounted at $BINFMT"; return 1; }
  fi
  local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  printf '%s' ":qemu-i386:M::$magic:$mask:$qemu:F" 2>/dev/null >"$BINFMT/register" \
    || { I386_WHY="$BINFMT/register cannot be written (not root, or not allowed here)"; return 1; }
  PELMORA_I386_REGISTERED=1
  say "registered qemu-i386 with binfmt_misc: 32-bit programs start through emulation until the end of this run"
}

unregister_i386_emulation() {
  if [ -n "$PELMORA_I386_REGISTERED" ] && [ -e "$BINFMT/qemu-i386" ]; then
    echo -1 >"$BINFMT/qemu-i386" && say "removed the binfmt_misc entry qemu-i386"
  fi
  PELMORA_I386_REGISTERED=
}

# Which Wine runs the Windows programs. The product is 32-bit, but some machines' kernels cannot
# start 32-bit programs at all ("Exec format error"); there the tests run a 64-bit build of the
# same sources under 64-bit Wine. Sets WIN_ARCH (i686 or x86_64), WIN_TREE (the build folder
# whose programs run here), WINE (the loader to call) and the matching prefix.
# PELMORA_WIN_ARCH=x86_64 forces the 64-bit way.
select_wine() {
  WIN_ARCH=${PELMORA_WIN_ARCH:-}
  if [ -z "$WIN_ARCH" ]; then
    if ! i386_emulated && { [ ! -e /lib/ld-linux.so.2 ] || /lib/ld-linux.so.2 --version >/dev/null 2>&1; }; then
      WIN_ARCH=i686
    else
      WIN_ARCH=x86_64
    fi
  fi
  if [ "$WIN_ARCH" = x86_64 ]; then
    WIN_TREE="$BUILD_DIR/win64"
    WINE=/usr/lib/wine/wine64
    export WINELOADER=$WINE WINEARCH=win64 WINEPREFIX="$BUILD_DIR/wineprefix64"
    say "this machine cannot start 32-bit programs: the Windows programs run as a 64-bit build under 64-bit Wine"
  else
    WIN_TREE="$BUILD_DIR/win32"
    WINE=wine
  fi
}

# The build whose programs run here: the product itself, or its 64-bit twin (see select_wine).
configure_and_build_win_runnable() {
  [ -n "${WIN_ARCH:-}" ] || select_wine
  if [ "$WIN_ARCH" = x86_64 ]; then
    configure_and_build_windows x86_64 "$WIN_TREE" "$@"
  fi
}

# The host build (clang; sanitizers unless PELMORA_SANITIZE=OFF is passed) in $BUILD_DIR/host.
configure_and_build_host() { configure_and_build_host_in "$BUILD_DIR/host" -DPELMORA_BENCH=OFF "$@"; }

# configure_and_build_host_in <folder> [cmake arguments...]: the same in another folder.
configure_and_build_host_in() {
  local tree=$1
  shift
  say "configuring the host build (clang) in $tree"
  cmake -S "$ROOT" -B "$tree" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    "$@" >/dev/null || die "cmake configure of the host build failed"
  say "building the host build in $tree"
  cmake --build "$tree" -j "$(nproc)" || die "the host build failed"
}

# Starts Xvfb on a free display unless DISPLAY is set.
start_display() {
  if [ -n "${DISPLAY:-}" ]; then
    say "using the display $DISPLAY"
    return
  fi
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
  PELMORA_XVFB_PID=$!
  for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    sleep 0.1
  done
  [ -e "/tmp/.X11-unix/X$n" ] || die "Xvfb did not start on :$n"
  export DISPLAY=":$n"
  say "started a virtual display $DISPLAY (Xvfb)"
}

# The process of this prefix whose command line is $1 (a pattern for pgrep -f), if one runs.
wine_process_running() {
  local pid
  for pid in $(pgrep -f "$1"); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && return 0
  done
  return 1
}

# Creates the private prefix once, with Wine's virtual desktop (window frames, activation and
# focus as on Windows), then starts a persistent wineserver, Wine's services and the desktop
# with every output closed, so that no test inherits them.
#
# Every program Wine starts keeps its parent's standard error, and ctest waits for the end of a
# test's output pipe, not for the test. The desktop window belongs to an explorer.exe that the
# first program needing it starts, and it lives until no program of the prefix has run for a
# second: started by a test while another test runs, it held the first test's pipe open until
# its time limit. So the desktop is started here, and a program that waits for input which
# never comes (cmd reading a pipe that nobody writes) keeps it in use until stop_all.
start_wine() {
  [ -n "${WIN_ARCH:-}" ] || select_wine
  # A prefix made while 32-bit programs could not start lacks its 32-bit half: made anew when
  # they can start now (the shipped program's scenarios need it; about four minutes emulated).
  if i386_emulated && [ ! -e "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
    rm -f "$WINEPREFIX/.pelmora-ready"
  fi
  if [ ! -f "$WINEPREFIX/.pelmora-ready" ]; then
    say "creating the Wine prefix $WINEPREFIX (once: about 15 s, or four minutes with its 32-bit half emulated)"
    rm -rf "$WINEPREFIX"
    "$WINE" wineboot -i </dev/null >/dev/null 2>&1 || die "wineboot failed"
    "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1
    "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f </dev/null >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.pelmora-ready"
  fi
  provide_symbol_font
  # A server left running for this prefix is reused (wineserver -p then declines to start).
  wineserver -p </dev/null >/dev/null 2>&1 || true
  "$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || die "Wine does not run programs"
  PELMORA_OWN_SERVER=1
  start_desktop
}

# Wine draws the caption buttons (close box, minimise, maximise) with glyphs of the Marlett
# symbol font; a prefix without it shows letters there instead ("r" for the close box). Wine's
# own Marlett (Debian's fonts-wine, which scripts/setup.sh installs) is not found by every Wine
# loader in the data folder, so it is put into the prefix's Fonts folder, where every loader looks.
provide_symbol_font() {
  local font=/usr/share/wine/fonts/marlett.ttf fonts="$WINEPREFIX/drive_c/windows/Fonts"
  [ -f "$font" ] || { say "warning: $font is missing (fonts-wine): caption buttons show letters"; return 0; }
  mkdir -p "$fonts"
  cmp -s "$font" "$fonts/marlett.ttf" || cp "$font" "$fonts/marlett.ttf"
}

# Starts the keeper and waits until it runs (a running program counts as a user of the desktop),
# then the desktop: rundll32 makes a window, which starts explorer.exe and waits for it.
start_desktop() {
  local keeper='cmd\.exe /k title pelmora-desktop' fifo keep
  if ! wine_process_running "$keeper"; then
    fifo=$(mktemp -u "${TMPDIR:-/tmp}/pelmora-desktop.XXXXXX")
    mkfifo "$fifo" || die "mkfifo $fifo failed"
    # Opened for reading and writing, the pipe never ends; the keeper holds the only opening.
    exec {keep}<>"$fifo"
    rm -f "$fifo"
    "$WINE" cmd /k title pelmora-desktop <&"$keep" >/dev/null 2>&1 &
    exec {keep}>&-
    for _ in $(seq 1 150); do
      wine_process_running "$keeper" && break
      sleep 0.1
    done
  fi
  "$WINE" rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1 || true
  wine_process_running "$keeper" && wine_process_running 'explorer\.exe /desktop' \
    || say "warning: Wine's desktop is not kept up; a test that starts it may end late"
}

stop_all() {
  if [ -n "$PELMORA_OWN_SERVER" ]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  fi
  if [ -n "$PELMORA_XVFB_PID" ]; then
    kill "$PELMORA_XVFB_PID" 2>/dev/null || true
    wait "$PELMORA_XVFB_PID" 2>/dev/null || true
  fi
}
