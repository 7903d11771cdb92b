#!/usr/bin/env bash
# Builds and runs every test, stage by stage:
#   i386            the 32-bit product build and the whole suite (through the emulator where the
#                   kernel runs no 32-bit programs; compiled only, and said so, where neither works)
#   i386-fallback   the same script forced to find no 32-bit support must still build the i386
#                   and win32 stages and say in one line each that their tests were not run
#   x64             the native 64-bit product build (Release) and the whole suite, then the
#                   README's demo JSON and own-folder recipe as written (scripts/readme-check.sh)
#   win64           the 64-bit Windows build (mingw-w64): PE checks, then each test program run
#                   once, all its cases in one process, under wine64
#   win32           the 32-bit Windows build, the same under wine (its 32-bit loader runs through
#                   the emulator where the kernel runs no 32-bit programs, and then without the
#                   cases that start programs, said so; compiled and checked only, and said so,
#                   where 32-bit programs cannot run at all)
#   x64-asan        64-bit ASan+UBSan build and the whole suite
#   fuzz            clang libFuzzer targets, a short run each
#   x64-tsan        64-bit ThreadSanitizer build of the threaded test programs
# ZEPHYR_STAGES="x64 fuzz" runs only the stages named. Installs what is missing first.
# Exits non-zero when any build or test fails; the closing lines say which stages ran and how
# long each took.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
. scripts/i386.sh
. scripts/wine.sh

jobs=$(nproc)
all_stages="i386 i386-fallback x64 win64 win32 x64-asan fuzz x64-tsan"
stages=${ZEPHYR_STAGES:-$all_stages}
ran=()
not_run=()
durations=()
stage_start=0
for s in $all_stages; do
  [[ " $stages " == *" $s "* ]] || not_run+=("$s (not in ZEPHYR_STAGES)")
done

# wanted NAME: whether the stage runs (and if so, its clock starts); stage_took NAME: its time.
wanted() { [[ " $stages " == *" $1 "* ]] && stage_start=$SECONDS; }
stage_took() { durations+=("$1 $(( (SECONDS - stage_start) / 60 ))m$(( (SECONDS - stage_start) % 60 ))s"); }

configure_and_build() {  # name, cmake args...
  local name=$1; shift
  echo "=== build $name"
  cmake -S . -B "build/$name" "$@" >/dev/null
  cmake --build "build/$name" -j"$jobs"
}

# Each product build's tests write the market they pulled on a fixed day here; the closing
# step compares the builds' files (scripts/compare-images.py).
market_image() { echo "$PWD/build/$1/market-image.bin"; }
images=()

run_tests() {  # name [ctest args...]
  local name=$1; shift
  echo "=== test $name"
  rm -f "$(market_image "$name")"
  ZEPHYR_MARKET_IMAGE=$(market_image "$name") ctest --test-dir "build/$name" --output-on-failure -j"$jobs" "$@"
}

if wanted i386; then
  configure_and_build i386 -DCMAKE_TOOLCHAIN_FILE=cmake/i386.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo
  if i386_runs; then
    run_tests i386
    images+=("i386=$(market_image i386)")
    ran+=("i386 ($(i386_how))")
  else
    echo "i386: built, tests NOT run: $I386_REASON"
    not_run+=("i386 tests ($I386_REASON)")
  fi
  stage_took i386
fi

# The forced run builds build/win32 too; the win32 stage later finds it built.
if wanted i386-fallback; then
  echo "=== i386-fallback"
  out=$(ZEPHYR_FORCE_NO_I386=1 ZEPHYR_STAGES="i386 win32" bash scripts/test.sh 2>&1) ||
    { echo "$out" | tail -n 20; echo "i386-fallback: the forced run failed"; exit 1; }
  if ! grep -q '^i386: built, tests NOT run: ZEPHYR_FORCE_NO_I386 is set$' <<<"$out" ||
     grep -q '^=== test i386' <<<"$out"; then
    echo "$out" | tail -n 20
    echo "i386-fallback: the forced run did not say plainly that the i386 tests were not run"
    exit 1
  fi
  if ! grep -q '^win32: built and checked, tests NOT run: ZEPHYR_FORCE_NO_I386 is set$' <<<"$out" ||
     grep -q '^=== test win32' <<<"$out"; then
    echo "$out" | tail -n 20
    echo "i386-fallback: the forced run did not say plainly that the win32 tests were not run"
    exit 1
  fi
  echo "i386-fallback: i386 and win32 build, skip their tests and say so"
  ran+=("i386-fallback")
  stage_took i386-fallback
fi

if wanted x64; then
  configure_and_build x64 -DCMAKE_BUILD_TYPE=Release
  run_tests x64
  images+=("x64=$(market_image x64)")
  # What the README has a new user run after the demo, as written there.
  echo "=== readme x64"
  bash scripts/readme-check.sh build/x64
  ran+=("x64")
  stage_took x64
fi

# The Windows stages: the product and the test programs built with mingw-w64, their PE files
# checked (scripts/pe-check.sh), then each test program run once under Wine with all its cases
# (a 32-bit Windows process costs about a minute to start where it runs through the emulator).
# Wine (scripts/wine.sh) keeps one private prefix under build/, 64-bit, for both stages: they run
# one after the other and each stops the prefix's wineserver at its end. Wine's background
# services inherit the output of the program that started them, so everything goes to files.
# Where 32-bit programs run only through the emulator, a 32-bit Windows process takes about a
# minute to start, so the win32 stage leaves out the cases that start programs of their own
# (through _popen and cmd.exe): with them its programs would run for hours. They run in win64 and
# the Linux stages. A case that starts a program goes here.
win32_emulated_left_out=(
  'HongKongTime.FirstReadTakesTheHostsClock'  # runs its own test program again, alone
  'HostDemo.*' 'HostOptions.*' 'HostRun.*'     # run zephyr-host.exe
  'ConsoleGuide.TheHostsConsoleShowsThemAroundTheDriversAnswers'
  'DriverLevel2Test.*' 'Level2FeedTest.*'      # write their day with zephyr-sampleday.exe
  'ChildProcess.*'                             # runs zephyr-sampleday.exe once per argument
)

