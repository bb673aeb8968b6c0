"""Drives the built Kelvaro under a private X server (Xvfb), the way a person
would: keys and clicks through xdotool, results read from what the program
leaves behind (saved files, settings.db, its settings store).

Everything waits by polling with a deadline, and every process started here
is ended by Session.close(), whatever happened before.
"""

import ctypes
import ctypes.util
import os
import re
import select
import shutil
import sqlite3
import subprocess
import tempfile
import time

SCREEN_WIDTH = 1024
SCREEN_HEIGHT = 768
# The reader's tables and documents; a program folder without these was
# not built (target kelvaro_data).
REQUIRED_FILES = ("kelvaro", "kjvbible.db", "Chapters.db", "Verses.db", "ebd.db", "settings.db")
MAIN_CAPTION = "Kelvaro"
NOTICE_CAPTION = "Information"
SAVE_DIALOG_CAPTION = "Save As"
ABOUT_CAPTION = "About..."


class Failure(Exception):
    """A step of the scenario did not happen as a person would expect."""


def _die_with_parent():
    # Should the harness itself be killed, the X server and the program must
    # not outlive it (Linux's parent-death signal).
    try:
        libc = ctypes.CDLL(ctypes.util.find_library("c") or "libc.so.6", use_errno=True)
        libc.prctl(1, 9)  # PR_SET_PDEATHSIG, SIGKILL
    except OSError:
        pass


