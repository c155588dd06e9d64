#!/usr/bin/env bash
# Installs every Debian package the build, the run and the tests need. Idempotent: does nothing
# when everything is already there.
set -euo pipefail

say() { printf '[setup] %s\n' "$*"; }
die() { printf '[setup] ERROR: %s\n' "$*" >&2; exit 1; }

packages=(
  cmake ninja-build make g++ clang libclang-rt-14-dev
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-tools
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  googletest libinih-dev libjsmn-dev
  wine wine32:i386 wine64
  libxrender1:i386 libxcursor1:i386 libxi6:i386 libxrandr2:i386 libxfixes3:i386
  libxinerama1:i386 libxcomposite1:i386 libxxf86vm1:i386
  libxrender1 libxcursor1 libxi6 libxrandr2 libxfixes3 libxinerama1 libxcomposite1 libxxf86vm1
  fonts-wine fonts-liberation
  xvfb xauth x11-utils xdotool imagemagick icoutils procps
  python3 python3-xlib unzip
  qemu-user-static
)

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  need_i386=1
else
  need_i386=0
fi
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ] && [ "$need_i386" -eq 0 ]; then
  say "all packages present"
  exit 0
fi

[ "$(id -u)" -eq 0 ] || SUDO=sudo
SUDO=${SUDO:-}
command -v apt-get >/dev/null || die "apt-get not found: this script needs Debian or a derivative"

if [ "$need_i386" -eq 1 ]; then
  say "adding the i386 architecture (32-bit Wine)"
  $SUDO dpkg --add-architecture i386
fi
say "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq || die "apt-get update failed"
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null \
  || die "apt-get install failed for: ${missing[*]}"
say "packages installed"
