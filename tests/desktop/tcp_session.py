#!/usr/bin/python3
"""The engineer's session once through a serial device server: the real
tzl-configurator against tzl-relay-sim on a TCP port of the loopback address
(tcp://127.0.0.1:PORT), driven over the accessibility bus. Upload, go on-line
for a refresh, see the network address in Communication Settings with the
line settings greyed out, go off-line, exit. tzlctl, through the same
one-client-at-a-time server, checks that the configurator lets the
connection go between transactions.

    run-on-virtual-display python3 tcp_session.py BIN_DIR SCENARIO
"""

import os
import subprocess
import time

from configurator_session import (CAPTION, Failure, Session, check, find, main, press,
                                  press_into_question, screenshot_on_failure, sensitive,
                                  wait_for)


def run(bin_dir, scenario):
    s = Session(bin_dir, scenario, line=("--tcp", "0"))
    try:
        check(s.device.startswith("tcp://127.0.0.1:"), f"the simulator listens at {s.device}")
        press(s.menu_item("Upload Configuration"))
        wait_for("the caption of the uploaded configuration",
                 lambda: find(s.app, "frame", "Com1_Node1 - " + CAPTION), timeout=90)
        s.wait_ready("the upload to end")

        press(s.button("Enter On-Line mode"))
        wait_for("the on-line marker", lambda: s.status("On-Line"))
        time.sleep(4)  # a refresh every three seconds
        press(s.button("Enter Off-Line mode"))
        wait_for("the on-line marker to go", lambda: not s.status("On-Line"))
        s.wait_ready("the last refresh to end")
        time.sleep(0.5)
        check("11000" in s.tzlctl("system"), "tzlctl gets the line between transactions")

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

        press_into_question(s.menu_item("Exit"))
        s.answer("Yes")
        code = s.configurator.wait(20)
        check(code == 0, f"the configurator exits with 0 (got {code})")
        ini = os.path.join(s.home.name, ".config", "VI_TZLConfigurator",
                           "VI_TZLConfigurator.ini")
        with open(ini, encoding="utf-8") as settings:
            check(s.device not in settings.read(), "the --port address is not stored")
        with open(os.path.join(s.env["TZL_LOG_DIR"], "CommsErr.log"), encoding="latin-1") as log:
            entries = log.read().splitlines()[1:]
        check(not entries, f"no exchange failed: {entries}")
    except Failure:
        screenshot_on_failure()
        raise
    finally:
        s.close()


if __name__ == "__main__":
    main(run)
