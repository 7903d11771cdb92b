# What the two Windows toolchains share; cmake/win32.cmake and cmake/win64.cmake set
# ZEPHYR_MINGW_TRIPLE (and ZEPHYR_MINGW_ARCH_FLAGS) and include this file.
set(CMAKE_C_COMPILER ${ZEPHYR_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZEPHYR_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZEPHYR_MINGW_TRIPLE}-windres)
set(CMAKE_C_FLAGS_INIT "${ZEPHYR_MINGW_ARCH_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${ZEPHYR_MINGW_ARCH_FLAGS}")
# -static: the compiler's runtime (libgcc, libstdc++, libwinpthread) goes into each DLL and
# program; the system DLLs are still imported.
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-static")
endforeach()
set(CMAKE_FIND_ROOT_PATH /usr/${ZEPHYR_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
