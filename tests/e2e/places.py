#!/usr/bin/env python3
"""Readers that keep their places and sizes, and the way to a passage by
typing it, end to end under a real window manager.

A session of two placed and sized readers comes back where it stood; Ctrl+L,
"1 Cor 13:4-7" and Enter take the active reader there; a second process with
"Hezekiah" is told on standard error, ends with 2 and hands nothing over,
while one with "Jude 3" opens another reader; File > Exit stores the readers
with the places and sizes they came back with.

Usage: places.py --program-dir BUILD/kelvaro [--xvfb PATH] [--xdotool PATH]
                 [--window-manager PATH] [--keep]
"""

import os
import sqlite3
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from harness import Failure, run_scenario, wait_for  # noqa: E402

JOHN, PSALMS, FIRST_CORINTHIANS, JUDE = 43, 19, 46, 65
# order, book, chapter, verse, top, left, height, width
STORED = [
    (0, JOHN, 3, 16, 10, 20, 250, 300),
    (1, PSALMS, 23, 1, 30, 340, 220, 260),
]



def check(condition, message):
    if not condition:
        raise Failure(message)


def session_table(program_dir, rows=None):
    """Writes rows into settings.db when given; returns what it holds."""
    db = sqlite3.connect(os.path.join(program_dir, "settings.db"))
    try:
        if rows is not None:
            db.execute("delete from db")
            db.executemany(
                'insert into db ("order", "book", "chapter", "verse", "top", "left", '
                '"height", "width") values (?, ?, ?, ?, ?, ?, ?, ?)',
                rows,
            )
            db.commit()
        return db.execute(
            'select "order", "book", "chapter", "verse", "top", "left", "height", "width" '
            'from db order by "order"'
        ).fetchall()
    finally:
        db.close()


def second_process(session, *arguments):
    process = session.start_program(*arguments)
    try:
        process.wait(timeout=15)
    except subprocess.TimeoutExpired:
        raise Failure("the second process %s did not end within 15 s" % (arguments,))
    with open(session.logs[-1][1], "rb") as log:
        return process, log.read().decode("utf-8", "replace")


def scenario(session):
    session_table(session.program_dir, STORED)
    program = session.start_program()
    main = session.main_window()
    session.dismiss_notice()
    session.settle(main)

    # Ctrl+L, a range, Enter: the active reader (Psalms, used last) goes there.
    session.keys(main, "ctrl+l")
    session.type_text(main, "1 Cor 13:4-7")
    session.keys(main, "Return")

    # No such book: told on standard error, status 2, nothing handed over.
    inbox = os.path.join(session.program_dir, "param.txt")
    refused, told = second_process(session, "Hezekiah", "3")
    check(refused.returncode == 2, "Hezekiah 3 ended with %d, expected 2" % refused.returncode)
    check("No book called Hezekiah" in told, "Hezekiah 3 was told as %r" % told)
    check(not os.path.exists(inbox), "Hezekiah 3 was written to param.txt")

    # Two words make one reference, opened in a new reader.
    taken, _ = second_process(session, "Jude", "3")
    check(taken.returncode == 0, "Jude 3 ended with %d, expected 0" % taken.returncode)
    wait_for("the running program to take Jude 3 over", lambda: not os.path.exists(inbox), 2)
    session.settle(main)

    code = session.exit_program(main, program)
    check(code == 0, "the program ended with exit code %d" % code)
    rows = session_table(session.program_dir)
    check(len(rows) == 3, "settings.db holds %d rows, expected 3: %s" % (len(rows), rows))
    check(
        rows[0] == STORED[0],
        "John 3:16 was stored as %s, expected where it stood: %s" % (rows[0], STORED[0]),
    )
    check(
        rows[1][1:4] == (FIRST_CORINTHIANS, 13, 4),
        "the reader taken to 1 Cor 13:4 was stored at %s" % (rows[1],),
    )
    check(
        rows[1][4:] == STORED[1][4:],
        "the second reader was stored with bounds %s, expected %s" % (rows[1][4:], STORED[1][4:]),
    )
    check(rows[2][1:4] == (JUDE, 1, 3), "the reader from the command line is at %s" % (rows[2],))
    print("places: readers %s" % rows)


def main():
    return run_scenario("places", scenario)


if __name__ == "__main__":
    sys.exit(main())
