#!/usr/bin/python3
"""The cable pulled in the middle of an on-line session: the real
tzl-configurator against a real tzl-relay-sim on a pseudo-terminal, driven
over the accessibility bus. The simulator stops while the Measurements tab is
polled and its stable by-id style name goes (the line goes dead), and the
configurator must say so in one box, not one per transfer. The engineer goes
off-line, a simulator starts on another device, its path is typed into
Communications > Settings, and on-line again the measurements come in from
it, without restarting the program.

Run on a display and session bus of its own:
    run-on-virtual-display python3 pulled_cable_session.py BIN_DIR SCENARIO
"""

import os
import time

from configurator_session import (check, children, find, main, press, press_into_question,
                                  wait_for)

# Long enough for several refreshes of the dead line (one every 3 s).
DEAD_LINE_SECONDS = 15


def boxes_shown(s, seconds):
    """Answers every message box that comes up for this many seconds; returns
    their texts."""
    texts = []
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        box = find(s.app, "alert")
        if box is None:
            time.sleep(0.2)
            continue
        texts.append(" | ".join(node.name for node in children(box) if node.name))
        press(wait_for("the box's OK button", lambda: find(box, "push button", "OK")))
        wait_for("the box to close", lambda: find(s.app, "alert") is None, timeout=10)
    return texts


def any_label(s, start):
    return find(s.window, "label", lambda name: name.startswith(start)) is not None


def volts_1(s):
    """The Volts cell of phase 1 on the Measurements tab."""
    grid = find(s.window, "table", "Electrical Parameters")
    return grid.queryTable().getAccessibleAt(0, 0).name.strip()


def type_device(s, shown, device):
    """Types the device into Communications > Settings and presses OK."""
    press_into_question(s.menu_item("Settings"))
    dialog = wait_for("the settings dialog",
                      lambda: find(s.app, "dialog", "Communication Settings"))
    # The port box reads as the device it shows: the one in use.
    port = wait_for("the port box", lambda: find(dialog, "combo box", shown))
    line = wait_for("the port box's text", lambda: find(port, "text"))
    line.queryEditableText().setTextContents(device)
    press(find(dialog, "push button", "OK"))
    wait_for("the dialog to close",
             lambda: find(s.app, "dialog", "Communication Settings") is None)


def run(s):
    # The adapter under a stable name, as /dev/serial/by-id gives it. When
    # it is pulled the name goes with it, so the line cannot come back as
    # some other program's pseudo-terminal that took the old number.
    by_id = os.path.join(s.home.name, "usb-TZL_demo_relay-if00-port0")
    os.symlink(s.device, by_id)
    type_device(s, s.device, by_id)

    s.go_online()
    wait_for("a first measurement", lambda: volts_1(s), timeout=30)

    # The cable is pulled.
    s.sim.terminate()
    s.sim.wait(10)
    os.remove(by_id)
    texts = boxes_shown(s, DEAD_LINE_SECONDS)
    print(f"boxes in {DEAD_LINE_SECONDS} s of dead line: {texts}")
    check(len(texts) == 1, f"one box in {DEAD_LINE_SECONDS} s of dead line (got {len(texts)})")
    check(by_id in texts[0], "the box names the device")
    check(any_label(s, "TZL not answering since"),
          "the status bar says since when the relay has not answered")

    s.go_offline()
    check(not boxes_shown(s, 4), "no box after going off-line")

    # Another simulator, on a device of its own, typed into the settings.
    _, device = s.start_simulator(s.scenario)
    type_device(s, by_id, device)

    s.go_online()
    volts = wait_for("measurements from the new device", lambda: volts_1(s), timeout=30)
    check(volts.endswith("k") or volts[0].isdigit(),
          f"measurements come in from {device}, typed in the settings ({volts})")
    check(not any_label(s, "TZL not answering"), "no notice of a dead line")



if __name__ == "__main__":
    main(run)
