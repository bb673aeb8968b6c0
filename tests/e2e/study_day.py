#!/usr/bin/env python3
"""Bookmarks and notes survive a killed program.

The built program under a private X server: Ctrl+B bookmarks Genesis 1:1 with
a label typed into its dialog, Ctrl+E opens the verse's note and the text is
typed in, with no Save; a moment later the program is killed (SIGKILL). The
study file beside the program then holds the bookmark and the whole note,
is readable by its owner alone, and passes SQLite's integrity check.

Usage: study_day.py --program-dir BUILD/kelvaro [--xvfb PATH] [--xdotool PATH] [--keep]
"""

import os
import sqlite3
import stat
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from harness import Failure, run_scenario, wait_for  # noqa: E402

LABEL = "in the beginning"
NOTE = "Typed and never saved by hand"



def check(condition, message):
    if not condition:
        raise Failure(message)


def stored_note(path):
    if not os.path.exists(path):
        return None
    db = sqlite3.connect(path, timeout=5)
    try:
        row = db.execute("select text from note where book = 1 and chapter = 1 and verse = 1").fetchone()
        return row[0] if row else None
    except sqlite3.Error:
        return None
    finally:
        db.close()


def study_day(session):
    store = os.path.join(session.program_dir, "study.db")
    program = session.start_program()
    main = session.main_window()
    session.dismiss_notice()
    session.fill_screen(main)
    session.settle(main)

    session.keys(main, "ctrl+b")
    dialog = session.wait_dialog("Bookmark", 10, "the bookmark dialog")
    session.type_text(dialog, LABEL)
    session.keys(dialog, "Return")
    session.wait_window_gone(dialog, 10, "the bookmark dialog to close")

    session.keys(main, "ctrl+e")
    time.sleep(0.5)
    session.type_text(main, NOTE)
    # Saved a moment after the last key, with no command for it.
    wait_for("the note in %s" % store, lambda: stored_note(store) == NOTE, 10)
    program.kill()
    program.wait(timeout=10)

    db = sqlite3.connect(store)
    try:
        check(db.execute("pragma integrity_check").fetchone()[0] == "ok", "study.db is damaged")
        label = db.execute(
            "select label from bookmark where book = 1 and chapter = 1 and verse = 1"
        ).fetchone()
        check(label == (LABEL,), "the bookmark of Genesis 1:1 is %r, expected %r" % (label, LABEL))
        check(stored_note(store) == NOTE, "the note is %r" % stored_note(store))
    finally:
        db.close()
    mode = stat.S_IMODE(os.stat(store).st_mode)
    check(mode == 0o600, "study.db has mode %o, expected 600" % mode)
    print("study day: bookmark and note kept through SIGKILL")


def forget_study_file(session):
    # A study file left by someone running the built program is theirs.
    for suffix in ("", "-wal", "-shm"):
        path = os.path.join(session.program_dir, "study.db" + suffix)
        if os.path.exists(path):
            os.remove(path)


def main():
    return run_scenario("study_day", study_day, prepare=forget_study_file)


if __name__ == "__main__":
    sys.exit(main())
