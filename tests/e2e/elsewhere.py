#!/usr/bin/env python3
"""Kelvaro started from anywhere, as a person starts an installed program.

With --program-dir (the suite): a copy of the built program folder, started
through a symbolic link from an unrelated folder. With --installed ROOT/usr
(CI, on the extracted package): ROOT/usr/bin/kelvaro from an unrelated
folder, with HOME in a scratch folder.

Either way the reader shows Genesis 1; a second process without a display
hands John 3:16 over and ends with 0, as do 110 senders at once, each of
whose passages opens once; File > Exit stores every reader in the
data folder's settings.db (beside a portable program, in the user's data
folder for an installed one); nothing appears in the current folder; and an
installed tree is byte-for-byte unchanged afterwards.

Usage: elsewhere.py (--program-dir BUILD/kelvaro | --installed ROOT/usr)
                    [--xvfb PATH] [--xdotool PATH] [--keep]
"""

import argparse
import hashlib
import os
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from harness import Failure, Scripture, Session, session_rows, text_lines, wait_for  # noqa: E402

WATCHDOG_SECONDS = 100
GENESIS, JOHN, PSALMS = 1, 43, 19
# More senders at once than one take-over once opened: every reference a
# sender was told was handed over must be opened, and once.
SENDERS = 110


class Watchdog(Exception):
    pass


def on_alarm(signum, frame):
    raise Watchdog("the scenario took longer than %d s" % WATCHDOG_SECONDS)


def check(condition, message):
    if not condition:
        raise Failure(message)


def tree_digest(root):
    """Every path under root with its kind, mode and content (or link)."""
    digest = hashlib.sha256()
    for folder, folders, files in os.walk(root):
        folders.sort()
        for name in sorted(folders + files):
            path = os.path.join(folder, name)
            info = os.lstat(path)
            digest.update(("%s %o\0" % (os.path.relpath(path, root), info.st_mode)).encode())
            if os.path.islink(path):
                digest.update(os.readlink(path).encode())
            elif os.path.isfile(path):
                with open(path, "rb") as content:
                    digest.update(content.read())
    return digest.hexdigest()


def without_display(env):
    env = dict(env)
    for name in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
        env.pop(name, None)
    return env


def scenario(session, scripture, program, data_dir, stranger):
    expected_in_stranger = sorted(os.listdir(stranger))

    process = session.start_program(program=program, cwd=stranger)
    main = session.main_window()
    session.dismiss_notice()
    session.fill_screen(main)
    genesis = os.path.join(session.output, "genesis.txt")
    session.save_chapter(main, genesis)
    check(
        text_lines(genesis) == scripture.chapter_lines(GENESIS, 1),
        "the first reader does not show Genesis 1: %s" % text_lines(genesis)[:1],
    )

    second = session.start_program(
        "John+3:16", program=program, cwd=stranger,
        env=without_display(session.program_environment()),
    )
    try:
        code = second.wait(timeout=15)
    except subprocess.TimeoutExpired:
        raise Failure("the second process without a display did not end within 15 s")
    check(code == 0, "the second process without a display ended with %d, expected 0" % code)
    wait_for(
        "the running program to take %s over" % os.path.join(data_dir, "param.txt"),
        lambda: os.path.exists(os.path.join(data_dir, "~param.txt"))
        and not os.path.exists(os.path.join(data_dir, "param.txt")),
        5,
    )
    session.settle(main)
    john = os.path.join(session.output, "john.txt")
    session.save_chapter(main, john)
    check(
        text_lines(john) == scripture.chapter_lines(JOHN, 3),
        "the handed-over reader does not show John 3: %s" % text_lines(john)[:1],
    )

    senders = [
        session.start_program(
            "Ps+%d:1" % chapter, program=program, cwd=stranger,
            env=without_display(session.program_environment()),
        )
        for chapter in range(1, SENDERS + 1)
    ]
    codes = [sender.wait(timeout=30) for sender in senders]
    check(codes == [0] * SENDERS, "the senders ended with %s" % sorted(set(codes)))
    wait_for(
        "the running program to take every list over",
        lambda: not os.path.exists(os.path.join(data_dir, "param.txt")),
        10,
    )
    session.settle(main, hold=1.0)

    code = session.exit_program(main, process)
    check(code == 0, "the program ended with exit code %d" % code)
    rows = sorted(row[1:] for row in session_rows(data_dir))
    expected = sorted(
        [(GENESIS, 1, 1), (JOHN, 3, 16)] + [(PSALMS, c, 1) for c in range(1, SENDERS + 1)]
    )
    check(
        rows == expected,
        "settings.db in %s holds %d readers, expected Genesis 1:1, John 3:16 and Psalms 1 to "
        "%d, once each; missing %s, extra %s"
        % (data_dir, len(rows), SENDERS, sorted(set(expected) - set(rows)),
           [r for r in rows if rows.count(r) > expected.count(r)][:5]),
    )
    found = sorted(os.listdir(stranger))
    check(found == expected_in_stranger, "the current folder gained %s" % found)
    print("readers stored in %s: %s" % (data_dir, rows))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    where = parser.add_mutually_exclusive_group(required=True)
    where.add_argument("--program-dir")
    where.add_argument("--installed", metavar="PREFIX")
    parser.add_argument("--xvfb")
    parser.add_argument("--xdotool")
    parser.add_argument("--keep", action="store_true", help="keep the temporary folder")
    options = parser.parse_args()

    signal.signal(signal.SIGALRM, on_alarm)
    signal.signal(signal.SIGTERM, lambda *_: on_alarm(0, None))
    signal.alarm(WATCHDOG_SECONDS)
    started = time.monotonic()
    session = None
    scripture = None
    try:
        if options.installed:
            prefix = os.path.abspath(options.installed)
            session = Session(os.path.join(prefix, "lib", "kelvaro"), options.xvfb,
                              options.xdotool, keep=options.keep)
            session.program_dir = session.source_dir
            for folder in (session.home, session.config, session.output):
                os.makedirs(folder)
            os.makedirs(session.runtime, mode=0o700)
            program = os.path.join(prefix, "bin", "kelvaro")
            data_dir = os.path.join(session.home, ".local", "share", "Kelvaro")
            before = tree_digest(os.path.dirname(prefix))
        else:
            session = Session(options.program_dir, options.xvfb, options.xdotool,
                              keep=options.keep)
            session.prepare_program_folder()
            program = None
            data_dir = session.program_dir
        stranger = os.path.join(session.root, "stranger")
        os.makedirs(stranger)
        if not options.installed:
            program = os.path.join(stranger, "kelvaro-link")
            os.symlink(os.path.join(session.program_dir, "kelvaro"), program)
        scripture = Scripture(session.program_dir)
        session.start_display()
        scenario(session, scripture, program, data_dir, stranger)
        if options.installed:
            check(tree_digest(os.path.dirname(prefix)) == before,
                  "the installation tree %s changed" % os.path.dirname(prefix))
    except (Failure, Watchdog) as failure:
        print("FAIL: %s" % failure)
        if session:
            if session.display:
                print("visible windows: %s" % session.window_names())
            session.print_logs()
            if options.keep:
                print("kept: %s" % session.root)
        return 1
    finally:
        signal.alarm(0)
        if scripture:
            scripture.close()
        if session:
            session.close()
    print("PASS in %.1f s" % (time.monotonic() - started))
    return 0


if __name__ == "__main__":
    sys.exit(main())
