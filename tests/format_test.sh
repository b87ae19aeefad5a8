#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The program's code is laid out as .clang-format says:
#   format_test.sh <source tree>
# Lists what clang-format would change and fails if anything would; `clang-format -i` on the
# files it names mends them. Tests keep their hand-aligned tables (tests/.clang-format).
set -euo pipefail
cd "$1"
mapfile -t files < <(find src tools bench windows \( -name '*.cpp' -o -name '*.h' \) | sort)
clang-format --dry-run --Werror --style=file "${files[@]}"
