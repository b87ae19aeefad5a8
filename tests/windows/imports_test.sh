#!/usr/bin/env bash
# Tornavelle.exe must start on a bare Windows: it may import only DLLs that every Windows has.
#   imports_test.sh <objdump> <Tornavelle.exe>
set -u
allowed="ADVAPI32.dll COMCTL32.dll GDI32.dll KERNEL32.dll msvcrt.dll USER32.dll"
failures=0
while read -r _ _ dll; do
  [[ " $allowed " == *" $dll "* ]] || { echo "FAIL Tornavelle.exe needs $dll"; failures=$((failures + 1)); }
done < <("$1" -p "$2" | grep "DLL Name:")
echo "$((failures == 0 ? 1 : 0)) passed, $((failures == 0 ? 0 : 1)) failed"
((failures == 0))
