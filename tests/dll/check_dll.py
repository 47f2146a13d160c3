#!/usr/bin/env python3
"""Checks a built plug-in DLL as a host on a plain Windows machine would meet
it: the five exports by name and ordinal (base 1), imports from system DLLs
only, a version resource naming the plug-in, and, in the 32-bit build, a
SetCallback that removes its own 8 bytes of arguments (stdcall).

usage: check_dll.py OBJDUMP NAME DLL
"""
import re
import subprocess
import sys

EXPORTS = {"SetCallback": 1, "LibTyp": 2, "Copyright": 3, "Version": 4, "PluginName": 5}
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "msvcrt.dll", "advapi32.dll", "gdi32.dll", "ntdll.dll"}


def fail(message):
    print(f"FAIL {message}")
    return 1


def main():
    objdump, name, dll = sys.argv[1:4]
    headers = subprocess.run([objdump, "-p", dll], check=True, capture_output=True, text=True).stdout
    failures = 0

    base = re.search(r"^Ordinal Base\s+(\d+)", headers, re.M)
    if not base or base.group(1) != "1":
        failures += fail(f"ordinal base is {base and base.group(1)}, expected 1")
    names = headers.split("[Ordinal/Name Pointer] Table", 1)[-1]
    exports = {m.group(2): int(m.group(1)) + 1 for m in re.finditer(r"^\s+\[\s*(\d+)\]\s+(\S+)$", names, re.M)}
    if exports != EXPORTS:
        failures += fail(f"exports {exports}, expected {EXPORTS}")

    imports = {m.group(1).lower() for m in re.finditer(r"DLL Name: (\S+)", headers)}
    if not imports or not imports <= SYSTEM_DLLS:
        failures += fail(f"imports {sorted(imports - SYSTEM_DLLS) or 'none'} are not system DLLs")

    data = open(dll, "rb").read()
    for key, value in (("ProductName", name), ("FileVersion", "1.00")):
        pattern = re.escape(key.encode("utf-16-le")) + rb"(?:\x00\x00)+" + re.escape((value + "\0").encode("utf-16-le"))
        if not re.search(pattern, data):
            failures += fail(f"version resource lacks {key} = {value}")

    if "pei-i386" in headers:
        failures += check_stdcall(objdump, dll, headers)

    if failures == 0:
        print(f"ok   {dll}: exports {', '.join(f'{n} @{o}' for n, o in EXPORTS.items())}; imports {', '.join(sorted(imports))}")
    return 1 if failures else 0


def check_stdcall(objdump, dll, headers):
    image_base = int(re.search(r"^ImageBase\s+([0-9a-fA-F]+)", headers, re.M).group(1), 16)
    table = headers.split("Export Address Table", 1)[1]
    rvas = {int(m.group(1)): int(m.group(2), 16) for m in re.finditer(r"\+base\[\s*(\d+)\]\s+([0-9a-fA-F]+) Export RVA", table)}
    start = image_base + rvas[EXPORTS["SetCallback"]]
    code = subprocess.run([objdump, "-d", f"--start-address={start:#x}", f"--stop-address={start + 0x400:#x}", dll],
                          check=True, capture_output=True, text=True).stdout
    ret = re.search(r"\tret\s*(\S*)", code)
    if not ret or ret.group(1) != "$0x8":
        return fail(f"SetCallback returns with 'ret {ret and ret.group(1)}', expected 'ret $0x8'")
    return 0


if __name__ == "__main__":
    sys.exit(main())
