#!/usr/bin/env python3
"""Times whole commands, interleaved, and prints medians and pairwise ratios.

  runbench.py add PLAN NAME RUNS WARMUP PREPARE -- COMMAND...
      appends a command to the PLAN file (PREPARE: a shell command run untimed
      before every run of it, or "" for none)
  runbench.py run PLAN LABEL:COUNT BASELINE...
      runs every warm-up, then round after round one run of each command that still
      has runs left (A B C A B C ...), so that a machine whose speed drifts slows all
      of them alike. Prints each command's median, min and max wall time, its median
      CPU time (user + system of the command and its children), the throughput
      (COUNT LABEL per run), and for each BASELINE the medians of the round-by-round
      ratios command / baseline of wall and of CPU time (above 1: the baseline is
      faster).

Commands run without a shell, their output thrown away, their exit codes ignored
(peers exit non-zero on files without icons).
"""
import json
import os
import statistics
import subprocess
import sys
import time


def run_once(cmd):
    start = time.perf_counter()
    proc = subprocess.Popen(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    _, _, usage = os.wait4(proc.pid, 0)
    wall = time.perf_counter() - start
    proc.returncode = 0  # reaped above
    return wall, usage.ru_utime + usage.ru_stime


def add(argv):
    plan, name, runs, warmup, prepare = argv[:5]
    if argv[5] != "--":
        raise SystemExit("usage: runbench.py add PLAN NAME RUNS WARMUP PREPARE -- COMMAND...")
    with open(plan, "a") as f:
        f.write(json.dumps({"name": name, "runs": int(runs), "warmup": int(warmup),
                            "prepare": prepare, "cmd": argv[6:]}) + "\n")


def run(argv):
    plan, unit, baselines = argv[0], argv[1], argv[2:]
    label, per_run = unit.split(":")
    per_run = float(per_run)
    with open(plan) as f:
        commands = [json.loads(line) for line in f if line.strip()]

    def once(c):
        if c["prepare"]:
            subprocess.run(c["prepare"], shell=True, check=True)
        return run_once(c["cmd"])

    for c in commands:
        for _ in range(c["warmup"]):
            once(c)
        c["walls"], c["cpus"] = [], []
    rounds = max(c["runs"] for c in commands)
    for r in range(rounds):
        print(f"round {r + 1}/{rounds}", file=sys.stderr)
        for c in commands:
            if r < c["runs"]:
                wall, cpu = once(c)
                c["walls"].append(wall)
                c["cpus"].append(cpu)

    by_name = {c["name"]: c for c in commands}
    print(f"{'command':<22} {'runs':>4} {'median s':>9} {'min s':>8} {'max s':>8} "
          f"{'cpu s':>8} {label + '/s':>10}")
    for c in commands:
        w = c["walls"]
        med = statistics.median(w)
        print(f"{c['name']:<22} {len(w):>4} {med:>9.4f} {min(w):>8.4f} {max(w):>8.4f} "
              f"{statistics.median(c['cpus']):>8.4f} {per_run / med if med else 0:>10.1f}")
    # CPU time moves less than wall time when other work shares the machine.
    for b in baselines:
        for what, key in (("wall time", "walls"), ("cpu time", "cpus")):
            base = by_name[b][key]
            print(f"{what} / {what} of {b}, median of the round-by-round ratios (min .. max):")
            for c in commands:
                if c["name"] == b:
                    continue
                ratios = [a / bb if bb else float("inf") for a, bb in zip(c[key], base)]
                med = statistics.median(ratios)
                # Below 1 the command is faster: say how many times, as the targets are put.
                faster = f"  = {1 / med:.1f}x faster" if 0 < med < 1 else ""
                print(f"  {c['name']:<20} {med:>8.3f}x "
                      f"({min(ratios):.3f} .. {max(ratios):.3f}, {len(ratios)} pairs){faster}")


def main():
    if len(sys.argv) < 3 or sys.argv[1] not in ("add", "run"):
        print(__doc__, file=sys.stderr)
        return 2
    (add if sys.argv[1] == "add" else run)(sys.argv[2:])
    return 0


if __name__ == "__main__":
    sys.exit(main())
