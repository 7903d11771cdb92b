#!/usr/bin/env bash
# Builds the Release benchmarks (native 64-bit in build/x64, or 32-bit in build/i386-release with
# --arch i386), runs them with a short minimum time and prints one table: each figure beside the
# baseline it is judged against, their ratio, the goal and whether it is met. Ratios come from one
# run, so the machine's speed cancels out; the figures are the CPU time of the benchmark's thread,
# so that other programs sharing the machine distort them less than wall time. Each entry runs
# --repetitions times (3), the entries of one program interleaved in random order, and the table
# reads the fastest run of each: what others sharing the machine do only ever slows a run down,
# so the fastest is the least disturbed, for a figure and its baseline alike.
#   scripts/bench.sh [--arch x64|i386] [--memory] [--min-time SECONDS] [--repetitions N]
# --memory also runs the stand-in host's demo at 60,000 instruments (x64 build) and judges the
# serving driver's resident memory (VmRSS) against the bytes its tables hold.
# BENCH_BUILD names another build folder of the chosen architecture.
# Goals set for one build only (level-2 times: x64; LZW speed: i386) are judged only there. Where
# i386 programs run through qemu, every verdict says "emulated": an emulator runs code slower than
# the processor does, so a speed it meets is met on the hardware too; its ratios are its own.
set -euo pipefail
cd "$(dirname "$0")/.."

usage="usage: scripts/bench.sh [--arch x64|i386] [--memory] [--min-time SECONDS] [--repetitions N]"
want=x64
min_time=0.2
repetitions=3
memory=0
while [ $# -gt 0 ]; do
  case "$1" in
    --arch|--min-time|--repetitions)
      [ $# -ge 2 ] || { echo "$usage" >&2; exit 2; }
      case $1 in --arch) want=$2 ;; --min-time) min_time=$2 ;; *) repetitions=$2 ;; esac
      shift ;;
    --memory) memory=1 ;;
    *) echo "$usage" >&2; exit 2 ;;
  esac
  shift
done
. scripts/i386.sh
case $want in
  x64) build=${BENCH_BUILD:-build/x64}; toolchain=(); pointer_bytes=8; run=natively ;;
  i386)
    if ! i386_runs; then
      echo "bench: 32-bit programs cannot run on this machine ($I386_REASON)" >&2
      exit 1
    fi
    build=${BENCH_BUILD:-build/i386-release}; toolchain=(-DCMAKE_TOOLCHAIN_FILE=cmake/i386.cmake)
    pointer_bytes=4; run=$(i386_how) ;;
  *) echo "$usage" >&2; exit 2 ;;
esac

