#!/usr/bin/env bash
# Installs everything the builds and tests need on a bare Debian machine (run as root).
# Idempotent: when every package is present it only checks and returns. It also makes 32-bit
# programs run, through Debian's qemu-user-static where the kernel does not run them (scripts/i386.sh).
# The i386 packages come last, once that is settled: their maintainer scripts may run 32-bit programs.
set -euo pipefail

native_packages=(
  build-essential cmake g++-multilib libc6-dev-i386 clang libclang-rt-14-dev
  libssl-dev libgtest-dev libbenchmark-dev
  shapelib python3
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix googletest
  wine wine64
)
i386_packages=(libssl-dev:i386 libgtest-dev:i386 libbenchmark-dev:i386 wine32:i386)

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

# install_missing PACKAGE...: installs those not installed yet; says and does nothing when all are.
install_missing() {
  local p missing=()
  for p in "$@"; do
    case $p in
      *:*) installed "$p" || missing+=("$p") ;;
      # A package of this machine's architecture, or one for all (googletest, wine).
      *) installed "$p:$(dpkg --print-architecture)" || installed "$p:all" || missing+=("$p") ;;
    esac
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
}

install_missing "${native_packages[@]}"

# The i386 product's programs must run: natively, or through the emulator registered here.
. "$(dirname "$0")/i386.sh"
if ! i386_enable; then
  echo "setup: 32-bit programs cannot run on this machine ($I386_REASON); the i386 build will be compiled but not run"
fi

# The i386 build compiles against these whether or not its programs can run.
dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
install_missing "${i386_packages[@]}"
