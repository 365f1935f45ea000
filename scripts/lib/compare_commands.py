#!/usr/bin/env python3
"""Times two commands as whole processes, in turn (A B A B ...), and prints
the median wall time and peak memory of each and the median of the ratios
A/B taken pair by pair, so that a drift of the machine's speed hits both.

    compare_commands.py RUNS 'COMMAND A' 'COMMAND B'

Each command's standard output is thrown away."""
import os
import shlex
import statistics
import subprocess
import sys
import time


def run(command):
    """Wall seconds and peak resident memory in MiB of one run."""
    start = time.perf_counter()
    process = subprocess.Popen(shlex.split(command), stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    seconds = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"failed: {command}")
    return seconds, usage.ru_maxrss / 1024


def main():
    runs, first, second = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    run(first), run(second)  # warm the caches
    a, b = [], []
    for _ in range(runs):
        a.append(run(first))
        b.append(run(second))
    for name, figures in (("A", a), ("B", b)):
        print(f"{name}: median {statistics.median(f[0] for f in figures) * 1000:.1f} ms, "
              f"peak {statistics.median(f[1] for f in figures):.1f} MiB")
    ratios = [x[0] / y[0] for x, y in zip(a, b)]
    print(f"A/B: median {statistics.median(ratios):.3f} "
          f"(least {min(ratios):.3f}, most {max(ratios):.3f}) over {runs} pairs")


main()
