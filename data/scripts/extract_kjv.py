#!/usr/bin/env python3
"""Exports the King James text from the SWORD module engKJV2006eb into the
committed plain-text sources of data/kjv/.

Run once, by hand, on a machine with the Debian packages sword-text-kjv and
libsword-utils (mod2imp); the program's build reads only the files written here:

    kjv.tsv     book, chapter, verse, text (one verse a line)
    notes.tsv   book, chapter, verse, marginal note of the 1611 translators
    titles.tsv  book, chapter, verse, kind, text: the book titles, the psalm
                superscriptions, the letters of Psalm 119 and the subscriptions
                of the epistles, which the module carries as titles and the
                verse text leaves out
    markup.tsv  book, chapter, verse, kind, marked text: the printed marks of
                every verse (kind verse) and psalm title (kind psalm) that has
                any, over exactly the text of kjv.tsv and titles.tsv: a leading
                "¶ " for a paragraph mark, <i>...</i> around the words the
                translators supplied, <J>...</J> around the words of Christ

Usage: extract_kjv.py [--imp FILE] [--out DIR]
"""

import argparse
import html
import os
import re
import subprocess
import sys

MODULE = "engKJV2006eb"

TAG_RE = re.compile(r"(<[^>]*>)")
TAG_NAME_RE = re.compile(r"<\s*(/?)\s*([A-Za-z]+)")
KEY_RE = re.compile(r"^\$\$\$(.+?) (\d+):(\d+)$")
# Leftovers of the USFM source inside the OSIS text: \nd LORD\+nd*
USFM_RE = re.compile(r"\\\+?[a-z]+[0-9]*\*?")
BLANKS_RE = re.compile(r"\s+")


def clean(text):
    text = html.unescape(text)
    text = USFM_RE.sub(" ", text)
    text = text.replace("\u00b6", " ")  # pilcrow: paragraph marks of the edition
    text = text.replace("\u2019", "'").replace("\u2018", "'")
    text = BLANKS_RE.sub(" ", text).strip()
    return text


def capitals(text):
    """The divine name in capitals, its possessive ending as printed: LORD's."""
    return re.sub(r"([\u2019'])S\b", r"\1s", text.upper())


# Marks carried through clean() as private-use characters, which it leaves
# alone, and taken out again by split_marks().
ITALIC_OPEN, ITALIC_CLOSE, CHRIST_OPEN, CHRIST_CLOSE, PILCROW = (
    "\ue000", "\ue001", "\ue002", "\ue003", "\ue004")
MARKS = ITALIC_OPEN + ITALIC_CLOSE + CHRIST_OPEN + CHRIST_CLOSE + PILCROW


def split_marks(marked):
    """The text without its marks, as clean() would have left it, with the
    paragraph flag and the italic and Christ spans as (start, end) offsets;
    the spans never begin or end on a blank."""
    out = []
    open_at = {}
    spans = {"i": [], "J": []}
    paragraph = False
    for ch in marked:
        if ch == PILCROW:
            paragraph = True
        elif ch in (ITALIC_OPEN, CHRIST_OPEN):
            open_at[ch] = len(out)
        elif ch in (ITALIC_CLOSE, CHRIST_CLOSE):
            opener = ITALIC_OPEN if ch == ITALIC_CLOSE else CHRIST_OPEN
            if opener in open_at:
                spans["i" if ch == ITALIC_CLOSE else "J"].append((open_at.pop(opener), len(out)))
        elif ch == " " and (not out or out[-1] == " "):
            continue
        else:
            out.append(ch)
    if out and out[-1] == " ":
        out.pop()
    text = "".join(out)
    for kind in spans:
        trimmed = []
        for start, end in spans[kind]:
            end = min(end, len(text))
            while start < end and text[start] == " ":
                start += 1
            while end > start and text[end - 1] == " ":
                end -= 1
            if start < end:
                trimmed.append((start, end))
        spans[kind] = trimmed
    return text, paragraph, spans


def marked_text(text, paragraph, spans):
    """The text with its marks written in, as markup.tsv holds it."""
    tags = []
    for kind, ranges in spans.items():
        for start, end in ranges:
            tags.append((start, 1, "<%s>" % kind))
            tags.append((end, 0, "</%s>" % kind))
    out = []
    last = 0
    for at, _, tag in sorted(tags):
        out.append(text[last:at])
        out.append(tag)
        last = at
    out.append(text[last:])
    return ("\u00b6 " if paragraph else "") + "".join(out)


