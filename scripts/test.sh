#!/usr/bin/env bash
# Builds and runs every test: the i386 product build and the 64-bit sanitizer builds.
# Installs what is missing first. Exits non-zero when any build or test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

jobs=$(nproc)
run_build() {  # name, cmake args...
  local name=$1; shift
  echo "=== build $name"
  cmake -S . -B "build/$name" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "build/$name" -j"$jobs"
  echo "=== test $name"
  ctest --test-dir "build/$name" --output-on-failure -j"$jobs"
}

run_build i386 -DCMAKE_TOOLCHAIN_FILE=cmake/i386.cmake
run_build x64-asan -DZEPHYR_SANITIZE=address -DZEPHYR_BENCH=OFF
