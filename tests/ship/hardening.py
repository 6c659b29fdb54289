#!/usr/bin/env python3
"""Checks that a stripped, statically linked Windows executable carries the release builds'
hardening: ASLR and DEP in its PE headers, and GCC's stack protection in its code.

usage: hardening.py EXE {x86_64|i686}

Without symbols, the stack protection shows in the code itself: many functions read one and the
same variable (the guard) at entry, and before they return compare their copy of it with it,
calling one handler where the two differ. That handler must end the process there and then: it
never returns, raises no exception and calls nothing but kernel32, TerminateProcess among it.
"""
import re
import shutil
import subprocess
import sys
from dataclasses import dataclass

import pefile

DYNAMIC_BASE = 0x0040
NX_COMPAT = 0x0100
HIGH_ENTROPY_VA = 0x0020
RELOCS_STRIPPED = 0x0001
SCN_MEM_WRITE = 0x80000000
OBJDUMP = {"x86_64": "x86_64-w64-mingw32-objdump", "i686": "i686-w64-mingw32-objdump"}
# Fewer guarded functions than this is not the program's code compiled with the protection
# (the release program has hundreds).
MIN_GUARDED = 20
# How far into a function its guard is read, and how far back the load of a register is sought.
ENTRY_INSTRUCTIONS = 24
LOOKBACK_INSTRUCTIONS = 400
# Imports that would seed a guard by loading a DLL by name before the DLL search is restricted:
# CryptoAPI's provider DLL, and cryptbase.dll behind RtlGenRandom on Vista and 7.
SEEDS_LOADING_A_DLL = {"advapi32.dll!cryptacquirecontexta", "advapi32.dll!cryptacquirecontextw",
                       "advapi32.dll!systemfunction036"}

LINE = re.compile(r"^\s*([0-9a-f]+):\t(.*)$")
PREFIXES = {"rep", "repz", "repnz", "repe", "repne", "lock", "data16", "cs", "ds", "notrack",
            "bnd", "addr32"}
ABSOLUTE = re.compile(r"^\*?0x([0-9a-f]+)$")
INDIRECT = re.compile(r"^\*?(?:0x0)?\((%\w+)\)$")


@dataclass
class Instruction:
    address: int
    mnemonic: str
    operands: list
    rip_target: int | None  # the address that a %rip-relative operand names

    def _address(self, operand):
        if "(%rip)" in operand:
            return self.rip_target
        match = ABSOLUTE.match(operand)
        return int(match.group(1), 16) if match and not operand.startswith("*") else None

    def branches(self):
        return self.mnemonic.startswith("j") or self.mnemonic.startswith("call")

    def loaded(self):
        """The memory address that this instruction reads its source from, where it names one."""
        if self.branches() or len(self.operands) != 2:
            return None
        return self._address(self.operands[0])

    def stored(self):
        """The memory address that a mov writes to, where it names one."""
        if not self.mnemonic.startswith("mov") or len(self.operands) != 2:
            return None
        return self._address(self.operands[1])

    def slot(self):
        """The pointer that an indirect call or jump goes through, where it names one."""
        if not self.branches() or not self.operands or not self.operands[0].startswith("*"):
            return None
        return self._address(self.operands[0][1:])

    def direct_target(self):
        if not self.branches() or not self.operands or self.operands[0].startswith("*"):
            return None
        return self._address(self.operands[0])

    def destination(self):
        return self.operands[-1] if self.operands else ""


def disassemble(path, arch):
    objdump = shutil.which(OBJDUMP[arch])
    if objdump is None:
        raise RuntimeError(f"{OBJDUMP[arch]} is not installed")
    text = subprocess.run([objdump, "-d", "--no-show-raw-insn", "-j", ".text", path],
                          capture_output=True, text=True, check=True).stdout
    instructions = []
    for line in text.splitlines():
        match = LINE.match(line)
        if not match:
            continue
        body, _, comment = match.group(2).partition("#")
        words = body.split()
        while len(words) > 1 and (words[0] in PREFIXES or words[0].startswith("rex")):
            words = words[1:]
        if not words:
            continue
        rest = " ".join(words[1:])
        operands = [o.strip() for o in re.split(r",(?![^()]*\))", rest)] if rest else []
        rip = None
        if "(%rip)" in rest and comment.strip().startswith("0x"):
            rip = int(comment.split()[0], 16)
        instructions.append(Instruction(int(match.group(1), 16), words[0], operands, rip))
    return instructions


