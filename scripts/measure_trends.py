#!/usr/bin/python3
"""CPU time and resident memory of the configurator on-line with the Trends
window open, all series shown, against the demonstration relay (see
measure-trends)."""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "desktop"))
from configurator_session import Session, press  # noqa: E402
from measure_cpu import measure  # noqa: E402


def main(bin_dir, scenario, seconds):
    s = Session(bin_dir, scenario)
    try:
        pid = s.configurator.pid
        press(s.button("Show Measurement Trends"))
        press(s.button("Enter On-Line mode"))
        time.sleep(2)
        measure("on-line, Trends open:", pid, seconds)
        press(s.button("Enter Off-Line mode"))
    finally:
        s.close()


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2], float(sys.argv[3]))
