#!/usr/bin/env bash
# The main job: builds the product and runs a sample trading day with the stand-in host.
#   ZEPHYR_ARCH=x64 (default)  the native 64-bit build, build/x64
#   ZEPHYR_ARCH=i386           the 32-bit product, build/i386 (through the emulator where the
#                              kernel runs no 32-bit programs)
# Arguments go to `zephyr-host demo` (--seconds N, --rate N, --shares N, ...).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
. scripts/build-choice.sh
zephyr_choose_build "${ZEPHYR_ARCH:-x64}"
cmake --build "$ZEPHYR_BUILD_DIR" --target zephyr-host -j"$(nproc)"
exec "$ZEPHYR_BUILD_DIR"/host/zephyr-host demo "$@"
