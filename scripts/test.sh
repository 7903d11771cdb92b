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

# libFuzzer stage (clang): build only the fuzz targets listed by fuzz/CMakeLists.txt and run each
# for a short time (FUZZ_SECONDS, default 20) from its seed folder; a crash fails the script.
echo "=== build fuzz"
CC=clang CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZEPHYR_FUZZ=ON -DZEPHYR_BENCH=OFF >/dev/null
while read -r target _; do
  cmake --build build/fuzz --target "$target" -j"$jobs" </dev/null
done < build/fuzz/fuzz_targets.txt
echo "=== fuzz"
mkdir -p build/fuzz/artifacts
while read -r target program seeds options; do
  corpus=$(mktemp -d)  # new finds go here; the committed seeds are only read
  dirs=("$corpus")
  [ -d "$seeds" ] && dirs+=("$seeds")
  # shellcheck disable=SC2086  # options are separate words
  if "$program" -max_total_time="${FUZZ_SECONDS:-20}" -artifact_prefix="build/fuzz/artifacts/$target-" \
      $options "${dirs[@]}" >"build/fuzz/$target.log" 2>&1 </dev/null; then
    echo "$target: $(grep -E '^#[0-9]+.*DONE' "build/fuzz/$target.log" | tail -1)"
    rm -rf "$corpus"
  else
    tail -n 40 "build/fuzz/$target.log"
    echo "$target: FAILED (input saved under build/fuzz/artifacts/)"
    rm -rf "$corpus"
    exit 1
  fi
done < build/fuzz/fuzz_targets.txt

# ThreadSanitizer stage (64-bit): builds and runs only the test programs that exercise several
# threads at once (add an area here when its tests do): every program that starts a thread or
# runs the driver.
tsan_areas=(foundation protocol market process loaders console l2bridge driver l2sim host running)
echo "=== build x64-tsan"
cmake -S . -B build/x64-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEPHYR_SANITIZE=thread \
  -DZEPHYR_BENCH=OFF >/dev/null
for area in "${tsan_areas[@]}"; do
  cmake --build build/x64-tsan --target "test_$area" -j"$jobs"
done
echo "=== test x64-tsan"
tsan_filter="^($(IFS='|'; echo "${tsan_areas[*]}"))\\."
ctest --test-dir build/x64-tsan --output-on-failure -j"$jobs" -R "$tsan_filter"
