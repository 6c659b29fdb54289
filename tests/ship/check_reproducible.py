#!/usr/bin/env python3
"""Checks that an executable carries nothing of the machine or moment it was built on: no link
time in its PE header and no absolute path of the folders it was built in.

usage: check_reproducible.py EXE FOLDER...
"""
import sys

import pefile


def check(path, folders):
    failures = []
    with open(path, "rb") as f:
        data = f.read()
    pe = pefile.PE(data=data, fast_load=True)
    if pe.FILE_HEADER.TimeDateStamp != 0:
        failures.append(f"PE timestamp {pe.FILE_HEADER.TimeDateStamp:#x}, expected 0")
    for folder in folders:
        folder = folder.rstrip("/")
        for encoding in ("utf-8", "utf-16-le"):
            if folder.encode(encoding) in data:
                failures.append(f"holds the build path {folder} ({encoding})")
    print(f"{path}:")
    for failure in failures:
        print(f"  FAIL: {failure}")
    return not failures


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    ok = check(sys.argv[1], sys.argv[2:])
    print("1 passed, 0 failed" if ok else "0 passed, 1 failed")
    sys.exit(0 if ok else 1)
