#!/usr/bin/env bash
# Runs every fuzz target for SECONDS each (default 60) from its committed seeds and the corpus
# kept in build/fuzz/corpus/<target>/ (new finds are added there). FUZZ_JOBS targets run at a
# time (default 1); FUZZ_RUNS, when set, also ends a target after that many inputs.
# Prints one line per target: inputs executed, coverage, new corpus entries. A target that finds
# a fault is reported FAILED with its input under build/fuzz/artifacts/ (commit such an input to
# fuzz/corpus/<name>/ as a regression seed once the fault is mended); the script then fails.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
jobs=${FUZZ_JOBS:-1}

CC=clang CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZEPHYR_FUZZ=ON -DZEPHYR_BENCH=OFF >/dev/null
while read -r target _; do
  cmake --build build/fuzz --target "$target" -j"$(nproc)" </dev/null >/dev/null
done < build/fuzz/fuzz_targets.txt
mkdir -p build/fuzz/artifacts

# One target: its summary line into build/fuzz/<target>.line.
run_one() {  # target, program, seed folder, options...
  local target=$1 program=$2 seeds=$3; shift 3
  local corpus="build/fuzz/corpus/$target" log="build/fuzz/$target.log" line="build/fuzz/$target.line"
  mkdir -p "$corpus"
  local before after dirs=("$corpus") limits=(-max_total_time="$seconds")
  before=$(find "$corpus" -type f | wc -l)
  [ -d "$seeds" ] && dirs+=("$seeds")
  [ -n "${FUZZ_RUNS:-}" ] && limits+=(-runs="$FUZZ_RUNS")
  if ! "$program" "${limits[@]}" -artifact_prefix="build/fuzz/artifacts/$target-" "$@" "${dirs[@]}" \
      >"$log" 2>&1 </dev/null; then
    echo "$target: FAILED (input saved under build/fuzz/artifacts/, log $log)" >"$line"
    return
  fi
  after=$(find "$corpus" -type f | wc -l)
  local last runs cov ft
  last=$(grep -aoE '#[0-9]+[[:space:]].*' "$log" | tail -1)  # "#N DONE cov: C ft: F corp: ...", wherever the target's own printing leaves it
  runs=$(sed -E 's/^#([0-9]+).*/\1/' <<<"$last")
  cov=$(grep -oE 'cov: [0-9]+' <<<"$last" | cut -d' ' -f2 || true)
  ft=$(grep -oE 'ft: [0-9]+' <<<"$last" | cut -d' ' -f2 || true)
  printf '%-18s %11s inputs  cov %5s  ft %6s  new %5d  (corpus %d)\n' \
    "$target" "$runs" "${cov:-?}" "${ft:-?}" $((after - before)) "$after" >"$line"
}

targets=()
while read -r target program seeds options; do
  targets+=("$target")
  rm -f "build/fuzz/$target.line"
  # shellcheck disable=SC2086  # options are separate words
  run_one "$target" "$program" "$seeds" $options &
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
done < build/fuzz/fuzz_targets.txt
wait

status=0
for target in "${targets[@]}"; do
  cat "build/fuzz/$target.line"
  grep -q FAILED "build/fuzz/$target.line" && status=1
done
exit $status