benches=(bench_running bench_level2 bench_push bench_protocol)
targets=("${benches[@]}")
[ "$memory" = 1 ] && targets+=(zephyr-host Zephyr nimbus)
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" "${toolchain[@]}" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
pointer=$(sed -n 's/^set(CMAKE_CXX_SIZEOF_DATA_PTR "\(.*\)")/\1/p' "$build"/CMakeFiles/*/CMakeCXXCompiler.cmake | head -n 1)
if [ "$pointer" != "$pointer_bytes" ]; then
  echo "bench: $build is built with ${pointer:-?}-byte pointers; --arch $want needs $pointer_bytes-byte ones" >&2
  exit 2
fi
cmake --build "$build" --target "${targets[@]}" -j"$(nproc)" >/dev/null

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for bench in "${benches[@]}"; do
  program=$(find "$build" -name "$bench" -type f -perm -u+x | head -n 1)
  # A start of the largest day takes about a quarter of a second; with less than twice that
  # the first run, which also pays the fresh memory's page faults, would be the one reported.
  bench_min_time=$min_time
  [ "$bench" = bench_running ] && bench_min_time=$(python3 -c "print(max(0.6, $min_time))")
  # The driver's own progress lines go to stdout; the figures go to the JSON file.
  "$program" --benchmark_min_time="$bench_min_time" --benchmark_repetitions="$repetitions" \
    --benchmark_enable_random_interleaving=true --benchmark_format=json \
    --benchmark_out="$out/$bench.json" --benchmark_out_format=json >/dev/null 2>"$out/$bench.err" || {
    cat "$out/$bench.err" >&2
    exit 1
  }
done

echo "build: $build ($want, run $run)"

if [ "$memory" = 1 ]; then
  host=$(find "$build" -name zephyr-host -type f -perm -u+x | head -n 1)
  driver=$(find "$build" -name Zephyr.so -type f | head -n 1)
  module=$(find "$build" -name nimbus.so -type f | head -n 1)
  "$host" demo --shares 60000 --seconds 10 --dir "$out/day" --driver "$driver" --module "$module" \
    --json --no-console >"$out/demo.json" 2>"$out/demo.err" </dev/null || {
    tail -n 20 "$out/demo.err" >&2
    exit 1
  }
fi

python3 - "$out" "$memory" "$want" "$run" <<'PY'
import json, os, sys

out, memory, arch, emulated = sys.argv[1], sys.argv[2] == "1", sys.argv[3], sys.argv[4] != "natively"
runs = {}  # the fastest repetition of each entry (see the header)
for name in os.listdir(out):
    if name.endswith(".json") and name != "demo.json":
        for b in json.load(open(os.path.join(out, name)))["benchmarks"]:
            if b.get("run_type", "iteration") == "iteration" and "error_occurred" not in b:
                key = b.get("run_name", b["name"])
                if key not in runs or b["cpu_time"] < runs[key]["cpu_time"]:
                    runs[key] = b

def ns(name):  # CPU time of one iteration in ns (see the header)
    b = runs[name]
    scale = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[b["time_unit"]]
    return b["cpu_time"] * scale

rows = []
def row(figure, baseline, value, base, ratio, goal, met, only=None):
    if only is not None and only != arch:
        verdict = "%s only" % only
    else:
        verdict = ("met" if met else "NOT MET") + (" (emulated)" if emulated else "")
    rows.append((figure, baseline, value, base, ratio, goal, verdict))

def fmt(v, unit):
    if unit == "ms": return "%.2f ms" % (v / 1e6)
    if unit == "us": return "%.1f us" % (v / 1e3)
    if unit == "ns": return "%.1f ns" % v
    return unit % v

# 1. Linear scale: cost per instrument at 20,000 and 60,000 against 2,600.
for entry, suffix, label in [("BM_FullStart", "", "full start"), ("BM_Reinitialise", "", "re-initialisation"),
                             ("BM_MarketDataRefresh", "/0", "refresh, no change"),
                             ("BM_MarketDataRefresh", "/1", "refresh, all changed")]:
    small = "%s/2600%s" % (entry, suffix)
    for n in (20000, 60000):
        big = "%s/%d%s" % (entry, n, suffix)
        if small in runs and big in runs:
            a, b = ns(big) / n, ns(small) / 2600
            row("%s per instrument at %d" % (label, n), "at 2600", fmt(a, "ns"), fmt(b, "ns"), a / b,
                "<= 1.5", a / b <= 1.5)

# 2. Start and refresh near the cost of reading.
for figure, baseline, goal in [("BM_FullStart/2600", "BM_ReadDayBaseline/2600", 10),
                               ("BM_MarketDataRefresh/2600/0", "BM_SplitMarketData/2600", 3),
                               ("BM_MarketDataRefresh/2600/1", "BM_SplitMarketData/2600", 5)]:
    if figure in runs and baseline in runs:
        r = ns(figure) / ns(baseline)
        row(figure[3:], baseline[3:], fmt(ns(figure), "ms"), fmt(ns(baseline), "ms"), r, "<= %d" % goal, r <= goal)

# 3. Level-2 end to end, per snapshot (absolute goal; the memcpy floor beside it).
for batch in (10, 30):
    copy = "BM_Level2RecordCopy/%d" % batch
    for bond, limit in ((20, 100), (0, 250)):
        name = "BM_Level2EndToEnd/%d/%d" % (batch, bond)
        if name in runs and copy in runs:
            a, b = ns(name) / batch, ns(copy) / batch
            row("level-2 snapshot, batch %d, bond %d" % (batch, bond), "memcpy of its bytes",
                fmt(a, "ns"), fmt(b, "ns"), a / b, "<= %d ns" % limit, a <= limit, only="x64")

# 4. Pull and checks.
if "BM_PullCodeTable" in runs and "BM_PullCodeTableCopy" in runs:
    r = ns("BM_PullCodeTable") / ns("BM_PullCodeTableCopy")
    row("pull code table (6000) in frames", "memcpy of its bytes", fmt(ns("BM_PullCodeTable"), "us"),
        fmt(ns("BM_PullCodeTableCopy"), "us"), r, "<= 2", r <= 2)
if "BM_Crc16/8192" in runs and "BM_Crc16ByteTable/8192" in runs:
    r = ns("BM_Crc16ByteTable/8192") / ns("BM_Crc16/8192")
    row("CRC-16 over 8 kB (speed-up)", "one-byte-table loop", fmt(ns("BM_Crc16/8192"), "ns"),
        fmt(ns("BM_Crc16ByteTable/8192"), "ns"), r, ">= 4", r >= 4)
if "BM_Decompress/8192" in runs:
    mib = runs["BM_Decompress/8192"]["bytes_per_second"] / 2**20
    row("LZW decode 8 kB", "-", "%.0f MiB/s" % mib, "-", float("nan"), ">= 300 MiB/s", mib >= 300, only="i386")

# 5. Memory of a serving driver at 60,000 instruments, from the host's once-a-second VmRSS samples:
# the first of them (the driver serving, the host's replica not yet pulled) less the sample the
# host took just before it loaded the driver (the host program and its libraries; the heap of the
# demo's day generation was given back before that), against the bytes of the driver's tables,
# counted from the records the replica received. The driver's part still includes the stand-in
# level-2 module it loads, with that module's copy of the day's quotes. The whole process is shown
# beside it, judged by nothing.
if memory:
    demo = json.load(open(os.path.join(out, "demo.json")))
    records = demo["replica_records"]
    sizes = {"codes": 79, "snapshots": 74, "indexes": 42, "product status": 22, "short names": 72}
    tables = sum(records.get(k, 0) * v for k, v in sizes.items()) + 960
    first = demo["rss_kb"][0][1] * 1024
    before = demo.get("rss_kb_before_driver", 0) * 1024
    peak = max(kb for _, kb in demo["rss_kb"]) * 1024
    rows.append(("VmRSS at 60000, whole process (peak %.1f MB)" % (peak / 1e6), "bytes the tables hold",
                 "%.1f MB" % (first / 1e6), "%.1f MB" % (tables / 1e6), first / tables, "-", "-"))
    row("VmRSS at 60000, serving, less the host (%.1f MB)" % (before / 1e6), "bytes the tables hold",
        "%.1f MB" % ((first - before) / 1e6), "%.1f MB" % (tables / 1e6), (first - before) / tables, "<= 2",
        before > 0 and (first - before) / tables <= 2, only="x64")

head = ("figure", "baseline", "value", "baseline value", "ratio", "goal", "")
widths = [max(len(str(r[i])) if i != 4 else 6 for r in rows + [head]) for i in range(7)]
def line(r):
    cells = list(r)
    if isinstance(cells[4], float):
        cells[4] = "-" if cells[4] != cells[4] else "%.2f" % cells[4]
    return "  ".join(str(c).ljust(w) if i < 4 or i > 4 else str(c).rjust(w) for i, (c, w) in enumerate(zip(cells, widths)))
print(line(head))
for r in rows:
    print(line(r))
PY
