#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Tornavelle.exe must start on a bare Windows: it may import only DLLs that every Windows has.
# It also carries its manifest, its icon and its version.
#   imports_test.sh <objdump> <Tornavelle.exe>
set -u
allowed="ADVAPI32.dll COMCTL32.dll GDI32.dll KERNEL32.dll msvcrt.dll OLEAUT32.dll USER32.dll"
failures=0
headers=$("$1" -p "$2")
while read -r _ _ dll; do
  [[ " $allowed " == *" $dll "* ]] || { echo "FAIL Tornavelle.exe needs $dll"; failures=$((failures + 1)); }
done < <(grep "DLL Name:" <<<"$headers")
# The resource types at the top of the resource directory: 0x0e an icon group, 0x10 a version,
# 0x18 a manifest.
types=$(sed -n '/The .rsrc Resource Directory/,/^$/p' <<<"$headers" | grep -E '^[0-9a-f]+   Entry: ID')
for type in 00000e:icon 000010:version 000018:manifest; do
  grep -q "ID: 0x${type%%:*}," <<<"$types" || { echo "FAIL Tornavelle.exe has no ${type#*:}"; failures=$((failures + 1)); }
done
echo "$((failures == 0 ? 1 : 0)) passed, $((failures == 0 ? 0 : 1)) failed"
((failures == 0))
