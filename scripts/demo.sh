#!/usr/bin/env bash
# The main job: builds the product and runs a sample trading day with the stand-in host.
#   ZEPHYR_ARCH=x64 (default)  the native 64-bit build, build/x64
#   ZEPHYR_ARCH=i386           the 32-bit product, build/i386 (through the emulator where the
#                              kernel runs no 32-bit programs)
# Arguments go to `zephyr-host demo` (--seconds N, --rate N, --shares N, ...).
# It builds the programs that the install and the package hold (target zephyr-programs: the
# driver, nimbus.so, zephyr-host and zephyr-sampleday), none of the tests. Everything but the
# host's own output goes to stderr, so that `--json` leaves only JSON on stdout.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh >&2
. scripts/build-choice.sh
zephyr_choose_build "${ZEPHYR_ARCH:-x64}"
cmake --build "$ZEPHYR_BUILD_DIR" --target zephyr-programs -j"$(nproc)" >&2
exec "$ZEPHYR_BUILD_DIR"/host/zephyr-host demo "$@"
