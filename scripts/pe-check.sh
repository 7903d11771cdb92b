#!/usr/bin/env bash
# Checks the Windows build's PE files: pe-check.sh i386|x86-64 FILE...
#   - every file is a PE image of that machine type (the COFF header's machine field);
#   - every .dll exports exactly the nine functions of the host interface, under their plain
#     names, and nothing else;
#   - every file imports only DLLs that Windows itself ships (the compiler's runtime, libgcc,
#     libstdc++ and winpthreads, must be linked in, not imported).
# Prints one line per file; exits 1 if any check fails.
set -euo pipefail

usage() { echo "usage: $0 i386|x86-64 FILE..." >&2; exit 2; }
[ $# -ge 2 ] || usage
arch=$1; shift
case $arch in
  i386)   objdump=i686-w64-mingw32-objdump;   machine=014c ;;
  x86-64) objdump=x86_64-w64-mingw32-objdump; machine=8664 ;;
  *) usage ;;
esac

# The nine exports in sorted order, as the export table's names are compared below.
exports=(BeginDriverWork EndDriverWork GetDataFrameCount GetDllVersion GetDriverBaseInfo
  GetDriverStatusInfo GetMarketInfo GetOneDataFrame IsDriverWorking)
want="${exports[*]} "
# DLLs of Windows itself, lower case; api-ms-win-* (the universal C runtime's API sets) too.
system_dlls=(kernel32.dll kernelbase.dll ntdll.dll msvcrt.dll ucrtbase.dll bcrypt.dll advapi32.dll
  user32.dll gdi32.dll shell32.dll shlwapi.dll ole32.dll oleaut32.dll ws2_32.dll crypt32.dll
  secur32.dll userenv.dll version.dll winmm.dll psapi.dll dbghelp.dll rpcrt4.dll iphlpapi.dll)

failed=0
file_failed=0
fail() { echo "pe-check: $1: $2" >&2; failed=1; file_failed=1; }

# The COFF machine field: two little-endian bytes 4 bytes past the "PE\0\0" whose offset
# the DOS header holds at 0x3c.
machine_of() {
  local pe
  pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  [ "$(od -An -tx1 -j"$pe" -N4 "$1" | tr -d ' ')" = 50450000 ] || { echo none; return; }
  od -An -tx1 -j$((pe + 4)) -N2 "$1" | awk '{print $2 $1}'
}

for file in "$@"; do
  name=$(basename "$file")
  file_failed=0
  if ! [ -f "$file" ]; then fail "$file" "missing"; continue; fi
  got=$(machine_of "$file")
  if [ "$got" != "$machine" ]; then
    fail "$name" "machine type $got, not $machine ($arch)"
    continue
  fi
  dump=$("$objdump" -p "$file")
  summary="$arch"
  case $name in
    *.dll|*.DLL)
      # The names of the export table, sorted; and the count of its address table.
      names=$(awk '/^\[Ordinal\/Name Pointer\] Table/ {on=1; next}
                   on && NF == 0 {on=0}
                   on && /^[[:space:]]*\[/ {print $NF}' <<<"$dump" | sort | tr '\n' ' ')
      addresses=$(awk '/^Export Address Table -- Ordinal Base/ {on=1; next}
                       on && NF == 0 {on=0}
                       on && /^[[:space:]]*\[/ {n++} END {print n+0}' <<<"$dump")
      if [ "$names" != "$want" ] || [ "$addresses" != 9 ]; then
        fail "$name" "exports [${names% }] ($addresses addresses), not exactly the nine"
      else
        summary+=", exports the nine"
      fi
      ;;
  esac
  imports=$(awk -F': ' '/^[[:space:]]*DLL Name:/ {print $2}' <<<"$dump" | sort -fu | tr '\n' ' ')
  for dll in $imports; do
    lower=$(tr '[:upper:]' '[:lower:]' <<<"$dll")
    case $lower in
      api-ms-win-*) ;;
      *) [[ " ${system_dlls[*]} " == *" $lower "* ]] || fail "$name" "imports $dll, not a Windows system DLL" ;;
    esac
  done
  [ $file_failed -eq 1 ] || echo "pe-check: $name: $summary, imports ${imports% }"
done
exit $failed
