#!/usr/bin/env python3
"""Soak test of `tzlctl watch` against a simulated relay that faults at random.

Runs tzl-relay-sim with random faults and `tzlctl watch` for
$TZL_SOAK_SECONDS (default 120) seconds and checks that
  - every fault the simulator injected was counted as a failure by tzlctl, and
    nothing else was;
  - tzlctl's resident memory stays flat;
  - no cycle took longer than its worst case on the line;
  - the CSV file holds the header and one whole row per cycle.
Prints the figures. Usage: watch_soak.py BIN_DIR [WORK_DIR]
"""

import csv
import os
import re
import signal
import subprocess
import sys
import tempfile
import time
from datetime import datetime

SEED = 20261206
FAULT_PERCENT = 5
TIMEOUT_MS = 500          # the master's response time-out: a no-answer costs this
SILENCE_MS = 50           # the silence that ends an answer
BAUD = 9600
CHARACTER_MS = 11 * 1000.0 / BAUD   # start, 8 data, parity slot, stop
SCHEDULING_MS = 20        # allowance per transaction for two processes to wake
CADENCE_TOLERANCE_S = 0.15   # how late a loaded machine may wake a cycle
SAMPLE_SECONDS = 5
WARM_UP_SECONDS = 20
# Resident memory may move by allocator pages; a leak of even a few bytes per
# transaction grows past this within the run.
MEMORY_TOLERANCE_KIB = 256

# The transactions of the heaviest cycle, the sums: four reads of one value
# (8-byte request, 9-byte answer), then the relay status: the selector write
# (13 and 8 bytes) and the read of the status window (8 and 21 bytes).
HEAVIEST_CYCLE = [(8, 9)] * 4 + [(13, 8), (8, 21)]


def worst_cycle_ms():
    """Every transaction waits out the whole time-out, then gets its whole
    answer and the silence after it: more than any cycle can take."""
    return sum((req + ans) * CHARACTER_MS + TIMEOUT_MS + SILENCE_MS + SCHEDULING_MS
               for req, ans in HEAVIEST_CYCLE)


def rss_kib(pid):
    try:
        with open(f"/proc/{pid}/status") as status:
            return next(int(line.split()[1]) for line in status if line.startswith("VmRSS:"))
    except (FileNotFoundError, StopIteration):
        return None


def fail(message):
    print(f"FAIL: {message}")
    sys.exit(1)


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    bin_dir = sys.argv[1]
    seconds = int(os.environ.get("TZL_SOAK_SECONDS", "120"))
    work = sys.argv[2] if len(sys.argv) > 2 else tempfile.mkdtemp(prefix="tzl-soak-")
    os.makedirs(work, exist_ok=True)
    csv_path = os.path.join(work, "watch.csv")
    fault_log = os.path.join(work, "faults.log")
    if os.path.exists(csv_path):
        os.remove(csv_path)
    env = dict(os.environ, TZL_LOG_DIR=work, LC_ALL="C")

    sim = subprocess.Popen(
        [os.path.join(bin_dir, "tzl-relay-sim"), "--pty", "--fault-rate", str(FAULT_PERCENT),
         "--seed", str(SEED), "--fault-log", fault_log],
        stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    try:
        device = sim.stdout.readline().strip()
        if not device.startswith("/dev/"):
            fail(f"the simulator did not come up: {sim.stderr.read()}")
        with open(os.path.join(work, "watch.err"), "w") as err:
            watch = subprocess.Popen(
                [os.path.join(bin_dir, "tzlctl"), "--port", device, "--timeout", str(TIMEOUT_MS),
                 "watch", "--duration", str(seconds), "--csv", csv_path],
                stdout=subprocess.DEVNULL, stderr=err, env=env)
            started = time.monotonic()
            samples = []   # (seconds since start, KiB)
            while True:
                try:
                    watch.wait(timeout=SAMPLE_SECONDS)
                    break
                except subprocess.TimeoutExpired:
                    kib = rss_kib(watch.pid)
                    if kib is not None:
                        samples.append((time.monotonic() - started, kib))
                if time.monotonic() - started > seconds + 120:
                    watch.kill()
                    fail("tzlctl watch did not stop after its duration")
        # Only now, with every exchange of tzlctl's finished, does the
        # simulator stop: its count then covers exactly what tzlctl saw.
        sim.send_signal(signal.SIGTERM)
        _, sim_err = sim.communicate(timeout=30)
    finally:
        if sim.poll() is None:
            sim.kill()

    with open(os.path.join(work, "watch.err")) as err:
        watch_err = err.read()
    summary = re.search(r"watch: (\d+) cycles, (\d+) transactions, (\d+) failed, "
                        r"longest cycle (\d+) ms", watch_err)
    injected = re.search(r"faults injected: (\d+)", sim_err)
    if watch.returncode != 0 or not summary:
        fail(f"tzlctl watch ended with {watch.returncode}: {watch_err}")
    if not injected:
        fail(f"the simulator gave no count of faults: {sim_err}")
    cycles, transactions, failed, longest = map(int, summary.groups())
    injected = int(injected.group(1))
    with open(fault_log) as log:
        logged = sum(1 for _ in log)
    with open(csv_path, newline="") as f:
        rows = list(csv.reader(f))

    usable = [kib for t, kib in samples if t >= WARM_UP_SECONDS]
    quarter = max(1, len(usable) // 4)
    first_max = max(usable[:quarter], default=0)
    last_max = max(usable[-quarter:], default=0)
    bound = worst_cycle_ms()
    # A cycle that overruns its second gives up the next one; all of them start
    # a whole number of seconds after the first.
    stamps = [datetime.fromisoformat(row[0]) for row in rows[1:]]
    offsets = [(t - stamps[0]).total_seconds() for t in stamps]
    drift = max((abs(o - round(o)) for o in offsets), default=0.0)

    print(f"run:          {seconds} s, seed {SEED}, {FAULT_PERCENT}% faults, files in {work}")
    print(f"cycles:       {cycles} ({len(rows) - 1} CSV rows), {transactions} transactions")
    print(f"faults:       {injected} injected ({logged} logged), {failed} counted by tzlctl")
    print(f"memory:       max {first_max} KiB in the first quarter after {WARM_UP_SECONDS} s, "
          f"{last_max} KiB in the last ({len(usable)} samples)")
    print(f"cycle time:   longest {longest} ms, bound {bound:.0f} ms; "
          f"starts at most {drift * 1000:.0f} ms off the whole second")

    problems = []
    if failed != injected or logged != injected:
        problems.append("failures counted differ from the faults injected")
    if len(rows) - 1 != cycles or rows[0][0] != "Time" or any(len(r) != len(rows[0]) for r in rows):
        problems.append("the CSV file does not hold a header and one whole row per cycle")
    if drift > CADENCE_TOLERANCE_S:
        problems.append("the cycles drifted off their whole seconds")
    if len(usable) < 4:
        problems.append("too few memory samples to judge")
    elif last_max > first_max + MEMORY_TOLERANCE_KIB:
        problems.append(f"memory grew by more than {MEMORY_TOLERANCE_KIB} KiB")
    if longest > bound:
        problems.append("a cycle took longer than its worst case")
    for problem in problems:
        print(f"FAIL: {problem} (the faults are in {fault_log}, the failures in CommsErr.log)")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