windows_stage() {  # win64 | win32
  local name=$1 arch
  case $name in
    win64) arch=x86-64 ;;
    win32) arch=i386 ;;
  esac
  configure_and_build "$name" -DCMAKE_TOOLCHAIN_FILE="cmake/$name.cmake" -DCMAKE_BUILD_TYPE=Release
  local programs
  mapfile -t programs <"build/$name/test_programs.txt"
  echo "=== pe-check $name"
  local built  # the DLL must be there; every other DLL and program is checked as found
  mapfile -t built < <(find "build/$name" -path "build/$name/CMakeFiles" -prune -o \
    \( -name '*.dll' -o -name '*.exe' \) ! -path "build/$name/Zephyr.dll" -type f -print | sort)
  scripts/pe-check.sh "$arch" "build/$name/Zephyr.dll" "${built[@]}"
  if ! wine_loader "$name"; then
    # 32-bit programs may be beyond this machine; Wine's 64-bit loader is installed by setup.sh.
    [ "$name" = win32 ] || { echo "$name: $WINE_REASON"; exit 1; }
    echo "win32: built and checked, tests NOT run: $WINE_REASON"
    not_run+=("win32 tests ($WINE_REASON)")
    return
  fi
  echo "=== test $name"
  # Wine names this machine's root Z:.
  rm -f "$(market_image "$name")"
  wine_use "$PWD/build/wineprefix" TZ=Asia/Hong_Kong "ZEPHYR_MARKET_IMAGE=Z:$(market_image "$name")"
  # The first stage makes the prefix; the other finds it made.
  wine_boot "build/$name/wineboot.log" || exit 1
  local filter=()
  if [ "$name" = win32 ] && i386_emulated; then
    filter=("--gtest_filter=-$(IFS=:; echo "${win32_emulated_left_out[*]}")")
    local left_out="win32 cases that start programs (${win32_emulated_left_out[*]}): 32-bit programs"
    left_out+=" run here only through qemu-i386-static, where each 32-bit Windows process takes about"
    left_out+=" a minute to start; they run in win64 and the Linux stages"
    echo "$left_out"
    not_run+=("$left_out")
  fi
  # $jobs programs at a time (a start through the emulator keeps a core busy for its minute);
  # each writes its output and then its exit status to files, read in order once all are done.
  local program log running=0 failed=0
  for program in "${programs[@]}"; do
    log=build/$name/$(basename "$program" .exe).log
    rm -f "$log.status"
    if [ $running -ge "$jobs" ]; then
      wait -n || true
      running=$((running - 1))
    fi
    { if timeout 1800 "${WINE_ENV[@]}" "$WINE_LOADER" "$program" "${filter[@]}" >"$log" 2>&1 </dev/null; then
        echo 0; else echo $?; fi >"$log.status"; } &
    running=$((running + 1))
  done
  wait
  for program in "${programs[@]}"; do
    log=build/$name/$(basename "$program" .exe).log
    if [ "$(cat "$log.status" 2>/dev/null)" = 0 ]; then
      echo "$(basename "$program"): $(grep -a '^\[  PASSED  \]' "$log" | tail -n 1)"
    else
      tail -n 40 "$log"
      echo "$(basename "$program"): FAILED (exit status $(cat "$log.status" 2>/dev/null); whole output in $log)"
      failed=1
    fi
  done
  wine_stop
  [ $failed -eq 0 ] || { echo "$name: test programs failed"; exit 1; }
  images+=("$name=$(market_image "$name")")
  if [ "$name" = win32 ]; then
    ran+=("win32 (Wine's 32-bit loader $(i386_how))")
  else
    ran+=("win64")
  fi
}

for name in win64 win32; do
  if wanted "$name"; then
    windows_stage "$name"
    stage_took "$name"
  fi
done

if wanted x64-asan; then
  configure_and_build x64-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEPHYR_SANITIZE=address \
    -DZEPHYR_BENCH=OFF
  run_tests x64-asan
  ran+=("x64-asan")
  stage_took x64-asan
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
  stage_took fuzz
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
  stage_took x64-tsan
fi

# The product builds that ran their tests pulled one fixed day's market each: 32-bit Linux and
# 32-bit Windows, 64-bit Linux and 64-bit Windows, and all of them must agree byte for byte
# (every pulled record is free of addresses).
agreement="agreement: fewer than two product builds ran"
if [ ${#images[@]} -ge 2 ]; then
  echo "=== agreement"
  agreement=$(python3 scripts/compare-images.py "${images[@]}") || { echo "$agreement"; exit 1; }
fi

echo "=== stages"
echo "ran: ${ran[*]:-none}"
if [ ${#not_run[@]} -gt 0 ]; then
  for s in "${not_run[@]}"; do echo "not run: $s"; done
else
  echo "not run: none"
fi
echo "$agreement"
for d in "${durations[@]}"; do echo "took: $d"; done
echo "took: all $((SECONDS / 60))m$((SECONDS % 60))s"
