# Which product build the demo and the soak run use. Sourced; sets ZEPHYR_BUILD_DIR after
# configuring it, and ZEPHYR_WINE: "" for a Linux build, else the Wine loader that runs the
# Windows build's programs (wine64 for win64; wine for win32, whose 32-bit loader runs through
# the emulator where the kernel runs no 32-bit programs). ZEPHYR_BUILD names another folder of
# the same architecture.
#   zephyr_choose_build x64|i386|win64|win32
. "$(dirname "${BASH_SOURCE[0]}")/i386.sh"

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
      if [ "$arch" = win64 ]; then
        ZEPHYR_WINE=/usr/lib/wine/wine64
      elif ! i386_runs; then
        echo "ZEPHYR_ARCH=win32: Wine's 32-bit loader cannot run on this machine ($I386_REASON)" >&2
        exit 1
      else
        ZEPHYR_WINE=/usr/lib/wine/wine
      fi
      if ! [ -x "$ZEPHYR_WINE" ]; then
        echo "ZEPHYR_ARCH=$arch: $ZEPHYR_WINE is not installed (scripts/setup.sh installs Wine)" >&2
        exit 1
      fi
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
