# Which product build the demo and the soak run use. Sourced; sets ZEPHYR_BUILD_DIR after
# configuring it. ZEPHYR_BUILD names another folder of the same architecture.
#   zephyr_choose_build x64|i386
. "$(dirname "${BASH_SOURCE[0]}")/i386.sh"

zephyr_choose_build() {
  local arch=$1
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
    *)
      echo "ZEPHYR_ARCH must be x64 or i386, not '$arch'" >&2
      exit 2
      ;;
  esac
}
