#!/usr/bin/env python3
"""One window that comes forward, under a real window manager (openbox).

The main window carries the class the desktop entry names (StartupWMClass),
so that docks match it to its launcher. Minimized, it comes back and takes
the focus when Kelvaro is started again: without a reference list, and with
one, whose reader is then the active one.

Usage: come_forward.py --program-dir BUILD/kelvaro --window-manager PATH
                       [--xvfb PATH] [--xdotool PATH] [--keep]
"""

import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from harness import Failure, run_scenario, text_lines, wait_for  # noqa: E402

ROMANS = 45
DESKTOP_ENTRY = os.path.join(
    os.path.dirname(os.path.abspath(__file__)),
    "..", "..", "data", "packaging", "org.kelvaro.Kelvaro.desktop",
)



def check(condition, message):
    if not condition:
        raise Failure(message)


def startup_wm_class():
    with open(DESKTOP_ENTRY, encoding="utf-8") as entry:
        return re.search(r"^StartupWMClass=(.*)$", entry.read(), re.M).group(1)


def active_window(session):
    result = session.xdotool("getactivewindow", check=False)
    return int(result.stdout.strip()) if result.returncode == 0 and result.stdout.strip() else None


def minimize(session, main):
    session.xdotool("windowminimize", "--sync", main)
    wait_for(
        "the main window to be minimized",
        lambda: "_NET_WM_STATE_HIDDEN" in session.window_state(main),
        10,
    )


def start_again(session, *arguments):
    """A later start, as from a terminal; returns once it has ended."""
    process = session.start_program(*arguments)
    try:
        code = process.wait(timeout=15)
    except subprocess.TimeoutExpired:
        raise Failure("the later start %s did not end within 15 s" % (arguments,))
    check(code == 0, "the later start %s ended with %d, expected 0" % (arguments, code))


def wait_forward(session, main, what):
    wait_for(
        "the main window to come back after %s" % what,
        lambda: "_NET_WM_STATE_HIDDEN" not in session.window_state(main)
        and main in session.windows("."),
        10,
    )
    wait_for(
        "the main window to be the active one after %s" % what,
        lambda: active_window(session) == main,
        10,
    )


def scenario(session, scripture):
    process = session.start_program()
    main = session.main_window()
    session.dismiss_notice()

    wm_class = startup_wm_class()
    found = session.xdotool("search", "--class", "^%s$" % re.escape(wm_class), check=False)
    check(
        main in [int(w) for w in found.stdout.split()],
        "the main window's class is not %r, which the desktop entry names" % wm_class,
    )

    # A plain start, with the window minimized.
    minimize(session, main)
    start_again(session)
    wait_forward(session, main, "a plain start")
    check(
        "_NET_WM_STATE_MAXIMIZED_VERT" in session.window_state(main),
        "the main window came back without its maximized state: %s" % session.window_state(main),
    )

    # A start with a reference list: the new reader is the one in front.
    minimize(session, main)
    start_again(session, "Rom+8:28")
    wait_forward(session, main, "a start with Rom+8:28")
    session.settle(main)
    romans = os.path.join(session.output, "romans.txt")
    session.save_chapter(main, romans)
    check(
        text_lines(romans) == scripture.chapter_lines(ROMANS, 8),
        "the active reader does not show Romans 8: %s" % text_lines(romans)[:1],
    )

    code = session.exit_program(main, process)
    check(code == 0, "the program ended with exit code %d" % code)
    print("came forward twice; window class %s" % wm_class)


def main():
    return run_scenario("come_forward", scenario, window_manager_required=True,
                        with_scripture=True)


if __name__ == "__main__":
    sys.exit(main())
