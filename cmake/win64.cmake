# Toolchain for the 64-bit Windows product: mingw-w64 (posix threads) on a Debian host.
# libgcc, libstdc++ and winpthreads are linked in, so the DLL and the programs import only the
# DLLs Windows itself ships. Nothing built here runs at build time (no emulator is set).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(ZEPHYR_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
