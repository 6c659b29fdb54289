#!/usr/bin/env python3
"""Checks a Tarnwick executable as shipped: the DLLs it imports, its version resource, its
manifest, its icon, the Windows version its PE headers ask for, and its hardening (ASLR, DEP
and stack protection: hardening.py).

usage: check_executable.py EXE {x86_64|i686} [ALLOWED_IMPORTS]

With ALLOWED_IMPORTS (lines "dll!function"), every imported function must be listed there: a
new import fails until someone has checked that the oldest supported Windows provides it.
"""
import sys

import pefile

import hardening

# The only DLLs the program imports. shell32, ole32, oleaut32 and version.dll are loaded at run
# time from the system directory by full path instead: version.dll at start, shell32 whenever a
# run takes the lock and at the first download click, ole32 and oleaut32 at that click.
# comctl32 is the manifest's common controls 6, which Windows takes from its side-by-side store
# before it looks in any folder.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "msvcrt.dll",
               "comctl32.dll"}
VERSION_STRINGS = {
    "FileVersion": "1.02",
    "ProductVersion": "1.02",
    "ProductName": "Tarnwick",
    "CompanyName": "Kestwyn",
    "Comments": "Update Registry for RDP 7.0",
}
MANIFEST_MUST_HOLD = [
    'level="requireAdministrator"',
    'name="Microsoft.Windows.Common-Controls"',
    'version="6.0.0.0"',
    "<dpiAware",
    "<dpiAwareness",
    "PerMonitorV2",
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  # Vista
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # 10 and 11
]
EXPECTED = {
    "x86_64": {"machine": 0x8664, "version": (5, 2)},
    "i686": {"machine": 0x14C, "version": (5, 1)},
}


def resources(pe, type_id):
    if not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
        return []
    found = []
    for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if entry.id != type_id:
            continue
        for name in entry.directory.entries:
            for lang in name.directory.entries:
                data = lang.data.struct
                found.append((name.id, lang.id,
                              pe.get_data(data.OffsetToData, data.Size)))
    return found


def check(path, arch, allowed_path):
    failures = []
    pe = pefile.PE(path)
    expected = EXPECTED[arch]

    if pe.FILE_HEADER.Machine != expected["machine"]:
        failures.append(f"machine {pe.FILE_HEADER.Machine:#x}, expected {expected['machine']:#x}")
    opt = pe.OPTIONAL_HEADER
    if opt.Subsystem != 2:
        failures.append(f"subsystem {opt.Subsystem}, expected 2 (Windows GUI)")
    for field, value in (("subsystem", (opt.MajorSubsystemVersion, opt.MinorSubsystemVersion)),
                         ("OS", (opt.MajorOperatingSystemVersion,
                                 opt.MinorOperatingSystemVersion))):
        if value != expected["version"]:
            failures.append(f"{field} version {value[0]}.{value[1]:02}, expected "
                            f"{expected['version'][0]}.{expected['version'][1]:02}")

    imports = {}
    for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []):
        dll = entry.dll.decode().lower()
        imports[dll] = sorted(
            (imp.name.decode() if imp.name else f"#{imp.ordinal}") for imp in entry.imports)
    for dll in sorted(imports):
        if dll not in SYSTEM_DLLS:
            failures.append(f"imports {dll}, which is not one of {sorted(SYSTEM_DLLS)}")
    if "version.dll" in imports:
        failures.append("imports version.dll, which must be loaded by full path instead")
    if allowed_path:
        with open(allowed_path, encoding="utf-8") as f:
            allowed = {line.strip().lower() for line in f
                       if line.strip() and not line.startswith("#")}
        for dll, names in sorted(imports.items()):
            for name in names:
                if f"{dll}!{name}".lower() not in allowed:
                    failures.append(f"imports {dll}!{name}, which is not in {allowed_path}")

    pe.parse_data_directories()
    strings = {}
    translations = []
    for info in getattr(pe, "FileInfo", []):
        for block in info:
            if block.Key == b"StringFileInfo":
                for table in block.StringTable:
                    lang = table.LangID.decode().upper()
                    for key, value in table.entries.items():
                        strings[(lang, key.decode())] = value.decode()
            elif block.Key == b"VarFileInfo":
                for var in block.Var:
                    translations.extend(var.entry.values())
    for key, value in VERSION_STRINGS.items():
        actual = strings.get(("040904B0", key))
        if actual != value:
            failures.append(f"version string 040904B0\\{key} is {actual!r}, expected {value!r}")
    pairs = {tuple(int(part, 16) for part in str(t).split()) for t in translations}
    if pairs != {(0x0409, 0x04B0)}:
        failures.append(f"translation {translations}, expected 0x0409 0x04b0")
    if not hasattr(pe, "VS_FIXEDFILEINFO"):
        failures.append("no fixed file version")
    else:
        fixed = pe.VS_FIXEDFILEINFO[0]
        if (fixed.FileVersionMS, fixed.ProductVersionMS) != (0x00010002, 0x00010002):
            failures.append(f"fixed version {fixed.FileVersionMS:#x}, expected 1.2")

    manifests = resources(pe, 24)
    if [m[0] for m in manifests] != [1]:
        failures.append(f"manifest resources {[m[0] for m in manifests]}, expected one with id 1")
    else:
        text = manifests[0][2].decode("utf-8")
        for needle in MANIFEST_MUST_HOLD:
            if needle not in text:
                failures.append(f"manifest lacks {needle}")
    if not resources(pe, 14):
        failures.append("no icon")

    hardened, weaknesses = hardening.check(path, arch)
    failures.extend(weaknesses)

    print(f"{path} ({arch}):")
    print(f"  {hardened}")
    for dll, names in sorted(imports.items()):
        print(f"  {dll}: {len(names)} functions")
    for failure in failures:
        print(f"  FAIL: {failure}")
    return not failures


if __name__ == "__main__":
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    ok = check(sys.argv[1], sys.argv[2], sys.argv[3] if len(sys.argv) == 4 else None)
    print("1 passed, 0 failed" if ok else "0 passed, 1 failed")
    sys.exit(0 if ok else 1)
