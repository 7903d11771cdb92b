#!/usr/bin/env bash
# Installs everything the builds and tests need on a bare Debian machine (run as root).
# Idempotent: when every package is present it only checks and returns. It also makes 32-bit
# programs run, through Debian's qemu-user-static where the kernel does not run them (scripts/i386.sh).
set -euo pipefail

packages=(
  build-essential cmake g++-multilib clang libclang-rt-14-dev
  libssl-dev libgtest-dev libbenchmark-dev
  libssl-dev:i386 libgtest-dev:i386 libbenchmark-dev:i386 libc6-dev-i386
  shapelib python3
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix googletest
  wine wine64 wine32:i386
)

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  need_update=1
fi
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
for p in "${packages[@]}"; do
  case $p in
    *:*) installed "$p" || missing+=("$p") ;;
    # A package of this machine's architecture, or one for all (googletest, wine).
    *) installed "$p:$(dpkg --print-architecture)" || installed "$p:all" || missing+=("$p") ;;
  esac
done
if [ ${#missing[@]} -gt 0 ] || [ -n "${need_update:-}" ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO dpkg --add-architecture i386
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The i386 product's programs must run: natively, or through the emulator registered here.
. "$(dirname "$0")/i386.sh"
if ! i386_enable; then
  echo "setup: 32-bit programs cannot run on this machine ($I386_REASON); the i386 build will be compiled but not run"
fi
