#!/usr/bin/env python3
"""Times the command line writing a 512-fixture sheet as PDF.

Usage: bench_sheet.py PROGRAM [RUNS]
Prints one Markdown table row: median and worst wall time, peak resident memory.
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

program = sys.argv[1]
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 11
env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "QT_QPA_PLATFORM")}

walls, peaks = [], []
with tempfile.TemporaryDirectory() as out:
    target = os.path.join(out, "x.pdf")
    for _ in range(runs):
        start = time.perf_counter()
        child = subprocess.Popen([program, "--feuille", "0,1,512", "-o", target], env=env)
        _, status, usage = os.wait4(child.pid, 0)
        walls.append(time.perf_counter() - start)
        peaks.append(usage.ru_maxrss / 1024)  # KiB on Linux
        if os.waitstatus_to_exitcode(status) != 0:
            sys.exit(f"{program} failed")
    size = os.path.getsize(target) / 1024

print("| Sheet of 512 fixtures to PDF | runs | median | worst | peak memory | file |")
print("|---|---|---|---|---|---|")
print(f"| `adresse-dmx --feuille 0,1,512 -o x.pdf` | {runs} | {statistics.median(walls) * 1000:.0f} ms "
      f"| {max(walls) * 1000:.0f} ms | {max(peaks):.1f} MiB | {size:.0f} KiB |")
