#!/usr/bin/env python3
"""Start time of the real kelvaro executable under a private X server: from
exec to the first chapter painted on the screen.

A copy of the program folder with its own settings store (tests/e2e's
Session). A first run dismisses the first-run notice and exits, leaving the
session table and settings as a person's second day finds them. The screen
it then settles on (the restored reader with its chapter, caret on and off)
is recorded; each timed run starts the executable and reads the screen
until it shows exactly one of those images, then exits through File > Exit.

Usage: start_under_xvfb.py [program-folder] [runs]
"""

import contextlib
import ctypes
import ctypes.util
import io
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from harness import SCREEN_HEIGHT, SCREEN_WIDTH, Failure, Session  # noqa: E402


class XImageFuncs(ctypes.Structure):
    _fields_ = [(name, ctypes.c_void_p) for name in (
        "create_image", "destroy_image", "get_pixel", "put_pixel", "sub_image", "add_pixel")]


class XImage(ctypes.Structure):
    _fields_ = [
        ("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
        ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
        ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
        ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
        ("bits_per_pixel", ctypes.c_int), ("red_mask", ctypes.c_ulong),
        ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong),
        ("obdata", ctypes.c_void_p), ("f", XImageFuncs),
    ]


class Screen:
    """Reads the whole screen of one display through Xlib."""

    def __init__(self, display):
        path = ctypes.util.find_library("X11")
        if not path:
            raise Failure("libX11 is not installed")
        self.x11 = ctypes.CDLL(path)
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x11.XGetImage.restype = ctypes.POINTER(XImage)
        self.x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                       ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.display = self.x11.XOpenDisplay(display.encode())
        if not self.display:
            raise Failure("cannot open display %s" % display)
        self.root = self.x11.XDefaultRootWindow(self.display)

    def grab(self):
        image = self.x11.XGetImage(self.display, self.root, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT,
                                   0xFFFFFFFF, 2)  # AllPlanes, ZPixmap
        if not image:
            raise Failure("XGetImage failed")
        contents = image.contents
        data = ctypes.string_at(contents.data, contents.bytes_per_line * contents.height)
        ctypes.CFUNCTYPE(ctypes.c_int, ctypes.POINTER(XImage))(contents.f.destroy_image)(image)
        return data

    def close(self):
        self.x11.XCloseDisplay(self.display)


def settled_images(screen, hold=1.5):
    """The distinct screens seen over a while once the program is idle: the
    caret blinks, so there are two."""
    seen = set()
    deadline = time.monotonic() + hold
    while time.monotonic() < deadline:
        seen.add(screen.grab())
        time.sleep(0.02)
    return seen


def quietly(call, *arguments):
    # The harness reports each exit; only the measurement matters here.
    with contextlib.redirect_stdout(io.StringIO()):
        return call(*arguments)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "build", "kelvaro")
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 15
    session = Session(folder)
    try:
        session.prepare_program_folder()
        session.start_display()
        process = session.start_program()
        main_window = session.main_window()
        session.dismiss_notice()
        quietly(session.exit_program, main_window, process)

        screen = Screen(session.display)
        # The screen a start settles on, read from a run left idle.
        process = session.start_program()
        main_window = session.main_window()
        time.sleep(2.0)
        targets = settled_images(screen)
        quietly(session.exit_program, main_window, process)
        if len(targets) > 4:
            raise Failure("the screen does not settle (%d different images)" % len(targets))

        times = []
        for _ in range(runs):
            started = time.monotonic()
            process = session.start_program()
            deadline = started + 30
            while screen.grab() not in targets:
                if time.monotonic() > deadline or process.poll() is not None:
                    raise Failure("the start never showed the restored chapter")
            times.append((time.monotonic() - started) * 1000)
            quietly(session.exit_program, session.main_window(), process)
        screen.close()
        print("kelvaro under Xvfb, exec to the first chapter painted: median %.1f ms, "
              "min %.1f, max %.1f (%d runs)"
              % (statistics.median(times), min(times), max(times), len(times)))
        return 0
    except Failure as failure:
        print("start_under_xvfb: %s" % failure, file=sys.stderr)
        session.print_logs()
        return 1
    finally:
        session.close()


if __name__ == "__main__":
    sys.exit(main())
