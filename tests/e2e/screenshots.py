#!/usr/bin/env python3
"""Takes the README's screenshots of the built program under Xvfb: the main
window with readers, a verse search with results, the dictionary and the
options dialog (main.png, search.png, dictionary.png, options.png).

Usage: screenshots.py --program-dir BUILD/kelvaro --output docs/screenshots
"""

import argparse
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from harness import Failure, Session  # noqa: E402

# PNGs larger than this are reduced to a palette of 256 colours.
SIZE_LIMIT = 300 * 1024


def keep_small(path):
    if os.path.getsize(path) <= SIZE_LIMIT:
        return
    converter = shutil.which("convert", path="/usr/bin:/bin") or shutil.which("convert")
    subprocess.run([converter, path, "-colors", "256", "PNG8:" + path], check=True, timeout=60)
    if os.path.getsize(path) > SIZE_LIMIT:
        raise Failure("%s is still larger than %d bytes" % (path, SIZE_LIMIT))


def take(session, output, name):
    path = os.path.join(output, name)
    session.screenshot(path)
    keep_small(path)
    print("%s: %d KB" % (path, (os.path.getsize(path) + 1023) // 1024))


def scenes(session, output):
    program = session.start_program()
    main = session.main_window()
    session.dismiss_notice()
    session.fill_screen(main)

    # Two readers side by side: the first day's Genesis 1 and John 1 handed
    # over by a second start (a verse at the top of a chapter stays in view
    # when tiling widens the reader).
    second = session.start_program("John+1:1")
    second.wait(timeout=15)
    session.settle(main)
    session.keys(main, "alt+w", "t", "v")
    session.settle(main)
    take(session, output, "main.png")

    session.find_verses(main, "faith")
    session.settle(main)
    take(session, output, "search.png")
    session.keys(main, "alt+f", "c")

    # Reference > Easton's Bible Dictionary..., the fourth item, and a word.
    # The menu is reached from Help, its right-hand neighbour: with a reader
    # in front, Alt+R is the reader's own Previous Chapter.
    session.keys(main, "alt+h", "Left", "Down", "Down", "Down", "Return")
    session.settle(main)
    session.type_text(main, "Bethlehem")
    session.settle(main)
    take(session, output, "dictionary.png")
    session.keys(main, "alt+f", "c")

    session.keys(main, "alt+t", "o")
    dialog = session.wait_window("^Options", 10, "the options dialog")
    time.sleep(0.5)
    take(session, output, "options.png")
    session.keys(dialog, "Escape")
    session.wait_window_gone(dialog, 5, "the options dialog to close")
    session.exit_program(main, program)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program-dir", required=True)
    parser.add_argument("--output", required=True)
    options = parser.parse_args()
    output = os.path.abspath(options.output)
    os.makedirs(output, exist_ok=True)
    session = None
    try:
        session = Session(options.program_dir)
        session.prepare_program_folder()
        session.start_display()
        scenes(session, output)
    except Failure as failure:
        print("FAIL: %s" % failure)
        if session:
            session.print_logs()
        return 1
    finally:
        if session:
            session.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