class Image:
    def __init__(self, pe, instructions):
        self.pe = pe
        self.base = pe.OPTIONAL_HEADER.ImageBase
        self.pointer = 8 if pe.FILE_HEADER.Machine == 0x8664 else 4
        self.code = instructions
        self.at = {insn.address: i for i, insn in enumerate(instructions)}
        self.slots = {}
        for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []):
            for imp in entry.imports:
                name = imp.name.decode() if imp.name else f"#{imp.ordinal}"
                self.slots[imp.address] = f"{entry.dll.decode().lower()}!{name}"

    def writable(self, address):
        section = self.pe.get_section_by_rva(address - self.base)
        return section is not None and bool(section.Characteristics & SCN_MEM_WRITE)

    def variable(self, address):
        """What a load from `address` reaches: the address itself where it is writable data, the
        variable that a read-only pointer there names otherwise (mingw's .refptr indirection)."""
        if address is None or self.writable(address):
            return address
        try:
            data = self.pe.get_data(address - self.base, self.pointer)
        except pefile.PEFormatError:
            return None
        return int.from_bytes(data, "little") if len(data) == self.pointer else None

    def loaded_into(self, index, register):
        """The variable that `register` was last loaded from before instruction `index`."""
        for i in range(index - 1, max(index - LOOKBACK_INSTRUCTIONS, 0) - 1, -1):
            insn = self.code[i]
            if insn.destination() == register and insn.mnemonic not in ("cmp", "test"):
                return self.variable(insn.loaded()) if insn.mnemonic.startswith("mov") else None
        return None

    def compared(self, index):
        """The variable that a sub, xor or cmp at `index` reads from memory, if any."""
        insn = self.code[index]
        if insn.mnemonic not in ("sub", "xor", "cmp") or len(insn.operands) != 2:
            return None
        match = INDIRECT.match(insn.operands[0])
        if match:
            return self.loaded_into(index, match.group(1))
        return self.variable(insn.loaded())

    def call_target(self, index):
        """The import (as "kernel32.dll!TerminateProcess") or code address a call goes to."""
        insn = self.code[index]
        direct = insn.direct_target()
        if direct is not None:
            # An import called by name goes through a thunk: jmp *slot.
            thunk = self.at.get(direct)
            if thunk is not None and self.code[thunk].slot() in self.slots:
                return self.slots[self.code[thunk].slot()]
            return direct
        slot = insn.slot()
        if slot is None and insn.operands and insn.operands[0].startswith("*%"):
            register = insn.operands[0][1:]
            for i in range(index - 1, max(index - 32, 0) - 1, -1):
                if self.code[i].destination() == register:
                    slot = self.code[i].loaded()
                    break
        return self.slots.get(slot, "an unknown address")

    def function_starts(self):
        if hasattr(self.pe, "DIRECTORY_ENTRY_EXCEPTION"):
            return {self.base + e.struct.BeginAddress for e in self.pe.DIRECTORY_ENTRY_EXCEPTION}
        # 32-bit code has no function table: the targets of direct calls stand in for it.
        return {insn.direct_target() for insn in self.code if insn.mnemonic == "call"} - {None}


def guard_checks(image):
    """(guard, handler) for each comparison of a guard that calls a handler where they differ."""
    checks = []
    for i in range(1, len(image.code) - 1):
        branch = image.code[i]
        if branch.mnemonic not in ("je", "jne"):
            continue
        guard = image.compared(i - 1)
        if guard is None:
            continue
        failing = i + 1 if branch.mnemonic == "je" else image.at.get(branch.direct_target())
        if failing is None or image.code[failing].mnemonic != "call":
            continue
        handler = image.code[failing].direct_target()
        if handler is not None:
            checks.append((guard, handler))
    return checks


def entry_loads(image, guard):
    count = 0
    for start in image.function_starts():
        first = image.at.get(start)
        if first is None:
            continue
        for insn in image.code[first:first + ENTRY_INSTRUCTIONS]:
            if insn.mnemonic == "ret":
                break
            if insn.mnemonic.startswith("mov") and image.variable(insn.loaded()) == guard:
                count += 1
                break
    return count