def wait_for(what, predicate, timeout, interval=0.05):
    """Polls predicate until it returns something true; that value is the
    result. Raises Failure naming `what` when the deadline passes."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise Failure("timed out after %.1f s waiting for %s" % (timeout, what))
        time.sleep(interval)


def find_tool(name, given=None):
    """The path of a required tool, or a Failure that says how to get it."""
    if given and not given.endswith("-NOTFOUND") and os.access(given, os.X_OK):
        return given
    found = shutil.which(name)
    if found:
        return found
    raise Failure(
        "%s is not installed; the end-to-end test needs it (scripts/setup.sh installs "
        "Debian's xvfb, xdotool and openbox)" % name
    )


def unescape_ini_key(key):
    # QSettings writes characters outside [A-Za-z0-9_.-] of a key as %XX.
    return re.sub(r"%([0-9A-Fa-f]{2})", lambda m: chr(int(m.group(1), 16)), key)


def unquote_ini_value(value):
    if len(value) >= 2 and value[0] == '"' and value[-1] == '"':
        value = value[1:-1]
        return re.sub(r"\\(.)", lambda m: m.group(1), value)
    return value


def read_settings_store(path):
    """The groups of a QSettings INI file as {group: {name: text}}."""
    groups = {}
    current = groups.setdefault("", {})
    with open(path, encoding="utf-8") as store:
        for raw in store:
            line = raw.strip()
            if not line or line.startswith(";"):
                continue
            if line.startswith("[") and line.endswith("]"):
                current = groups.setdefault(unescape_ini_key(line[1:-1]), {})
                continue
            name, _, value = line.partition("=")
            current[unescape_ini_key(name.strip())] = unquote_ini_value(value.strip())
    return groups


def session_rows(program_dir):
    """The session table as (order, book, chapter, verse) rows, by order."""
    db = sqlite3.connect("file:%s?mode=ro" % os.path.join(program_dir, "settings.db"), uri=True)
    try:
        return db.execute(
            'select "order", "book", "chapter", "verse" from db order by "order"'
        ).fetchall()
    finally:
        db.close()


class Scripture:
    """Reads the shipped tables to know what the program should show."""

    def __init__(self, program_dir):
        self.db = sqlite3.connect(
            "file:%s?mode=ro" % os.path.join(program_dir, "kjvbible.db"), uri=True
        )
        self.chapters = sqlite3.connect(
            "file:%s?mode=ro" % os.path.join(program_dir, "Chapters.db"), uri=True
        )

    def close(self):
        self.db.close()
        self.chapters.close()

    def book_name(self, book):
        row = self.chapters.execute(
            'select "BookName" from db where "Book" = ?', (book,)
        ).fetchone()
        if not row:
            raise Failure("book %d is not in Chapters.db" % book)
        return row[0]

    def verse_text(self, book, chapter, verse):
        row = self.db.execute(
            'select "Scripture Text" from db where "Book" = ? and "Chapter" = ? and "Verse" = ?',
            (book, chapter, verse),
        ).fetchone()
        return row[0] if row else None

    def chapter_lines(self, book, chapter):
        """The chapter as a reader shows it, one paragraph a line, blank lines
        left out: heading, numbered verses, closing line."""
        lines = ["%s %d" % (self.book_name(book), chapter)]
        for verse, text in self.db.execute(
            'select "Verse", "Scripture Text" from db where "Book" = ? and "Chapter" = ? '
            'order by "Verse"',
            (book, chapter),
        ):
            lines.append("%d   %s" % (verse, text))
        lines.append("[End of Chapter]")
        return lines


def text_lines(path):
    with open(path, encoding="utf-8") as saved:
        return [line.rstrip("\r") for line in saved.read().split("\n") if line.strip()]


class Session:
    """One private X server and a temporary copy of the program folder, with
    the program's settings store and runtime folder kept apart from the
    user's."""

    def __init__(self, program_dir, xvfb=None, xdotool=None, keep=False):
        self.source_dir = os.path.abspath(program_dir)
        missing = [
            name
            for name in REQUIRED_FILES
            if not os.path.exists(os.path.join(self.source_dir, name))
        ]
        if missing:
            raise Failure(
                "the program folder %s is not built (missing: %s); build the targets kelvaro "
                "and kelvaro_data first" % (self.source_dir, ", ".join(missing))
            )
        self.xvfb_path = find_tool("Xvfb", xvfb)
        self.xdotool_path = find_tool("xdotool", xdotool)
        self.keep = keep
        self.root = tempfile.mkdtemp(prefix="kelvaro-e2e-")
        self.program_dir = os.path.join(self.root, "kelvaro")
        self.home = os.path.join(self.root, "home")
        self.config = os.path.join(self.root, "config")
        self.runtime = os.path.join(self.root, "runtime")
        self.output = os.path.join(self.root, "output")
        self.logs = []
        self.processes = []
        self.xvfb = None
        self.display = None
        self.window_manager = None

    # -- set-up and tear-down -------------------------------------------------

    def prepare_program_folder(self):
        shutil.copytree(self.source_dir, self.program_dir, symlinks=True)
        # Hand-off files and a session left behind by someone running the
        # built program belong to that run, not to a first day.
        for leftover in ("param.txt", "~param.txt"):
            path = os.path.join(self.program_dir, leftover)
            if os.path.exists(path):
                os.remove(path)
        db = sqlite3.connect(os.path.join(self.program_dir, "settings.db"))
        try:
            db.execute("delete from db")
            db.commit()
        finally:
            db.close()
        for folder in (self.home, self.config, self.output):
            os.makedirs(folder)
        # Qt accepts a runtime folder only when it is private to the user.
        os.makedirs(self.runtime, mode=0o700)
        os.chmod(self.runtime, 0o700)

    def start_display(self, timeout=15):
        read_end, write_end = os.pipe()
        log = open(os.path.join(self.root, "xvfb.log"), "wb")
        self.logs.append(("Xvfb", log.name))
        try:
            self.xvfb = subprocess.Popen(
                [
                    self.xvfb_path,
                    "-displayfd",
                    str(write_end),
                    "-screen",
                    "0",
                    "%dx%dx24" % (SCREEN_WIDTH, SCREEN_HEIGHT),
                    "-nolisten",
                    "tcp",
                    "-noreset",
                ],
                pass_fds=(write_end,),
                preexec_fn=_die_with_parent,
                stdin=subprocess.DEVNULL,
                stdout=log,
                stderr=log,
            )
        finally:
            os.close(write_end)
            log.close()
        # Xvfb writes the number of the free display it chose once it accepts
        # connections.
        received = b""
        deadline = time.monotonic() + timeout
        try:
            while not received.endswith(b"\n"):
                remaining = deadline - time.monotonic()
                if remaining <= 0 or self.xvfb.poll() is not None:
                    raise Failure("Xvfb did not start (see its log below)")
                ready, _, _ = select.select([read_end], [], [], remaining)
                if ready:
                    chunk = os.read(read_end, 64)
                    if not chunk:
                        raise Failure("Xvfb did not report its display (see its log below)")
                    received += chunk
        finally:
            os.close(read_end)
        self.display = ":" + received.decode().strip()

    def start_window_manager(self, path, timeout=10):
        """Runs a real window manager on the display, so that maximizing,
        activating and framing are the window manager's, as on a desktop."""
        path = find_tool("openbox", path)
        log = open(os.path.join(self.root, "window-manager.log"), "wb")
        self.logs.append(("window manager", log.name))
        manager = subprocess.Popen(
            [path],
            env=dict(self.program_environment(), DISPLAY=self.display),
            preexec_fn=_die_with_parent,
            stdin=subprocess.DEVNULL,
            stdout=log,
            stderr=log,
        )
        log.close()
        self.processes.append(manager)
        self.window_manager = path

        def managing():
            if manager.poll() is not None:
                raise Failure("the window manager %s ended at start (see its log below)" % path)
            # The manager's own hidden window answers once it manages the
            # screen.
            found = self.xdotool("search", "--classname", "openbox", check=False)
            return bool(found.stdout.split())

        wait_for("the window manager %s to take the screen" % path, managing, timeout)

    def program_environment(self):
        env = dict(os.environ)
        # The suite runs its Qt tests offscreen; this one needs the X server.
        # Desktop integration of the caller's session would change dialogs
        # and talk to its buses.
        for name in (
            "QT_QPA_PLATFORM",
            "QT_QPA_PLATFORMTHEME",
            "QT_STYLE_OVERRIDE",
            "QT_FATAL_WARNINGS",
            "XDG_CURRENT_DESKTOP",
            "DESKTOP_SESSION",
            "SESSION_MANAGER",
            "DBUS_SESSION_BUS_ADDRESS",
            "WAYLAND_DISPLAY",
            "XAUTHORITY",
        ):
            env.pop(name, None)
        env.update(
            DISPLAY=self.display,
            QT_QPA_PLATFORM="xcb",
            HOME=self.home,
            XDG_CONFIG_HOME=self.config,
            XDG_RUNTIME_DIR=self.runtime,
            XDG_DATA_HOME=os.path.join(self.home, ".local", "share"),
            XDG_CACHE_HOME=os.path.join(self.home, ".cache"),
        )
        return env

    def close(self):
        for process in self.processes + ([self.xvfb] if self.xvfb else []):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=3)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait(timeout=3)
        if not self.keep:
            shutil.rmtree(self.root, ignore_errors=True)

    def print_logs(self):
        for name, path in self.logs:
            try:
                with open(path, encoding="utf-8", errors="replace") as log:
                    text = log.read().strip()
            except OSError:
                continue
            if text:
                print("---- %s (%s) ----\n%s" % (name, os.path.basename(path), text))

    # -- the program ------------------------------------------------------------

    def start_program(self, *arguments, program=None, cwd=None, env=None):
        """Starts build/kelvaro's copy with the program folder as its
        current folder, unless told which program, folder and environment."""
        index = len(self.logs)
        log = open(os.path.join(self.root, "kelvaro-%d.log" % index), "wb")
        self.logs.append(("kelvaro %s" % " ".join(arguments), log.name))
        try:
            process = subprocess.Popen(
                [program or os.path.join(self.program_dir, "kelvaro")] + list(arguments),
                cwd=cwd or self.program_dir,
                env=env or self.program_environment(),
                preexec_fn=_die_with_parent,
                stdin=subprocess.DEVNULL,
                stdout=log,
                stderr=log,
            )
        finally:
            log.close()
        self.processes.append(process)
        return process

    def settings_store_path(self):
        """The settings store under the temporary configuration folder."""
        found = []
        for folder, _, files in os.walk(self.config):
            for name in files:
                path = os.path.join(folder, name)
                if path.replace(os.sep, "/").endswith("kelvaro/kelvaro.ini"):
                    found.append(path)
        if len(found) != 1:
            raise Failure(
                "expected one settings store kelvaro/kelvaro.ini in %s, found %s"
                % (self.config, found or "none")
            )
        return found[0]

    # -- the X server -----------------------------------------------------------

    def xdotool(self, *arguments, check=True):
        try:
            result = subprocess.run(
                [self.xdotool_path] + [str(a) for a in arguments],
                env=dict(os.environ, DISPLAY=self.display),
                stdin=subprocess.DEVNULL,
                capture_output=True,
                text=True,
                timeout=15,
            )
        except subprocess.TimeoutExpired:
            raise Failure("xdotool %s did not return within 15 s" % " ".join(map(str, arguments)))
        if check and result.returncode != 0:
            raise Failure(
                "xdotool %s failed: %s" % (" ".join(map(str, arguments)), result.stderr.strip())
            )
        return result

    def windows(self, caption_pattern):
        """Visible top-level windows whose caption matches the pattern."""
        result = self.xdotool("search", "--onlyvisible", "--name", caption_pattern, check=False)
        return [int(w) for w in result.stdout.split()]

    def window_names(self):
        names = []
        for window in self.windows("."):
            result = self.xdotool("getwindowname", window, check=False)
            names.append(result.stdout.strip())
        return names

    def wait_window(self, caption_pattern, timeout, what):
        return wait_for(what, lambda: self.windows(caption_pattern), timeout)[0]

    def wait_dialog(self, caption, timeout, what):
        """The dialog with this caption, which must be exactly its caption:
        xdotool's search also matches the plain WM_NAME, while a window
        manager shows _NET_WM_NAME, where Qt appends a display name."""
        window = self.wait_window("^%s" % re.escape(caption), timeout, what)
        shown = self.xdotool("getwindowname", window, check=False).stdout.strip()
        if shown != caption:
            raise Failure("%s is captioned %r, expected %r" % (what, shown, caption))
        return window

    def wait_window_gone(self, window, timeout, what):
        wait_for(what, lambda: window not in self.windows("."), timeout)

    def window_state(self, window):
        """The names in the window's _NET_WM_STATE: the state the program
        asks the window manager for (read through Xlib, as xdotool cannot)."""
        xlib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        xlib.XOpenDisplay.restype = ctypes.c_void_p
        xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
        xlib.XInternAtom.restype = ctypes.c_ulong
        xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        xlib.XGetAtomName.restype = ctypes.c_void_p
        xlib.XGetAtomName.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        xlib.XFree.argtypes = [ctypes.c_void_p]
        xlib.XGetWindowProperty.argtypes = [
            ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_long, ctypes.c_long,
            ctypes.c_int, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
            ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_ulong),
            ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_void_p),
        ]
        display = xlib.XOpenDisplay(self.display.encode())
        if not display:
            raise Failure("cannot open display %s through Xlib" % self.display)
        try:
            actual_type = ctypes.c_ulong()
            actual_format = ctypes.c_int()
            count = ctypes.c_ulong()
            remaining = ctypes.c_ulong()
            data = ctypes.c_void_p()
            property_atom = xlib.XInternAtom(display, b"_NET_WM_STATE", 0)
            xa_atom = 4
            status = xlib.XGetWindowProperty(
                display, window, property_atom, 0, 64, 0, xa_atom, ctypes.byref(actual_type),
                ctypes.byref(actual_format), ctypes.byref(count), ctypes.byref(remaining),
                ctypes.byref(data),
            )
            if status != 0 or not data.value:
                return set()
            try:
                # Format 32 items come as C longs.
                atoms = ctypes.cast(data, ctypes.POINTER(ctypes.c_ulong))[: count.value]
            finally:
                xlib.XFree(data)
            names = set()
            for atom in atoms:
                name = xlib.XGetAtomName(display, atom)
                if name:
                    names.add(ctypes.string_at(name).decode())
                    xlib.XFree(name)
            return names
        finally:
            xlib.XCloseDisplay(display)

    def geometry(self, window):
        out = self.xdotool("getwindowgeometry", "--shell", window).stdout
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def focus(self, window):
        self.xdotool("windowfocus", "--sync", window)

    def keys(self, window, *keys, pause=0.15):
        """Presses keys in the given window, one after the other."""
        self.focus(window)
        for key in keys:
            self.xdotool("key", "--clearmodifiers", key)
            time.sleep(pause)

    def type_text(self, window, text):
        self.focus(window)
        self.xdotool("type", "--delay", 15, text)

    def double_click(self, x, y):
        self.xdotool("mousemove", "--sync", x, y)
        self.xdotool("click", "--repeat", 2, "--delay", 80, 1)

    def fill_screen(self, window):
        """Without a window manager nothing honours the maximized state the
        program asks for; this gives the window the whole screen as one
        would. A window manager has done so already."""
        if self.window_manager:
            return
        self.xdotool("windowmove", "--sync", window, 0, 0)
        self.xdotool("windowsize", "--sync", window, SCREEN_WIDTH, SCREEN_HEIGHT)

    def screenshot(self, path):
        """The whole screen as a PNG (ImageMagick's import)."""
        importer = shutil.which("import")
        if not importer:
            raise Failure("ImageMagick's import is not installed (scripts/setup.sh installs it)")
        subprocess.run(
            [importer, "-window", "root", "-depth", "8", "-strip", path],
            env=dict(os.environ, DISPLAY=self.display),
            stdin=subprocess.DEVNULL,
            check=True,
            timeout=30,
        )

    # -- what a person does with the program ----------------------------------------

    def main_window(self, timeout=20):
        return self.wait_window("^%s$" % MAIN_CAPTION, timeout, "the main window")

    def dismiss_notice(self, timeout=20):
        notice = self.wait_dialog(NOTICE_CAPTION, timeout, "the first-run notice")
        self.keys(notice, "Return")
        self.wait_window_gone(notice, 5, "the first-run notice to close")

    def save_chapter(self, main, path):
        """File > Save Chapter As..., a file name, Enter; returns when the
        file is written."""
        self.keys(main, "alt+f", "a")
        dialog = self.wait_dialog(SAVE_DIALOG_CAPTION, 10, "the Save As dialog")
        self.keys(dialog, "ctrl+a")
        self.type_text(dialog, path)
        self.keys(dialog, "Return")
        self.wait_window_gone(dialog, 10, "the Save As dialog to close")
        wait_for("the saved chapter %s" % path, lambda: os.path.exists(path), 5)
        # The file is written before the dialog's caller returns, but be sure
        # it is complete before reading it.
        wait_for("the saved chapter to be complete", lambda: self.stable_size(path), 5)

    @staticmethod
    def stable_size(path):
        size = os.path.getsize(path)
        time.sleep(0.1)
        return size > 0 and size == os.path.getsize(path)

    def find_verses(self, main, keyword, *options):
        """Edit > Find Verses (Ctrl+F), the keyword, the options' keys, Enter."""
        self.keys(main, "ctrl+f")
        time.sleep(0.3)
        self.type_text(main, keyword)
        if options:
            self.keys(main, *options)
        self.keys(main, "Return")

    def settle(self, main, hold=0.4):
        """Returns once the program has handled all input sent before: the
        About window (Help > About) can only appear after it. The window
        stays up a moment, during which the program's timers run; its
        default button (Enter) closes it."""
        self.keys(main, "alt+h", "a")
        about = self.wait_dialog(ABOUT_CAPTION, 20, "the About window")
        time.sleep(hold)
        self.keys(about, "Return")
        self.wait_window_gone(about, 5, "the About window to close")

    def search_window_centre(self, main):
        """The search window opens centred in the client area, below the
        menu and tool bar (about 50 pixels together); its centre lies in the
        results grid, a few rows down."""
        x, y, width, height = self.geometry(main)
        return x + width // 2, y + (height + 50) // 2

    def exit_program(self, main, process, timeout=20):
        """File > Exit; returns the exit code."""
        self.keys(main, "alt+f", "x")
        started = time.monotonic()
        try:
            code = process.wait(timeout=timeout)
            print("exit: the program ended %.2f s after File > Exit" % (time.monotonic() - started))
            return code
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end within %d s of File > Exit" % timeout)


