#!/usr/bin/env python3
"""Exports Matthew Henry's Concise Commentary from the SWORD module MHCC into the
committed text sources of data/mhc/, one file per book (NN-slug.txt).

Run once, by hand, on a machine with the Debian packages sword-comm-mhcc and
libsword-utils (mod2imp); the program's build reads only the files written here.

Debian's mhcc.conf names the driver zCom4, but the module's index files are
in the older zCom layout (10-byte entries); read that way, mod2imp fails half
way through. This script therefore runs mod2imp against a private copy of the
configuration with ModDrv=zCom.

Format of a book file (UTF-8, one block a line, blank lines between blocks):

    # <book name>                the book
    <text>                       a paragraph (of the book's introduction
                                 before the first chapter, else of the chapter)
    ## Chapter <n>               the start of chapter n
    ### Chapter Outline          the chapter's outline...
    - <topic> (<verses>)         ...and one item of it
    ### Verses <a>-<b>           the start of a section (also "### Verse <a>")

Usage: extract_mhcc.py [--imp FILE] [--out DIR]
"""

import argparse
import csv
import html
import os
import re
import subprocess
import sys
import tempfile

MODULE = "MHCC"
SWORD_DIR = "/usr/share/sword"

TAG_RE = re.compile(r"(<[^>]*>)")
TAG_NAME_RE = re.compile(r"<\s*(/?)\s*([A-Za-z]+)")
KEY_RE = re.compile(r"^\$\$\$(.+?) (\d+):(\d+)$")
BLANKS_RE = re.compile(r"\s+")
RANGE_RE = re.compile(r"^\((\d[^()]*)\)$")
CHAPTER_TITLE_RE = re.compile(r"^Chapter (\d+)$")


def clean(text):
    # "ver. #(2)": a cross-reference marker of the electronic text it came from
    text = html.unescape(text).replace("#(", "(")
    return BLANKS_RE.sub(" ", text).strip()


def export_module():
    """The module as mod2imp writes it, read through a corrected configuration."""
    with tempfile.TemporaryDirectory() as tmp:
        os.mkdir(os.path.join(tmp, "mods.d"))
        os.symlink(os.path.join(SWORD_DIR, "modules"), os.path.join(tmp, "modules"))
        with open(os.path.join(SWORD_DIR, "mods.d", "mhcc.conf"), encoding="utf-8") as f:
            conf = re.sub(r"(?m)^ModDrv=zCom4$", "ModDrv=zCom", f.read())
        with open(os.path.join(tmp, "mods.d", "mhcc.conf"), "w", encoding="utf-8") as f:
            f.write(conf)
        env = dict(os.environ, SWORD_PATH=tmp, HOME=tmp)
        run = subprocess.run(["mod2imp", MODULE], check=True, capture_output=True,
                             text=True, env=env)
        if run.stderr.strip():
            sys.exit("mod2imp: " + run.stderr.strip().splitlines()[0])
        return run.stdout


def entries(imp):
    """(sword book name, chapter, verse, raw text) in the module's order."""
    key, body = None, []
    for line in imp.split("\n"):
        if line.startswith("$$$"):
            if key:
                yield key + ("\n".join(body),)
            m = KEY_RE.match(line)
            key = (m.group(1), int(m.group(2)), int(m.group(3))) if m else None
            body = []
        else:
            body.append(line)
    if key:
        yield key + ("\n".join(body),)


def events(raw):
    """Turns one entry into (kind, text) events: title/<type>, heading, cell, rowend, text, break."""
    buf = []
    capture = None  # (kind, parts) while inside <title>, <hi> or <cell>

    def flush_text():
        if buf:
            t = clean("".join(buf))
            buf.clear()
            if t:
                return [("text", t)]
        return []

    out = []
    for piece in TAG_RE.split(raw):
        if not piece:
            continue
        if not piece.startswith("<"):
            (capture[1] if capture else buf).append(piece)
            continue
        m = TAG_NAME_RE.match(piece)
        if not m:
            continue
        closing, name = m.group(1) == "/", m.group(2)
        if name in ("title", "hi", "cell"):
            if not closing:
                out += flush_text()
                if name == "title":
                    kind = "title/" + (re.search(r'type="([^"]*)"', piece) or [None, ""])[1]
                else:
                    kind = "heading" if name == "hi" else "cell"
                capture = (kind, [])
            elif capture:
                out.append((capture[0], clean("".join(capture[1]))))
                capture = None
        elif name == "row" and closing:
            out.append(("rowend", ""))
        elif name == "reference":
            continue  # keep the reference's text as it stands in the sentence
        else:
            out += flush_text()
            out.append(("break", ""))
    out += flush_text()
    return out


class Book:
    def __init__(self, number, name):
        self.number = number
        self.name = name
        self.intro = []
        self.chapters = {}  # n -> list of lines

    def lines(self):
        out = ["# " + self.name, ""]
        for p in self.intro:
            out += [p, ""]
        for n in sorted(self.chapters):
            out += ["## Chapter %d" % n, ""]
            for line in self.chapters[n]:
                out += [line, ""]
        return out


