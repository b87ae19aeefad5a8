#!/usr/bin/env bash
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
expect "tsv from arguments" "2+3${tab}5${tab}0
1/0${tab}inf${tab}2
-0*1${tab}-0${tab}0
0.1${tab}0.1${tab}0
10^16${tab}1e+16${tab}0" "$("$calc" --tsv 2+3 1/0 '-0*1' 0.1 '10^16')"
expect "stdin lines, CR dropped, tabs as spaces" "sin(30)${tab}0.49999999999999994${tab}0
1 2${tab}1${tab}0
sqr(-1)${tab}nan${tab}5" "$(printf 'sin(30)\r\n1\t2\nsqr(-1)' | "$calc" --degrees --tsv)"
expect "radians by default" "asin(1)${tab}1.5707963267948966${tab}0" "$("$calc" --tsv 'asin(1)')"
expect "UTF-8 in and out" "2π${tab}2${tab}0" "$("$calc" --tsv '2π')"
expect "readable output" "1/0 = inf   (error 2: division by zero)" "$("$calc" 1/0)"
"$calc" --bogus >/dev/null 2>&1
expect "unknown option exits 2" 2 $?
"$calc" --tsv 'sqr(-1)' '3+' >/dev/null
expect "error kinds still exit 0" 0 $?
exit $((failures > 0))
