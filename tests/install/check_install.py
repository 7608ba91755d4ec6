#!/usr/bin/python3
"""Installs the build into a fresh prefix and checks what a Linux desktop and
a user meet there: the menu entry validates, the icons and every file the
user guide refers to are in place, the installed configurator finds its own
guide, all three programs answer --version, and the comms error log of an
installed program goes to the per-user folder, not beside the programs.

    check_install.py BUILD_DIR VERSION
"""

import os
import re
import subprocess
import sys
import tempfile


class Failure(Exception):
    pass


def check(condition, what):
    if not condition:
        raise Failure(what)


def run(*args, env=None, timeout=60):
    return subprocess.run(args, env=env, timeout=timeout, capture_output=True, text=True)


def check_guide_links(help_dir):
    """Every page, stylesheet and picture the guide links to is installed."""
    pages = [f for f in os.listdir(help_dir) if f.endswith(".html")]
    check("index.html" in pages, "the user guide's index.html is not installed")
    for page in pages:
        with open(os.path.join(help_dir, page), encoding="utf-8") as f:
            text = f.read()
        for target in re.findall(r'(?:href|src)="([^"#:]+)(?:#[^"]*)?"', text):
            check(os.path.isfile(os.path.join(help_dir, target)),
                  f"{page} refers to {target}, which is not installed")


def check_log_goes_per_user(prefix, scratch):
    """An exchange that times out is logged under $XDG_DATA_HOME, even though
    the test may write into the prefix's bin folder."""
    env = dict(os.environ, XDG_DATA_HOME=os.path.join(scratch, "data"),
               XDG_CONFIG_HOME=os.path.join(scratch, "config"))
    env.pop("TZL_LOG_DIR", None)
    sim = subprocess.Popen([os.path.join(prefix, "bin", "tzl-relay-sim"), "--pty",
                            "--fault", "no-answer"],
                           stdout=subprocess.PIPE, text=True, env=env)
    try:
        device = sim.stdout.readline().strip()
        check(device.startswith("/dev/"), f"tzl-relay-sim printed no device: {device!r}")
        result = run(os.path.join(prefix, "bin", "tzlctl"), "--port", device, "--timeout",
                     "200", "read-holding", "6", "2", env=env)
        check(result.returncode == 1, f"tzlctl without an answer exited {result.returncode}")
    finally:
        sim.terminate()
        sim.wait(timeout=10)
    per_user = os.path.join(scratch, "data", "VI_TZLConfigurator", "CommsErr.log")
    check(os.path.isfile(per_user), "the time-out was not logged in the per-user folder")
    with open(per_user, encoding="utf-8", errors="replace") as f:
        check("Modbus Response Timeout" in f.read(), "the per-user log lacks the time-out")
    check(not os.path.exists(os.path.join(prefix, "bin", "CommsErr.log")),
          "the installed program wrote its log beside itself")


def main(build_dir, version):
    with tempfile.TemporaryDirectory() as scratch:
        prefix = os.path.join(scratch, "prefix")
        result = run("cmake", "--install", build_dir, "--prefix", prefix, timeout=120)
        check(result.returncode == 0, "cmake --install failed:\n" + result.stderr)

        share = os.path.join(prefix, "share")
        for path in ["applications/tzl-configurator.desktop",
                     "icons/hicolor/scalable/apps/tzl-configurator.svg"] + [
                     f"icons/hicolor/{s}x{s}/apps/tzl-configurator.png"
                     for s in (16, 32, 48, 64, 128, 256)]:
            check(os.path.isfile(os.path.join(share, path)), f"share/{path} is not installed")

        desktop = os.path.join(share, "applications", "tzl-configurator.desktop")
        result = run("desktop-file-validate", desktop)
        check(result.returncode == 0 and not result.stdout.strip(),
              "desktop-file-validate: " + result.stdout + result.stderr)

        help_dir = os.path.join(share, "tzl-configurator", "help")
        check_guide_links(help_dir)

        for program in ("tzl-configurator", "tzl-relay-sim", "tzlctl"):
            env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
            result = run(os.path.join(prefix, "bin", program), "--version", env=env)
            check(result.returncode == 0 and version in result.stdout,
                  f"{program} --version gave {result.returncode}: {result.stdout!r}")

        # The installed program, not the build tree, is where its guide is found.
        result = run(os.path.join(prefix, "bin", "tzl-configurator"), "--help",
                     env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
        expected = "User guide: " + os.path.join(help_dir, "index.html")
        check(expected in result.stdout, f"--help does not say {expected!r}:\n{result.stdout}")

        check_log_goes_per_user(prefix, scratch)


if __name__ == "__main__":
    try:
        main(*sys.argv[1:3])
    except Failure as failure:
        print("FAIL:", failure)
        sys.exit(1)
    print("installation checked")
