#!/usr/bin/env bash
# The main job: builds the product and runs a sample trading day with the stand-in host.
#   ZEPHYR_ARCH=x64 (default)  the native 64-bit build, build/x64
#   ZEPHYR_ARCH=i386           the 32-bit product, build/i386 (through the emulator where the
#                              kernel runs no 32-bit programs)
#   ZEPHYR_ARCH=win64, win32   the Windows products, build/win64 and build/win32 (mingw-w64),
#                              run under Wine (wine64; wine, whose 32-bit loader takes about a
#                              minute to start where it runs through the emulator)
# Arguments go to `zephyr-host demo` (--seconds N, --rate N, --shares N, ...).
# It builds the programs that the install and the package hold (target zephyr-programs: the
# driver, the stand-in level-2 module, zephyr-host and zephyr-sampleday), none of the tests.
# Everything but the host's own output goes to stderr, so that `--json` leaves only JSON on stdout.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh >&2
. scripts/build-choice.sh
zephyr_choose_build "${ZEPHYR_ARCH:-x64}"
cmake --build "$ZEPHYR_BUILD_DIR" --target zephyr-programs -j"$(nproc)" >&2
if [ -z "$ZEPHYR_WINE" ]; then
  exec "$ZEPHYR_BUILD_DIR"/host/zephyr-host demo "$@"
fi

# Windows: the host under Wine, in a private prefix under build/. Wine's background services
# inherit the output of the program that starts them (a pipe would never end), so the host
# writes to files, shown as they grow and complete once it ends; then the prefix's wineserver
# is stopped. Ctrl-C reaches the host through Wine; the script waits for the host's summary.
prefix=$PWD/build/wineprefix-demo
logs=$(mktemp -d)
keeper=""
cleanup() {
  [ -z "$keeper" ] || kill "$keeper" 2>/dev/null || true
  rm -rf "$logs"
}
trap cleanup EXIT
wine_use "$prefix"
wine_boot "$logs/wineboot.log" || exit 1
: >"$logs/out"
: >"$logs/err"
sleep 100000 &
keeper=$!
tail -s 0.2 -n +1 -f --pid="$keeper" "$logs/out" &
shown_out=$!
tail -s 0.2 -n +1 -f --pid="$keeper" "$logs/err" >&2 &
shown_err=$!
trap ':' INT
status=0
"${WINE_ENV[@]}" "$ZEPHYR_WINE" "$ZEPHYR_BUILD_DIR/host/zephyr-host.exe" demo "$@" \
  >"$logs/out" 2>"$logs/err" || status=$?
wine_stop
# The shown copies read to the end, then stop.
kill "$keeper" 2>/dev/null || true
wait "$shown_out" "$shown_err" 2>/dev/null || true
exit "$status"
