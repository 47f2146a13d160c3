#!/usr/bin/env python3
"""Runs every benchmark program and prints one table: each figure beside its
target. Called by scripts/bench once everything is built.

usage: run_bench.py SOURCE-DIR BUILD-ROOT PREFIX [--quick]
"""
import json
import os
import re
import subprocess
import sys
import tempfile

source, root, prefix = sys.argv[1:4]
quick = "--quick" in sys.argv
env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all")
rows = []


def row(name, figure, target, met):
    rows.append((name, figure, target, "yes" if met else "NO" if met is not None else "-"))


def winpath(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def wine(arch, *args, limit=1200):
    launcher = "/usr/lib/wine/wine64" if arch == "win64" else "wine"
    with tempfile.TemporaryFile() as out:
        subprocess.run([launcher, *args], env=env, stdin=subprocess.DEVNULL, stdout=out,
                       stderr=subprocess.STDOUT, timeout=limit)
        out.seek(0)
        return out.read().decode(errors="replace").replace("\r", "")


def can_run_32bit():
    return subprocess.run(["/lib/ld-linux.so.2", "--version"], capture_output=True).returncode == 0


def wine_figures(arch):
    build = os.path.join(root, arch)
    text = wine(arch, os.path.join(build, "bench", "bench-host.exe"),
                winpath(os.path.join(build, "Varnelo", "Varnelo.dll")),
                winpath(os.path.join(build, "Tiskaro", "Tiskaro.dll")),
                winpath(os.path.join(build, "tests", "wine", "drivers", "full")),
                *(["--quick"] if quick or arch == "win32" else []))
    figures = {}
    for line in text.splitlines():
        parts = line.split()
        if len(parts) == 4 and parts[1] != "-":
            figures[parts[0]] = (float(parts[1]), float(parts[2]), parts[3])
    return figures


def ratio_row(name, figures, key, target):
    if key not in figures:
        row(name, "not measured", f"ratio <= {target:.2f}", None)
        return
    plugin, base, unit = figures[key]
    ratio = plugin / base
    shown = f"{plugin / 1e3:,.1f} us" if plugin > 1e5 else f"{plugin:,.1f} ns"
    based = f"{base / 1e3:,.1f} us" if base > 1e5 else f"{base:,.1f} ns"
    row(name, f"{shown} vs {based}: ratio {ratio:.3f}", f"ratio <= {target:.2f}", ratio <= target)


for arch in ("win64", "win32"):
    if arch == "win32" and not can_run_32bit():
        row("per-key cost, Varnelo (win32)", "SKIPPED: 32-bit programs cannot run here", "ratio <= 1.05", None)
        continue
    figures = wine_figures(arch)
    ratio_row(f"per-key cost, Varnelo ({arch})", figures, "varnelo-key", 1.05)
    if arch == "win64":
        ratio_row("per-key cost, Tiskaro (win64, virtual remote)", figures, "tiskaro-key", 1.05)
    ratio_row(f"binding cost, Varnelo rebind ({arch})", figures, "varnelo-bind", 1.10)
    for plugin in ("varnelo", "tiskaro"):
        key = f"heap-{plugin}"
        if key in figures:
            mine, base, _ = figures[key]
            extra = mine - base
            row(f"heap blocks per key, {plugin.capitalize()} ({arch}, Wine heaps)",
                f"{mine:.4f} (bare window {base:.4f}): plug-in adds {extra:+.4f}", "0", abs(extra) < 1e-3)

bench = os.path.join(root, "bench", "bench")
native = subprocess.run([os.path.join(bench, "allocations-per-key")], capture_output=True, text=True).stdout
for line in native.splitlines():
    plugin, keys, news, heaps = line.split()
    per_key = (int(news) + int(heaps)) / int(keys)
    row(f"heap allocations per key, {plugin.capitalize()} (native)",
        f"{news} new + {heaps} heap in {int(keys):,} keys = {per_key:g}/key", "0", per_key == 0)

timings = json.loads(subprocess.run([os.path.join(bench, "naming-bench"), "--benchmark_format=json",
                                     "--benchmark_min_time=0.2"], capture_output=True, text=True).stdout)
ns = {b["name"]: b["cpu_time"] for b in timings["benchmarks"]}


def instructions(kind, function):
    # Counted inside the function only (callgrind's collection toggled on its
    # entry), over a mix of named and unnamed inputs; two runs cancel start-up.
    counts = []
    for n in (1000000, 2000000):
        done = subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null",
                               f"--toggle-collect=*{function}*",
                               os.path.join(bench, "naming-count"), kind, str(n)],
                              capture_output=True, text=True)
        counts.append(int(re.search(r"Collected : (\d+)", done.stderr).group(1)))
    return (counts[1] - counts[0]) / 1000000


for kind, name, label, function in (("ir", "IrNaming", "IR naming", "IrCommandName"),
                                    ("report", "ReportNaming", "ReportKeyName", "ReportKeyName")):
    per_call = instructions(kind, function)
    row(f"naming cost, {label} (native)", f"{ns[name]:.2f} ns, {per_call:.1f} instructions per call",
        "< 30 instructions", per_call < 30)

for arch, tool in (("win32", "i686"), ("win64", "x86_64")):
    for plugin in ("Varnelo", "Tiskaro"):
        dll = os.path.join(source, "dist", arch, f"{plugin}.dll")
        headers = subprocess.run([f"{tool}-w64-mingw32-objdump", "-p", dll], capture_output=True, text=True).stdout
        imports = sorted({m.lower() for m in re.findall(r"DLL Name: (\S+)", headers)})
        size = os.path.getsize(dll)
        system = set(imports) <= {"kernel32.dll", "user32.dll", "msvcrt.dll"}
        target = "<= 24 KiB, system imports" if arch == "win32" else "system imports"
        met = system and (size <= 24 * 1024 or arch != "win32")
        row(f"size, {plugin}.dll ({arch})", f"{size / 1024:.1f} KiB; imports {', '.join(imports)}", target, met)

width = [max(len(r[i]) for r in rows + [("Row", "Figure", "Target", "Met")]) for i in range(4)]
line = "| " + " | ".join(h.ljust(w) for h, w in zip(("Row", "Figure", "Target", "Met"), width)) + " |"
print(line)
print("|" + "|".join("-" * (w + 2) for w in width) + "|")
for r in rows:
    print("| " + " | ".join(c.ljust(w) for c, w in zip(r, width)) + " |")
