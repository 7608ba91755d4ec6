#!/usr/bin/python3
"""CPU time and resident memory of the configurator over a stretch of wall
time, off-line and on-line (see measure-cpu)."""

import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "desktop"))
from configurator_session import Session, press  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS  # utime + stime


def resident_mib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def measure(label, pid, seconds):
    start_cpu, start = cpu_seconds(pid), time.monotonic()
    time.sleep(seconds)
    used, wall = cpu_seconds(pid) - start_cpu, time.monotonic() - start
    print(f"{label:34s} {100 * used / wall:5.2f} % of one core over {wall:.0f} s, "
          f"resident {resident_mib(pid):.1f} MiB")


def main(bin_dir, scenario, seconds):
    s = Session(bin_dir, scenario)
    try:
        pid = s.configurator.pid
        time.sleep(2)
        measure("off-line, idle:", pid, seconds)
        press(s.button("Enter On-Line mode"))
        measure("on-line, polling Measurements:", pid, seconds)
        press(s.button("Enter Off-Line mode"))
    finally:
        s.close()


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2], float(sys.argv[3]))
