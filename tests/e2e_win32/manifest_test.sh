#!/bin/sh
# The manifest inside each Windows program names the processor that the
# program's code is for (64-bit Windows refuses an x64 program whose manifest
# says x86). Usage: manifest_test.sh OBJDUMP PROGRAM.exe...
set -eu
objdump=$1
shift
for exe in "$@"; do
  case $("$objdump" -f "$exe") in
  *"architecture: i386:x86-64"*) expected=amd64 ;;
  *"architecture: i386"*) expected=x86 ;;
  *) echo "FAIL: $exe is for no processor this test knows" >&2; exit 1 ;;
  esac
  found=$(grep -ao 'name="Kovalin" version="[0-9.]*" processorArchitecture="[a-z0-9]*"' "$exe" |
    sed 's/.*processorArchitecture="//; s/"$//')
  [ "$found" = "$expected" ] || { echo "FAIL: $exe holds a manifest for '$found', not $expected" >&2; exit 1; }
done
echo "PASS: the manifests name the processors of their programs"
