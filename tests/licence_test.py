#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Every source, script and build file of the tree says its licence in an SPDX line near its top:
    licence_test.py <source tree>
Lists each file without one and fails if there is any. The shipped images and language files,
the fuzzers' seeds and the tests' data files carry no comment; debian/copyright covers them.
"""
import os
import pathlib
import sys

LICENCE = "GPL-3.0-or-later"
# The AppStream metadata is published under the licence software centres require of it.
OTHER_LICENCES = {"desktop/tornavelle.metainfo.xml.in": "CC0-1.0"}
# The line may follow a #! line, an XML declaration or a header comment's first lines.
LINES_LOOKED_AT = 3

SOURCE_SUFFIXES = {".cpp", ".h", ".inc", ".py", ".sh", ".cmake", ".in", ".rc", ".nsi"}
SOURCE_NAMES = {"CMakeLists.txt", "rules", "leak-suppressions.txt", "fuzz-coverage-ignorelist.txt"}
# Folders of data rather than code, and what builds and tools leave in the tree.
SKIPPED_FOLDERS = {".git", "data", "seeds", "node_modules", "__pycache__"}


def is_source(path):
    if path.suffix in SOURCE_SUFFIXES or path.name in SOURCE_NAMES:
        return True
    # Scripts without a suffix: ./run, ./test, scripts/*, .ci/run and the like.
    with open(path, "rb") as file:
        return file.read(2) == b"#!"


def sources(tree):
    for folder, subfolders, files in os.walk(tree):
        subfolders[:] = [name for name in subfolders
                         if name not in SKIPPED_FOLDERS and not name.startswith("build")]
        for name in files:
            path = pathlib.Path(folder, name)
            if not path.is_symlink() and is_source(path):
                yield path


def main():
    tree = pathlib.Path(sys.argv[1])
    missing = []
    count = 0
    for path in sorted(sources(tree)):
        count += 1
        relative = path.relative_to(tree).as_posix()
        wanted = "SPDX-License-Identifier: " + OTHER_LICENCES.get(relative, LICENCE)
        with open(path, encoding="utf-8", errors="replace") as file:
            head = [file.readline() for _ in range(LINES_LOOKED_AT)]
        if not any(wanted in line for line in head):
            missing.append(relative)
    for relative in missing:
        print(f"FAIL {relative}: no \"SPDX-License-Identifier\" line in its first {LINES_LOOKED_AT} lines")
    print(f"{count} sources checked, {len(missing)} without their licence")
    return 1 if missing or count == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
