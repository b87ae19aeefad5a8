#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The command-line companion's contract: its columns, its input edges and its exit codes.
set -u
calc=$1
failures=0
expect() {  # expect NAME EXPECTED ACTUAL
  if [[ "$2" != "$3" ]]; then
    printf 'FAIL %s\n--- expected\n%s\n--- got\n%s\n' "$1" "$2" "$3"
    failures=$((failures + 1))
  fi
}
tab=$'\t'
expect "tsv from arguments" "2+3${tab}5${tab}0${tab}5${tab}
1/0${tab}inf${tab}2${tab}+Infinity${tab}
-0*1${tab}-0${tab}0${tab}0${tab}
0.1${tab}0.1${tab}0${tab}0.1${tab}
10^16${tab}1e+16${tab}0${tab}1*10^16${tab}" "$("$calc" --tsv 2+3 1/0 '-0*1' 0.1 '10^16')"
expect "stdin lines, CR dropped, tabs and NULs as spaces" "sin(30)${tab}0.5${tab}0${tab}0.5${tab}1⁄2 = 
1 2${tab}0${tab}3${tab}0${tab}
1+2 x${tab}0${tab}3${tab}0${tab}
sqr(-1)${tab}nan${tab}5${tab}NaN${tab}" "$(printf 'sin(30)\r\n1\t2\n1+2\0x\nsqr(-1)' | "$calc" --degrees --tsv)"
expect "radians by default" "asin(1)${tab}1.5707963267948966${tab}0${tab}1.570796326795${tab}π⁄2 = " \
  "$("$calc" --tsv 'asin(1)')"
expect "UTF-8 in and out" "2π${tab}0${tab}3${tab}0${tab}
½${tab}0${tab}3${tab}0${tab}" "$("$calc" --tsv '2π' '½')"
expect "exact forms with the French texts" "3/4${tab}0.75${tab}0${tab}0.75${tab}3⁄4 = 
-2*pi/3${tab}-2.0943951023931957${tab}0${tab}-2.094395102393${tab}−π×2⁄3 = 
170!${tab}7.257415615307994e+306${tab}0${tab}7.257415615308*10^306${tab}" \
  "$("$calc" --tsv 3/4 '-2*pi/3' '170!')"
expect "readable output: the answer line, one line each" "1/0  →  Division par zéro
-0.75  →  −3⁄4 = −0.75
2^50  →  1.125899906843×10^15
1 +2  →  Opérateur inconnu" "$("$calc" 1/0 -0.75 '2^50' $'1\n+2')"
expect "another language" "1/0  →  Division by zero" "$("$calc" --language English 1/0)"
expect "displayed texts, the answer word following the answers without error" "√(16)${tab}4${tab}0${tab}4${tab}
2×π${tab}6.283185307179586${tab}0${tab}6.28318530718${tab}π×2 = 
1÷0${tab}inf${tab}2${tab}+Infinity${tab}
rép÷π${tab}2${tab}0${tab}2${tab}
arrondi(−2.5)+rép${tab}-1${tab}0${tab}-1${tab}
ⁿ√(8,comb(1,3))×a${tab}0${tab}0${tab}0${tab}" \
  "$(printf '√(16)\n2×π\n1÷0\nrép÷π\narrondi(−2.5)+rép\nⁿ√(8,comb(1,3))×a\n' | "$calc" --display --tsv)"
expect "displayed texts in another language" "Ans²  →  9" \
  "$("$calc" --display --language English 'round(2.5)' 'Ans²' | tail -1)"
expect "typed spellings shown as the line shows them, then translated" "√(16)  →  4
rép×2+1  →  9
2π×deg(π)  →  π×360 = 1130.973355292" "$("$calc" --display 'racine(16)' 'REP*2+1' '2pi*deg(pi)')"
expect "typed spellings keep the input column" "racine(16)${tab}4${tab}0${tab}4${tab}" \
  "$("$calc" --display --tsv 'racine(16)')"

data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
mkdir "$data/Lng-Tornavelle"
printf '\xEF\xBB\xBF201\r\n172=nope\r\n180=is\r\n183=:\r\n' >"$data/Lng-Tornavelle/Francais.Txt"
expect "texts from --data" "0.75${tab}0.75${tab}0${tab}0.75${tab}3:4 is " "$("$calc" --data "$data" --tsv 0.75)"
"$calc" --data "$data" --language English 1 >/dev/null 2>&1
expect "a missing language exits 2" 2 $?
"$calc" --data "$data/none" 1 >/dev/null 2>&1
expect "a folder without French exits 2" 2 $?
"$calc" 1 --language >/dev/null 2>&1
expect "an option without its value exits 2" 2 $?
expect "no scratch folder left behind" "" "$(TMPDIR=$data "$calc" 1 >/dev/null; ls "$data" | grep -v Lng)"
"$calc" --bogus >/dev/null 2>&1
expect "unknown option exits 2" 2 $?
"$calc" --tsv 'sqr(-1)' '3+' >/dev/null
expect "error kinds still exit 0" 0 $?
exit $((failures > 0))
