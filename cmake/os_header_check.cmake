# Fails when a source file outside a platform folder includes an operating-system header.
# Run as: cmake -DSOURCE_DIR=... -DFOLDERS=a,b,... -P os_header_check.cmake (a CMake list works
# too; a test's command line keeps commas as they are, where it would escape semicolons).
# What touches the system has one body per system in <folder>/platform/<system>/; everything
# else sees only the foundation's interfaces. FOLDERS lists the folders held to this.
set(os_headers "windows\\.h|ftw\\.h|winbase\\.h|bcrypt\\.h|process\\.h|io\\.h|direct\\.h|pthread\\.h|dlfcn\\.h|unistd\\.h|iconv\\.h|fcntl\\.h|link\\.h|elf\\.h|termios\\.h|poll\\.h|dirent\\.h|locale\\.h|sys/[a-z_]+\\.h|openssl/[a-z_0-9]+\\.h")
string(REPLACE "," ";" folders "${FOLDERS}")
set(bad "")
foreach(folder ${folders})
  file(GLOB_RECURSE sources ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(source ${sources})
    if(source MATCHES "/platform/")
      continue()
    endif()
    file(STRINGS ${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*<(${os_headers})>")
    foreach(line ${lines})
      file(RELATIVE_PATH name ${SOURCE_DIR} ${source})
      string(APPEND bad "  ${name}: ${line}\n")
    endforeach()
  endforeach()
endforeach()
if(bad)
  message(FATAL_ERROR "operating-system headers outside the platform folders:\n${bad}")
endif()
message(STATUS "no operating-system header outside the platform folders of: ${folders}")
