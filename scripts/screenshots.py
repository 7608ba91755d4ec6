#!/usr/bin/python3
"""Screenshots of the configurator's tabs on the demonstration relay (see
take-screenshots)."""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "desktop"))
from configurator_session import CAPTION, Session, find, press, wait_for  # noqa: E402


def shoot(session, path):
    extents = session.window.queryComponent().getExtents(0)  # screen coordinates
    geometry = f"{extents.width}x{extents.height}+{extents.x}+{extents.y}"
    subprocess.run(["import", "-window", "root", "-crop", geometry, "+repage", path], check=True)
    print(path)


def shoot_trends(bin_dir, scenario, path):
    """The Trends window after a few minutes on-line, in a session of its
    own: it opens over the main window."""
    s = Session(bin_dir, scenario)
    try:
        press(s.button("Enter On-Line mode"))
        press(s.button("Show Measurement Trends"))
        trends = wait_for("the Trends window", lambda: find(s.app, "filler", "Trends"))
        time.sleep(150)
        extents = trends.queryComponent().getExtents(0)
        geometry = f"{extents.width}x{extents.height}+{extents.x}+{extents.y}"
        subprocess.run(["import", "-window", "root", "-crop", geometry, "+repage", path],
                       check=True)
        print(path)
        press(s.button("Enter Off-Line mode"))
    finally:
        s.close()


def main(bin_dir, scenario, out):
    s = Session(bin_dir, scenario)
    try:
        press(s.menu_item("Upload Configuration"))
        wait_for("the upload", lambda: find(s.app, "frame", "Com1_Node1 - " + CAPTION), 90)
        s.window = find(s.app, "frame", "Com1_Node1 - " + CAPTION)
        s.wait_ready("the upload to end")
        press(s.button("Enter On-Line mode"))
        # Enough refresh cycles for every group of measurements to arrive.
        s.select_tab("Measurements")
        time.sleep(26)
        shoot(s, os.path.join(out, "measurements.png"))
        s.select_tab("Relays")
        time.sleep(4)
        shoot(s, os.path.join(out, "relays.png"))
        s.select_tab("Events")
        time.sleep(4)
        shoot(s, os.path.join(out, "events.png"))
        s.select_tab("Relay 3")
        time.sleep(2)
        shoot(s, os.path.join(out, "trip-editor.png"))
        s.select_tab("System")
        press(s.button("Get TZL Time"))
        time.sleep(4)
        shoot(s, os.path.join(out, "system.png"))
        press(s.button("Enter Off-Line mode"))
        s.wait_ready("off-line mode")
        # The menu opens below the menu bar, inside the window's extents.
        press(s.menu_item("Communications"))
        time.sleep(2)
        shoot(s, os.path.join(out, "communications-menu.png"))
    finally:
        s.close()
    shoot_trends(bin_dir, scenario, os.path.join(out, "trends.png"))


if __name__ == "__main__":
    main(*sys.argv[1:4])
