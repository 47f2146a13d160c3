#!/usr/bin/env python3
"""Checks a release package: exactly the expected files, both plug-in DLLs as
a host meets them, and SHA256SUMS matching what is in the zip.

usage: check_package.py OBJDUMP PACKAGE.zip
"""
import hashlib
import os
import subprocess
import sys
import tempfile
import zipfile

EXPECTED = {"Varnelo.dll", "Tiskaro.dll", "remote-monitor.exe", "INSTALL.txt", "SHA256SUMS"}


def main():
    objdump, package = sys.argv[1:3]
    failures = []
    with zipfile.ZipFile(package) as archive, tempfile.TemporaryDirectory() as folder:
        names = set(archive.namelist())
        if names != EXPECTED:
            failures.append(f"files {sorted(names)}, expected {sorted(EXPECTED)}")
        archive.extractall(folder)
        sums = {}
        for line in archive.read("SHA256SUMS").decode().splitlines():
            digest, name = line.split("  ", 1)
            sums[name] = digest
        if set(sums) != {"Varnelo.dll", "Tiskaro.dll", "remote-monitor.exe"}:
            failures.append(f"SHA256SUMS lists {sorted(sums)}")
        for name, digest in sums.items():
            actual = hashlib.sha256(archive.read(name)).hexdigest()
            if actual != digest:
                failures.append(f"{name}: checksum {actual}, SHA256SUMS says {digest}")
        checker = os.path.join(os.path.dirname(os.path.abspath(__file__)), "check_dll.py")
        for plugin in ("Varnelo", "Tiskaro"):
            done = subprocess.run([sys.executable, checker, objdump, plugin, os.path.join(folder, f"{plugin}.dll")],
                                  capture_output=True, text=True)
            print(done.stdout, end="")
            if done.returncode:
                failures.append(f"{plugin}.dll fails its checks")
    for failure in failures:
        print(f"FAIL {failure}")
    if not failures:
        print(f"ok   {package}: {', '.join(sorted(names))}; checksums match")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