def parse_entry(raw, marks=False):
    """Splits one verse entry into its text, its notes and its titles; with
    marks, the text and titles keep the printed marks for split_marks()."""
    text = []
    notes = []
    titles = []
    sink = text
    note = None
    title = None
    title_kind = None
    skip_depth = 0  # inside <reference> of a note: the "1.4 " verse label
    divine = 0  # inside <divineName>: printed in capitals (LORD, GOD, JAH)
    for piece in TAG_RE.split(raw):
        if not piece:
            continue
        if not piece.startswith("<"):
            if skip_depth == 0:
                if divine:
                    # In some notes the name is closed by the USFM code alone.
                    head, end, tail = piece.partition("\\+nd*")
                    piece = capitals(head) + end + tail
                    if end:
                        divine = 0
                if marks and note is None:
                    piece = piece.replace("\u00b6", PILCROW)
                sink.append(piece)
            continue
        m = TAG_NAME_RE.match(piece)
        if not m:
            continue
        closing, name = m.group(1) == "/", m.group(2)
        empty = piece.endswith("/>")
        if marks and note is None and not empty and (
                name == "transChange" and (closing or 'type="added"' in piece)):
            sink.append(ITALIC_CLOSE if closing else ITALIC_OPEN)
        elif marks and note is None and not empty and (
                name == "q" and (closing or 'who="Jesus"' in piece)):
            sink.append(CHRIST_CLOSE if closing else CHRIST_OPEN)
        elif name == "divineName" and not empty:
            divine = max(divine + (-1 if closing else 1), 0)
        elif name == "note" and not empty:
            divine = 0
            if closing:
                if note is not None:
                    notes.append(clean("".join(note)))
                note = None
                sink = title if title is not None else text
            else:
                note = []
                sink = note
        elif name == "reference" and note is not None and not empty:
            skip_depth += -1 if closing else 1
            skip_depth = max(skip_depth, 0)
        elif name == "title" and not empty:
            if closing:
                if title is not None:
                    titles.append((title_kind, clean("".join(title))))
                title = None
                sink = text
            else:
                title = []
                if 'type="psalm"' in piece:
                    title_kind = "psalm"
                elif 'type="main"' in piece:
                    title_kind = "book"
                else:
                    title_kind = "title"
                sink = title
        elif name in ("l", "lb", "lg", "div", "p", "chapter", "milestone") and skip_depth == 0:
            # structural markers separate words even without blanks around them
            sink.append(" ")
    return clean("".join(text)), [n for n in notes if n], [t for t in titles if t[1]]


def title_kind_for(kind, text, verse):
    if kind != "title":
        return kind
    if re.match(r"^[\u05d0-\u05ea] [A-Z]+\.$", text):
        return "acrostic"
    return "subscription" if verse > 0 else "title"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--imp", help="an existing mod2imp export instead of running mod2imp")
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument("--out", default=os.path.join(here, "..", "kjv"))
    args = parser.parse_args()

    if args.imp:
        with open(args.imp, encoding="utf-8") as f:
            lines = f.read().split("\n")
    else:
        lines = subprocess.run(["mod2imp", MODULE], check=True, capture_output=True,
                               text=True).stdout.split("\n")

    books = []  # SWORD's book names in the order met: KJV order
    verses, notes, titles, markup = [], [], [], []
    key = None
    body = []

    def flush():
        if key is None:
            return
        name, chapter, verse = key
        if name not in books:
            books.append(name)
        book = books.index(name) + 1
        text, entry_notes, entry_titles = parse_entry("\n".join(body))
        marked, _, marked_titles = parse_entry("\n".join(body), marks=True)
        if chapter > 0 and verse > 0:
            if not text:
                sys.exit("empty verse: %s %d:%d" % key)
            verses.append((book, chapter, verse, text))
            add_markup(book, chapter, verse, "verse", text, marked)
        elif text:
            sys.exit("text outside a verse: %s %d:%d" % key)
        for n in entry_notes:
            notes.append((book, chapter, verse, n))
        for (kind, t), (_, m) in zip(entry_titles, marked_titles):
            kind = title_kind_for(kind, t, verse)
            titles.append((book, chapter, verse, kind, t))
            if kind == "psalm":
                add_markup(book, chapter, verse, kind, t, m)

    def add_markup(book, chapter, verse, kind, text, marked):
        plain, paragraph, spans = split_marks(marked)
        if plain != text:
            sys.exit("marks change the text of %d %d:%d: %s" % (book, chapter, verse, marked))
        if paragraph or spans["i"] or spans["J"]:
            markup.append((book, chapter, verse, kind, marked_text(plain, paragraph, spans)))

    for line in lines:
        if line.startswith("$$$"):
            flush()
            m = KEY_RE.match(line)
            key = (m.group(1), int(m.group(2)), int(m.group(3))) if m else None
            body = []
        else:
            body.append(line)
    flush()

    if len(books) != 66:
        sys.exit("expected 66 books, found %d" % len(books))
    for row in verses:
        t = row[3]
        if re.search(r"[<>\\{}\u00b6]|  |\u2019", t):
            sys.exit("markup left in %d %d:%d: %s" % (row[0], row[1], row[2], t))

    os.makedirs(args.out, exist_ok=True)

    def write(name, rows):
        path = os.path.join(args.out, name)
        with open(path, "w", encoding="utf-8", newline="\n") as f:
            for row in rows:
                f.write("\t".join(str(v) for v in row) + "\n")

    verses.sort()
    write("kjv.tsv", verses)
    write("notes.tsv", notes)
    write("titles.tsv", titles)
    markup.sort()
    write("markup.tsv", markup)
    chapters = {(b, c) for b, c, _, _ in verses}
    print("%d verses, %d chapters, %d books, %d notes, %d titles, %d marked verses and titles"
          % (len(verses), len(chapters), len(books), len(notes), len(titles), len(markup)))


if __name__ == "__main__":
    main()
