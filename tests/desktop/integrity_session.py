#!/usr/bin/python3
"""What the engineer sees is what the relay gets, tried on a real display
with the real configurator and simulator, as a new engineer would: an upload
that fails part-way, a value typed without Enter before a tab is clicked
with the mouse, a half-edited box when Download is chosen from the menu.
tzlctl then reads the relay, and the window title is read from the X server
as the window manager would show it.

Run on a display and session bus of its own:
    run-on-virtual-display python3 integrity_session.py BIN_DIR SCENARIO
"""

import subprocess

import pyatspi
from gi.repository import Atspi

from configurator_session import (CAPTION, Failure, Session, check, find, main, press,
                                  screenshot_on_failure, wait_for)

# The upload's exchanges: the system parameters, the three product items
# (select and read each), then a select and a read per relay. The first read
# of relay 4's trip window goes unanswered.
SYSTEM_EXCHANGES = 1
PRODUCT_EXCHANGES = 6
RELAY_4_READ = SYSTEM_EXCHANGES + PRODUCT_EXCHANGES + 3 * 2 + 2

KEY_HOME = 0xFF50
KEY_RIGHT = 0xFF53


def click(node):
    extents = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    Atspi.generate_mouse_event(extents.x + extents.width // 2,
                               extents.y + extents.height // 2, "b1c")


def within(node, outer):
    inner = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    box = outer.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return (box.x <= inner.x and inner.x + inner.width <= box.x + box.width
            and box.y <= inner.y and inner.y + inner.height <= box.y + box.height)


def key(symbol):
    Atspi.generate_keyboard_event(symbol, None, Atspi.KeySynthType.SYM)


def text_of(node):
    return node.queryText().getText(0, -1)


def shown(value):
    """A trip parameter as the window shows it."""
    return f"{value:,.2f}"


def window_titles():
    """The titles of the X server's windows, as a window manager reads them."""
    tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True,
                          check=True).stdout
    return [line.split('"')[1] for line in tree.splitlines() if line.count('"') >= 2]


class Integrity:
    def __init__(self, session):
        self.s = session

    def box(self, name):
        return wait_for(f"the '{name}' box", lambda: find(self.s.window, "text", name))

    def click_into(self, box, text):
        """Clicks into the box and puts text in its place, without Enter."""
        click(box)
        wait_for("the box to take the focus",
                 lambda: box.getState().contains(pyatspi.STATE_FOCUSED), timeout=10)
        # Without a window manager the click that activates the window does
        # not select the box's text as a click within an active window does.
        box.queryEditableText().setTextContents(text)

    def click_tab(self, caption):
        tab = wait_for(f"tab '{caption}'",
                       lambda: find(self.s.window, "page tab", caption, showing=False))
        strip = find(self.s.window, "page tab list")
        if within(tab, strip):
            click(tab)
            print(f"clicked the tab '{caption}' with the mouse")
        else:  # scrolled out of the strip: the tab bar's own action, as a click
            press(tab)
            print(f"the tab '{caption}' is scrolled out of the strip: pressed it")

    def relay_values(self):
        volts = float(self.s.tzlctl("read-holding", "6", "2").split()[0])
        return volts, float(self.s.trip_window(1)[4])

    def failed_upload_changes_nothing(self):
        s = self.s
        press(s.menu_item("Upload Configuration"))
        # The link says the relay did not answer; the upload stops there.
        s.answer("OK")
        s.wait_ready("the upload to give up")
        check(find(s.app, "frame", CAPTION) is not None,
              "after a failed upload the caption still names no file")
        check(not s.status("Data Modified"), "a failed upload marks nothing modified")
        s.select_tab("System")
        check(text_of(self.box("Primary Volts")) == "110",
              "a failed upload leaves the system volts in memory as they were")

    def tab_click_commits_first(self, volts, trip_point):
        s = self.s
        s.select_tab("System")
        self.click_into(self.box("Primary Volts"), "830")  # no Enter
        self.click_tab("Relay 1")
        expected = shown(trip_point * 830 / volts)
        try:
            wait_for("relay 1's trip point to follow the new volts",
                     lambda: text_of(self.box("Trip Point")) == expected, timeout=10)
        except Failure:
            raise Failure(f"the Trip Point box shows {text_of(self.box('Trip Point'))}, "
                          f"not {expected}")
        check(True, f"the Trip Point box shows {expected} after 830 V and a tab click")
        return expected

    def menu_command_takes_whole_entry(self):
        s = self.s
        s.select_tab("System")
        self.click_into(self.box("Primary Volts"), "1245")
        key(KEY_HOME)
        key(KEY_RIGHT)
        key(KEY_RIGHT)  # the caret after "12"
        download = s.menu_item("Download Configuration")
        press(download)
        wait_for("the download to run", lambda: sensitive_now(download), timeout=90)
        s.wait_ready("the download to end")
        self.click_tab("Relay 1")
        return text_of(self.box("Trip Point"))


def sensitive_now(node):
    return node.getState().contains(pyatspi.STATE_SENSITIVE)


def run(bin_dir, scenario):
    s = Session(bin_dir, scenario, ["--fault", f"no-answer@{RELAY_4_READ}"])
    try:
        test = Integrity(s)
        test.failed_upload_changes_nothing()

        press(s.menu_item("Upload Configuration"))
        uploaded = f"Com1_Node1 - {CAPTION}"
        wait_for("the caption of the uploaded configuration",
                 lambda: find(s.app, "frame", uploaded), timeout=90)
        s.wait_ready("the upload to end")
        titles = window_titles()
        check(uploaded in titles, f"the X server shows the title {uploaded!r}")
        check(not any("— TZL Configurator" in t for t in titles),
              "no window title carries the program's name twice")

        volts, trip_point = test.relay_values()
        test.tab_click_commits_first(volts, trip_point)

        shown_after = test.menu_command_takes_whole_entry()
        held_volts, held_trip_point = test.relay_values()
        check(held_volts == 1245, f"the relay holds 1245 V as typed (holds {held_volts:g})")
        check(abs(held_trip_point - trip_point * 1245 / volts) < 0.01,
              f"relay 1's trip point followed 1245 / {volts:g} (holds {held_trip_point:g})")
        check(shown_after == shown(held_trip_point),
              f"the window shows what the relay holds ({shown_after})")
    except Failure:
        screenshot_on_failure()
        raise
    finally:
        s.close()


if __name__ == "__main__":
    main(run)
