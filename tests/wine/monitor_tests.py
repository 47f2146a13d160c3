#!/usr/bin/env python3
"""remote-monitor under Wine, against the built plug-ins with the simulated
receiver driver (beside the monitor) and the virtual remote, and each of its
error cases with its exit code and message.

usage: monitor_tests.py ARCH BUILD-ROOT PREFIX
"""
import json
import os
import re
import subprocess
import sys
import tempfile
import threading
import time

arch, root, prefix = sys.argv[1:4]
build = os.path.join(root, arch)
env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all")
launcher = "/usr/lib/wine/wine64" if arch == "win64" else "wine"
monitor = os.path.join(build, "tools", "remote-monitor.exe")
results = {"passed": 0, "failed": 0}


def winpath(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run(*args, limit=120, program=None, arch_launcher=None):
    # Output goes through files: a pipe would be held open by the Wine server
    # and the services it starts, and reading it would wait for them.
    started = time.monotonic()
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        done = subprocess.run([arch_launcher or launcher, program or monitor, *args], env=env,
                              stdin=subprocess.DEVNULL, stdout=out, stderr=err, timeout=limit)
        out.seek(0)
        err.seek(0)
        text = [f.read().decode(errors="replace").replace("\r", "").splitlines() for f in (out, err)]
    return done.returncode, text[0], text[1], time.monotonic() - started


def case(name):
    def wrap(body):
        try:
            body()
            results["passed"] += 1
            print(f"ok   {name}")
        except AssertionError as problem:
            results["failed"] += 1
            print(f"FAIL {name}: {problem}")
        except subprocess.TimeoutExpired:
            results["failed"] += 1
            print(f"FAIL {name}: timed out")
        sys.stdout.flush()
        return body
    return wrap


def expect(condition, what):
    if not condition:
        raise AssertionError(what)


varnelo = winpath(os.path.join(build, "Varnelo", "Varnelo.dll"))
tiskaro = winpath(os.path.join(build, "Tiskaro", "Tiskaro.dll"))
KEY_LINE = re.compile(r"^\d\d:\d\d:\d\d\.\d{3}  (.+?)  (.+)$")


def json_run(*args):
    code, out, err, _ = run("--json", *args)
    expect(code == 0, f"exit {code}, stderr {err}")
    objects = [json.loads(line) for line in out]
    return objects[0], objects[1:]


# The simulated receiver plays Start, Up, Up, Ok, Play, ... from 0.4 s after binding.
@case("--count 3 prints three key lines and exits 0")
def _():
    code, out, err, _ = run("--count", "3", varnelo)
    expect(code == 0, f"exit {code}, stderr {err}")
    keys = [KEY_LINE.match(line).groups() for line in out if KEY_LINE.match(line)]
    expect(keys == [("MCE Remote", "Start"), ("MCE Remote", "Up"), ("MCE Remote", "Up")], f"keys {keys}")
    expect("PluginName  MCEIr" in out and "3 key events" in out, f"output {out}")


if arch == "win64":
    @case("--json: identity object, then one object per key")
    def _():
        identity, keys = json_run("--count", "4", varnelo)
        expect(identity == {"plugin": varnelo, "PluginName": "MCEIr", "Version": "1.00", "LibTyp": "Input",
                            "Copyright": identity.get("Copyright")} and identity["Copyright"], f"identity {identity}")
        expect([k["key"] for k in keys] == ["Start", "Up", "Up", "Ok"], f"keys {keys}")
        expect(all(k["source"] == "MCE Remote" and re.fullmatch(r"\d\d:\d\d:\d\d\.\d{3}", k["time"])
                   for k in keys), f"keys {keys}")

    @case("--seconds stops on time")
    def _():
        code, out, err, elapsed = run("--seconds", "1.5", varnelo)
        keys = [line for line in out if KEY_LINE.match(line)]
        expect(code == 0, f"exit {code}")
        expect(1 <= len(keys) < 14 and elapsed < 30, f"{len(keys)} keys in {elapsed:.1f} s")

    @case("Tiskaro through the virtual remote")
    def _():
        press = os.path.join(root, "win64", "tools", "VirtualRemote", "remote-press.exe")
        # The remote's session starts once the monitor has had time to bind.
        player = threading.Timer(2.0, lambda: run("--session", program=press, arch_launcher="/usr/lib/wine/wine64"))
        player.start()
        try:
            identity, keys = json_run("--count", "3", "--seconds", "30", tiskaro)
        finally:
            player.join()
        expect(identity["PluginName"] == "DAV2005", f"identity {identity}")
        expect([(k["source"], k["key"]) for k in keys] ==
               [("DAV2005", "Home"), ("DAV2005", "Play"), ("DAV2005", "Volume_Up")], f"keys {keys}")

    ERRORS = [
        ("bad option", ["--bogus", varnelo], 2, "unknown option --bogus"),
        ("count not a number", ["--count", "x", varnelo], 2, "--count needs a positive number"),
        ("count zero", ["--count", "0", varnelo], 2, "--count needs a positive number"),
        ("no plug-in", ["--json"], 2, "give the plug-in DLL"),
        ("two plug-ins", [varnelo, tiskaro], 2, "give one plug-in DLL"),
        ("file not found", ["nothere.dll"], 3, "nothere.dll: file not found"),
        ("not a DLL", [winpath(monitor)], 4, "is not a Windows DLL"),
        ("text file", [winpath(os.path.join(root, "..", "README.md"))], 4, "is not a Windows DLL"),
        ("other architecture", [winpath(os.path.join(root, "win32", "Varnelo", "Varnelo.dll"))], 4,
         "is a 32-bit DLL and this is the 64-bit monitor; use the remote-monitor.exe of the 32-bit package"),
        ("DLL that will not load", [winpath(os.path.join(build, "tests", "wine", "refusing.dll"))], 5,
         "cannot load"),
        ("DLL without the exports", [winpath(os.path.join(build, "tools", "MCEir.dll"))], 6,
         "is not an input plug-in: it lacks the export SetCallback"),
    ]
    for name, args, code, message in ERRORS:
        @case(f"error: {name} -> exit {code}")
        def _(args=args, code=code, message=message):
            got, out, err, _ = run(*args)
            expect(got == code, f"exit {got}, expected {code}; stderr {err}")
            expect(err and message in err[0], f"stderr {err}")
            expect(code != 2 or any(line.startswith("usage:") for line in err), "no usage text")
            expect(not any(KEY_LINE.match(line) for line in out), f"output {out}")

print(f"{results['passed']} passed, {results['failed']} failed")
sys.exit(1 if results["failed"] else 0)
