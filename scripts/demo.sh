#!/usr/bin/env bash
# The main job: builds the product and runs a sample trading day.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build/i386 -DCMAKE_TOOLCHAIN_FILE=cmake/i386.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/i386 -j"$(nproc)"
if [ -x build/i386/host/zephyr-host ]; then
  exec build/i386/host/zephyr-host demo "$@"
fi
echo "Built build/i386. The demo host is not built yet: it will generate a sample trading day,"
echo "load Zephyr.so with the stand-in level-2 module and print a summary of the day."
