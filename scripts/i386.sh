# Whether this machine runs 32-bit x86 programs, and making it do so. Sourced by the other
# scripts; the one place that decides it.
#
#   i386_runs      builds a tiny -m32 program and runs it; 0 if it ran. On failure
#                  I386_REASON says why.
#   i386_enable    i386_runs; if that fails, installs Debian's qemu-user-static, mounts
#                  binfmt_misc and registers the i386 interpreter (flag F), then checks again.
#
# ZEPHYR_FORCE_NO_I386=1 makes the check fail as on a machine that cannot run them (nothing is
# installed or registered then), so the fallback can be tried anywhere.

I386_REASON=""

i386_runs() {
  I386_REASON=""
  if [ -n "${ZEPHYR_FORCE_NO_I386:-}" ]; then
    I386_REASON="ZEPHYR_FORCE_NO_I386 is set"
    return 1
  fi
  local dir
  dir=$(mktemp -d)
  printf 'int main(void) { return sizeof(void*) == 4 ? 0 : 1; }\n' >"$dir/probe.c"
  if ! gcc -m32 -o "$dir/probe" "$dir/probe.c" >"$dir/log" 2>&1; then
    I386_REASON="no 32-bit compiler or C library: $(head -n 1 "$dir/log")"
    rm -rf "$dir"
    return 1
  fi
  if ! ( "$dir/probe" ) >"$dir/log" 2>&1; then
    # The shell's own words end with the system's reason ("Exec format error").
    I386_REASON="the kernel does not run 32-bit programs ($(head -n 1 "$dir/log" | sed 's/.*: //'))"
    rm -rf "$dir"
    return 1
  fi
  rm -rf "$dir"
  return 0
}

i386_registered() { [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; }

# Whether i386 programs run through the emulator (after a successful i386_runs): each start
# then costs far more than a native one.
i386_emulated() { i386_registered && grep -q enabled /proc/sys/fs/binfmt_misc/qemu-i386 2>/dev/null; }

# How i386 programs run here, for the scripts' closing lines (after a successful i386_runs).
i386_how() {
  if i386_emulated; then
    echo "through qemu-i386-static"
  else
    echo "natively"
  fi
}

# 32-bit x86 ELF executables and shared objects (e_type 2 or 3, e_machine 3).
i386_register() {
  local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  echo ":qemu-i386:M::${magic}:${mask}:/usr/bin/qemu-i386-static:F" >/proc/sys/fs/binfmt_misc/register
}

i386_enable() {
  i386_runs && return 0
  [ -n "${ZEPHYR_FORCE_NO_I386:-}" ] && return 1
  local first=$I386_REASON
  if [ "$(id -u)" -ne 0 ]; then
    I386_REASON="$first; installing an emulator needs root"
    return 1
  fi
  if ! [ -x /usr/bin/qemu-i386-static ]; then
    echo "setup: 32-bit programs do not run here ($first); installing qemu-user-static"
    local install=(apt-get install -y -q --no-install-recommends qemu-user-static)
    DEBIAN_FRONTEND=noninteractive "${install[@]}" >/dev/null 2>&1 ||
      { apt-get update -q >/dev/null && DEBIAN_FRONTEND=noninteractive "${install[@]}" >/dev/null; } ||
      { I386_REASON="$first; qemu-user-static could not be installed"; return 1; }
  fi
  if ! [ -e /proc/sys/fs/binfmt_misc/register ]; then
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null ||
      { I386_REASON="$first; binfmt_misc cannot be mounted"; return 1; }
  fi
  if ! i386_registered; then
    i386_register 2>/dev/null ||
      { I386_REASON="$first; the i386 interpreter cannot be registered with binfmt_misc"; return 1; }
  fi
  if i386_runs; then
    echo "setup: 32-bit programs run through qemu-i386-static ($first by itself)"
    return 0
  fi
  I386_REASON="$first; still not after registering qemu-i386-static ($I386_REASON)"
  return 1
}
