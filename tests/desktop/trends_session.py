#!/usr/bin/python3
"""The Trends window with the real tzl-configurator against the real
tzl-relay-sim (see configurator_session.py): open Trends, go on-line, and
after some cycles save the trends as CSV through the real file dialog; the
file holds what tzlctl then reads from the simulated relay.

    run-on-virtual-display python3 trends_session.py BIN_DIR SCENARIO
"""

import csv
import os
import time

from configurator_session import (Failure, Session, check, children, find, main, press,
                                  press_into_question, wait_for)

# One cycle every three seconds; seven reach every block of the rotation.
CYCLES_SECONDS = 24


def save_csv(s, trends, path):
    press_into_question(find(trends, "push button", "Save CSV..."))
    dialog = wait_for("the save dialog", lambda: find(s.app, "dialog", "Save Trends As CSV"))
    name = wait_for("the file name box", lambda: find(dialog, "text", None))
    name.queryEditableText().setTextContents(path)
    press(wait_for("the Save button", lambda: find(dialog, "push button", "Save")))
    wait_for("the file", lambda: os.path.exists(path) and os.path.getsize(path) > 0)


def last_reading(rows, column):
    for row in reversed(rows):
        if row[column]:
            return float(row[column])
    raise Failure(f"the CSV has no {column}")


def tzlctl_value(fields):
    """tzlctl shows a reading as the Measurements tab does: "11.021 k"."""
    scale = {"k": 1e3, "M": 1e6}.get(fields[2], 1.0) if len(fields) > 2 else 1.0
    return float(fields[1]) * scale


def near(value, reference, tolerance):
    return abs(value - reference) <= tolerance * abs(reference)


def run(bin_dir, scenario):
    s = Session(bin_dir, scenario)
    try:
        press(s.button("Show Measurement Trends"))
        trends = wait_for("the Trends window", lambda: find(s.app, "filler", "Trends"))
        check(find(trends, "label", "Off-line") is not None, "Trends says Off-line")
        press(s.button("Enter On-Line mode"))
        time.sleep(CYCLES_SECONDS)
        press(s.button("Enter Off-Line mode"))
        s.wait_ready("off-line mode")

        path = os.path.join(s.home.name, "trends.csv")
        save_csv(s, trends, path)
        with open(path, newline="") as f:
            rows = list(csv.DictReader(f))
        check(len(rows) >= 6, f"the CSV holds a row a cycle ({len(rows)})")
        check(all(row["Status"] == "ok" for row in rows), "every cycle read its block")
        # The demonstration relay's values move a little from read to read.
        relay = s.tzlctl("measurements")
        for column, caption in (("Volts1 (V)", "Volts1"), ("Frequency (Hz)", "Frequency"),
                                ("BusVolts (V)", "BusVolts")):
            shown = [line for line in relay.splitlines() if line.split()[:1] == [caption]]
            check(bool(shown), f"tzlctl shows {caption}")
            reference = tzlctl_value(shown[0].split())
            check(near(last_reading(rows, column), reference, 0.05),
                  f"the CSV's {column} is the relay's {reference}")
    finally:
        s.close()


if __name__ == "__main__":
    main(run)
