#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The Windows zip holds the program, its licence and the third-party notices and, beside them,
the shipped languages and skin exactly as in data/, under the same names, those in other scripts included ("Русский.Txt"): each such name
stored in UTF-8 with the flag that tells Windows so, since without it Windows reads the name in
its OEM code page and the language file is lost to the dialog.
    zip_test.py <Tornavelle-win64.zip> <data folder>
"""
import pathlib
import sys
import zipfile

UTF8_NAME_FLAG = 0x800  # general purpose bit 11: the name and comment are UTF-8
ROOT = "Tornavelle"
SHIPPED_FOLDERS = ("Lng-Tornavelle", "Apparence")


def shipped_files(data):
    """Zip name -> bytes for every file the zip must carry from data/."""
    files = {}
    for folder in SHIPPED_FOLDERS:
        for path in sorted((data / folder).rglob("*")):
            if path.is_file():
                name = "/".join((ROOT,) + path.relative_to(data).parts)
                files[name] = path.read_bytes()
    return files


def in_shipped_folder(name):
    parts = name.split("/")
    return len(parts) > 2 and parts[0] == ROOT and parts[1] in SHIPPED_FOLDERS


def main():
    archive_path, data = sys.argv[1], pathlib.Path(sys.argv[2])
    failures = []
    expected = shipped_files(data)
    if not any(not name.isascii() for name in expected):
        failures.append("no shipped file has a name outside ASCII: the check would prove nothing")
    with zipfile.ZipFile(archive_path) as archive:
        entries = {info.filename: info for info in archive.infolist() if not info.is_dir()}
        for name, info in entries.items():
            if not name.isascii() and not info.flag_bits & UTF8_NAME_FLAG:
                failures.append(f"{name!r} is stored without the UTF-8 name flag")
        # A name mangled on the way shows as one file missing and an unknown one in its place.
        packed = {name for name in entries if in_shipped_folder(name)}
        for name in sorted(expected.keys() - entries.keys()):
            failures.append(f"{name!r} is missing")
        for name in sorted(packed - expected.keys()):
            failures.append(f"{name!r} is not a shipped file")
        for name in sorted(expected.keys() & entries.keys()):
            if archive.read(name) != expected[name]:
                failures.append(f"{name!r} differs from data/")
        for program_file in ("Tornavelle.exe", "COPYING.txt", "THIRD-PARTY.txt"):
            if f"{ROOT}/{program_file}" not in entries:
                failures.append(f"{ROOT}/{program_file} is missing")
    for failure in failures:
        print("FAIL", failure)
    print(f"{len(expected)} shipped files checked, {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
