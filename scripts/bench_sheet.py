#!/usr/bin/env python3
"""Times the command line writing a 512-fixture sheet as PDF and, given the
scene generator, the rig sheet of an MVR scene of 2,000 fixtures on 28 lines.

Usage: bench_sheet.py PROGRAM [RUNS [MAKE_RIG]]
Prints a Markdown table: median and worst wall time, peak resident memory.
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

program = os.path.abspath(sys.argv[1])
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 11
make_rig = sys.argv[3] if len(sys.argv) > 3 else None
env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "QT_QPA_PLATFORM")}


def timed(args, target):
    walls, peaks = [], []
    for _ in range(runs):
        start = time.perf_counter()
        child = subprocess.Popen([program, *args, "-o", target], env=env)
        _, status, usage = os.wait4(child.pid, 0)
        walls.append(time.perf_counter() - start)
        peaks.append(usage.ru_maxrss / 1024)  # KiB on Linux
        if os.waitstatus_to_exitcode(status) != 0:
            sys.exit(f"{program} {' '.join(args)} failed")
    print(f"| `adresse-dmx {' '.join(args)} -o x.pdf` | {runs} | {statistics.median(walls) * 1000:.0f} ms "
          f"| {max(walls) * 1000:.0f} ms | {max(peaks):.1f} MiB | {os.path.getsize(target) / 1024:.0f} KiB |")


print("| Sheet to PDF | runs | median | worst | peak memory | file |")
print("|---|---|---|---|---|---|")
with tempfile.TemporaryDirectory() as out:
    target = os.path.join(out, "x.pdf")
    timed(["--feuille", "0,1,512"], target)
    if make_rig:
        scene = os.path.join(out, "rig.mvr")
        subprocess.run([make_rig, scene, "2000", "28"], check=True)
        os.chdir(out)  # the command shows the scene's short name
        timed(["--patch", "rig.mvr"], target)
