#!/usr/bin/env bash
# The Debian package of a product build, unpacked as a user would look at it (dpkg -x), runs the
# stand-in host on a generated day from there: the installed host finds the installed driver and
# module, and the day ends with every check passed.
#   deb_package_test.sh BUILD_DIR
set -euo pipefail
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

(cd "$build" && cpack -G DEB -B "$scratch/pkg" >"$scratch/cpack.log" 2>&1) ||
  { cat "$scratch/cpack.log"; echo "cpack failed"; exit 1; }
deb=$(ls "$scratch"/pkg/zephyr_*.deb)
dpkg-deb --field "$deb" Architecture
dpkg -x "$deb" "$scratch/root"
for f in usr/bin/zephyr-host usr/bin/zephyr-sampleday usr/lib/zephyr/Zephyr.so \
         usr/lib/zephyr/nimbus.so usr/include/zephyr/DriverInterface.h usr/share/zephyr/Zephyr.example.ini; do
  [ -e "$scratch/root/$f" ] || { echo "missing from the package: $f"; exit 1; }
done

# A plain folder, away from the build tree, as the working directory.
mkdir "$scratch/run"
cd "$scratch/run"
"$scratch/root/usr/bin/zephyr-sampleday" --date 20261210 --out "$scratch/day" >/dev/null
status=0
"$scratch/root/usr/bin/zephyr-host" demo --seconds 4 --shares 300 --dir "$scratch/run/demo" \
  --no-console </dev/null >"$scratch/summary.txt" 2>"$scratch/screen.txt" || status=$?
grep -E '^(driver|result) ' "$scratch/summary.txt" || true
if [ $status -ne 0 ] || ! grep -Eq '^result +OK' "$scratch/summary.txt"; then
  tail -n 30 "$scratch/screen.txt"
  echo "the installed host did not end with result OK (exit status $status)"
  exit 1
fi
cmp "$scratch/root/usr/lib/zephyr/Zephyr.so" "$scratch/run/demo/Zephyr.so" ||
  { echo "the demo did not run the installed driver"; exit 1; }
