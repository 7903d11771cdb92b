#!/usr/bin/env bash
# Soak run (not part of the tests): the driver for a few minutes under a fast level-2 feed, the
# host pulling every table each second and checking its replica against the pull, and operator
# commands typed meanwhile. Reports whether the replica stayed equal to the pulls and how the
# process's memory (VmRSS) moved.
#
#   scripts/soak.sh [SECONDS] [RATE]      defaults: 180 seconds, 5000 level-2 snapshots per second
#   ZEPHYR_ARCH=x64 (default) or i386 picks the product, as for scripts/demo.sh (the Windows
#   builds are not soaked here); ZEPHYR_BUILD names another build folder of that architecture.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-180}
rate=${2:-5000}

case ${ZEPHYR_ARCH:-x64} in
  win*) echo "soak.sh runs the Linux builds only (ZEPHYR_ARCH=x64 or i386)" >&2; exit 2 ;;
esac
bash scripts/setup.sh
. scripts/build-choice.sh
zephyr_choose_build "${ZEPHYR_ARCH:-x64}"
build=$ZEPHYR_BUILD_DIR
cmake --build "$build" --target zephyr-host zephyr-sampleday -j"$(nproc)" >/dev/null

dir=work/soak-$(date +%Y%m%d)
mkdir -p "$dir"
summary=$dir/summary.json
screen=$dir/screen.log

# Half-way the exchange writes a newer market data file (the level-2 feed has moved the market
# time past the first one's, which a re-initialisation would refuse as stale), and the operator
# forces a re-initialisation.
newer_market_data() {
  local later
  later=$(date -d "+120 seconds" +%H%M%S)
  "$build"/tools/zephyr-sampleday --date "$(date +%Y%m%d)" --out "$dir" --refresh "$later" >&2
}

# The operator: a command every few seconds, a forced re-initialisation half-way.
operator() {
  local t=0
  local commands=("show stat" "print marketinfo" "print data 00001" "l2cmd status" "ver" "pushdata stock"
                  "print marketinfo 1" "show config" "print pricetbl" "help")
  sleep 5
  while [ $t -lt $((seconds - 10)) ]; do
    echo "${commands[$(( (t / 4) % ${#commands[@]} ))]}"
    if [ $t -eq $(( (seconds / 2) / 4 * 4 )) ]; then newer_market_data; echo "reinstance"; fi
    sleep 4
    t=$((t + 4))
  done
}

echo "soak: ${seconds} s, ${rate} snapshots/s, replica checked every second; screen in $screen"
status=0
operator | "$build"/host/zephyr-host demo --dir "$dir" --seconds "$seconds" --rate "$rate" \
  --check-every 1 --json >"$summary" 2>"$screen" || status=$?

python3 - "$summary" "$status" <<'PY'
import json, sys
path, status = sys.argv[1], int(sys.argv[2])
try:
    s = json.load(open(path))
except Exception as e:
    print(f"soak: no summary ({e}); exit status {status}")
    sys.exit(1)
c = s["final_check"]
print(f"served: {s['served']}, pushes {s['pushes']}, snapshot updates {s['snapshot_updates']}, "
      f"market resets {s['resets']}, operator commands {s['commands']}")
print(f"live checks: {s['live_checks']}, failed {s['live_check_failures']}; "
      f"pulls {s['pulls']} ({s['pull_failures']} refused)")
print(f"final check: replica equals pull {c['replica_equals_pull']} ({'quiet' if c['exact'] else c['note']}), "
      f"digest {c['digest_check']}")
for sample in c["samples"]:
    print("  difference:", sample)
rss = s["rss_kb"]
if rss:
    print("VmRSS over time (kB):")
    step = max(1, len(rss) // 12)
    for second, kb in rss[::step] + ([rss[-1]] if (len(rss) - 1) % step else []):
        print(f"  {second:5d} s  {kb:8d}")
    first = [kb for t, kb in rss if t >= 10][:10] or [rss[0][1]]
    last = [kb for t, kb in rss][-10:]
    growth = sum(last) / len(last) - sum(first) / len(first)
    print(f"VmRSS growth after the first 10 s: {growth:+.0f} kB")
print("soak:", "OK" if s["ok"] else "PROBLEMS")
sys.exit(0 if s["ok"] else 1)
PY
