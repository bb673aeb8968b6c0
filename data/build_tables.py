#!/usr/bin/env python3
"""Builds the program's tables from the committed text sources.

Writes into --out: kjvbible.db, Chapters.db, Verses.db, Markup.db, ebd.db, and settings.db
when the folder has none yet (it holds the user's session); with
--empty-settings only a fresh empty settings.db, the one a package ships.
Each file is a one-table SQLite database whose table is named db. Every file is written under
a temporary name and renamed into place, so a reader never sees half a table.

Run from the data folder (the build does): python3 build_tables.py --out DIR
"""

import argparse
import csv
import os
import sqlite3
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, HERE)

import sources  # noqa: E402


def write_empty_settings(out_dir):
    write_table(
        out_dir, "settings.db",
        'CREATE TABLE db ("order" INTEGER PRIMARY KEY, "book" INTEGER, '
        '"chapter" INTEGER, "verse" INTEGER, "top" INTEGER, "left" INTEGER, '
        '"height" INTEGER, "width" INTEGER)',
        [])


def write_table(out_dir, name, schema, rows, indexes=()):
    final = os.path.join(out_dir, name)
    temp = final + ".tmp"
    if os.path.exists(temp):
        os.remove(temp)
    con = sqlite3.connect(temp)
    try:
        con.execute("PRAGMA page_size=4096")
        con.execute("PRAGMA journal_mode=DELETE")
        con.execute(schema)
        if rows:
            marks = ",".join("?" * len(rows[0]))
            con.executemany("INSERT INTO db VALUES (%s)" % marks, rows)
        for index in indexes:
            con.execute(index)
        con.commit()
        con.execute("VACUUM")
    finally:
        con.close()
    os.replace(temp, final)


def spans_text(spans):
    """Spans as the reader reads them: "start-end" pairs, blank separated."""
    return " ".join("%d-%d" % span for span in spans)


def markup_rows(verses):
    """One row per verse with a printed mark, a psalm title or a heading: the
    paragraph flag, the spans of the supplied words and of the words of Christ,
    the title and its supplied words, and the heading printed before the verse
    (the letters of Psalm 119). Offsets count UTF-16 units of the texts in
    kjvbible.db and in the title, the units the reader counts in; every mark
    must lie over exactly those texts."""
    text_of = {(b, c, v): t for b, c, v, t in verses}
    rows = {}

    def row(key):
        return rows.setdefault(key, [0, "", "", "", "", ""])

    titles = {(b, c, v): t for b, c, v, kind, t in sources.read_titles() if kind == "psalm"}
    for key, title in titles.items():
        if key not in text_of:
            raise sources.SourceError("psalm title outside a verse: %d %d:%d" % key)
        row(key)[3] = title
    # The module gives the first heading to the chapter (verse 0): it stands
    # before the first verse, under the chapter's heading.
    for b, c, v, kind, text in sources.read_titles():
        if kind != "acrostic":
            continue
        key = (b, c, max(v, 1))
        if key not in text_of:
            raise sources.SourceError("heading outside a verse: %d %d:%d" % key)
        row(key)[5] = text
    for b, c, v, kind, text, paragraph, spans in sources.read_markup():
        key = (b, c, v)
        expected = text_of.get(key) if kind == "verse" else titles.get(key)
        if text != expected:
            raise sources.SourceError("markup of %s %d %d:%d is not over its text" % ((kind,) + key))
        if any(ord(ch) > 0xFFFF for ch in text):
            raise sources.SourceError("%d %d:%d: offsets would not be UTF-16 units" % key)
        r = row(key)
        if kind == "verse":
            r[0] = 1 if paragraph else 0
            r[1] = spans_text(spans["i"])
            r[2] = spans_text(spans["J"])
        else:
            r[4] = spans_text(spans["i"])
    return [key + tuple(r) for key, r in sorted(rows.items())]


def main():
    parser = argparse.ArgumentParser(description="Builds the program's SQLite tables.")
    parser.add_argument("--out", required=True, help="the program folder")
    parser.add_argument("--empty-settings", action="store_true",
                        help="write only an empty settings.db (the one a package ships)")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    if args.empty_settings:
        write_empty_settings(args.out)
        return

    verses = sources.read_kjv()
    books = sources.read_books()
    sources.check_kjv(verses, books)

    chapter_counts = {}
    verse_counts = {}
    for book, chapter, verse, _ in verses:
        chapter_counts[book] = max(chapter_counts.get(book, 0), chapter)
        verse_counts[(book, chapter)] = max(verse_counts.get((book, chapter), 0), verse)

    write_table(
        args.out, "kjvbible.db",
        'CREATE TABLE db ("Book" SMALLINT NOT NULL, "Chapter" SMALLINT NOT NULL, '
        '"Verse" SMALLINT NOT NULL, "Scripture Text" TEXT NOT NULL, '
        'PRIMARY KEY ("Book", "Chapter", "Verse")) WITHOUT ROWID',
        verses)

    write_table(
        args.out, "Chapters.db",
        'CREATE TABLE db ("Book" SMALLINT PRIMARY KEY, "ChapterCount" SMALLINT NOT NULL, '
        '"Mhcfile" VARCHAR(50), "Jfbfile" VARCHAR(50), "BookName" VARCHAR(20), '
        '"BookAbbr" VARCHAR(20))',
        [(b.number, chapter_counts[b.number], b.mhcfile, b.jfbfile, b.name, b.abbr)
         for b in books],
        ['CREATE UNIQUE INDEX "IDX_BookAbbr" ON db ("BookAbbr" COLLATE NOCASE)'])

    write_table(
        args.out, "Verses.db",
        'CREATE TABLE db ("Book" SMALLINT NOT NULL, "Chapter" SMALLINT NOT NULL, '
        '"VerseCount" SMALLINT NOT NULL, PRIMARY KEY ("Book", "Chapter")) WITHOUT ROWID',
        [(b, c, n) for (b, c), n in sorted(verse_counts.items())])

    # The printed marks live beside the text, never in it: search, copies as
    # plain text and every stored file keep the verse text unchanged.
    markup = markup_rows(verses)
    write_table(
        args.out, "Markup.db",
        'CREATE TABLE db ("Book" SMALLINT NOT NULL, "Chapter" SMALLINT NOT NULL, '
        '"Verse" SMALLINT NOT NULL, "Paragraph" SMALLINT NOT NULL, "Italic" TEXT NOT NULL, '
        '"Red" TEXT NOT NULL, "Title" TEXT NOT NULL, "TitleItalic" TEXT NOT NULL, '
        '"Heading" TEXT NOT NULL, PRIMARY KEY ("Book", "Chapter", "Verse")) WITHOUT ROWID',
        markup)

    entries = sources.read_easton()
    # The index holds both columns: the dictionary's statement, ordered by the
    # word, then reads every entry from the index alone, in order.
    write_table(
        args.out, "ebd.db",
        'CREATE TABLE db ("Word" TEXT NOT NULL, "Link" TEXT NOT NULL UNIQUE)',
        [(e.word, e.link) for e in entries],
        ['CREATE INDEX "IDX_Word" ON db ("Word", "Link")'])

    if not os.path.exists(os.path.join(args.out, "settings.db")):
        write_empty_settings(args.out)

    print("tables: %d verses, %d chapters, %d books, %d marked verses, %d dictionary entries"
          % (len(verses), len(verse_counts), len(books), len(markup), len(entries)))


if __name__ == "__main__":
    main()
