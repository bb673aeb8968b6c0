"""Readers of the committed text sources, shared by build_tables.py and
build_docs.py (standard library only)."""

import csv
import json
import os
import re
from collections import namedtuple

HERE = os.path.dirname(os.path.abspath(__file__))

Book = namedtuple("Book", "number name abbr mhcfile jfbfile slug")
Entry = namedtuple("Entry", "word link definitions refs")

MAX_VERSES = 176  # the reader keeps the positions of at most this many verses


class SourceError(Exception):
    pass


def path(*parts):
    return os.path.join(HERE, *parts)


def read_books():
    with open(path("books.tsv"), encoding="utf-8", newline="") as f:
        rows = list(csv.DictReader(f, delimiter="\t"))
    books = []
    for r in rows:
        slug = r["Mhcfile"].split(".htm#")[0]
        books.append(Book(int(r["Book"]), r["BookName"], r["BookAbbr"], r["Mhcfile"],
                          r["Jfbfile"], slug))
    if [b.number for b in books] != list(range(1, 67)):
        raise SourceError("books.tsv must list the books 1 to 66 in order")
    return books


def read_kjv():
    verses = []
    with open(path("kjv", "kjv.tsv"), encoding="utf-8") as f:
        for n, line in enumerate(f, 1):
            parts = line.rstrip("\n").split("\t")
            if len(parts) != 4:
                raise SourceError("kjv.tsv line %d: expected 4 fields" % n)
            verses.append((int(parts[0]), int(parts[1]), int(parts[2]), parts[3]))
    verses.sort()
    return verses


def check_kjv(verses, books):
    """Refuses text that would break what the reader relies on: every chapter
    numbered from 1 without gaps, every verse likewise, no chapter too long."""
    chapters = {}
    for book, chapter, verse, text in verses:
        chapters.setdefault(book, {}).setdefault(chapter, []).append(verse)
        if not text or text != text.strip() or "  " in text:
            raise SourceError("verse %d %d:%d has stray blanks" % (book, chapter, verse))
    if sorted(chapters) != [b.number for b in books]:
        raise SourceError("kjv.tsv does not hold the 66 books")
    for book, cs in chapters.items():
        if sorted(cs) != list(range(1, len(cs) + 1)):
            raise SourceError("book %d: chapters are not numbered 1..n" % book)
        for chapter, vs in cs.items():
            if vs != list(range(1, len(vs) + 1)):
                raise SourceError("%d %d: verses are not numbered 1..n" % (book, chapter))
            if len(vs) > MAX_VERSES:
                raise SourceError("%d %d: more than %d verses" % (book, chapter, MAX_VERSES))


MARK_TAG_RE = re.compile(r"</?([iJ])>")


def read_titles():
    titles = []
    with open(path("kjv", "titles.tsv"), encoding="utf-8") as f:
        for line in f:
            b, c, v, kind, text = line.rstrip("\n").split("\t")
            titles.append((int(b), int(c), int(v), kind, text))
    return titles


def unmark(marked):
    """A line of markup.tsv split into its plain text, the paragraph flag and
    the spans of each kind ("i": supplied words, "J": words of Christ) as
    (start, end) offsets into the plain text."""
    paragraph = marked.startswith("\u00b6 ")
    if paragraph:
        marked = marked[2:]
    out = []
    spans = {"i": [], "J": []}
    open_at = {}
    last = 0
    for m in MARK_TAG_RE.finditer(marked):
        out.append(marked[last:m.start()])
        last = m.end()
        at = sum(len(p) for p in out)
        kind = m.group(1)
        if m.group(0).startswith("</"):
            if kind not in open_at:
                raise SourceError("unopened %s in markup: %s" % (m.group(0), marked))
            spans[kind].append((open_at.pop(kind), at))
        elif kind in open_at:
            raise SourceError("nested <%s> in markup: %s" % (kind, marked))
        else:
            open_at[kind] = at
    if open_at:
        raise SourceError("unclosed mark in markup: %s" % marked)
    out.append(marked[last:])
    return "".join(out), paragraph, spans


def read_markup():
    """The rows of markup.tsv as (book, chapter, verse, kind, text, paragraph,
    spans); see unmark()."""
    rows = []
    with open(path("kjv", "markup.tsv"), encoding="utf-8") as f:
        for n, line in enumerate(f, 1):
            parts = line.rstrip("\n").split("\t")
            if len(parts) != 5:
                raise SourceError("markup.tsv line %d: expected 5 fields" % n)
            text, paragraph, spans = unmark(parts[4])
            rows.append((int(parts[0]), int(parts[1]), int(parts[2]), parts[3], text,
                         paragraph, spans))
    return rows


def read_notes():
    notes = []
    with open(path("kjv", "notes.tsv"), encoding="utf-8") as f:
        for line in f:
            b, c, v, text = line.rstrip("\n").split("\t")
            notes.append((int(b), int(c), int(v), text))
    return notes


def _safe_name(slug):
    name = re.sub(r"[^a-z0-9-]+", "-", slug.lower()).strip("-")
    return name or "entry"


def read_easton():
    """The dictionary's entries in the order of its files, each with a unique,
    file-system-safe document name."""
    folder = path("easton")
    entries = []
    used = set()
    for name in sorted(os.listdir(folder)):
        if not re.fullmatch(r"[a-z]\.json", name):
            continue
        with open(os.path.join(folder, name), encoding="utf-8") as f:
            data = json.load(f)
        for key in data:
            item = data[key]
            base = _safe_name(item.get("slug") or item["name"])
            link, n = base + ".htm", 1
            while link in used:
                n += 1
                link = "%s-%d.htm" % (base, n)
            used.add(link)
            entries.append(Entry(item["name"], link,
                                 [d["text"] for d in item.get("definitions", [])],
                                 _references(item.get("scripture_refs", []))))
    return entries


def _references(refs):
    """The cited passages in the dataset's normalised form, each once."""
    out = []
    for r in refs:
        text = (r.get("reference") or r.get("original") or "").strip()
        if text and text not in out:
            out.append(text)
    return out


def read_mhc(book):
    """One book of the commentary: (introduction blocks, {chapter: blocks}),
    each block a (kind, text) pair: "p" paragraph, "h" section heading,
    "item" outline entry."""
    name = "%02d-%s.txt" % (book.number, book.slug)
    intro, chapters = [], {}
    target = intro
    try:
        f = open(path("mhc", name), encoding="utf-8")
    except FileNotFoundError:
        return intro, chapters
    with f:
        for line in f:
            line = line.rstrip("\n")
            if not line or line.startswith("# "):
                continue
            m = re.match(r"^## Chapter (\d+)$", line)
            if m:
                target = chapters.setdefault(int(m.group(1)), [])
            elif line.startswith("### "):
                target.append(("h", line[4:]))
            elif line.startswith("- "):
                target.append(("item", line[2:]))
            else:
                target.append(("p", line))
    return intro, chapters
