#!/usr/bin/env bash
# Runs what the README tells a new user to run after the demo, as it stands there, so that the
# README cannot drift from what the programs do:
#   1. `./scripts/demo.sh --json` prints only JSON on stdout (a short demo, parsed by python3);
#   2. the "Your own data folder" recipe, the block that follows its marker line in README.md,
#      with its install step, in a scratch HOME. Inside the working window on a working day it
#      must serve and end "result OK" (exit 0); outside it, or on a holiday, it must say so and
#      end with exit status 4. Either way one line says which case was met.
#   scripts/readme-check.sh [BUILD]   BUILD: a Release x64 build folder (default build/x64),
#                                     written where the recipe names build/x64
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/x64}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# 1. The demo's JSON, alone on stdout.
status=0
ZEPHYR_ARCH=x64 ZEPHYR_BUILD=$build ./scripts/demo.sh --json --seconds 3 --shares 300 --no-console --dir "$scratch/demo" \
  </dev/null >"$scratch/demo.json" 2>"$scratch/demo.err" || status=$?
if ! python3 -m json.tool "$scratch/demo.json" >/dev/null; then
  tail -n 20 "$scratch/demo.err"
  echo "readme-check: ./scripts/demo.sh --json printed more than JSON on stdout (exit status $status):"
  head -c 600 "$scratch/demo.json"
  exit 1
fi
[ "$status" -eq 0 ] || { tail -n 20 "$scratch/demo.err"; echo "readme-check: the demo ended with exit status $status"; exit 1; }
echo "readme-check: ./scripts/demo.sh --json gives JSON alone on stdout"

# 2. The recipe, from the README's own text.
recipe=$(awk '/^<!-- own-folder recipe:/ { marked = 1; next }
              marked && /^```/ { if (inside) exit; inside = 1; next }
              inside { print }' README.md)
[ -n "$recipe" ] || { echo "readme-check: no own-folder recipe after its marker in README.md"; exit 1; }
recipe=${recipe//build\/x64/$build}
status=0
HOME="$scratch/home" bash -e -c "$recipe" </dev/null >"$scratch/recipe.out" 2>"$scratch/recipe.err" || status=$?

for f in bin/zephyr-host bin/zephyr-sampleday lib/zephyr/Zephyr.so lib/zephyr/nimbus.so; do
  [ -e "$scratch/home/zephyr/$f" ] || { cat "$scratch/recipe.err"; echo "readme-check: the install step left no $f"; exit 1; }
done
said=$(grep -Eho 'outside the working window [0-9]{2}:[0-9]{2}-[0-9]{2}:[0-9]{2}|holiday \([^)]*\)' \
  "$scratch/recipe.out" "$scratch/recipe.err" | head -n 1 || true)
if [ "$status" -eq 0 ] && grep -Eq '^result +OK' "$scratch/recipe.out"; then
  echo "readme-check: the own-folder recipe served and ended result OK"
elif [ "$status" -eq 4 ] && [ -n "$said" ]; then
  echo "readme-check: the own-folder recipe ran while the driver does not serve: it said \"$said\" and ended with exit status 4, as the README says"
else
  tail -n 30 "$scratch/recipe.err"
  cat "$scratch/recipe.out"
  echo "readme-check: the own-folder recipe ended with exit status $status${said:+ ($said)}, not as the README says"
  exit 1
fi
