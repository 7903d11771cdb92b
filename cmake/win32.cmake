# Toolchain for the 32-bit Windows product: mingw-w64 (posix threads) on a Debian host.
# libgcc, libstdc++ and winpthreads are linked in, so the DLL and the programs import only the
# DLLs Windows itself ships. Nothing built here runs at build time (no emulator is set).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(ZEPHYR_MINGW_TRIPLE i686-w64-mingw32)
# SSE2 arithmetic, as in the i386 build: doubles are rounded as doubles, so every build
# computes the same prices.
set(ZEPHYR_MINGW_ARCH_FLAGS "-msse2 -mfpmath=sse")
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
