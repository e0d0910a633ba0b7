#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the program need: both cross compilers
# always, Wine's 32-bit half (and the i386 architecture) only where this machine runs 32-bit code.
# Idempotent and non-interactive; run as root (or through sudo).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=scripts/wine-common.sh
source "$root/scripts/wine-common.sh"

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

PKGS=(
  cmake make
  g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-i686-dev
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  googletest wine wine64 xvfb xauth x11-utils imagemagick
  locales fonts-ipafont-gothic fonts-wine
)

need=0
if lumevarin_runs_i386 "$root/build"; then
  PKGS+=(wine32:i386)
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
    need=1
  fi
fi
for p in "${PKGS[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    need=1
  fi
done
if [ "$need" -eq 1 ]; then
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${PKGS[@]}"
fi

# Japanese locale, so that Wine runs with the ANSI code page 932.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf8$'; then
  if ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen
fi
echo "setup: all packages present"
