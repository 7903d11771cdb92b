# Running the Windows builds' programs under Wine. Sourced after scripts/i386.sh by the scripts
# that run them (build-choice.sh, demo.sh, test.sh); the one place that knows Wine's loaders,
# its environment and how a prefix is made and stopped.
#
#   wine_loader win64|win32    sets WINE_LOADER, the loader of that build's programs: wine64, or
#                              wine, whose 32-bit loader runs natively or through the emulator
#                              (scripts/i386.sh). Returns 1 when it cannot run here; WINE_REASON
#                              says why.
#   wine_use PREFIX [VAR=VALUE...]
#                              sets WINE_ENV, the `env` command that runs a program in that prefix
#                              (no debug output, no Mono or Gecko installer; the extra variables).
#   wine_boot LOG              makes the prefix, or finds it made: 64-bit, which runs both builds'
#                              programs. On failure it shows the end of LOG on stderr and returns 1.
#   wine_stop                  stops the prefix's wineserver.
# shellcheck shell=bash disable=SC2034  # the scripts that source this read the variables

WINE_LOADER=""
WINE_REASON=""
WINE_ENV=()
WINE_PREFIX_DIR=""

wine_loader() {
  WINE_LOADER=""
  WINE_REASON=""
  case $1 in
    win64) WINE_LOADER=/usr/lib/wine/wine64 ;;
    win32)
      if ! i386_runs; then
        WINE_REASON=$I386_REASON
        return 1
      fi
      WINE_LOADER=/usr/lib/wine/wine
      ;;
  esac
  if ! [ -x "$WINE_LOADER" ]; then
    WINE_REASON="$WINE_LOADER is not installed (scripts/setup.sh installs Wine)"
    WINE_LOADER=""
    return 1
  fi
}

wine_use() {
  WINE_PREFIX_DIR=$1
  WINE_ENV=(env "WINEPREFIX=$1" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" "${@:2}")
}

wine_boot() {
  if ! "${WINE_ENV[@]}" /usr/lib/wine/wine64 wineboot -i >"$1" 2>&1 </dev/null; then
    tail -n 20 "$1" >&2
    echo "Wine could not prepare its prefix $WINE_PREFIX_DIR" >&2
    return 1
  fi
}

wine_stop() { "${WINE_ENV[@]}" /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true; }
