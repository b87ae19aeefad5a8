#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Calculations that every system must answer alike, to the last bit and the last character:
# arithmetic, square roots, factorials, comparisons, powers, logarithms, and the trigonometric and
# hyperbolic functions and their inverses at every magnitude, in radians and in degrees, with the
# answer's text and exact form. The Windows build runs the same file under Wine.
#   same_answers_test.sh [--write] <tornavelle-calc command...>
# --write makes the expected file again, after a deliberate change, from the Linux build.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
write=0
if [[ "${1:-}" == --write ]]; then write=1; shift; fi
answers() {
  echo "# radians"
  "$@" --tsv <"$here/same_answers.txt" | tr -d '\r'
  echo "# degrees"
  "$@" --degrees --tsv <"$here/same_answers.txt" | tr -d '\r'
}
if ((write)); then
  answers "$@" >"$here/same_answers.tsv"
  exit 0
fi
if diff <(answers "$@") "$here/same_answers.tsv" >/tmp/same_answers.$$.diff; then
  rm -f /tmp/same_answers.$$.diff
  echo "1 passed, 0 failed"
  exit 0
fi
echo "FAIL answers differ from tests/tools/same_answers.tsv (< this build, > expected):"
head -40 /tmp/same_answers.$$.diff
rm -f /tmp/same_answers.$$.diff
echo "0 passed, 1 failed"
exit 1
