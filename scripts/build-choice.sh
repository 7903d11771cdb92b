# Which product build the demo and the soak run use. Sourced; sets ZEPHYR_BUILD_DIR after
# configuring it, and ZEPHYR_WINE: "" for a Linux build, else the Wine loader that runs the
# Windows build's programs (scripts/wine.sh). ZEPHYR_BUILD names another folder of the same
# architecture.
#   zephyr_choose_build x64|i386|win64|win32
. "$(dirname "${BASH_SOURCE[0]}")/i386.sh"
. "$(dirname "${BASH_SOURCE[0]}")/wine.sh"

zephyr_choose_build() {
  local arch=$1
  ZEPHYR_WINE=""
  case $arch in
    x64)
      ZEPHYR_BUILD_DIR=${ZEPHYR_BUILD:-build/x64}
      cmake -S . -B "$ZEPHYR_BUILD_DIR" -DCMAKE_BUILD_TYPE=Release >/dev/null
      ;;
    i386)
      if ! i386_runs; then
        echo "ZEPHYR_ARCH=i386: 32-bit programs cannot run on this machine ($I386_REASON)" >&2
        exit 1
      fi
      ZEPHYR_BUILD_DIR=${ZEPHYR_BUILD:-build/i386}
      cmake -S . -B "$ZEPHYR_BUILD_DIR" -DCMAKE_TOOLCHAIN_FILE=cmake/i386.cmake \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
      ;;
    win64|win32)
      if ! wine_loader "$arch"; then
        echo "ZEPHYR_ARCH=$arch: Wine cannot run its programs on this machine ($WINE_REASON)" >&2
        exit 1
      fi
      ZEPHYR_WINE=$WINE_LOADER
      ZEPHYR_BUILD_DIR=${ZEPHYR_BUILD:-build/$arch}
      cmake -S . -B "$ZEPHYR_BUILD_DIR" -DCMAKE_TOOLCHAIN_FILE="cmake/$arch.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
      ;;
    *)
      echo "ZEPHYR_ARCH must be x64, i386, win64 or win32, not '$arch'" >&2
      exit 2
      ;;
  esac
}
