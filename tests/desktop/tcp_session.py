#!/usr/bin/python3
"""The engineer on-line through a serial device server: the real
tzl-configurator against tzl-relay-sim on a TCP port of the loopback address
(tcp://127.0.0.1:PORT), driven over the accessibility bus. The Trends window
is open through some cycles and its CSV saved through the real file dialog;
tzlctl, through the same one-client-at-a-time server, then reads the relay,
which shows the configurator lets the connection go between transactions.
Communication Settings shows the network address with the line settings
greyed out; then exit.

    run-on-virtual-display python3 tcp_session.py BIN_DIR SCENARIO
"""

import csv
import os
import subprocess
import time

from configurator_session import (Failure, check, find, main, press, press_into_question,
                                  sensitive, wait_for)

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


def check_trends(s, trends):
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
        check(abs(last_reading(rows, column) - reference) <= 0.05 * abs(reference),
              f"the CSV's {column} is the relay's {reference}")


def run(s):
    check(s.device.startswith("tcp://127.0.0.1:"), f"the simulator listens at {s.device}")
    press(s.button("Show Measurement Trends"))
    trends = wait_for("the Trends window", lambda: find(s.app, "filler", "Trends"))
    check(find(trends, "label", "Off-line") is not None, "Trends says Off-line")
    s.go_online()
    time.sleep(CYCLES_SECONDS)
    s.go_offline()
    s.wait_ready("the last refresh to end")
    time.sleep(0.5)
    check_trends(s, trends)

    press_into_question(s.menu_item("Settings"))
    dialog = wait_for("Communication Settings",
                      lambda: find(s.app, "dialog", "Communication Settings"))
    # On Linux a list is known by the item it shows.
    check(find(dialog, "combo box", "Network (RTU over TCP)") is not None,
          "the network connection is chosen")
    host = find(dialog, "text", "Host")
    check(host is not None and sensitive(host)
          and host.queryText().getText(0, -1) == "127.0.0.1",
          "the host box holds the simulator's address")
    baud = find(dialog, "combo box", "9600")
    check(baud is not None and not sensitive(baud), "the baud rate is greyed out")
    if os.environ.get("TZL_SCREENSHOT"):
        subprocess.run(["import", "-window", "root", os.environ["TZL_SCREENSHOT"]])
    press(find(dialog, "push button", "Cancel"))

    check(s.device not in s.exit(), "the --port address is not stored")
    with open(os.path.join(s.env["TZL_LOG_DIR"], "CommsErr.log"), encoding="latin-1") as log:
        entries = log.read().splitlines()[1:]
    check(not entries, f"no exchange failed: {entries}")


if __name__ == "__main__":
    main(run, line=("--tcp", "0"))