class Watchdog(Exception):
    """The scenario ran past its time."""


def run_scenario(name, scenario, *, seconds=100, window_manager_required=False,
                 with_scripture=False, prepare=None):
    """The command line, watchdog and reporting every end-to-end script
    shares: parses --program-dir, --xvfb, --xdotool, --window-manager and
    --keep, prepares a private copy of the program folder, starts the display
    (and the window manager when one is given), runs scenario(session) or
    scenario(session, scripture), and on a failure prints the visible windows,
    a screenshot and the program's logs. Returns the process's exit status."""
    import argparse
    import signal

    main_module = __import__("__main__")
    parser = argparse.ArgumentParser(description=(main_module.__doc__ or name).splitlines()[0])
    parser.add_argument("--program-dir", required=True)
    parser.add_argument("--xvfb")
    parser.add_argument("--xdotool")
    parser.add_argument("--window-manager", required=window_manager_required,
                        help="openbox, to run under a real window manager")
    parser.add_argument("--keep", action="store_true", help="keep the temporary folder")
    options = parser.parse_args()

    def on_alarm(signum, frame):
        raise Watchdog("the scenario took longer than %d s" % seconds)

    signal.signal(signal.SIGALRM, on_alarm)
    signal.signal(signal.SIGTERM, lambda *_: on_alarm(0, None))
    signal.alarm(seconds)
    started = time.monotonic()
    session = None
    scripture = None
    try:
        session = Session(options.program_dir, options.xvfb, options.xdotool, keep=options.keep)
        session.prepare_program_folder()
        if prepare:
            prepare(session)
        if with_scripture:
            scripture = Scripture(session.program_dir)
        session.start_display()
        if options.window_manager:
            session.start_window_manager(options.window_manager)
        if with_scripture:
            scenario(session, scripture)
        else:
            scenario(session)
    except (Failure, Watchdog) as failure:
        print("FAIL: %s" % failure)
        if session and session.display:
            try:
                print("visible windows: %s" % session.window_names())
                # Beside the test's own output, for a look at what went wrong.
                shot = os.path.abspath("e2e_%s%s-failure.png"
                                       % (name, "_wm" if options.window_manager else ""))
                session.screenshot(shot)
                print("screenshot: %s" % shot)
            except Exception as error:
                print("no more to tell about the screen: %s" % error)
        if session:
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
    print("PASS: %s in %.1f s" % (name, time.monotonic() - started))
    return 0