def convert(imp, catalogue):
    order = []  # sword names in the order met: the books' order
    books = {}
    state = {"book": None, "chapter": None, "outline": False, "cells": []}

    for name, chapter, verse, raw in entries(imp):
        if name.startswith("["):
            continue
        if name not in order:
            order.append(name)
            number = len(order)
            books[name] = Book(number, catalogue[number])
            state.update(book=books[name], chapter=None, outline=False, cells=[])
        book = books[name]
        if chapter == 0:
            continue
        entry = events(raw)
        titled = any(k.startswith("title/x-s") and CHAPTER_TITLE_RE.match(t) for k, t in entry)
        for kind, text in entry:
            # A chapter is opened by its "Chapter n" title. 2 Kings and
            # 2 Chronicles lack the title of their first chapter, so the entry's
            # own key opens it there: a book's introduction only ever precedes
            # the title in the same entry. Some chapters start in the
            # chapter-heading entry (n:0) rather than in verse 1.
            if state["chapter"] is None and not titled and kind not in ("break", "rowend") \
                    and not kind in ("title/x-ms", "title/main"):
                state.update(chapter=chapter, outline=False)
                book.chapters.setdefault(chapter, [])
            if kind == "title/x-ms" or kind == "title/main":
                state.update(chapter=None, outline=False)
                continue
            m = CHAPTER_TITLE_RE.match(text) if kind.startswith("title/x-s") else None
            if m:
                if int(m.group(1)) != chapter:
                    sys.exit("%s %d: title of chapter %s" % (name, chapter, m.group(1)))
                state.update(chapter=chapter, outline=False)
                book.chapters.setdefault(chapter, [])
                continue
            if kind in ("break", "rowend") and not state["cells"]:
                continue
            starts_body = kind in ("heading", "title/x-IS", "cell")
            if state["chapter"] != chapter and (starts_body or state["chapter"] is not None):
                state.update(chapter=chapter, outline=False)
                book.chapters.setdefault(chapter, [])
            target = book.intro if state["chapter"] is None else book.chapters[chapter]
            if kind == "text" and text == "Chapter Outline":
                kind = "title/x-IS"  # some chapters carry it as a plain paragraph
            if kind == "title/x-IS":
                target.append("### " + text)
                state["outline"] = True
            elif kind.startswith("title/"):
                target.append("### " + text)
            elif kind == "heading":
                if not re.match(r"^Verses? \d", text):
                    sys.exit("%s %d: unexpected heading %r" % (name, chapter, text))
                target.append("### " + text)
                state["outline"] = False
            elif kind == "cell":
                state["cells"].append(text)
            elif kind in ("rowend", "break"):
                cells = [c for c in state["cells"] if c]
                state["cells"] = []
                if cells:
                    target.append("- " + " ".join(cells))
            elif kind == "text":
                if state["outline"]:
                    r = RANGE_RE.match(text)
                    if r and target and target[-1].startswith("- "):
                        target[-1] += " " + text
                    else:
                        target.append("- " + text)
                else:
                    target.append(text)
    return [books[n] for n in order]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--imp", help="an existing mod2imp export (read with ModDrv=zCom)")
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument("--out", default=os.path.join(here, "..", "mhc"))
    args = parser.parse_args()

    with open(os.path.join(here, "..", "books.tsv"), encoding="utf-8", newline="") as f:
        rows = list(csv.DictReader(f, delimiter="\t"))
    catalogue = {int(r["Book"]): r["BookName"] for r in rows}
    slugs = {int(r["Book"]): r["Mhcfile"].split(".")[0] for r in rows}
    chapters = {}
    with open(os.path.join(here, "..", "kjv", "kjv.tsv"), encoding="utf-8") as f:
        for line in f:
            b, c = line.split("\t", 2)[:2]
            chapters[int(b)] = max(chapters.get(int(b), 0), int(c))

    if args.imp:
        with open(args.imp, encoding="utf-8") as f:
            imp = f.read()
    else:
        imp = export_module()
    books = convert(imp, catalogue)
    if len(books) != 66:
        sys.exit("expected 66 books, found %d" % len(books))

    os.makedirs(args.out, exist_ok=True)
    missing = []
    for book in books:
        for c in range(1, chapters[book.number] + 1):
            body = [l for l in book.chapters.get(c, []) if not l.startswith("#")]
            if not body:
                missing.append("%s %d" % (book.name, c))
        path = os.path.join(args.out, "%02d-%s.txt" % (book.number, slugs[book.number]))
        with open(path, "w", encoding="utf-8", newline="\n") as f:
            f.write("\n".join(book.lines()).rstrip("\n") + "\n")
    total = sum(len(b.chapters) for b in books)
    print("%d books, %d chapters with commentary" % (len(books), total))
    if missing:
        print("chapters without commentary: " + ", ".join(missing))


if __name__ == "__main__":
    main()