def handler_faults(image, handler):
    """Why the handler at `handler` might not end the process at once (nothing when it does)."""
    faults = []
    calls = set()
    seen = set()
    pending = [handler]
    while pending:
        index = image.at.get(pending.pop())
        if index is None:
            faults.append("jumps outside the code")
            continue
        while index < len(image.code) and index not in seen:
            seen.add(index)
            insn = image.code[index]
            if len(seen) > 400:
                return faults + ["is too large to follow"]
            if insn.mnemonic.startswith("ret"):
                faults.append(f"returns (at {insn.address:#x})")
                break
            if insn.mnemonic in ("int", "int3", "ud2", "hlt"):
                # An exception, whose handlers 32-bit code keeps on the overwritten stack.
                faults.append(f"raises an exception (at {insn.address:#x})")
                break
            if insn.mnemonic.startswith("call"):
                calls.add(image.call_target(index))
            elif insn.mnemonic.startswith("j"):
                target = insn.direct_target()
                if target is None:
                    faults.append(f"jumps through a pointer (at {insn.address:#x})")
                    break
                pending.append(target)
                if insn.mnemonic == "jmp":
                    break
            index += 1
    for target in sorted(calls, key=str):
        if not (isinstance(target, str) and target.startswith("kernel32.dll!")):
            name = f"{target:#x}" if isinstance(target, int) else target
            faults.append(f"calls {name}, which is not a kernel32 function")
    if "kernel32.dll!TerminateProcess" not in calls:
        faults.append("does not call kernel32's TerminateProcess")
    return faults


def check(path, arch):
    """A line that says what was found, and the failures."""
    failures = []
    pe = pefile.PE(path)
    flags = pe.OPTIONAL_HEADER.DllCharacteristics
    for name, bit in (("DYNAMIC_BASE", DYNAMIC_BASE), ("NX_COMPAT", NX_COMPAT)) + (
            (("HIGH_ENTROPY_VA", HIGH_ENTROPY_VA),) if arch == "x86_64" else ()):
        if not flags & bit:
            failures.append(f"{name} is not set")
    relocations = pe.OPTIONAL_HEADER.DATA_DIRECTORY[5].Size
    if pe.FILE_HEADER.Characteristics & RELOCS_STRIPPED or not relocations:
        failures.append("has no base relocations, so ASLR cannot move it")
    for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []):
        for imp in entry.imports:
            name = f"{entry.dll.decode()}!{imp.name.decode() if imp.name else ''}".lower()
            if name in SEEDS_LOADING_A_DLL:
                failures.append(f"imports {name}, which loads a DLL by name")

    image = Image(pe, disassemble(path, arch))
    checks = guard_checks(image)
    summary = "no stack guard"
    if not checks:
        failures.append("no function compares a stack guard before it returns")
    else:
        guard, handler = max(set(checks), key=checks.count)
        sites = checks.count((guard, handler))
        guarded = entry_loads(image, guard)
        others = {h for g, h in checks if g == guard and h != handler}
        summary = (f"{guarded} functions read the stack guard at {guard:#x} at entry, {sites} "
                   f"compare it before returning and call {handler:#x} where it differs")
        if min(sites, guarded) < MIN_GUARDED:
            failures.append(f"only {guarded} functions read the stack guard at {guard:#x} at entry "
                            f"and {sites} compare it before returning, fewer than {MIN_GUARDED}")
        if not image.writable(guard):
            failures.append(f"the stack guard at {guard:#x} is not writable data")
        elif not any(insn.stored() == guard for insn in image.code):
            failures.append(f"nothing writes the stack guard at {guard:#x}: it is never seeded")
        if others:
            failures.append(f"the guard's checks call {len(others) + 1} different handlers")
        for fault in handler_faults(image, handler):
            failures.append(f"the stack guard's handler at {handler:#x} {fault}")

    return f"DllCharacteristics {flags:#06x}; {summary}", failures


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    summary, found = check(sys.argv[1], sys.argv[2])
    print(f"{sys.argv[1]} ({sys.argv[2]}):\n  {summary}")
    for failure in found:
        print(f"  FAIL: {failure}")
    print("0 passed, 1 failed" if found else "1 passed, 0 failed")
    sys.exit(1 if found else 0)
