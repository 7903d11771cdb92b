#!/usr/bin/env bash
# Builds and runs every test, stage by stage:
#   i386            the 32-bit product build and the whole suite (through the emulator where the
#                   kernel runs no 32-bit programs; compiled only, and said so, where neither works)
#   i386-fallback   the same script forced to find no 32-bit support must still build the i386
#                   stage and say in one line that its tests were not run
#   x64             the native 64-bit product build (Release) and the whole suite, then the
#                   README's demo JSON and own-folder recipe as written (scripts/readme-check.sh)
#   x64-asan        64-bit ASan+UBSan build and the whole suite
#   fuzz            clang libFuzzer targets, a short run each
#   x64-tsan        64-bit ThreadSanitizer build of the threaded test programs
# ZEPHYR_STAGES="x64 fuzz" runs only the stages named. Installs what is missing first.
# Exits non-zero when any build or test fails; the closing lines say which stages ran.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
. scripts/i386.sh

jobs=$(nproc)
all_stages="i386 i386-fallback x64 x64-asan fuzz x64-tsan"
stages=${ZEPHYR_STAGES:-$all_stages}
ran=()
not_run=()
for s in $all_stages; do
  [[ " $stages " == *" $s "* ]] || not_run+=("$s (not in ZEPHYR_STAGES)")
done

wanted() { [[ " $stages " == *" $1 "* ]]; }

configure_and_build() {  # name, cmake args...
  local name=$1; shift
  echo "=== build $name"
  cmake -S . -B "build/$name" "$@" >/dev/null
  cmake --build "build/$name" -j"$jobs"
}

run_tests() {  # name [ctest args...]
  local name=$1; shift
  echo "=== test $name"
  ctest --test-dir "build/$name" --output-on-failure -j"$jobs" "$@"
}

if wanted i386; then
  configure_and_build i386 -DCMAKE_TOOLCHAIN_FILE=cmake/i386.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo
  if i386_runs; then
    run_tests i386
    ran+=("i386 ($(i386_how))")
  else
    echo "i386: built, tests NOT run: $I386_REASON"
    not_run+=("i386 tests ($I386_REASON)")
  fi
fi

if wanted i386-fallback; then
  echo "=== i386-fallback"
  out=$(ZEPHYR_FORCE_NO_I386=1 ZEPHYR_STAGES=i386 bash scripts/test.sh 2>&1) ||
    { echo "$out" | tail -n 20; echo "i386-fallback: the forced run failed"; exit 1; }
  if ! grep -q '^i386: built, tests NOT run: ZEPHYR_FORCE_NO_I386 is set$' <<<"$out" ||
     grep -q '^=== test i386' <<<"$out"; then
    echo "$out" | tail -n 20
    echo "i386-fallback: the forced run did not say plainly that the i386 tests were not run"
    exit 1
  fi
  echo "i386-fallback: builds, skips the tests and says so"
  ran+=("i386-fallback")
fi

if wanted x64; then
  configure_and_build x64 -DCMAKE_BUILD_TYPE=Release
  run_tests x64
  # What the README has a new user run after the demo, as written there.
  echo "=== readme x64"
  bash scripts/readme-check.sh build/x64
  ran+=("x64")
fi

if wanted x64-asan; then
  configure_and_build x64-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEPHYR_SANITIZE=address \
    -DZEPHYR_BENCH=OFF
  run_tests x64-asan
  ran+=("x64-asan")
fi

# libFuzzer stage (clang): build only the fuzz targets listed by fuzz/CMakeLists.txt and run each
# for a short time (FUZZ_SECONDS, default 20) from its seed folder; a crash fails the script.
if wanted fuzz; then
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
      echo "$target: $(grep -aoE '#[0-9]+[[:space:]]+DONE.*' "build/fuzz/$target.log" | tail -1)"  # a target's own printing may share the line
      rm -rf "$corpus"
    else
      tail -n 40 "build/fuzz/$target.log"
      echo "$target: FAILED (input saved under build/fuzz/artifacts/)"
      rm -rf "$corpus"
      exit 1
    fi
  done < build/fuzz/fuzz_targets.txt
  ran+=("fuzz")
fi

# ThreadSanitizer stage (64-bit): builds and runs only the test programs that exercise several
# threads at once (add an area here when its tests do): every program that starts a thread or
# runs the driver.
if wanted x64-tsan; then
  tsan_areas=(foundation protocol market process loaders console l2bridge driver l2sim host running)
  echo "=== build x64-tsan"
  cmake -S . -B build/x64-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEPHYR_SANITIZE=thread \
    -DZEPHYR_BENCH=OFF >/dev/null
  for area in "${tsan_areas[@]}"; do
    cmake --build build/x64-tsan --target "test_$area" -j"$jobs"
  done
  tsan_filter="^($(IFS='|'; echo "${tsan_areas[*]}"))\\."
  run_tests x64-tsan -R "$tsan_filter"
  ran+=("x64-tsan")
fi

echo "=== stages"
echo "ran: ${ran[*]:-none}"
if [ ${#not_run[@]} -gt 0 ]; then
  for s in "${not_run[@]}"; do echo "not run: $s"; done
else
  echo "not run: none"
fi
